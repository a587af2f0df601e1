#include "map_mending.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "analysis.h"
#include "map_questions.h"

namespace {

// The map's lines with a mending's edits applied, the last first, as an
// editor applies them.
std::string applied(const std::string& map, const Mending& mending) {
    std::vector<std::string> lines;
    for (std::size_t start = 0; start < map.size();) {
        std::size_t end = map.find('\n', start);
        end = end == std::string::npos ? map.size() : end + 1;
        lines.push_back(map.substr(start, end - start));
        start = end;
    }
    if (!lines.empty() && lines.back().back() != '\n') lines.back() += '\n';
    for (auto edit = mending.edits.rbegin(); edit != mending.edits.rend(); ++edit) {
        auto at = lines.begin() + static_cast<std::ptrdiff_t>(edit->line - 1);
        at = lines.erase(at, at + static_cast<std::ptrdiff_t>(edit->remove));
        std::vector<std::string> inserted;
        for (std::size_t start = 0; start < edit->insert.size();) {
            std::size_t end = edit->insert.find('\n', start) + 1;
            inserted.push_back(edit->insert.substr(start, end - start));
            start = end;
        }
        lines.insert(at, inserted.begin(), inserted.end());
    }
    std::string text;
    for (const std::string& line : lines) text += line;
    return text;
}

std::vector<Diagnostic> diagnosticsOf(const std::string& map) {
    MapAnalysis analysis;
    analyseMapBytes(&analysis, map, UINT64_MAX);
    std::vector<Diagnostic> diagnostics = mapDiagnostics(analysis);
    endAnalysis(&analysis);
    return diagnostics;
}

// Each proposal, applied on its own, takes its diagnostic away and adds
// no warning or error: the map checks cleaner.
TEST(Mending, EachProposalMendsItsDiagnostic) {
    const char* const maps[] = {
        "#helyiseg 1\nThe well. [d] down\n#irany N 2 d\n#helyseg 2\nThe bottom. THE END\n#gameover\n",
        "#helyiseg 1\nThe gate. [n] north, [s] south\n#irany N 2 n\n#irany N 3 s\n#helyiseg 3\nHome.\n#gameover",
        "#helyiseg 1\nThe hall. [u] up, [c] cellar\n#irany N 2 u\n#helyiseg 2\nThe attic. THE END\n#gameover\n",
        "#helyiseg 1\nThe hall. [u] up, [c] cellar\n#helyiseg 2\nThe attic. THE END\n#gameover\n",
        "#helyiseg 1\nA kapu. [e] \xc3\xa9szak\n#irany N 2 \xc3\xa9\n#helyiseg 2\nV\xc3\xa9ge.\n#gameover\n",
    };
    for (const char* map : maps) {
        std::vector<Diagnostic> before = diagnosticsOf(map);
        std::size_t proposals = 0;
        for (const Diagnostic& diagnostic : before) {
            if (diagnostic.mending.edits.empty()) continue;
            ++proposals;
            std::string fixed = applied(map, diagnostic.mending);
            std::vector<Diagnostic> after = diagnosticsOf(fixed);
            EXPECT_LT(countDiagnostics(after, Warning) + countDiagnostics(after, Error),
                      countDiagnostics(before, Warning) + countDiagnostics(before, Error))
                << map << "\nfixed:\n" << fixed;
            for (const Diagnostic& left : after) EXPECT_NE(diagnostic.text, left.text) << fixed;
        }
        EXPECT_GE(proposals, 1u) << map;
    }
}

TEST(Mending, NoneWhereTheMendingIsAGuess) {
    // A key written as a word, a key with no ASCII letter, a room that a
    // line names already, a misspelt #irany under a key the text names.
    const char* const maps[] = {
        "#helyiseg 1\nA kapu. [u] \xc5\xb1rhaj\xc3\xb3\n#irany N 2 \xc5\xb1rhaj\xc3\xb3\n#helyiseg 2\nV.\n#gameover\n",
        "#helyiseg 1\nA kapu.\n#irany N 2 \xce\xb1\n#helyiseg 2\nV.\n#gameover\n",
        "#helyiseg 1\nThe gate. [n] north\n#irany N 2 n\n#helyiseg 2\n#irany N 1 b\n#helyiseg 3\nX\n#gameover\n",
        "#helyiseg 1\nThe well. [d] down\n#irani N 2 d\n#helyiseg 2\nThe bottom.\n#gameover\n",
    };
    for (const char* map : maps) {
        for (const Diagnostic& diagnostic : diagnosticsOf(map)) {
            bool typo = diagnostic.text.find("did you mean") != std::string::npos;
            EXPECT_TRUE(diagnostic.mending.edits.empty() || typo) << map << diagnostic.text;
        }
    }
}

TEST(Mending, AddRoomGivesTheRoomAtTheCursorAnExitToANewRoom) {
    std::string map =
        "# The tower\n#helyiseg 1\nThe hall. [a] attic, [c] cellar\n#irany N 2 a\n#helyiseg 2\nTHE END\n"
        "#irany N 3 x\n#gameover\n";
    MapAnalysis analysis;
    analyseMapBytes(&analysis, map, UINT64_MAX);
    EXPECT_TRUE(addRoomAtLine(analysis, 1).edits.empty());  // above the first room
    EXPECT_TRUE(addRoomAtLine(analysis, 5).edits.empty());  // room 2 ends the game
    Mending room = addRoomAtLine(analysis, 3);
    // The key the text names without an exit; room 4, since an exit leads to 3.
    EXPECT_EQ("add '#irany N 4 c' to room 1 and room 4 at the end of the map", room.title);
    EXPECT_EQ(std::string("# The tower\n#helyiseg 1\nThe hall. [a] attic, [c] cellar\n#irany N 2 a\n#irany N 4 c\n"
                          "#helyiseg 2\nTHE END\n#irany N 3 x\n#gameover\n#helyiseg 4\n"
                          "(Room 4: write here what the player sees.)\n#gameover\n"),
              applied(map, room));
    endAnalysis(&analysis);

    std::string full = "#helyiseg 1\nFull.\n";
    for (char key = '1'; key <= '9'; ++key) full += std::string("#irany N 1 ") + key + "\n";
    analyseMapBytes(&analysis, full, UINT64_MAX);
    EXPECT_TRUE(addRoomAtLine(analysis, 2).edits.empty());
    endAnalysis(&analysis);
    analyseMapBytes(&analysis, "#helyiseg 1\nA [b]ox.\n#irany N 1 b\n", UINT64_MAX);
    EXPECT_EQ("add '#irany N 2 a' to room 1 and room 2 at the end of the map", addRoomAtLine(analysis, 1).title);
    endAnalysis(&analysis);
}

}  // namespace
