// Why a map could not be loaded or a game could not go on, and the runner's
// message for each reason. Every message the runner gives about a map is
// written here once; the program, the checker and the browser engine all
// print or quote it from here.
#pragma once

#include <cstddef>
#include <cstdint>

enum DefectKind {
    NoDefect,
    // Load failures.
    MapNotOpened,     // the file cannot be opened (no message)
    NoRoomAboveZero,  // no #helyiseg line names a room above 0
    NoMemory,         // the table, a line or the game's marks (no message)
    // Defects found while loading.
    DescribedTwice,   // a second #helyiseg line for a described room
    TooManyLines,     // a 17th description line
    LineSlotUsed,     // a description slot already filled (a guard)
    TooManyExits,     // a 10th #irany line
    MalformedExit,    // an #irany line with the wrong fields
    MapChanged,       // a room number the first pass did not see
    // Defects found in play.
    RoomMissing,      // an exit leads out of the table
    AutomaticCircle,  // automatic rooms go round for ever
    UnknownRoomKind,  // a room kind outside the four
};

struct MapDefect {
    DefectKind kind;
    std::uint32_t room;  // the room the message names, where it names one
    std::uint64_t line;  // the map line that caused it while loading; 0 in play
};

// How the player is told about a defect.
enum DefectReport {
    SilentDefect,    // nothing is written
    BareMessage,     // the message alone, without a newline
    ErrorMessage,    // "Error: " before the message and a newline after it
};

DefectReport defectReport(DefectKind kind);

/// The beginning of the message for an automatic circle, before the room
/// that closes it; tools quote it where the room depends on the way in.
constexpr const char* AUTOMATIC_CIRCLE_MESSAGE = "Hibas terkep: vegtelen automatikus kor";

/// Writes the runner's message for `defect`, terminated, into `text`
/// (`size` bytes; 96 hold every message). Empty for the silent ones.
void formatDefectMessage(const MapDefect& defect, char* text, std::size_t size);
