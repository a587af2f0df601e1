// The server's answers about a map: each asks the map queries and the
// checker's model, and only turns their answers into the protocol's types.
// A request handler returns true with `result` set, or false with `error`.
#pragma once

#include "lsp_json.h"
#include "lsp_session.h"

using RequestHandler = bool (*)(Session* session, const json& params, json* result, ResponseError* error);

/// A diagnostic as the protocol has it (without related information).
json diagnosticJson(const Document& document, const Diagnostic& diagnostic, PositionEncoding encoding);

/// The params of textDocument/publishDiagnostics for a checked document.
json diagnosticsParams(const Document& document, PositionEncoding encoding);

bool answerHover(Session* session, const json& params, json* result, ResponseError* error);
bool answerDefinition(Session* session, const json& params, json* result, ResponseError* error);
bool answerReferences(Session* session, const json& params, json* result, ResponseError* error);
bool answerDocumentSymbols(Session* session, const json& params, json* result, ResponseError* error);
bool answerWorkspaceSymbols(Session* session, const json& params, json* result, ResponseError* error);
bool answerCompletion(Session* session, const json& params, json* result, ResponseError* error);
bool answerPrepareRename(Session* session, const json& params, json* result, ResponseError* error);
bool answerRename(Session* session, const json& params, json* result, ResponseError* error);

/// textDocument/codeAction: the checker's quick fixes for the diagnostics
/// in a range (lsp_quick_fixes.cpp).
bool answerCodeActions(Session* session, const json& params, json* result, ResponseError* error);
