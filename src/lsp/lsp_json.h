// The protocol's JSON at the server's edge, read without ever throwing:
// every field is looked up and its type checked before it is used, and an
// unusable one is an answer for the client (InvalidParams), never a crash.
#pragma once

#include <cstdint>
#include <string>

#include <nlohmann/json.hpp>

#include "lsp_document.h"
#include "map_outline.h"

using json = nlohmann::json;

// The protocol's error codes.
enum ErrorCode {
    ParseError = -32700,
    InvalidRequest = -32600,
    MethodNotFound = -32601,
    InvalidParams = -32602,
    ServerNotInitialized = -32002,
    RequestFailed = -32803,
};

// An error answer to a request.
struct ResponseError {
    int code = 0;
    std::string message;
};

/// The member `name` of an object; null when `value` is no object or has none.
const json* memberOf(const json& value, const char* name);

/// A string member; false when it is missing or not a string.
bool readString(const json& value, const char* name, std::string* text);

/// A whole number from 0 up; false when it is missing or anything else.
bool readCount(const json& value, const char* name, std::uint64_t* number);

/// A Position object: {"line": N, "character": N}.
bool readPosition(const json& value, Position* position);

/// A Range object's two positions.
bool readRange(const json& value, Position* start, Position* end);

/// params.textDocument.uri.
bool readDocumentUri(const json& params, std::string* uri);

/// A position and a range as the protocol writes them.
json positionJson(const Position& position);
json rangeJson(const Document& document, const LineSpan& span, PositionEncoding encoding);

/// A Location: a document's URI and a range in it.
json locationJson(const Document& document, const LineSpan& span, PositionEncoding encoding);

/// A message's body, written compactly, with any byte that is not UTF-8
/// made U+FFFD.
std::string writeJson(const json& message);
