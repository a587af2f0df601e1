// Code actions: where the checker's proposals for mending a diagnostic
// become the protocol's quick fixes. The checker proposes none yet, so the
// answer is an empty list; once it does, each proposal for a diagnostic in
// the requested range becomes a CodeAction of kind "quickfix" whose
// WorkspaceEdit is the proposal's edit of the map.
#include "lsp_answers.h"

bool answerCodeActions(Session* session, const json& params, json* result, ResponseError* error) {
    Document* document = requestedDocument(session, params, error);
    if (document == nullptr) return false;
    Position start{};
    Position end{};
    const json* range = memberOf(params, "range");
    if (range == nullptr || !readRange(*range, &start, &end)) {
        *error = ResponseError{InvalidParams, "textDocument/codeAction needs a range"};
        return false;
    }
    *result = json::array();
    return true;
}
