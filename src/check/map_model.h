// kaland-check's model of a map: what the runner's table would hold for each
// room, the lines that filled it, and the diagnostics found so far. The
// reading pass fills it (map_reading.h), the analysis completes it with the
// start room and where a player can get (map_analysis.h), and the picture,
// routes and coverage read it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "room_table.h"
#include "text_encoding.h"

// A note is not counted: a consequence printed under the warning that
// causes it, or a hint about something that may well be meant.
enum Severity { Warning, Error, Note };

constexpr std::size_t NO_CAUSE = SIZE_MAX;

// A change to the map's whole lines: `remove` lines from `line` (1-based)
// on are taken out and the lines of `insert` put in their place, each
// ending in "\n". A `line` one past the map's last line appends. Whole lines
// keep an edit valid whatever encoding the map is in, and let a host apply
// it to its own copy of the text without knowing how lines were cut.
struct MapEdit {
    std::uint64_t line;
    std::uint64_t remove;
    std::string insert;
};

// A proposal that mends a diagnostic (or adds to the map): a short title
// ("replace '#helyseg' with '#helyiseg'") and its edits, in the order of
// their lines, which a host applies from the last to the first so that the
// line numbers of the others stay valid. No edits: nothing is proposed.
struct Mending {
    std::string title;
    std::vector<MapEdit> edits;
};

// How the checker's proposals are made (map_mending.h): a host that shows
// them gives the reading this, and a page that only explains a refusal
// leaves them out, code and all.
struct MendingProposer;

// What on its line a diagnostic is about, decided where the checker makes
// it, so that an editor can mark that much of the line: the directive word,
// a field of an #irany line, a #helyiseg line's room number, a key the text
// names (which starts at `Diagnostic::subjectAt`), else the whole line.
enum DiagnosticSubject { AboutLine, AboutDirective, AboutRoomNumber, AboutKindLetter, AboutTarget, AboutKey,
                         AboutNamedKey };

struct Diagnostic {
    std::uint64_t line;  // 1-based physical line of the map; 0: the file as a whole
    Severity severity;
    std::string text;
    std::size_t id = 0;            // the order in which it was reported
    std::size_t cause = NO_CAUSE;  // a note under another diagnostic: that one's id
    // The one obvious mending, where the checker sees one (map_mending.h).
    Mending mending = {};
    DiagnosticSubject subject = AboutLine;
    std::size_t subjectAt = 0;  // AboutNamedKey: the byte of the line where the [k] starts
};

// A key that a room's text names, as [h] or (h), and where it is named.
struct NamedKey {
    std::uint32_t room;
    char key;  // lowercased, as exits store theirs
    std::uint64_t line;
    std::size_t at;  // the byte of the line where the [h] starts
};

// A # word that looks like a misspelt directive, and what the lines below
// it did instead, up to the next #helyiseg line.
struct MisspeltDirective {
    std::uint64_t line;
    std::size_t warning;        // the typo warning's id
    const char* directive;      // "#helyiseg", "#irany" or "#gameover"
    bool roomNumberGiven;       // #helyiseg: a room number follows the word
    std::uint32_t meantRoom;    // that number
    std::uint32_t room;         // the room the lines below went to
    bool inRoom;                // false: before the first #helyiseg
    std::uint64_t lastLine;     // the last line before the next #helyiseg (or the end)
};

// What the runner's table would hold for one room, and where it came from.
struct CheckedRoom {
    std::uint64_t headingLine = 0;      // first #helyiseg line naming the room
    std::uint64_t descriptionLine = 0;  // first description line; 0 when undescribed
    std::string firstLine;              // text of that line
    Exit exits[MAX_EXITS] = {};         // as the runner stores them
    std::uint64_t exitLines[MAX_EXITS] = {};  // the #irany line that filled each slot; 0 when empty
    RoomKind kind = Navigate;
    std::uint64_t kindLine = 0;         // line that set the kind; 0 when never set
    std::uint32_t kindSlot = 0;         // exit slot filled by that line
    std::uint64_t lastTextLine = 0;     // last description line stored; 0 when undescribed
    bool misspeltExit = false;          // a line under its heading looks like a misspelt #irany
};

struct MapCheck {
    std::vector<Diagnostic> diagnostics;
    // Only the rooms some line of the map touches; every other room below
    // roomCount is an empty Navigate room.
    std::unordered_map<std::uint32_t, CheckedRoom> rooms;
    std::uint32_t highestRoom = 0;
    std::uint64_t highestRoomLine = 0;
    std::uint32_t roomCount = 0;  // 0 when the runner would have no table
    MapEncoding encoding = MapInUtf8;  // how the map's text is shown
    // The model the analysis builds before it reports: the start room, and
    // the rooms a player can get to from it, each with the line of the exit
    // that first leads there (the heading line for the start room).
    bool hasStart = false;
    std::uint32_t startRoom = 0;
    std::unordered_map<std::uint32_t, std::uint64_t> reachedBy;
    // The rooms from which a GameOver room can be reached.
    std::unordered_set<std::uint32_t> finishing;

    // The keys rooms' texts name, each once per room, in the order of the
    // map's lines (so a room's keys stand together, as its text does).
    std::vector<NamedKey> namedKeys;
    // The misspelt directives, in the order of their lines.
    std::vector<MisspeltDirective> misspelt;
    std::size_t reported = 0;  // diagnostics reported so far: the next id
    const MendingProposer* proposer = nullptr;  // null: no mending is proposed
    std::uint64_t lastLine = 0;  // the last physical line read; 0 for an empty file
    std::uint64_t firstHeadingLine = 0;  // the first #helyiseg line; 0 for none
    // The number a room added by a proposal gets (findNewRoomNumber), found
    // once for all of a map's proposals; 0 before then or when none is free.
    std::uint32_t newRoom = 0;
    // The game's facts as far as proposals need them: whether an #ifid is
    // taken, the last fact line taken, and the first #ifid line that is not
    // taken for being empty or no UUID (0: none).
    bool hasIfid = false;
    std::uint64_t lastFactLine = 0;
    std::uint64_t unusableIfidLine = 0;

    std::size_t count(Severity severity) const;
    /// Adds a diagnostic about `subject` on its line and returns its id.
    std::size_t report(std::uint64_t line, Severity severity, std::string text, DiagnosticSubject subject = AboutLine,
                       std::size_t subjectAt = 0);
    /// Adds a note that follows from the diagnostic `cause` (an id; a note
    /// under a note goes under that note's cause).
    void reportConsequence(std::size_t cause, std::uint64_t line, std::string text,
                           DiagnosticSubject subject = AboutLine, std::size_t subjectAt = 0);
};

/// How many of `diagnostics` are of `severity`.
std::size_t countDiagnostics(const std::vector<Diagnostic>& diagnostics, Severity severity);

/// Puts the diagnostics in the order of their lines (a stable sort), each
/// note of a consequence right after the diagnostic that causes it, and
/// the notes under one diagnostic in the order of their lines.
void sortDiagnostics(std::vector<Diagnostic>* diagnostics);

/// The room `number` as the runner's table would hold it.
const CheckedRoom& roomAt(const MapCheck& check, std::uint32_t number);

/// The line that stands for a room in messages: its first #helyiseg line,
/// else the exit line that first leads there, else the line that set its kind.
std::uint64_t roomLine(const MapCheck& check, std::uint32_t number);

/// Exit slots of one room, in slot order, held in place: the searches ask
/// for them at every room they pass.
struct ExitSlots {
    std::uint32_t slots[MAX_EXITS] = {};
    std::uint32_t count = 0;
    const std::uint32_t* begin() const { return slots; }
    const std::uint32_t* end() const { return slots + count; }
};

/// The number a new room gets: the first above the highest room that no
/// exit leads to already, so that no existing exit suddenly finds it; 0
/// when there is none below the one number the runner makes no table for.
std::uint32_t findNewRoomNumber(const MapCheck& check);

/// The exit slots a player can actually take from a room, by the rules of a
/// move: those a line takes (lineTakingExit) and the first exit of an
/// Automatic room. In slot order.
ExitSlots takenExits(const CheckedRoom& room);

/// The GameOver rooms of the map, lowest number first.
std::vector<std::uint32_t> findEndings(const MapCheck& check);

/// The model's rooms as the passage rules of move_rules.h read them; a
/// search adds what "entered since the last line" means to it.
struct CheckedRooms {
    const MapCheck* check;
    RoomKind kindOf(std::uint32_t room) const { return roomAt(*check, room).kind; }
    const Exit* exitsOf(std::uint32_t room) const { return roomAt(*check, room).exits; }
    std::uint32_t roomCount() const { return check->roomCount; }
    void takeExit(std::uint32_t, std::uint32_t) {}
};
