// Code actions: where the checker's proposals for mending a diagnostic
// become the protocol's quick fixes. Each proposal for a diagnostic in the
// requested range is a CodeAction of kind "quickfix" whose WorkspaceEdit
// holds the proposal's whole-line edits of the map.
#include "lsp_answers.h"

namespace {

// The proposal's new lines with the document's own line ends.
std::string insertedText(const Document& document, const std::string& insert) {
    if (document.bytes.find("\r\n") == std::string::npos) return insert;
    std::string text;
    for (char byte : insert) text += byte == '\n' ? std::string("\r\n") : std::string(1, byte);
    return text;
}

// A whole-line edit as a TextEdit: from the start of line `line` to the
// start of the line `remove` lines further on. Lines added after the last
// one go at the very end of the text, on a line of their own.
json textEdit(const Document& document, const MapEdit& edit, PositionEncoding encoding) {
    std::string text = insertedText(document, edit.insert);
    Position start{edit.line - 1, 0};
    Position end{edit.line - 1 + edit.remove, 0};
    std::size_t lastStart = document.lineStarts.back();  // the line after the last line end
    if (edit.line >= document.lineStarts.size() && edit.remove == 0) {
        start = end = positionOf(document, document.lineStarts.size(), document.bytes.size() - lastStart, encoding);
        if (lastStart < document.bytes.size()) text = insertedText(document, "\n") + text;
    }
    return json{{"range", {{"start", positionJson(start)}, {"end", positionJson(end)}}}, {"newText", text}};
}

}  // namespace

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
    analyseDocument(document, session->machineMemory);
    *result = json::array();
    for (const Diagnostic& diagnostic : document->check.diagnostics) {
        const Mending& mending = diagnostic.mending;
        if (mending.edits.empty() || diagnostic.line == 0 || diagnostic.line - 1 < start.line ||
            diagnostic.line - 1 > end.line) {
            continue;
        }
        json edits = json::array();
        for (const MapEdit& edit : mending.edits) edits.push_back(textEdit(*document, edit, session->encoding));
        result->push_back(json{{"title", "Fix: " + mending.title},
                               {"kind", "quickfix"},
                               {"isPreferred", true},
                               {"edit", {{"changes", {{document->uri, edits}}}}}});
    }
    return true;
}
