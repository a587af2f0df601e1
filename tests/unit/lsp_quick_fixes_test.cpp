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

TEST(LspQuickFixes, TheCheckersProposalsInRangeAreQuickFixesOfWholeLines) {
    Served served;
    open(&served, "#helyiseg 1\r\nA door [n].\r\n#irany N 2 n\r\n#helyseg 2\r\nThe end.\r\n#gameover\r\n",
         Utf16Positions);
    EXPECT_TRUE(actionsFor(&served, 0, 0).empty());
    json actions = actionsFor(&served, 3, 3);
    ASSERT_EQ(1u, actions.size());
    const json& fix = actions[0];
    EXPECT_EQ("Fix: " + diagnosticOnLine(&served, 4).mending.title, fix["title"]);
    EXPECT_EQ("quickfix", fix["kind"]);
    EXPECT_EQ(true, fix["isPreferred"]);
    EXPECT_EQ(fix["diagnostics"][0]["message"], diagnosticOnLine(&served, 4).text);
    json edit = fix["edit"]["changes"][URI][0];
    // The line as a whole, with the map's own line end.
    EXPECT_EQ("#helyiseg 2\r\n", edit["newText"]);
    EXPECT_EQ((json{{"line", 3}, {"character", 0}}), edit["range"]["start"]);
    EXPECT_EQ((json{{"line", 4}, {"character", 0}}), edit["range"]["end"]);

    diagnosticOnLine(&served, 4).mending = Mending{};
    EXPECT_TRUE(actionsFor(&served, 3, 3).empty());
}

TEST(LspQuickFixes, LinesAddedAfterALastLineWithoutItsEndStartALineOfTheirOwn) {
    Served served;
    // "é" is one UTF-16 unit and two bytes: the end of the text is where
    // each encoding counts it.
    open(&served, "#helyiseg 1\nA [k]ey.\n#irany N 3 k\n#helyiseg 2\nVége.\n#gameover\n#helyiseg 4\nVége.",
         Utf16Positions);
    diagnosticOnLine(&served, 3).mending = Mending{"add room 3", {MapEdit{9, 0, "#helyiseg 3\nText.\n#gameover\n"}}};
    json actions = actionsFor(&served, 2, 2);
    ASSERT_EQ(1u, actions.size());
    EXPECT_EQ("Fix: add room 3", actions[0]["title"]);
    json edit = actions[0]["edit"]["changes"][URI][0];
    EXPECT_EQ("\n#helyiseg 3\nText.\n#gameover\n", edit["newText"]);
    EXPECT_EQ((json{{"line", 7}, {"character", 5}}), edit["range"]["start"]);
    EXPECT_EQ(edit["range"]["start"], edit["range"]["end"]);
    served.session.encoding = Utf8Positions;
    EXPECT_EQ(6, actionsFor(&served, 2, 2)[0]["edit"]["changes"][URI][0]["range"]["start"]["character"]);
}

}  // namespace
