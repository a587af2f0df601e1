// The studio's engine: the map's analysis (the checker, its transcripts and
// random games included), the runner's game loop and kaland-publish's
// publishGame, compiled together for the studio page. The page hands in the
// map's bytes after each edit and asks questions about them; this file only
// turns the analysis's answers into JSON for the page. Strings in the JSON
// carry bytes (\u00XX for every byte outside printable ASCII), for the page
// to decode in the map's own encoding.
#include <emscripten/emscripten.h>

#include <algorithm>
#include <string>
#include <vector>

#include "analysis.h"
#include "expected_file.h"
#include "file_names.h"
#include "game_facts.h"
#include "game_release.h"
#include "line_tokens.h"
#include "map_facts.h"
#include "map_questions.h"
#include "played_answers.h"
#include "publish_game.h"
#include "studio_console.h"
#include "web_console.h"
#include "web_game.h"

namespace {

// A blessed script to play again: its name, its bytes and the bytes of its
// SCRIPT.expected.
struct Expectation {
    std::string name;
    std::string script;
    std::string expected;
};

struct Studio {
    std::string map;    // the map's bytes while the page fills them in, until the analysis has them
    std::string name;   // the map's name in messages, in the map's encoding
    std::string input;  // bytes the page hands in for the next call
    std::uint64_t machineMemory = UINT64_MAX;  // the author's computer's, as far as the browser tells
    MapAnalysis analysis;
    // The last map the runner loaded, while the map being typed does not
    // load: play goes on with it. Its table is loaded only while it plays,
    // since the runner's table is the process's one.
    MapAnalysis lastLoaded;
    std::vector<KeyScript> scripts;  // coverage scripts, besides the typed lines
    std::vector<Expectation> expectations;  // blessed scripts, for the next studio_expect
    std::vector<std::uint32_t> tokens;  // begin, end, kind; three per token
    std::string result;  // the last answer
    std::string publishWarnings;  // what kaland-publish would warn of
};
Studio studio;

// ---- JSON with byte strings ----

std::string quoted(const std::string& bytes) {
    static const char HEX[] = "0123456789abcdef";
    std::string text = "\"";
    for (char byte : bytes) {
        auto value = static_cast<unsigned char>(byte);
        if (value == '"' || value == '\\') {
            text += '\\';
            text += byte;
        } else if (value < 0x20 || value >= 0x7F) {
            text += "\\u00";
            text += HEX[value >> 4];
            text += HEX[value & 0xF];
        } else {
            text += byte;
        }
    }
    return text + "\"";
}

// A JSON list of `items`, each written by `write`.
template <typename Items, typename Write>
std::string listOf(const Items& items, Write write) {
    std::string list = "[";
    for (const auto& item : items) list += (list.size() > 1 ? "," : "") + write(item);
    return list + "]";
}

std::string number(std::uint64_t value) {
    return std::to_string(value);
}

std::string flag(bool value) {
    return value ? "true" : "false";
}

// Report lines as [{"text":LINE,"line":the map line it names, or 0}].
std::string reportJson(const std::vector<ReportLine>& lines) {
    return listOf(lines, [](const ReportLine& line) {
        return "{\"text\":" + quoted(line.text) + ",\"line\":" + number(line.mapLine) + "}";
    });
}

// A proposal as {"title":TEXT,"edits":[{"line":N,"remove":N,"insert":
// the new lines' bytes}]}.
std::string mendingJson(const Mending& mending) {
    return "{\"title\":" + quoted(mending.title) + ",\"edits\":" + listOf(mending.edits, [](const MapEdit& edit) {
               return "{\"line\":" + number(edit.line) + ",\"remove\":" + number(edit.remove) +
                      ",\"insert\":" + quoted(edit.insert) + "}";
           }) + "}";
}

// The lines of a key script, each without its newline: what the play pane
// types, byte for byte.
std::string scriptLinesJson(const std::string& script) {
    std::vector<std::string> lines;
    for (std::size_t start = 0; start < script.size();) {
        std::size_t end = std::min(script.find('\n', start), script.size());
        lines.push_back(script.substr(start, end - start));
        start = end + 1;
    }
    return listOf(lines, quoted);
}

const char* answer(std::string text) {
    studio.result = std::move(text);
    return studio.result.c_str();
}

bool refused() {
    return !runnerLoadsMap(studio.analysis);
}

std::string routeJson(const KeyRoute& route, const char* noun) {
    return "{\"room\":" + number(route.room) + ",\"line\":" + number(route.line) + ",\"lines\":" +
           number(route.lines) + ",\"text\":" + quoted(routeSummary(studio.name, noun, route).text) +
           ",\"keys\":" + scriptLinesJson(route.script) + "}";
}

std::string routeWarningsJson(const RouteSearch& routes, const char* noun) {
    return listOf(routes.unreached, [noun](const UnreachedTarget& target) {
        return quoted(diagnosticLine(studio.name, unreachedWarning(target, noun)).text);
    });
}

// Tells the page (or the worker that plays random games for it) how many
// games have been played, when it has asked to be told.
EM_JS(void, tellRandomProgress, (double played), {
    if (Module.onRandomProgress) Module.onRandomProgress(played);
});

// The report --expect prints for one blessed script; `same` says whether it
// played as expected.
std::string expectationJson(const Expectation& expectation, bool* same) {
    std::string output;
    int status = 0;
    std::string error;
    std::vector<ReportLine> report;
    if (!parseExpectedFile(expectation.expected, &output, &status, &error)) {
        report.push_back(badExpectedFileLine(studio.name, expectation.name, error));
    } else {
        Transcript transcript = playScript(&studio.analysis, expectation.script);
        report = transcriptDifference(&studio.analysis, transcript, output, status,
                                      TranscriptNames{expectation.name, expectedPath(expectation.name), studio.name});
    }
    *same = report.empty();
    return "{\"same\":" + flag(*same) + ",\"lines\":" + reportJson(report) + "}";
}

// What each line read of the last game did: the output's size when the read
// began, the room on show, whether an exit took it, and for a line that took
// an exit, where it led and the #irany line of that exit (of the map
// `played`).
std::string readsJson(const MapAnalysis& played) {
    const std::vector<WebRead>& reads = webReads();
    std::string list = "[";
    for (std::size_t read = 0; read < reads.size(); ++read) {
        const WebRead& did = reads[read];
        list += read > 0 ? "," : "";
        // "matched": false for a line no exit of the room took, which the
        // player page answers as such.
        list += "{\"at\":" + number(webReadOutputSize(read)) + ",\"room\":" + number(did.room) +
                ",\"effect\":" + number(did.effect) + ",\"matched\":" + flag(did.effect != ReadIgnored);
        if (did.effect == ReadTookExit) {
            MapExit exit = mapExit(played, did.room, did.slot);
            list += ",\"target\":" + number(exit.target) + ",\"exitLine\":" + number(exit.line);
        }
        list += "}";
    }
    return list + "]";
}

// A map's facts as {"title":TEXT,"language":TAG}, in the map's bytes.
std::string factsJson(const std::string& bytes) {
    MapFacts facts;
    MapLineReader reader;
    if (startMapLinesInMemory(&reader, bytes.data(), bytes.size())) readMapFacts(&reader, &facts);
    endMapLines(&reader);
    return "{\"title\":" + quoted(mapFactValue(facts, TitleFact)) + ",\"language\":" +
           quoted(mapFactValue(facts, LanguageFact)) + "}";
}

}  // namespace

extern "C" {

/// Room for `size` bytes of map, to be filled before studio_set_map.
EMSCRIPTEN_KEEPALIVE char* studio_map_buffer(std::size_t size) {
    studio.map.assign(size, '\0');
    return &studio.map[0];
}

/// Room for `size` bytes of whatever the next call reads.
EMSCRIPTEN_KEEPALIVE char* studio_input_buffer(std::size_t size) {
    studio.input.assign(size, '\0');
    return &studio.input[0];
}

/// The last answer's bytes: JSON, or the page Publish makes.
EMSCRIPTEN_KEEPALIVE const char* studio_result() {
    return studio.result.data();
}

EMSCRIPTEN_KEEPALIVE std::size_t studio_result_size() {
    return studio.result.size();
}

/// What the engine tells the page once, as JSON: the game states, what a
/// line read did, the largest map the page opens, the names of the kinds of
/// a line's tokens, and kaland-check's defaults for random games.
EMSCRIPTEN_KEEPALIVE const char* studio_constants() {
    std::vector<std::string> kinds;
    for (int kind = 0; kind < TOKEN_KIND_COUNT; ++kind) kinds.push_back(tokenKindName(static_cast<TokenKind>(kind)));
    std::string constants = pageConstantsJson();
    constants.pop_back();
    return answer(constants + ",\"tokenKinds\":" + listOf(kinds, quoted) + ",\"randomDefaults\":{\"seed\":" +
                  number(DEFAULT_RANDOM_SEED) + ",\"steps\":" + number(DEFAULT_RANDOM_STEPS) + "}}");
}

/// The author's computer's memory in GiB, as the browser tells it (0: it
/// does not); the checker compares large tables with it.
EMSCRIPTEN_KEEPALIVE void studio_set_machine_memory(double gibibytes) {
    studio.machineMemory = gibibytes > 0 ? static_cast<std::uint64_t>(gibibytes * 1073741824.0) : UINT64_MAX;
}

/// The map's name in messages: the input buffer's bytes.
EMSCRIPTEN_KEEPALIVE void studio_set_name() {
    studio.name = studio.input;
}

/// Analyses the map buffer; the runner's table follows when play or counts
/// need it. Returns {"encoding":"utf-8"|"windows-1250","lineSeparator":
/// "\n"|"\r\n"}: how the map's text is shown and how its lines are
/// separated, for the editor.
EMSCRIPTEN_KEEPALIVE const char* studio_set_map() {
    useWebConsole();
    if (studio.analysis.hasBytes && runnerLoadsMap(studio.analysis)) {
        // Kept for play while the new text does not load.
        endAnalysis(&studio.analysis);
        endAnalysis(&studio.lastLoaded);
        studio.lastLoaded = std::move(studio.analysis);
        studio.analysis = MapAnalysis{};
    }
    analyseMapBytes(&studio.analysis, std::move(studio.map), studio.machineMemory);
    studio.map.clear();
    if (runnerLoadsMap(studio.analysis)) {
        endAnalysis(&studio.lastLoaded);
        studio.lastLoaded = MapAnalysis{};
    }
    return answer("{\"encoding\":" + quoted(mapEncodingLabel(mapEncoding(studio.analysis))) +
                  ",\"lineSeparator\":" + quoted(mapLineSeparator(studio.analysis)) + "}");
}

/// The diagnostics as kaland-check writes them for the map:
/// {"diagnostics":[{"line":N,"severity":"error|warning|note","text":LINE,
/// "fixes":[{"title":TEXT,"edits":[{"line":N,"remove":N,"insert":BYTES}]}]}],
/// "summary":LINE}. A fix's edits are whole lines: `remove` lines from
/// `line` on give way to the lines of `insert` (each ending in "\n"), and
/// a `line` past the last appends; they are applied from the last to the
/// first. A diagnostic without a proposal has no fixes.
EMSCRIPTEN_KEEPALIVE const char* studio_check() {
    std::string list = listOf(mapDiagnostics(studio.analysis), [](const Diagnostic& diagnostic) {
        std::string fixes = diagnostic.mending.edits.empty() ? "[]" : "[" + mendingJson(diagnostic.mending) + "]";
        return "{\"line\":" + number(diagnostic.line) + ",\"severity\":" + quoted(severityWord(diagnostic.severity)) +
               ",\"text\":" + quoted(diagnosticLine(studio.name, diagnostic).text) + ",\"fixes\":" + fixes + "}";
    });
    ReportLine summary = diagnosticSummary(studio.name, countDiagnostics(studio.analysis, Error),
                                           countDiagnostics(studio.analysis, Warning));
    return answer("{\"diagnostics\":" + list + ",\"summary\":" + quoted(summary.text) + "}");
}

/// Colours for one line of the editor (the input buffer, without its line
/// end, in UTF-8 when `utf8`, else windows-1250), as the loader reads it:
/// returns how many tokens studio_tokens holds, three numbers each: the
/// column where it begins and where it ends (in UTF-16 code units, as the
/// editor counts) and the index of its kind in "tokenKinds".
EMSCRIPTEN_KEEPALIVE std::size_t studio_line_tokens(int utf8) {
    const std::string& line = studio.input;
    std::vector<std::uint32_t> columns = utf16Columns(line.data(), line.size(), utf8 ? MapInUtf8 : MapInWindows1250);
    studio.tokens.clear();
    for (const LineToken& token : lineTokens(line.data(), line.size())) {
        studio.tokens.insert(studio.tokens.end(), {columns[token.begin], columns[token.end],
                                                   static_cast<std::uint32_t>(token.kind)});
    }
    return studio.tokens.size() / 3;
}

EMSCRIPTEN_KEEPALIVE const std::uint32_t* studio_tokens() {
    return studio.tokens.data();
}

/// kaland-check --dot, with what the page needs to follow the drawing back
/// to the map: {"dot":TEXT,"edges":[exit line per edge, in order],
/// "nodes":{"r12":{"room":12,"line":N}}}. A graph of more than `maxItems`
/// rooms and edges together is only counted: {"tooLarge":true,"rooms":N,
/// "edges":N}.
EMSCRIPTEN_KEEPALIVE const char* studio_dot(std::size_t maxItems) {
    // A graph too large to draw is measured, not drawn.
    PictureSize size = mapPictureSize(studio.analysis);
    if (size.rooms + size.edges > maxItems) {
        return answer("{\"tooLarge\":true,\"rooms\":" + number(size.rooms) + ",\"edges\":" + number(size.edges) + "}");
    }
    MapPicture picture = drawMapPicture(studio.analysis, studio.name);
    std::string nodes = "{";
    for (const PictureNode& node : picture.nodes) {
        nodes += (nodes.size() > 1 ? "," : "") + quoted(node.name) + ":{\"room\":" + number(node.room) +
                 ",\"line\":" + number(node.line) + "}";
    }
    return answer("{\"dot\":" + quoted(picture.dot) + ",\"edges\":" + listOf(picture.edgeLines, number) +
                  ",\"nodes\":" + nodes + "}}");
}

/// kaland-check --routes: {"routes":[{"room","line","lines","text","keys":
/// [the lines to type]}],"warnings":[LINE]}, or {"refused":true} for a map
/// the runner refuses.
EMSCRIPTEN_KEEPALIVE const char* studio_routes() {
    if (refused()) return answer("{\"refused\":true}");
    RouteSearch routes = findMapRoutes(studio.analysis, mapEndings(studio.analysis));
    std::string list = listOf(routes.routes, [](const KeyRoute& route) { return routeJson(route, "ending"); });
    return answer("{\"routes\":" + list + ",\"warnings\":" + routeWarningsJson(routes, "ending") + "}");
}

/// kaland-check --route-to ROOM: {"route":{...} or null,"warnings":[LINE]}.
EMSCRIPTEN_KEEPALIVE const char* studio_route_to(std::uint32_t room) {
    if (refused()) return answer("{\"refused\":true}");
    RouteSearch routes = findMapRoutes(studio.analysis, {room});
    std::string route = routes.routes.empty() ? "null" : routeJson(routes.routes[0], "room");
    return answer("{\"route\":" + route + ",\"warnings\":" + routeWarningsJson(routes, "room") + "}");
}

/// Adds a key script for coverage: the input buffer holds its name (the
/// first `nameSize` bytes) and then its bytes.
EMSCRIPTEN_KEEPALIVE void studio_add_script(std::size_t nameSize) {
    nameSize = std::min(nameSize, studio.input.size());
    studio.scripts.push_back(KeyScript{studio.input.substr(0, nameSize), studio.input.substr(nameSize)});
}

/// kaland-check --cover MAP with the scripts added since the last call:
/// {"errors":[LINE],"notes":[{"text":LINE,"line":the map line it is about,
/// or 0}],"omittedNotes":N,"unshownRooms":[N],"untakenExits":[LINE
/// NUMBER],"uncovered":true|false}, or {"refused":true}. A map of tens of
/// thousands of rooms has hundreds of thousands of notes: with `maxNotes`
/// (0: all), only the first `maxNotes` and the summary are written, and
/// how many are left out; the rooms never shown and exits never taken are
/// listed only when there are at most `maxMarks` of each (a picture of
/// more is not drawn).
EMSCRIPTEN_KEEPALIVE const char* studio_cover(std::size_t maxNotes, std::size_t maxMarks) {
    std::vector<KeyScript> scripts;
    scripts.swap(studio.scripts);
    if (refused()) return answer("{\"refused\":true}");
    CoverageReport report = coverScripts(&studio.analysis, studio.name, scripts);
    std::vector<std::uint32_t> unshownRooms;
    std::vector<std::uint64_t> untakenExits;
    for (const CoverageNote& note : report.notes) {
        if (note.room == NO_ROOM) {
            untakenExits.push_back(note.line);
        } else {
            unshownRooms.push_back(note.room);
        }
    }
    if (unshownRooms.size() > maxMarks) unshownRooms.clear();
    if (untakenExits.size() > maxMarks) untakenExits.clear();
    std::string errors = listOf(coverageErrors(studio.name, report), [](const ReportLine& line) {
        return quoted(line.text);
    });
    // The idle script lines come first, then the map's notes: what is left
    // out is cut from their end, before the summary.
    std::size_t omitted = 0;
    std::size_t lines = report.idleLines.size() + report.notes.size();
    if (maxNotes > 0 && lines > maxNotes) {
        omitted = lines - maxNotes;
        std::size_t idle = std::min(report.idleLines.size(), maxNotes);
        report.idleLines.resize(idle);
        report.notes.resize(maxNotes - idle);
    }
    return answer("{\"errors\":" + errors +
                  ",\"notes\":" + reportJson(coverageNotes(studio.name, report)) +
                  ",\"omittedNotes\":" + number(omitted) +
                  ",\"unshownRooms\":" + listOf(unshownRooms, number) +
                  ",\"untakenExits\":" + listOf(untakenExits, number) +
                  ",\"uncovered\":" + flag(leavesAnythingUncovered(report)) + "}");
}

/// Plays the map from the start with the first `size` bytes of the input
/// buffer as everything typed, as the player page does (with
/// `inputClosed`, the input ends there as a piped file does). The output is
/// at studio_output. Returns {"state":N,"outOfMemory":B,"reads":[{"at":
/// output size when the read began,"room":room on show,"effect":what the
/// line did (a ReadEffect),"matched":false when no exit took the line,
/// "target":N,"exitLine":N}]}: target and exitLine only for a line that
/// took an exit. While the map does not load, the last map that loaded is
/// played, and the answer adds "lastLoaded":{"errorLine":the line of the
/// map's first error}.
EMSCRIPTEN_KEEPALIVE const char* studio_play(std::size_t size, int inputClosed) {
    bool onLastLoaded = refused() && studio.lastLoaded.hasBytes;
    MapAnalysis* played = onLastLoaded ? &studio.lastLoaded : &studio.analysis;
    const MapDefect& refusal = loadRunnerTable(played);
    useWebConsole();
    WebGame game = playWebGame(refusal, studio.input.data(), std::min(size, studio.input.size()), inputClosed != 0);
    std::string result = "{\"state\":" + number(game.state) + ",\"outOfMemory\":" +
                         flag(webGameOutOfMemory(game.defect)) + ",\"reads\":" + readsJson(*played);
    if (onLastLoaded) {
        // The table goes back before anything asks the map being typed.
        endAnalysis(&studio.lastLoaded);
        std::uint64_t errorLine = 0;
        for (const Diagnostic& diagnostic : mapDiagnostics(studio.analysis)) {
            if (diagnostic.severity == Error) {
                errorLine = diagnostic.line;
                break;
            }
        }
        result += ",\"lastLoaded\":{\"errorLine\":" + number(errorLine) + "}";
    }
    return answer(result + "}");
}

EMSCRIPTEN_KEEPALIVE const char* studio_output() {
    return webOutput();
}

EMSCRIPTEN_KEEPALIVE std::size_t studio_output_size() {
    return webOutputSize();
}

/// The room whose text a map line belongs to (roomAtLine); -1 above the
/// first #helyiseg line.
EMSCRIPTEN_KEEPALIVE double studio_room_at_line(double line) {
    std::uint32_t room = 0;
    return line >= 1 && roomAtLine(studio.analysis, static_cast<std::uint64_t>(line), &room) ? room : -1;
}

/// 1 when `room` is in the map and has text.
EMSCRIPTEN_KEEPALIVE int studio_room_described(std::uint32_t room) {
    return isRoomDescribed(studio.analysis, room) ? 1 : 0;
}

/// The map in figures: {"rooms":described rooms,"endings":N,"words":words
/// of room text or null,"longestRoute":lines or null,"longestRouteTo":N}.
EMSCRIPTEN_KEEPALIVE const char* studio_counts() {
    MapFigures figures = mapFigures(&studio.analysis);
    return answer("{\"rooms\":" + number(figures.describedRooms) + ",\"endings\":" + number(figures.endings) +
                  ",\"words\":" + (figures.wordsCounted ? number(figures.words) : "null") +
                  ",\"longestRoute\":" + (figures.hasRoute ? number(figures.longestRoute) : "null") +
                  ",\"longestRouteTo\":" + (figures.hasRoute ? number(figures.longestRouteTo) : "null") + "}");
}

/// The game's facts as the map gives them, in its bytes: {"title":TEXT,
/// "language":TAG}, "" for a fact it does not give.
EMSCRIPTEN_KEEPALIVE const char* studio_facts() {
    return answer(factsJson(mapBytes(studio.analysis)));
}

/// The same of the map whose bytes are in the input buffer: a new map,
/// named after its title before it is opened.
EMSCRIPTEN_KEEPALIVE const char* studio_facts_of_input() {
    return answer(factsJson(studio.input));
}

/// Which of the studio's two languages its words show in for a map or a
/// reader whose language is the tag in the input buffer: "hu", "en", or ""
/// for any other language (as the player page chooses).
EMSCRIPTEN_KEEPALIVE const char* studio_words_language() {
    return answer(quoted(pageWordsLanguage(studio.input.c_str())));
}

/// A fresh IFID made of the 16 random bytes in the input buffer, as
/// kaland-publish makes one: "XXXXXXXX-XXXX-4XXX-...", in capitals.
EMSCRIPTEN_KEEPALIVE const char* studio_fresh_ifid() {
    unsigned char random[16] = {};
    std::copy_n(studio.input.begin(), std::min<std::size_t>(16, studio.input.size()), random);
    return answer(makeIfid(random));
}

/// "Add room" at the cursor's map line `line`: {"title":TEXT,"edits":[...]}
/// in the edits of studio_check's fixes, or null where no room can be added
/// (above the first room, or a room that cannot have another exit).
EMSCRIPTEN_KEEPALIVE const char* studio_add_room(double line) {
    Mending room = line >= 1 ? addRoomAtLine(studio.analysis, static_cast<std::uint64_t>(line)) : Mending{};
    return answer(room.edits.empty() ? "null" : mendingJson(room));
}

/// What kaland-publish says before it publishes, with the 16 random bytes
/// in the input buffer for a fresh IFID: {"refused":B,"errors":[LINE],
/// "warnings":[{"text":LINE,"line":N}],"freshIfid":ID,"ifidFix":{"title",
/// "edits"}}, the last two only for a map without a usable #ifid (ifidFix
/// puts its line where the facts go).
EMSCRIPTEN_KEEPALIVE const char* studio_publish_check() {
    PublishCheck check = checkForPublishing(studio.analysis, studio.name);
    unsigned char random[16] = {};
    std::copy_n(studio.input.begin(), std::min<std::size_t>(16, studio.input.size()), random);
    Mending ifid = freshIfidMending(studio.analysis, random);
    std::string answerText = "{\"refused\":" + flag(check.refused) + ",\"errors\":" + reportJson(check.errors) +
                             ",\"warnings\":" + reportJson(check.warnings) +
                             ",\"warningCount\":" + number(check.warningCount);
    if (!ifid.edits.empty()) {
        answerText += ",\"freshIfid\":" + quoted(makeIfid(random)) + ",\"ifidFix\":" + mendingJson(ifid);
    }
    return answer(answerText + "}");
}

/// The name of a file made from the map's: the map's name without its
/// extension, then the input buffer's bytes (".html", ".keys").
EMSCRIPTEN_KEEPALIVE const char* studio_file_named_after() {
    return answer(fileNamedAfter(studio.name, studio.input));
}

/// What kaland-publish writes for the map: its page or, with `asZip`, the
/// zip for game sites, dated `year`-`month`-`day` `hour`:`minute`:`second`
/// (the map's last change, local time). The input buffer holds the page
/// template and then 16 random bytes, the fresh IFID of a map without one.
/// Returns 0 with the page or the zip as the answer; 1 when the runner
/// refuses the map, with kaland-publish's error lines as the answer; 2 when
/// the template is no kaland page or the zip cannot be made, with the
/// reason. With `strict`, a map the checker warns about is refused as
/// kaland-publish --strict refuses it (1, with its warnings and the line
/// that says so). studio_publish_warnings has kaland-publish's warnings.
EMSCRIPTEN_KEEPALIVE int studio_publish(int asZip, int year, int month, int day, int hour, int minute,
                                        int second, int strict) {
    studio.publishWarnings.clear();
    std::vector<ReportLine> refusal;
    PublishCheck check = checkForPublishing(studio.analysis, studio.name);
    std::vector<ReportLine> strictLines = strictRefusal(check, studio.name, strict != 0);
    if (mapBytes(studio.analysis).size() > MAX_PAGE_MAP_BYTES) {
        refusal.push_back(mapTooLargeError(studio.name));
    } else if (check.refused) {
        refusal = check.errors;
    } else if (!strictLines.empty()) {
        refusal = check.warnings;
        refusal.insert(refusal.end(), strictLines.begin(), strictLines.end());
    }
    if (!refusal.empty() || studio.input.size() < 16) {
        answer(printedLines(refusal));
        return 1;
    }
    PublishRequest request;
    request.name = studio.name;
    request.fileName = studio.name;
    request.pageTemplate = studio.input.substr(0, studio.input.size() - 16);
    request.zip = asZip != 0;
    request.time = ZipTime{year, month, day, hour, minute, second};
    std::copy(studio.input.end() - 16, studio.input.end(), request.random);
    PublishedGame game = publishGame(&studio.analysis, request);
    // kaland-publish shows the checker's warnings, fact lines not taken among them.
    studio.publishWarnings = printedLines(check.warnings) + printedLines(game.warnings);
    if (game.failure == TemplateLacksPlace) {
        answer("the page template lacks " + game.reason);
        return 2;
    }
    if (game.failure == ZipFailed) {
        answer(game.reason);
        return 2;
    }
    answer(asZip ? std::move(game.zip) : std::move(game.page));
    return 0;
}

/// The warnings of the last studio_publish, as kaland-publish writes them.
EMSCRIPTEN_KEEPALIVE const char* studio_publish_warnings() {
    return studio.publishWarnings.c_str();
}

/// kaland-check --bless for one script: the input buffer holds its name
/// (the first `nameSize` bytes), then its bytes. Returns {"expected":the
/// bytes of SCRIPT.expected,"line":what kaland-check prints for it}.
EMSCRIPTEN_KEEPALIVE const char* studio_bless(std::size_t nameSize) {
    nameSize = std::min(nameSize, studio.input.size());
    std::string name = studio.input.substr(0, nameSize);
    Transcript transcript = playScript(&studio.analysis, studio.input.substr(nameSize));
    const std::string& output = transcript.output.bytes;
    return answer("{\"expected\":" + quoted(formatExpectedFile(output, transcript.status)) +
                  ",\"line\":" + quoted(blessedLine(studio.name, name, output, transcript.status).text) + "}");
}

/// Adds a blessed script for the next studio_expect: the input buffer holds
/// its name (`nameSize` bytes), its bytes (`scriptSize`), then the bytes of
/// its SCRIPT.expected.
EMSCRIPTEN_KEEPALIVE void studio_add_expectation(std::size_t nameSize, std::size_t scriptSize) {
    nameSize = std::min(nameSize, studio.input.size());
    scriptSize = std::min(scriptSize, studio.input.size() - nameSize);
    const std::string& input = studio.input;
    studio.expectations.push_back(
        Expectation{input.substr(0, nameSize), input.substr(nameSize, scriptSize), input.substr(nameSize + scriptSize)});
}

/// kaland-check --expect MAP with the scripts added since the last call:
/// {"scripts":[{"same":B,"lines":[{"text":LINE,"line":map line or 0}]}],
/// "summary":LINE}, a script's lines being what kaland-check prints for it.
EMSCRIPTEN_KEEPALIVE const char* studio_expect() {
    std::vector<Expectation> expectations;
    expectations.swap(studio.expectations);
    std::size_t same = 0;
    std::string list = listOf(expectations, [&same](const Expectation& expectation) {
        bool played = false;
        std::string json = expectationJson(expectation, &played);
        same += played;
        return json;
    });
    ReportLine summary = expectSummary(studio.name, same, expectations.size());
    return answer("{\"scripts\":" + list + ",\"summary\":" + quoted(summary.text) + "}");
}

/// kaland-check --random N --seed S --steps K MAP: the input buffer holds
/// N, S and K as typed, each ended by a NUL, read as kaland-check reads its
/// options. Returns {"usage":kaland-check's error,"field":"games"|"seed"|
/// "steps"} for a value it refuses, {"refused":true} for a map the runner
/// refuses, or {"lines":[{"text":LINE,"line":map line or 0}],"error":the
/// error line of the first game a defect stopped or "","game":its number
/// or 0,"keys":its lines,"keysLines":[each line],"keysName":the file
/// kaland-check writes them to}.
EMSCRIPTEN_KEEPALIVE const char* studio_random() {
    static const char* const FIELDS[] = {"games", "seed", "steps"};
    static const RandomOption OPTIONS[] = {RandomGamesOption, RandomSeedOption, RandomStepsOption};
    RandomOptions options;
    std::size_t start = 0;
    for (int field = 0; field < 3; ++field) {
        std::size_t end = std::min(studio.input.find('\0', start), studio.input.size());
        std::string value = start < end ? studio.input.substr(start, end - start) : "";
        start = end + 1;
        std::string error;
        if (!readRandomOption(OPTIONS[field], value.c_str(), &options, &error)) {
            return answer("{\"usage\":" + quoted(error) + ",\"field\":" + quoted(FIELDS[field]) + "}");
        }
    }
    if (refused()) return answer("{\"refused\":true}");
    options.progress = [](std::uint64_t played) { tellRandomProgress(static_cast<double>(played)); };
    RandomReport report = playRandom(studio.analysis, options);
    std::string keysPath = randomKeysPath(studio.name, options.seed);
    std::vector<ReportLine> stop = randomStop(studio.analysis, studio.name, report, keysPath);
    return answer("{\"lines\":" + reportJson(randomReport(studio.analysis, studio.name, report, options, keysPath)) +
                  ",\"error\":" + quoted(stop.empty() ? "" : stop[0].text) + ",\"game\":" +
                  number(report.firstStopped) + ",\"keys\":" + quoted(report.stoppedKeys) +
                  ",\"keysLines\":" + scriptLinesJson(report.stoppedKeys) + ",\"keysName\":" + quoted(keysPath) + "}");
}

}  // extern "C"
