// The engine's interface to the page: the map goes in once, and each time the
// player types a line the page plays all typed lines again through the kept
// room table. Everything shown comes from the core (loader, game loop, exit
// prompt, defect messages); these functions only pass bytes in and out and
// say where the game stands. The checker's reading of the map explains a
// refusal in plain words.
#include <emscripten/emscripten.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "defect_explanation.h"
#include "file_names.h"
#include "game_facts.h"
#include "map_facts.h"
#include "map_loader.h"
#include "named_exits.h"
#include "room_table.h"
#include "saved_game.h"
#include "text_bytes.h"
#include "text_encoding.h"
#include "web_console.h"
#include "web_game.h"

namespace {

struct Engine {
    char* map = nullptr;  // the map's bytes until they are loaded
    bool loaded = false;  // the room table holds the map
    MapEncoding encoding = MapInUtf8;  // how the map's text is shown
    MapDefect loadDefect{NoDefect, 0, 0};
    MapDefect playDefect{NoDefect, 0, 0};
    MapFacts facts;       // the map's #title, #author, #lang...: read even from a refused map
    char* input = nullptr;
    std::size_t inputCapacity = 0;
    std::size_t runnerOutputStart = 0;  // where the runner's own words begin in the output
    char* checkedMap = nullptr;         // a copy of the map for the checker, while it explains
    DefectExplanation explanation;
    std::string fingerprint;            // mapFingerprint of the map last loaded
    // Where the last game stands: its state, the room shown last, and where
    // each line was read, then where the game waits (as a save records it).
    GameState state = Stopped;
    std::uint32_t shownRoom = READ_BY_NOBODY;
    std::vector<std::uint32_t> readers;
    std::uint32_t saveReport[5] = {};
    std::string text;                   // a text the page hands in: a file name, a language tag
    std::string answer;                 // the last answer of several bytes
};
Engine engine;

// A buffer of at least one byte, so that an empty map or input is no failure.
char* replaceBuffer(char** buffer, std::size_t size) {
    std::free(*buffer);
    *buffer = static_cast<char*>(std::malloc(size > 0 ? size : 1));
    return *buffer;
}

WebGame playNoted(const char* input, std::size_t size, bool inputClosed);

// Trims whitespace, the line's newline included, off both ends of `text`.
const char* trimmed(char* text) {
    std::size_t begin = 0;
    std::size_t length = trimWhitespace(text, std::strlen(text), &begin);
    text[begin + length] = '\0';
    return text + begin;
}

// Which map a save names (kaland_save_report's second number).
enum SaveMap { SaveForNoMap, SaveForThisMap, SaveForOtherMap };

}  // namespace

extern "C" {

/// Room for `size` bytes of map, to be filled by the page before
/// kaland_load; null when the memory cannot be had.
EMSCRIPTEN_KEEPALIVE char* kaland_map_buffer(std::size_t size) {
    freeRooms();
    engine.loaded = false;
    return replaceBuffer(&engine.map, size);
}

/// Builds the room table from the map buffer and lets the buffer go.
/// Returns 0 when the map loaded; otherwise every game shows why not.
EMSCRIPTEN_KEEPALIVE int kaland_load(std::size_t size) {
    freeRooms();
    engine.facts = MapFacts{};
    MapLineReader factReader;
    if (engine.map != nullptr && startMapLinesInMemory(&factReader, engine.map, size)) {
        readMapFacts(&factReader, &engine.facts);
    }
    endMapLines(&factReader);
    MapLineReader reader;
    engine.loadDefect = MapDefect{NoMemory, 0, 0};
    engine.encoding = engine.map != nullptr ? decideMapEncoding(engine.map, size) : MapInUtf8;
    engine.fingerprint = engine.map != nullptr ? mapFingerprint(engine.map, size) : "";
    engine.loaded = engine.map != nullptr && startMapLinesInMemory(&reader, engine.map, size) &&
                    loadMapFrom(&reader, &engine.loadDefect) == 0;
    endMapLines(&reader);
    std::free(engine.map);
    engine.map = nullptr;
    if (engine.loaded) engine.loadDefect = MapDefect{NoDefect, 0, 0};
    engine.playDefect = engine.loadDefect;
    return engine.loaded ? 0 : 1;
}

/// Room for `size` bytes of typed input; null when it cannot be had.
EMSCRIPTEN_KEEPALIVE char* kaland_input_buffer(std::size_t size) {
    if (size <= engine.inputCapacity && engine.input != nullptr) return engine.input;
    engine.inputCapacity = size;
    char* input = replaceBuffer(&engine.input, size);
    if (input == nullptr) engine.inputCapacity = 0;
    return input;
}

/// Plays the game from the start with `size` bytes of the input buffer as
/// everything typed, each line ending in a newline. With `inputClosed` the
/// input ends there as a piped file does; otherwise the game stops where it
/// would wait for more. Returns the GameState.
EMSCRIPTEN_KEEPALIVE int kaland_play(std::size_t size, int inputClosed) {
    WebGame game = playNoted(engine.input, engine.input != nullptr ? size : 0, inputClosed != 0);
    engine.playDefect = game.defect;
    engine.runnerOutputStart = game.runnerOutputStart;
    return game.state;
}

EMSCRIPTEN_KEEPALIVE const char* kaland_output() {
    return webOutput();
}

EMSCRIPTEN_KEEPALIVE std::size_t kaland_output_size() {
    return webOutputSize();
}

/// How many line reads the last game began.
EMSCRIPTEN_KEEPALIVE std::size_t kaland_read_count() {
    return webReadCount();
}

/// The output size at each read the last game began, in one block that the
/// page reads as 32-bit numbers.
EMSCRIPTEN_KEEPALIVE const std::size_t* kaland_reads() {
    static_assert(sizeof(std::size_t) == 4, "the page reads the block as 32-bit numbers");
    return webReadOutputSizes();
}

/// What each read of the last game did (a ReadEffect), in one block that
/// the page reads as 32-bit numbers.
EMSCRIPTEN_KEEPALIVE const std::uint32_t* kaland_read_effects() {
    return webReadEffects();
}

/// Where, in the last game's output, the runner's own words begin: the exit
/// prompt and the messages about a defect, written in Hungarian whatever the
/// map's language. The output size when the game still goes on.
EMSCRIPTEN_KEEPALIVE std::size_t kaland_runner_output_start() {
    return engine.runnerOutputStart;
}

/// 1 when the last game or load failed for lack of memory: the runner says
/// nothing then, so the page must.
EMSCRIPTEN_KEEPALIVE int kaland_out_of_memory() {
    return webGameOutOfMemory(engine.playDefect) ? 1 : 0;
}

/// The first line of the start room's text, trimmed. Empty when no map is
/// loaded or no room is described.
EMSCRIPTEN_KEEPALIVE const char* kaland_start_text() {
    static char title[LINE_BUFFER_SIZE];
    title[0] = '\0';
    if (!engine.loaded) return title;
    std::uint32_t start = findFirstDescribedRoom();
    if (start == roomCount) return title;
    std::strncpy(title, rooms[start].lines[0], sizeof title - 1);
    title[sizeof title - 1] = '\0';
    return trimmed(title);
}

/// Room for `size` bytes of a text the next call reads, such as a file name.
EMSCRIPTEN_KEEPALIVE char* kaland_text_buffer(std::size_t size) {
    engine.text.assign(size, '\0');
    return &engine.text[0];
}

/// The map's title, as kaland-publish gives it (gameTitle), in UTF-8: its
/// #title, else the first line of the start room's text, else the map's
/// file name, whose first `nameSize` bytes of UTF-8 are in the text buffer.
EMSCRIPTEN_KEEPALIVE const char* kaland_map_title(std::size_t nameSize) {
    std::string name = engine.text.substr(0, nameSize);
    engine.answer = gameTitle(engine.facts, engine.encoding, kaland_start_text(), name);
    return engine.answer.c_str();
}

/// The name of a file made from the map's: the text buffer holds the map's
/// file name (`nameSize` bytes) and then the ending, such as ".keys".
EMSCRIPTEN_KEEPALIVE const char* kaland_file_named_after(std::size_t nameSize) {
    nameSize = std::min(nameSize, engine.text.size());
    engine.answer = fileNamedAfter(engine.text.substr(0, nameSize), engine.text.substr(nameSize));
    return engine.answer.c_str();
}

/// The language of the page's words for the language tag in the text
/// buffer: "hu" for Hungarian, "en" for English, "" for any other.
EMSCRIPTEN_KEEPALIVE const char* kaland_words_language() {
    return pageWordsLanguage(engine.text.c_str());
}

/// What the engine tells the page once: the game states, what a line read
/// did, the largest map the page opens, and what kaland_save_report's
/// numbers mean, as JSON.
EMSCRIPTEN_KEEPALIVE const char* kaland_constants() {
    static const std::string constants = [] {
        std::string json = pageConstantsJson();
        char saves[200];
        std::snprintf(saves, sizeof saves,
                      ",\"SaveOutcome\":{\"Whole\":%d,\"Unchecked\":%d,\"EndsSooner\":%d,\"StartsElsewhere\":%d,"
                      "\"LineLeadsElsewhere\":%d},\"SaveMap\":{\"Unnamed\":%d,\"This\":%d,\"Other\":%d}}",
                      ReplayWhole, ReplayUnchecked, ReplayEndsSooner, ReplayStartsElsewhere, ReplayLineLeadsElsewhere,
                      SaveForNoMap, SaveForThisMap, SaveForOtherMap);
        json.pop_back();
        return json + saves;
    }();
    return constants.c_str();
}

/// The map's #author, #lang (a language tag) and #blurb: terminated bytes
/// of the map, empty when the map gives none.
EMSCRIPTEN_KEEPALIVE const char* kaland_map_author() {
    return mapFactValue(engine.facts, AuthorFact);
}

EMSCRIPTEN_KEEPALIVE const char* kaland_map_language() {
    return mapFactValue(engine.facts, LanguageFact);
}

EMSCRIPTEN_KEEPALIVE const char* kaland_map_blurb() {
    return mapFactValue(engine.facts, BlurbFact);
}

/// How the map last loaded shows its text, as the name a TextDecoder
/// takes: "utf-8" or "windows-1250". The page decodes the output with it
/// and encodes typed lines with it.
EMSCRIPTEN_KEEPALIVE const char* kaland_map_encoding() {
    return mapEncodingLabel(engine.encoding);
}

/// Room for `size` bytes of the map, to be filled by the page before
/// kaland_explain; null when the memory cannot be had.
EMSCRIPTEN_KEEPALIVE char* kaland_check_buffer(std::size_t size) {
    return replaceBuffer(&engine.checkedMap, size);
}

/// Reads the map in the check buffer as kaland-check does, explains the
/// defect that refused the loaded map or stopped the last game, and lets the
/// buffer go. Returns the explanation's text, empty when there is none; its
/// line is kaland_explanation_line.
EMSCRIPTEN_KEEPALIVE const char* kaland_explain(std::size_t size) {
    engine.explanation = DefectExplanation{};
    if (engine.checkedMap != nullptr) {
        engine.explanation = explainDefect(engine.checkedMap, size, engine.playDefect);
    }
    std::free(engine.checkedMap);
    engine.checkedMap = nullptr;
    return engine.explanation.text.c_str();
}

/// The map line of the last explanation; 0 when it concerns the whole file.
EMSCRIPTEN_KEEPALIVE std::uint32_t kaland_explanation_line() {
    return engine.explanation.line > UINT32_MAX ? UINT32_MAX : static_cast<std::uint32_t>(engine.explanation.line);
}

}  // extern "C"

// ---- where the game stands, for the page's key buttons and saves ----

namespace {

void noteRoomShown(void*, std::uint32_t room) {
    engine.shownRoom = room;
}

void noteExitTaken(void*, std::uint32_t, std::uint32_t) {}

void noteLineRead(void*, std::uint32_t room, const char*, LineMove) {
    engine.readers.push_back(room);
}

// Plays as kaland_play does, noting where the game stands.
WebGame playNoted(const char* input, std::size_t size, bool inputClosed) {
    engine.shownRoom = READ_BY_NOBODY;
    engine.readers.clear();
    PlayObserver observer{noteRoomShown, noteExitTaken, nullptr, noteLineRead};
    WebGame game = playWebGame(engine.loadDefect, input, size, inputClosed, &observer);
    engine.state = game.state;
    engine.playDefect = game.defect;
    engine.runnerOutputStart = game.runnerOutputStart;
    // Where the next line would be read: the room, the exit prompt, or nowhere.
    if (game.state == WaitingForLine) {
        engine.readers.push_back(engine.shownRoom);
    } else if (game.state == WaitingForEnter) {
        engine.readers.push_back(READ_AT_EXIT_PROMPT);
    } else {
        if (game.state == Finished) engine.readers.push_back(READ_AT_EXIT_PROMPT);
        engine.readers.push_back(READ_BY_NOBODY);
    }
    return game;
}

bool waitsInRoom() {
    return engine.state == WaitingForLine && engine.shownRoom < roomCount;
}

}  // namespace

extern "C" {

/// The fingerprint of the map last loaded (mapFingerprint of its bytes).
EMSCRIPTEN_KEEPALIVE const char* kaland_map_fingerprint() {
    return engine.fingerprint.c_str();
}

/// The exits the text of the room where the last game waits names, as the
/// checker reads keys in text (namedExits): for each, its key, then the
/// words of the line that names it, then a newline. Empty unless the game
/// waits for a key.
EMSCRIPTEN_KEEPALIVE const char* kaland_named_exits() {
    engine.answer.clear();
    if (!waitsInRoom()) return engine.answer.c_str();
    for (const NamedExit& exit : namedExits(rooms[engine.shownRoom])) {
        engine.answer += exit.key;
        engine.answer += exit.words;
        engine.answer += '\n';
    }
    return engine.answer.c_str();
}

/// 1 when the last game waits for a line that moves it on whatever the line
/// holds: in a scene that waits for Enter, or at the exit prompt.
EMSCRIPTEN_KEEPALIVE int kaland_waits_for_enter() {
    if (engine.state == WaitingForEnter) return 1;
    return waitsInRoom() && rooms[engine.shownRoom].kind == WaitForEnter ? 1 : 0;
}

/// The first line of the text of the room the last game showed last,
/// trimmed; empty before any room.
EMSCRIPTEN_KEEPALIVE const char* kaland_room_first_line() {
    static char line[LINE_BUFFER_SIZE];
    line[0] = '\0';
    if (engine.shownRoom >= roomCount || rooms[engine.shownRoom].lines[0] == nullptr) return line;
    std::strncpy(line, rooms[engine.shownRoom].lines[0], sizeof line - 1);
    line[sizeof line - 1] = '\0';
    return trimmed(line);
}

/// The save file (saved_game.h) of the game whose typed lines are the first
/// `size` bytes of the input buffer; its size is kaland_answer_size.
EMSCRIPTEN_KEEPALIVE const char* kaland_save_file(std::size_t size) {
    const char* input = engine.input != nullptr ? engine.input : "";
    size = engine.input != nullptr ? size : 0;
    playNoted(input, size, false);
    SavedGame game;
    for (std::size_t start = 0; start < size && game.lines.size() + 1 < engine.readers.size();) {
        const char* end = static_cast<const char*>(std::memchr(input + start, '\n', size - start));
        std::size_t length = end != nullptr ? static_cast<std::size_t>(end - input) - start : size - start;
        game.lines.emplace_back(input + start, length);
        start += length + 1;
    }
    game.map = engine.fingerprint;
    game.readers = engine.readers;
    engine.answer = writeSavedGame(game);
    return engine.answer.data();
}

/// Reads the save file (or key script) in the first `size` bytes of the
/// input buffer and plays its lines on the map loaded. Returns its typed
/// lines, each with its newline (size kaland_answer_size); kaland_save_report
/// tells how many of them bring the game where the save had it.
EMSCRIPTEN_KEEPALIVE const char* kaland_read_save(std::size_t size) {
    SavedGame saved = readSavedGame(engine.input != nullptr ? engine.input : "", engine.input != nullptr ? size : 0);
    std::string typed;
    for (const std::string& line : saved.lines) typed += line + "\n";
    playNoted(typed.data(), typed.size(), false);
    ReplayCheck check = checkReplay(saved, engine.readers);
    engine.answer = typed;
    auto count = [](std::size_t value) { return value > UINT32_MAX ? UINT32_MAX : static_cast<std::uint32_t>(value); };
    engine.saveReport[0] = check.outcome;
    engine.saveReport[1] = saved.map.empty() ? SaveForNoMap : saved.map == engine.fingerprint ? SaveForThisMap : SaveForOtherMap;
    engine.saveReport[2] = count(saved.lines.size());
    engine.saveReport[3] = count(check.linesKept);
    engine.saveReport[4] = count(check.line);
    return engine.answer.data();
}

/// 1 when the first `size` bytes of the input buffer are a save file
/// (isSavedGame), 0 for anything else, a map or a plain key script.
EMSCRIPTEN_KEEPALIVE int kaland_is_save(std::size_t size) {
    return engine.input != nullptr && isSavedGame(engine.input, size) ? 1 : 0;
}

/// How far kaland_read_save's lines went, as five 32-bit numbers: the
/// ReplayOutcome; the map (0: the file does not say, 1: this map, 2:
/// another map or another version of this one); the save's lines; the
/// lines kept; and the first line left out (from 1; 0 for none).
EMSCRIPTEN_KEEPALIVE const std::uint32_t* kaland_save_report() {
    return engine.saveReport;
}

/// The size of the last answer of kaland_save_file or kaland_read_save.
EMSCRIPTEN_KEEPALIVE std::size_t kaland_answer_size() {
    return engine.answer.size();
}

}  // extern "C"
