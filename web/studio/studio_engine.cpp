// The studio's engine: the checker (its transcripts and random games
// included), the runner's game loop and the page writer of kaland-publish,
// compiled together for the studio page. The page hands in the map's bytes
// after each edit and asks questions about them; all answers come from the
// same code the console tools run. Answers are JSON whose strings carry
// bytes (\u00XX for every byte outside printable ASCII), for the page to
// decode in the map's own encoding.
#include <emscripten/emscripten.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "check_options.h"
#include "diagnostic_text.h"
#include "expected_file.h"
#include "game_loop.h"
#include "game_release.h"
#include "map_analysis.h"
#include "map_coverage.h"
#include "map_directives.h"
#include "map_model.h"
#include "map_picture.h"
#include "map_reading.h"
#include "random_games.h"
#include "room_table.h"
#include "route_search.h"
#include "script_transcript.h"
#include "studio_console.h"
#include "text_encoding.h"
#include "transcript_diff.h"
#include "web_console.h"
#include "web_game.h"

namespace {

// What a stretch of a map line is, for the editor's colours.
enum TokenKind { Keyword, RoomNumber, KindLetter, Key, Text, Comment, Ignored, Invalid };

// The first exit a typed line made the game take, and from where.
struct Move {
    bool taken = false;
    std::uint32_t room = 0;
    std::uint32_t slot = 0;
    std::uint32_t target = 0;
};

// A blessed script to play again: its name, its bytes and the bytes of its
// SCRIPT.expected.
struct Expectation {
    std::string name;
    std::string script;
    std::string expected;
};

struct Studio {
    std::string map;    // the map's bytes as last set
    std::string name;   // the map's name in messages, in the map's encoding
    std::string input;  // bytes the page hands in for the next call
    std::uint64_t machineMemory = UINT64_MAX;  // the author's computer's, as far as the browser tells
    MapCheck check;     // the checker's reading of the map
    TranscriptMap table;  // whether the room table holds the map, or why the runner refuses it
    std::vector<Move> moves;  // one per line read in the last game
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

std::string quotedList(const std::vector<std::string>& items) {
    std::string list = "[";
    for (const std::string& item : items) list += (list.size() > 1 ? "," : "") + quoted(item);
    return list + "]";
}

template <typename Number>
std::string numberList(const std::vector<Number>& numbers) {
    std::string list = "[";
    for (Number number : numbers) list += (list.size() > 1 ? "," : "") + std::to_string(number);
    return list + "]";
}

const char* answer(std::string text) {
    studio.result = std::move(text);
    return studio.result.c_str();
}

// ---- the map ----

void checkMap() {
    studio.check = MapCheck{};
    MapLineReader reader;
    if (startMapLinesInMemory(&reader, studio.map.data(), studio.map.size())) {
        readMapForCheck(&reader, studio.machineMemory, &studio.check);
        analyseMap(&studio.check);
    } else {
        studio.check.report(0, Error, "not enough memory to read it");
    }
    endMapLines(&reader);
}

// The checker's lines come with their newline; the page lists them without.
std::string withoutNewline(std::string line) {
    if (!line.empty() && line.back() == '\n') line.pop_back();
    return line;
}

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

// The runner's table for play, counts and transcripts, loaded as kaland
// loads the map when first needed and kept for the next call (coverage
// loads the map itself and releases the table).
bool loadTable() {
    if (studio.table.loaded) return true;
    freeRooms();
    studio.table = loadTranscriptMap(studio.map.data(), studio.map.size());
    return studio.table.loaded;
}

std::vector<std::string> diagnosticLines(const std::vector<Diagnostic>& diagnostics) {
    std::vector<std::string> lines;
    for (const Diagnostic& diagnostic : diagnostics) {
        lines.push_back(withoutNewline(diagnosticLine(studio.name, diagnostic)));
    }
    return lines;
}

// Finds routes as kaland-check --routes does, keeping the warnings about
// targets no route reaches apart from the map's own diagnostics.
std::vector<KeyRoute> findRoutesApart(const std::vector<std::uint32_t>& targets, const char* noun,
                                      std::vector<Diagnostic>* warnings) {
    std::vector<Diagnostic> own;
    own.swap(studio.check.diagnostics);
    std::vector<KeyRoute> routes = findRoutes(&studio.check, targets, noun);
    warnings->swap(studio.check.diagnostics);
    studio.check.diagnostics.swap(own);
    return routes;
}

std::string routeJson(const KeyRoute& route, const char* noun) {
    return "{\"room\":" + std::to_string(route.room) + ",\"line\":" + std::to_string(route.line) +
           ",\"lines\":" + std::to_string(route.lines) + ",\"text\":" + quoted(withoutNewline(routeSummary(studio.name.c_str(), noun, route))) +
           ",\"script\":" + quoted(route.script) + "}";
}

// ---- transcripts and random games ----

// Tells the page (or the worker that plays random games for it) how many
// games have been played, when it has asked to be told.
EM_JS(void, tellRandomProgress, (double played), {
    if (Module.onRandomProgress) Module.onRandomProgress(played);
});

// The table transcripts play on: the one play uses.
const TranscriptMap& transcriptMap() {
    loadTable();
    return studio.table;
}

// The map line a line of a report starts with ("NAME:LINE: ..."), or 0.
std::uint64_t mapLineOf(const std::string& line) {
    const std::string& name = studio.name;
    std::size_t at = name.size() + 1;
    if (line.size() <= at || line.compare(0, name.size(), name) != 0 || line[name.size()] != ':') return 0;
    std::uint64_t number = 0;
    for (; at < line.size() && line[at] >= '0' && line[at] <= '9' && number < UINT32_MAX; ++at) {
        number = number * 10 + static_cast<std::uint64_t>(line[at] - '0');
    }
    return at < line.size() && line[at] == ':' ? number : 0;
}

// A report as [{"text":LINE,"line":map line or 0}]; only the lines for
// which `mayNameMap(index)` holds are taken to name a map line.
template <typename Predicate>
std::string reportJson(const std::string& report, Predicate mayNameMap) {
    std::vector<std::string> lines = splitLines(report);
    std::string list = "[";
    for (std::size_t index = 0; index < lines.size(); ++index) {
        std::uint64_t line = mayNameMap(index) ? mapLineOf(lines[index]) : 0;
        list += (index > 0 ? "," : "") + std::string("{\"text\":") + quoted(lines[index]) +
                ",\"line\":" + std::to_string(line) + "}";
    }
    return list + "]";
}

// The report --expect prints for one blessed script, as JSON; `same` says
// whether it played as expected.
std::string expectationJson(const TranscriptMap& map, const Expectation& expectation, bool* same) {
    std::string output;
    int status = 0;
    std::string error;
    std::string report;
    if (!parseExpectedFile(expectation.expected, &output, &status, &error)) {
        report = badExpectedFileLine(studio.name, expectation.name, error);
    } else {
        Transcript transcript = playTranscript(map, expectation.script);
        report = describeDifference(transcript, output, status, studio.check, studio.map,
                                    TranscriptNames{expectation.name, expectedPath(expectation.name), studio.name});
    }
    *same = report.empty();
    // The first line names the script; the map line, when there is one, follows.
    return "{\"same\":" + std::string(*same ? "true" : "false") +
           ",\"lines\":" + reportJson(report, [](std::size_t index) { return index == 1; }) + "}";
}

// ---- tokens of one line ----

void addToken(std::size_t offset, std::size_t begin, std::size_t end, TokenKind kind) {
    if (end <= begin) return;
    studio.tokens.push_back(static_cast<std::uint32_t>(offset + begin));
    studio.tokens.push_back(static_cast<std::uint32_t>(offset + end));
    studio.tokens.push_back(kind);
}

// Text the loader reads past and ignores, from `from` to the line's end.
void addIgnored(const MapLine& line, std::size_t offset, std::size_t from) {
    std::size_t begin = 0;
    std::size_t length = 0;
    if (from < line.length && findFirstWord(line.bytes + from, line.length - from, &begin, &length)) {
        addToken(offset, from + begin, line.length, Ignored);
    }
}

void addExitTokens(const MapLine& line, std::size_t offset, std::size_t keywordEnd) {
    ExitLine exit = readExitLine(line);
    ExitFields fields{};
    FieldSpan spans[3] = {};
    std::size_t fieldsEnd = 0;
    int count = scanExitFields(line.bytes, line.textLength, &fields, &fieldsEnd, spans);
    const TokenKind kinds[3] = {KindLetter, RoomNumber, Key};
    for (int field = 0; field < count; ++field) {
        addToken(offset, spans[field].begin, spans[field].end, exit.fault == ExitLineValid ? kinds[field] : Invalid);
    }
    if (exit.fault == ExitLineValid) {
        addIgnored(line, offset, count > 0 ? fieldsEnd : keywordEnd);
    } else {
        addToken(offset, count > 0 ? fieldsEnd : keywordEnd, line.textLength, Invalid);
    }
}

void addLineTokens(const MapLine& line, std::size_t offset) {
    std::size_t wordBegin = 0;
    std::size_t wordLength = 0;
    MapLineKind kind = classifyMapLine(line);
    if (kind != BlankLine) findFirstWord(line.bytes, line.textLength, &wordBegin, &wordLength);
    std::size_t wordEnd = wordBegin + wordLength;
    switch (kind) {
    case BlankLine:
        break;
    case DescriptionLine:
        addToken(offset, wordBegin, line.textLength, Text);
        break;
    case OtherDirective:
        addToken(offset, wordBegin, line.textLength, Comment);
        break;
    case RoomDirective: {
        addToken(offset, wordBegin, wordEnd, Keyword);
        std::uint32_t room = 0;
        FieldSpan number{wordEnd, wordEnd};
        scanRoomNumber(line.bytes, line.textLength, &room, &number);
        addToken(offset, number.begin, number.end, RoomNumber);
        addIgnored(line, offset, number.end);
        break;
    }
    case ExitDirective:
        addToken(offset, wordBegin, wordEnd, Keyword);
        addExitTokens(line, offset, wordEnd);
        break;
    case GameOverDirective:
        addToken(offset, wordBegin, wordEnd, Keyword);
        addIgnored(line, offset, wordEnd);
        break;
    }
    // A NUL ends the line's text: what follows it is never read.
    if (line.textLength < line.length) addToken(offset, line.textLength, line.length, Ignored);
}

// ---- play ----

void noteRoomShown(void*, std::uint32_t room) {
    setRoomOnShow(room);
}

// The first exit taken after a line was read is the one that line chose.
void noteExitTaken(void*, std::uint32_t room, std::uint32_t slot) {
    std::size_t reads = roomsOfReads().size();
    if (reads == 0) return;
    studio.moves.resize(reads);
    Move& move = studio.moves[reads - 1];
    if (move.taken) return;
    move = Move{true, room, slot, rooms[room].exits[slot].target};
}

std::string movesJson() {
    const std::vector<std::uint32_t>& readRooms = roomsOfReads();
    studio.moves.resize(readRooms.size());
    std::string list = "[";
    for (std::size_t read = 0; read < readRooms.size(); ++read) {
        const Move& move = studio.moves[read];
        std::uint64_t line = move.taken ? roomAt(studio.check, move.room).exitLines[move.slot] : 0;
        list += read > 0 ? "," : "";
        list += "{\"at\":" + std::to_string(webReadOutputSize(read)) + ",\"room\":" + std::to_string(readRooms[read]);
        if (move.taken) {
            list += ",\"target\":" + std::to_string(move.target) + ",\"exitLine\":" + std::to_string(line);
        }
        list += "}";
    }
    return list + "]";
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

/// The author's computer's memory in GiB, as the browser tells it (0: it
/// does not); the checker compares large tables with it.
EMSCRIPTEN_KEEPALIVE void studio_set_machine_memory(double gibibytes) {
    studio.machineMemory = gibibytes > 0 ? static_cast<std::uint64_t>(gibibytes * 1073741824.0) : UINT64_MAX;
}

/// The map's name in messages: the input buffer's bytes.
EMSCRIPTEN_KEEPALIVE void studio_set_name() {
    studio.name = studio.input;
}

/// Reads the map buffer as the checker does; the runner's table follows
/// when play or counts need it. Returns 1 when the map's text is shown as
/// UTF-8 (all of it is valid UTF-8), 0 for windows-1250: the checker's
/// decision, made as it read the lines.
EMSCRIPTEN_KEEPALIVE int studio_set_map() {
    studio.table.loaded = false;
    freeRooms();
    checkMap();
    return studio.check.encoding == MapInUtf8 ? 1 : 0;
}

/// The diagnostics as kaland-check writes them for the map:
/// {"diagnostics":[{"line":N,"error":true|false,"severity":"error|warning|note",
/// "text":LINE}],"summary":LINE}.
EMSCRIPTEN_KEEPALIVE const char* studio_check() {
    std::string list = "[";
    for (const Diagnostic& diagnostic : studio.check.diagnostics) {
        const char* severity = diagnostic.severity == Error ? "error" : diagnostic.severity == Warning ? "warning" : "note";
        list += list.size() > 1 ? "," : "";
        list += "{\"line\":" + std::to_string(diagnostic.line) +
                ",\"error\":" + (diagnostic.severity == Error ? "true" : "false") +
                ",\"severity\":\"" + severity + "\"" +
                ",\"text\":" + quoted(withoutNewline(diagnosticLine(studio.name, diagnostic))) + "}";
    }
    std::string summary = diagnosticSummary(studio.name, studio.check.count(Error), studio.check.count(Warning));
    return answer("{\"diagnostics\":" + list + "],\"summary\":" + quoted(withoutNewline(summary)) + "}");
}

/// Colours for one line of the editor (the input buffer, without its line
/// end), as the loader reads it: returns how many tokens studio_tokens holds,
/// three numbers each: the byte where it begins, where it ends, its kind.
EMSCRIPTEN_KEEPALIVE std::size_t studio_line_tokens() {
    studio.tokens.clear();
    MapLineReader reader;
    if (!startMapLinesInMemory(&reader, studio.input.data(), studio.input.size())) return 0;
    MapLine line;
    std::size_t offset = 0;
    while (readMapLine(&reader, &line)) {
        addLineTokens(line, offset);
        offset += line.length;
    }
    endMapLines(&reader);
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
    std::vector<std::uint64_t> edgeLines;
    std::string dot = drawMap(studio.check, studio.name, &edgeLines);
    std::set<std::uint32_t> drawn = roomsDrawn(studio.check);
    if (drawn.size() + edgeLines.size() > maxItems) {
        return answer("{\"tooLarge\":true,\"rooms\":" + std::to_string(drawn.size()) +
                      ",\"edges\":" + std::to_string(edgeLines.size()) + "}");
    }
    std::string nodes = "{";
    for (std::uint32_t room : drawn) {
        nodes += nodes.size() > 1 ? "," : "";
        nodes += quoted(roomNodeName(room)) + ":{\"room\":" + std::to_string(room) +
                 ",\"line\":" + std::to_string(roomLine(studio.check, room)) + "}";
    }
    return answer("{\"dot\":" + quoted(dot) + ",\"edges\":" + numberList(edgeLines) + ",\"nodes\":" + nodes + "}}");
}

/// kaland-check --routes: {"routes":[{"room","line","lines","text","script"}],
/// "warnings":[LINE]}, or {"refused":true} for a map the runner refuses.
EMSCRIPTEN_KEEPALIVE const char* studio_routes() {
    if (studio.check.count(Error) > 0) return answer("{\"refused\":true}");
    std::vector<Diagnostic> warnings;
    std::vector<KeyRoute> routes = findRoutesApart(findEndings(studio.check), "ending", &warnings);
    std::string list = "[";
    for (const KeyRoute& route : routes) list += (list.size() > 1 ? "," : "") + routeJson(route, "ending");
    return answer("{\"routes\":" + list + "],\"warnings\":" + quotedList(diagnosticLines(warnings)) + "}");
}

/// kaland-check --route-to ROOM: {"route":{...} or null,"warnings":[LINE]}.
EMSCRIPTEN_KEEPALIVE const char* studio_route_to(std::uint32_t room) {
    if (studio.check.count(Error) > 0) return answer("{\"refused\":true}");
    std::vector<Diagnostic> warnings;
    std::vector<KeyRoute> routes = findRoutesApart({room}, "room", &warnings);
    std::string route = routes.empty() ? "null" : routeJson(routes[0], "room");
    return answer("{\"route\":" + route + ",\"warnings\":" + quotedList(diagnosticLines(warnings)) + "}");
}

/// Adds a key script for coverage: the input buffer holds its name (the
/// first `nameSize` bytes) and then its bytes.
EMSCRIPTEN_KEEPALIVE void studio_add_script(std::size_t nameSize) {
    nameSize = std::min(nameSize, studio.input.size());
    studio.scripts.push_back(KeyScript{studio.input.substr(0, nameSize), studio.input.substr(nameSize)});
}

/// kaland-check --cover MAP with the scripts added since the last call:
/// {"errors":[LINE],"notes":[LINE],"unshownRooms":[N],"untakenExits":[LINE
/// NUMBER],"uncovered":true|false}, or {"refused":true}.
EMSCRIPTEN_KEEPALIVE const char* studio_cover() {
    std::vector<KeyScript> scripts;
    scripts.swap(studio.scripts);
    if (studio.check.count(Error) > 0) return answer("{\"refused\":true}");
    studio.table.loaded = false;  // coverage loads the map itself and releases it
    CoverageReport report =
        measureCoverage(studio.name.c_str(), studio.map.data(), studio.map.size(), studio.check, scripts);
    std::vector<std::string> errors = splitLines(coverageErrors(studio.name.c_str(), report));
    std::vector<std::string> notes = splitLines(coverageNotes(studio.name.c_str(), report));
    std::vector<std::uint32_t> unshownRooms;
    std::vector<std::uint64_t> untakenExits;
    for (const CoverageNote& note : report.notes) {
        if (note.room == NO_ROOM) {
            untakenExits.push_back(note.line);
        } else {
            unshownRooms.push_back(note.room);
        }
    }
    return answer("{\"errors\":" + quotedList(errors) + ",\"notes\":" + quotedList(notes) +
                  ",\"unshownRooms\":" + numberList(unshownRooms) + ",\"untakenExits\":" + numberList(untakenExits) +
                  ",\"uncovered\":" + (leavesAnythingUncovered(report) ? "true" : "false") + "}");
}

/// Plays the map from the start with the first `size` bytes of the input
/// buffer as everything typed, as the player page does (with
/// `inputClosed`, the input ends there as a piped file does). The output is
/// at studio_output. Returns {"state":N,"outOfMemory":B,"reads":[{"at":
/// output size when the read began,"room":room on show,"target":N,
/// "exitLine":N}]}: target and exitLine only for a read whose line took an
/// exit.
EMSCRIPTEN_KEEPALIVE const char* studio_play(std::size_t size, int inputClosed) {
    loadTable();
    studio.moves.clear();
    useWebConsole();
    PlayObserver observer{noteRoomShown, noteExitTaken, nullptr};
    WebGame game = playWebGame(studio.table.loaded, studio.table.refusal, studio.input.data(),
                               std::min(size, studio.input.size()), inputClosed != 0, &observer);
    return answer("{\"state\":" + std::to_string(game.state) + ",\"outOfMemory\":" +
                  (webGameOutOfMemory(game.defect) ? "true" : "false") + ",\"reads\":" + movesJson() + "}");
}

EMSCRIPTEN_KEEPALIVE const char* studio_output() {
    return webOutput();
}

EMSCRIPTEN_KEEPALIVE std::size_t studio_output_size() {
    return webOutputSize();
}

/// The room whose text a map line belongs to: the room of the nearest
/// #helyiseg line at or above it. -1 above the first.
EMSCRIPTEN_KEEPALIVE double studio_room_at_line(double line) {
    std::uint64_t best = 0;
    double room = -1;
    for (const auto& entry : studio.check.rooms) {
        std::uint64_t heading = entry.second.headingLine;
        if (heading != 0 && heading <= line && heading > best) {
            best = heading;
            room = entry.first;
        }
    }
    return room;
}

/// 1 when `room` is in the map and has text.
EMSCRIPTEN_KEEPALIVE int studio_room_described(std::uint32_t room) {
    return room < studio.check.roomCount && roomAt(studio.check, room).descriptionLine != 0 ? 1 : 0;
}

/// The map in figures: {"rooms":described rooms,"endings":N,"words":words
/// of room text or null,"longestRoute":lines or null,"longestRouteTo":N}.
EMSCRIPTEN_KEEPALIVE const char* studio_counts() {
    std::uint32_t described = 0;
    for (const auto& entry : studio.check.rooms) described += entry.second.descriptionLine != 0;
    std::vector<std::uint32_t> endings = findEndings(studio.check);
    std::string words = "null";
    if (loadTable()) {
        std::uint64_t count = 0;
        for (const auto& entry : studio.check.rooms) {
            for (const char* line : rooms[entry.first].lines) {
                for (bool inWord = false; line != nullptr && *line != '\0'; ++line) {
                    bool wordByte = !isWhitespaceByte(*line);
                    count += wordByte && !inWord;
                    inWord = wordByte;
                }
            }
        }
        words = std::to_string(count);
    }
    std::string longest = "null";
    std::string longestTo = "null";
    if (studio.check.count(Error) == 0) {
        std::vector<Diagnostic> warnings;
        std::uint32_t most = 0;
        for (const KeyRoute& route : findRoutesApart(endings, "ending", &warnings)) {
            if (longest != "null" && route.lines <= most) continue;
            most = route.lines;
            longest = std::to_string(most);
            longestTo = std::to_string(route.room);
        }
    }
    return answer("{\"rooms\":" + std::to_string(described) + ",\"endings\":" + std::to_string(endings.size()) +
                  ",\"words\":" + words + ",\"longestRoute\":" + longest + ",\"longestRouteTo\":" + longestTo + "}");
}

/// What kaland-publish writes for the map: its page or, with `asZip`, the
/// zip for game sites, dated `year`-`month`-`day` `hour`:`minute`:`second`
/// (the map's last change, local time). The input buffer holds the page
/// template and then 16 random bytes, the fresh IFID of a map without one.
/// Returns 0 with the page or the zip as the answer; 1 when the runner
/// refuses the map, with kaland-publish's error lines as the answer; 2 when
/// the template is no kaland page or the zip cannot be made, with the
/// reason. studio_publish_warnings has kaland-publish's warnings.
EMSCRIPTEN_KEEPALIVE int studio_publish(int asZip, int year, int month, int day, int hour, int minute,
                                        int second) {
    studio.publishWarnings.clear();
    std::string refusal;
    if (studio.map.size() > MAX_PAGE_MAP_BYTES) {
        refusal = mapTooLargeError(studio.name);
    } else if (studio.check.count(Error) > 0) {
        refusal = runnerRefusalErrors(studio.name, studio.check);
    }
    if (!refusal.empty() || studio.input.size() < 16) {
        answer(refusal);
        return 1;
    }
    std::string page = studio.input.substr(0, studio.input.size() - 16);
    const auto* random = reinterpret_cast<const unsigned char*>(studio.input.data() + page.size());
    // kaland-publish shows the checker's warnings, fact lines not taken among them.
    GameFacts game = readGameFacts(studio.map, studio.name, studio.check, nullptr);
    studio.publishWarnings = publishedWarnings(studio.name, studio.check);
    if (game.ifid.empty()) {
        game.ifid = makeIfid(random);
        studio.publishWarnings += missingIfidWarning(studio.name, game.ifid);
    }
    std::string error;
    if (!fillPageTemplate(&page, studio.map, studio.name, game, &error)) {
        answer("the page template lacks " + error);
        return 2;
    }
    FirstScreen screen = firstScreen(transcriptMap());
    fillFirstScreen(&page, pageFirstScreen(screen.output, screen.room, studio.check, game));
    if (asZip == 0) {
        answer(std::move(page));
        return 0;
    }
    std::string zip;
    if (!makeReleaseZip(page, studio.map, studio.name, game, ZipTime{year, month, day, hour, minute, second}, &zip,
                        &error)) {
        answer(error);
        return 2;
    }
    answer(std::move(zip));
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
    Transcript transcript = playTranscript(transcriptMap(), studio.input.substr(nameSize));
    const std::string& output = transcript.output.bytes;
    return answer("{\"expected\":" + quoted(formatExpectedFile(output, transcript.status)) + ",\"line\":" +
                  quoted(withoutNewline(blessedLine(studio.name, name, output, transcript.status))) + "}");
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
    const TranscriptMap& map = transcriptMap();
    std::size_t same = 0;
    std::string list = "[";
    for (const Expectation& expectation : expectations) {
        bool played = false;
        list += (list.size() > 1 ? "," : "") + expectationJson(map, expectation, &played);
        same += played;
    }
    std::string summary = withoutNewline(expectSummary(studio.name, same, expectations.size()));
    return answer("{\"scripts\":" + list + "],\"summary\":" + quoted(summary) + "}");
}

/// The defaults of kaland-check --random: {"seed":S,"steps":K}.
EMSCRIPTEN_KEEPALIVE const char* studio_random_defaults() {
    return answer("{\"seed\":" + std::to_string(DEFAULT_RANDOM_SEED) + ",\"steps\":" +
                  std::to_string(DEFAULT_RANDOM_STEPS) + "}");
}

/// kaland-check --random N --seed S --steps K MAP: the input buffer holds
/// N, S and K as typed, each ended by a NUL, read as kaland-check reads its
/// arguments. Returns {"usage":kaland-check's error} for values it refuses,
/// {"refused":true} for a map the runner refuses, or {"lines":[{"text":LINE,
/// "line":map line or 0}],"error":the error line of the first game a defect
/// stopped or "","game":its number or 0,"keys":its lines,"keysName":the
/// file kaland-check writes them to}.
EMSCRIPTEN_KEEPALIVE const char* studio_random() {
    std::vector<std::string> fields(3);
    std::size_t start = 0;
    for (std::string& field : fields) {
        std::size_t end = std::min(studio.input.find('\0', start), studio.input.size());
        if (start < end) field = studio.input.substr(start, end - start);
        start = end + 1;
    }
    // As --random=N: a value is never read as another option.
    const std::string arguments[] = {"--random=" + fields[0], "--seed=" + fields[1], "--steps=" + fields[2], "--",
                                     "map"};
    const char* argv[5];
    for (int index = 0; index < 5; ++index) argv[index] = arguments[index].c_str();
    CheckOptions options;
    std::string error;
    if (!parseCheckOptions(5, argv, &options, &error)) return answer("{\"usage\":" + quoted(error) + "}");
    if (studio.check.count(Error) > 0) return answer("{\"refused\":true}");
    options.random.progress = [](std::uint64_t played) { tellRandomProgress(static_cast<double>(played)); };
    RandomReport report = playRandomGames(studio.check, options.random);
    std::string keysPath = randomKeysPath(studio.name, options.random.seed);
    std::string text = randomReportText(studio.name.c_str(), report, options.random, studio.check, keysPath);
    std::string stop = randomStopError(studio.name.c_str(), report, studio.check, keysPath);
    return answer("{\"lines\":" + reportJson(text, [](std::size_t) { return true; }) +
                  ",\"error\":" + quoted(withoutNewline(stop)) + ",\"game\":" + std::to_string(report.firstStopped) +
                  ",\"keys\":" + quoted(report.stoppedKeys) + ",\"keysName\":" + quoted(keysPath) + "}");
}

}  // extern "C"
