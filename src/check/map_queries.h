// The questions an editor asks about a map, answered in the map's own
// terms: where its lines start, what the text at a place is (a room number,
// an exit's target or key, a key the room text names), which room a line
// belongs to, where a room is named, what a message is about, what fits
// where the author types. Every answer comes from the loader's line reader,
// steps and field scanners and from the checker's model, so an editor sees
// the map as the runner reads it. Nothing here knows an editor's protocol:
// places are physical lines (1-based) and byte offsets within them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "map_directives.h"
#include "map_fields.h"
#include "map_model.h"

/// Where each physical line of `bytes` starts: a line ends after its LF, as
/// the map's line reader counts lines. Line N starts at element N - 1; an
/// empty map has one empty line.
std::vector<std::size_t> findLineStarts(const char* bytes, std::size_t size);

/// A map's bytes and where its lines start, to read one line at a time.
struct MapText {
    const char* bytes;
    std::size_t size;
    const std::vector<std::size_t>* lineStarts;
};

/// Bytes [begin, end) of physical line `line`.
struct LineSpan {
    std::uint64_t line;
    std::size_t begin;
    std::size_t end;
};

// Where a field lies in its physical line: bytes [begin, end).
struct LineField {
    std::uint32_t begin = 0;
    std::uint32_t end = 0;
};

// A #helyiseg line: the room it opens (the room before it when it names
// none, as the loader keeps it) and where its word and number lie.
struct HeadingLine {
    std::uint64_t line;
    std::uint32_t room;
    bool numberRead;
    LineField word;
    LineField number;  // empty when no number was read
};

// An #irany line as written, well-formed or not, and the room it belongs
// to, as readExitLine reads it.
struct ExitLineFields {
    std::uint64_t line;
    std::uint32_t room;
    std::uint32_t target;     // when at least two fields were read
    ExitLineFault fault;
    RoomKind kind;            // for a valid line
    char kindLetter;
    char key;                 // as written
    char exitKey;             // as the table stores it (lowercased; 1 for A and E)
    std::uint8_t fieldCount;  // kind letter, target, key: how many were read
    bool inRoom;              // false: before the first #helyiseg
    LineField word;
    LineField spans[3];       // where each field read lies
};

// How many description lines a room's hover shows.
constexpr std::size_t SHOWN_ROOM_LINES = 3;

// The map's directive lines, in line order: what the questions below
// search, found in one pass. Kept small: an editor holds one per open map.
struct MapOutline {
    std::vector<HeadingLine> headings;
    std::vector<ExitLineFields> exits;
    std::uint32_t nextFreeRoom = 1;  // above every room number the map names; 0 when none is
};

/// Reads the map's lines once with the loader's own steps.
MapOutline outlineMap(const char* bytes, std::size_t size);

/// The #irany line on line `line`; null when it is none.
const ExitLineFields* exitLineAt(const MapOutline& outline, std::uint64_t line);

/// An N exit's key as the author wrote it: the whole word that the key
/// starts (a key written as a word, or a character of several bytes, is one
/// thing to the author). The #irany word for an exit without a key.
LineSpan exitKeySpan(const MapText& text, const ExitLineFields& exit);

/// The room whose lines `line` is among: that of the nearest #helyiseg line
/// at or above it. False above the first.
bool roomOfLine(const MapOutline& outline, std::uint64_t line, std::uint32_t* room);

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
MapSpot spotAt(const MapText& text, const MapOutline& outline, std::uint64_t line, std::size_t offset);

/// The #helyiseg lines that name `room`, in line order.
std::vector<const HeadingLine*> headingsOf(const MapOutline& outline, std::uint32_t room);

/// The #irany lines whose target is `room`, in line order.
std::vector<const ExitLineFields*> exitsInto(const MapOutline& outline, std::uint32_t room);

/// Every place the number of `room` is written (its headings and the
/// targets of exits into it): what renaming it changes.
std::vector<LineSpan> roomNumberPlaces(const MapOutline& outline, std::uint32_t room);

/// Reads a new number for a room as an author types it: decimal digits,
/// below 4294967295 (the runner cannot make a table for that one), and
/// named nowhere in the map. False with `refusal` set when it cannot be used.
bool readNewRoomNumber(const MapOutline& outline, const std::string& typed, std::uint32_t* room,
                       std::string* refusal);

/// The exit slot of room `room` that key `key` takes, by the rules of a
/// move; false when no exit takes it.
bool exitTakenByKey(const MapCheck& check, std::uint32_t room, char key, std::uint32_t* slot);

/// Trimmed text of the first description lines of `room` (up to
/// SHOWN_ROOM_LINES), as the map's bytes.
std::vector<std::string> roomFirstLines(const MapText& text, const MapCheck& check, std::uint32_t room);

/// What a hover on a place tells, in the map's bytes and plain words: a
/// room (its kind and first lines), a key (the exit it takes), a heading's
/// number (how many exits lead there and from where). Empty for a place
/// with nothing to tell.
std::string describeSpot(const MapText& text, const MapOutline& outline, const MapCheck& check,
                         const MapSpot& spot);

/// The part of its line a diagnostic is about: the directive word, the key,
/// or the room number where the message is about one of them, else the
/// whole line (without its line end). Line 0, the file as a whole, is the
/// start of the first line.
LineSpan diagnosticSpan(const MapText& text, const MapOutline& outline, const Diagnostic& diagnostic);

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
Typing typingAt(const MapText& text, std::uint64_t line, std::size_t offset);

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
std::vector<RoomEntry> listRooms(const MapText& text, const MapOutline& outline, const MapCheck& check);
