// Code actions: where the checker's proposals for mending a diagnostic
// become the protocol's quick fixes. Each diagnostic in the requested range
// that has a mending becomes a CodeAction of kind "quickfix" whose
// WorkspaceEdit holds the proposal's whole-line edits, in the encoding
// agreed with the client.
#include "lsp_answers.h"

#include "map_questions.h"

namespace {

// The proposal's new lines with the map's own line ends, `separator`.
std::string insertedText(const std::string& insert, const std::string& separator) {
    if (separator == "\n") return insert;
    std::string text;
    for (char byte : insert) text += byte == '\n' ? separator : std::string(1, byte);
    return text;
}

// A whole-line edit as a TextEdit: from the start of line `line` to the
// start of the line `remove` lines further on. Lines added after the last
// one go at the very end of the text, on a line of their own. Line ends
// are the map's own (mapLineSeparator).
json textEdit(const Document& document, const MapEdit& edit, PositionEncoding encoding) {
    const std::string& bytes = documentBytes(document);
    const std::vector<std::size_t>& lineStarts = documentLineStarts(document);
    std::string separator = mapLineSeparator(document.analysis);
    std::string text = insertedText(edit.insert, separator);
    Position start{edit.line - 1, 0};
    Position end{edit.line - 1 + edit.remove, 0};
    std::size_t lastStart = lineStarts.back();  // the start of the last line
    if (edit.line > lineStarts.size() && edit.remove == 0) {
        start = end = positionOf(document, lineStarts.size(), bytes.size() - lastStart, encoding);
        if (lastStart < bytes.size() && bytes.back() != '\n') text = separator + text;
    }
    return json{{"range", {{"start", positionJson(start)}, {"end", positionJson(end)}}}, {"newText", text}};
}

// Whether a diagnostic is on a line of the requested range: a fix is
// offered wherever the cursor is on the diagnostic's line, not only on the
// word the diagnostic marks.
bool meets(const Diagnostic& diagnostic, Position start, Position end) {
    std::uint64_t line = diagnostic.line == 0 ? 0 : diagnostic.line - 1;
    return line >= start.line && line <= end.line;
}

// Whether the client asked only for kinds of action other than quick fixes.
bool wantsNoQuickFix(const json& params) {
    const json* context = memberOf(params, "context");
    const json* only = context != nullptr ? memberOf(*context, "only") : nullptr;
    if (only == nullptr || !only->is_array()) return false;
    for (const json& kind : *only) {
        if (!kind.is_string()) continue;
        const std::string& name = kind.get_ref<const std::string&>();
        if (name == "quickfix" || name.compare(0, 9, "quickfix.") == 0) return false;
    }
    return true;
}

json quickFix(const Document& document, const Diagnostic& diagnostic, PositionEncoding encoding) {
    json edits = json::array();
    for (const MapEdit& edit : diagnostic.mending.edits) edits.push_back(textEdit(document, edit, encoding));
    return json{{"title", "Fix: " + diagnostic.mending.title},
                {"kind", "quickfix"},
                {"diagnostics", json::array({diagnosticJson(document, diagnostic, encoding)})},
                {"edit", {{"changes", {{document.uri, edits}}}}}};
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
    *result = json::array();
    if (wantsNoQuickFix(params)) return true;
    for (const Diagnostic& diagnostic : mapDiagnostics(document->analysis)) {
        if (diagnostic.mending.edits.empty() || !meets(diagnostic, start, end)) continue;
        result->push_back(quickFix(*document, diagnostic, session->encoding));
    }
    if (result->size() == 1) (*result)[0]["isPreferred"] = true;
    return true;
}
