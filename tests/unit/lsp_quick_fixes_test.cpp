// The server's quick fixes, from mendings filled in by hand: what the
// checker proposes is its own affair; this is how a proposal reaches an
// editor.
#include <gtest/gtest.h>

#include <string>

#include "lsp_answers.h"
#include "lsp_session.h"

namespace {

const char* const URI = "file:///cave.map";

struct Served {
    Session session;
    Document* document = nullptr;
};

// A session with one open, analysed map, its positions in `encoding`.
void open(Served* served, const std::string& text, PositionEncoding encoding) {
    served->session.encoding = encoding;
    served->session.machineMemory = UINT64_MAX;
    Document& document = served->session.documents[URI];
    document.uri = URI;
    replaceText(&document, text);
    analyseDocument(&document, UINT64_MAX);
    served->document = &document;
}

Diagnostic& diagnosticOnLine(Served* served, std::uint64_t line) {
    for (Diagnostic& diagnostic : served->document->analysis.check.diagnostics) {
        if (diagnostic.line == line) return diagnostic;
    }
    ADD_FAILURE() << "no diagnostic on line " << line;
    return served->document->analysis.check.diagnostics.front();
}

json actionsFor(Served* served, int fromLine, int toLine) {
    json params = json::parse("{\"textDocument\": {\"uri\": \"" + std::string(URI) +
                                  "\"}, \"range\": {\"start\": {\"line\": " + std::to_string(fromLine) +
                                  ", \"character\": 0}, \"end\": {\"line\": " + std::to_string(toLine) +
                                  ", \"character\": 1000}}, \"context\": {\"diagnostics\": []}}",
                              nullptr, false);
    json result;
    ResponseError error;
    EXPECT_TRUE(answerCodeActions(&served->session, params, &result, &error)) << error.message;
    return result;
}

TEST(LspQuickFixes, AMendingInRangeIsOneQuickFixInTheClientsEncoding) {
    Served served;
    // "ő" is one UTF-16 unit and two bytes: the edit after it lands where
    // each encoding counts it.
    open(&served, "#helyiseg 1\nŐrség [k]apu.\n#helyseg 2\n#irany N 2 x\n#helyiseg 2\nVége.\n#gameover", Utf16Positions);
    diagnosticOnLine(&served, 3).mending = {MapEdit{3, 0, 8, "#helyiseg"}};
    diagnosticOnLine(&served, 2).mending = {MapEdit{2, 7, 7, "[x] "}};

    EXPECT_TRUE(actionsFor(&served, 0, 0).empty());
    EXPECT_TRUE(actionsFor(&served, 3, 6).empty());
    json actions = actionsFor(&served, 2, 2);
    ASSERT_EQ(1u, actions.size());
    const json& fix = actions[0];
    EXPECT_EQ("Fix: replace '#helyseg' with '#helyiseg'", fix["title"]);
    EXPECT_EQ("quickfix", fix["kind"]);
    EXPECT_EQ(true, fix["isPreferred"]);
    EXPECT_EQ(fix["diagnostics"][0]["message"], mapDiagnostics(served.document->analysis)[1].text);
    json edit = fix["edit"]["changes"][URI][0];
    EXPECT_EQ("#helyiseg", edit["newText"]);
    EXPECT_EQ(8, edit["range"]["end"]["character"]);

    json both = actionsFor(&served, 0, 6);
    ASSERT_EQ(2u, both.size());
    EXPECT_FALSE(both[0].contains("isPreferred"));
    EXPECT_EQ(5, both[0]["edit"]["changes"][URI][0]["range"]["start"]["character"]);  // after "Őrség"

    served.session.encoding = Utf8Positions;
    EXPECT_EQ(7, actionsFor(&served, 1, 1)[0]["edit"]["changes"][URI][0]["range"]["start"]["character"]);
}

TEST(LspQuickFixes, AnEditPastTheLastLineAddsLinesAtTheEnd) {
    Served served;
    open(&served, "#helyiseg 1\nA [k]ey.\n#irany N 3 k\n#helyiseg 2\nEnd.\n#gameover", Utf16Positions);
    diagnosticOnLine(&served, 3).mending = {MapEdit{7, 0, 0, "#helyiseg 3\nText to fill.\n#gameover\n"}};
    json actions = actionsFor(&served, 2, 2);
    ASSERT_EQ(1u, actions.size());
    EXPECT_EQ("Fix: add 3 lines at the end", actions[0]["title"]);
    json edit = actions[0]["edit"]["changes"][URI][0];
    // The map's last line has no line end: the new lines start after one.
    EXPECT_EQ("\n#helyiseg 3\nText to fill.\n#gameover\n", edit["newText"]);
    EXPECT_EQ((json{{"line", 5}, {"character", 9}}), edit["range"]["start"]);
    EXPECT_EQ(edit["range"]["start"], edit["range"]["end"]);
}

}  // namespace
