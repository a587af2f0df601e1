// The questions an editor asks about the places of a map's text, answered
// from its analysis: what the text at a place is (a room number, an exit's
// target or key, a key the room text names) and what a hover there tells,
// where a room is named, what part of its line a diagnostic is about, what
// fits where the author types. Nothing
// here knows an editor's protocol: places are physical lines (1-based) and
// byte offsets within them (map_outline.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "analysis.h"

// How many description lines a room's hover shows.
constexpr std::size_t SHOWN_ROOM_LINES = 3;

/// An N exit's key as the author wrote it: the whole word that the key
/// starts (a key written as a word, or a character of several bytes, is one
/// thing to the author). The #irany word for an exit without a key.
LineSpan exitKeySpan(const MapAnalysis& analysis, const ExitLineFields& exit);

// What the text at a place of the map is.
enum SpotKind {
    NothingThere,
    HeadingNumber,  // the number of a #helyiseg line: `room`
    ExitTarget,     // the target of an #irany line: `room`; `exit` is the line
    ExitKey,        // the key of an N exit: `key`, of room `room`
    NamedKey,       // a key the room text names, [h] or (h): `key`, of room `room` (when `inRoom`)
};

struct MapSpot {
    SpotKind kind = NothingThere;
    LineSpan span{};
    std::uint32_t room = 0;
    bool inRoom = false;
    char key = 0;
    const ExitLineFields* exit = nullptr;
};

/// What lies at byte `offset` of line `line` (the byte just after a field
/// counts, as a cursor there touches it).
MapSpot spotAt(const MapAnalysis& analysis, std::uint64_t line, std::size_t offset);

/// Reads a new number for a room as an author types it: decimal digits,
/// below 4294967295 (the runner cannot make a table for that one), and
/// named nowhere in the map. False with `refusal` set when it cannot be used.
bool readNewRoomNumber(const MapAnalysis& analysis, const std::string& typed, std::uint32_t* room,
                       std::string* refusal);

/// The #irany line of the exit that key `key` takes in room `room`, by the
/// rules of a move; null when no exit takes it.
const ExitLineFields* exitTakenByKey(const MapAnalysis& analysis, std::uint32_t room, char key);

/// Trimmed text of the first description lines of `room` (up to
/// SHOWN_ROOM_LINES), as the map's bytes.
std::vector<std::string> roomFirstLines(const MapAnalysis& analysis, std::uint32_t room);

/// What a hover on a place tells, in the map's bytes and plain words: a
/// room (its kind and first lines), a key (the exit it takes), a heading's
/// number (how many exits lead there and from where). Empty for a place
/// with nothing to tell.
std::string describeSpot(const MapAnalysis& analysis, const MapSpot& spot);

/// The part of its line a diagnostic is about (its subject): the directive
/// word, a field of an #irany line, a room number or a key the text names,
/// else the whole line (without its line end). Line 0, the file as a whole,
/// is the start of the first line.
LineSpan diagnosticSpan(const MapAnalysis& analysis, const Diagnostic& diagnostic);

// What an author is typing at a place, for completion.
enum TypingPlace {
    TypingNothing,
    TypingDirective,  // a # word at the start of a line
    TypingKindLetter, // after "#irany "
    TypingTarget,     // an #irany line's target
    TypingHeadingNumber,  // a #helyiseg line's number
};

struct Typing {
    TypingPlace place = TypingNothing;
    LineSpan replaced{};  // what a completion replaces: the part typed so far
};

/// What is being typed at byte `offset` of line `line`.
Typing typingAt(const MapAnalysis& analysis, std::uint64_t line, std::size_t offset);

// A word of the map with what it means, for completion.
struct MapWord {
    const char* word;
    const char* meaning;
};

/// The directives and fact lines, in the order a map uses them.
std::vector<MapWord> directiveWords();

/// The kind letters of an #irany line.
std::vector<MapWord> kindLetters();

// A room as a list of rooms shows it.
struct RoomEntry {
    std::uint32_t room;
    const HeadingLine* heading;  // its first #helyiseg line
    std::uint64_t lastLine;      // the last line before the next #helyiseg (or the map's end)
    std::string firstLine;       // trimmed; empty for a room without text
};

/// The rooms the map's #helyiseg lines name, each once, in line order.
std::vector<RoomEntry> listRooms(const MapAnalysis& analysis);
