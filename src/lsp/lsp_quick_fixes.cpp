// Code actions: where the checker's proposals for mending a diagnostic
// become the protocol's quick fixes. Each diagnostic in the requested range
// that has a mending becomes a CodeAction of kind "quickfix", its edits
// placed in the map by the analysis (placeMending) and turned into a
// WorkspaceEdit in the encoding agreed with the client.
#include "lsp_answers.h"

#include "map_places.h"

namespace {

bool before(Position a, Position b) {
    return a.line < b.line || (a.line == b.line && a.character < b.character);
}

// Whether a diagnostic's range meets the requested one; one that touches it
// at an end does, as a cursor there is on it.
bool meets(const Document& document, const Diagnostic& diagnostic, Position start, Position end,
           PositionEncoding encoding) {
    LineSpan span = diagnosticSpan(document.analysis, diagnostic);
    return !before(positionOf(document, span.line, span.end, encoding), start) &&
           !before(end, positionOf(document, span.line, span.begin, encoding));
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
    for (const PlacedEdit& edit : placeMending(document.analysis, diagnostic)) {
        edits.push_back(json{{"range", rangeJson(document, edit.place, encoding)}, {"newText", edit.text}});
    }
    return json{{"title", "Fix: " + mendingTitle(document.analysis, diagnostic)},
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
        if (diagnostic.mending.empty() || !meets(*document, diagnostic, start, end, session->encoding)) continue;
        result->push_back(quickFix(*document, diagnostic, session->encoding));
    }
    if (result->size() == 1) (*result)[0]["isPreferred"] = true;
    return true;
}
