// What a running server holds: where it is in the protocol's lifecycle, what
// the client agreed to, and the open maps by URI.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "lsp_document.h"
#include "lsp_json.h"
#include "lsp_server.h"

enum SessionStage {
    AwaitingInitialize,  // only initialize and exit are taken
    Serving,
    ShutDown,            // after shutdown: only exit is taken
};

struct Session {
    LspStreams streams;
    std::uint64_t machineMemory = 0;
    const char* version = "";
    SessionStage stage = AwaitingInitialize;
    PositionEncoding encoding = Utf16Positions;
    bool clientPreparesRename = false;
    std::map<std::string, Document> documents;
    bool outputGone = false;
};

/// Writes one message to the client.
void sendMessage(Session* session, const json& message);

/// The open document the request's params name, checked; null with `error`
/// set when the params name none or one that is not open.
Document* requestedDocument(Session* session, const json& params, ResponseError* error);

/// The document and the place (line from 1, byte in it) the request's
/// textDocument and position name.
bool requestedPlace(Session* session, const json& params, Document** document, std::uint64_t* line,
                    std::size_t* offset, ResponseError* error);
