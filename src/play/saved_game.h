// A saved game as a file: the lines a player typed, one a line, which the
// console program plays as any key script (`kaland MAP < SAVE`), and one
// line more that says which map they were typed on and where each was read.
// That line starts "#kaland-save " and stands where the game reads it and
// does nothing with it, so the file plays exactly as the typed lines alone:
//   #kaland-save 1 map=LENGTH-HASH lines=N rooms=R1,R2,...
// where the rooms list N + 1 places: the room where each typed line was read,
// then where the game waited after them; a place is a room number, "p" (the
// exit prompt after the game), or "-" (nothing: the program had ended), and
// "R*K" stands for R K times over.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

/// Places of a read besides a room: the exit prompt, or nothing at all.
constexpr std::uint32_t READ_AT_EXIT_PROMPT = UINT32_MAX - 1;
constexpr std::uint32_t READ_BY_NOBODY = UINT32_MAX;

/// What tells one map's bytes from another's: their length and two 32-bit
/// hashes, "LENGTH-HHHHHHHHHHHHHHHH".
std::string mapFingerprint(const char* bytes, std::size_t size);

struct SavedGame {
    std::vector<std::string> lines;      // the typed lines, without their newlines
    std::string map;                     // the map's fingerprint; "" when the file does not say
    std::vector<std::uint32_t> readers;  // lines.size() + 1 places (see above); empty when unknown
};

/// Reads a save, or any key script (which says nothing of its map): its
/// lines as the console reads them (a line ends at LF or CR LF; a last line
/// without one counts). The first line that starts "#kaland-save " is no
/// typed line; when it does not describe these lines, it is left unread.
SavedGame readSavedGame(const char* bytes, std::size_t size);

/// True when some line of the file starts "#kaland-save ": a save, not a
/// map or a plain key script.
bool isSavedGame(const char* bytes, std::size_t size);

/// The file of `game`, whose readers must be known and whose rooms must be
/// those of the room table now loaded. Its description line goes after
/// the typed lines when the game then waits for a key, has ended or waits
/// for the exit prompt's Enter; when it waits in a scene (which would take
/// the line as its Enter), before the last typed line that a room waiting
/// for a key read; and when there is no such line, nowhere.
std::string writeSavedGame(const SavedGame& game);

// How far a save's lines lead on the map now loaded.
enum ReplayOutcome {
    ReplayWhole,              // every line was read where it was when the game was saved
    ReplayUnchecked,          // the save does not say where its lines were read: every line the game reads
    ReplayEndsSooner,         // ... and the game ends before its last line
    ReplayStartsElsewhere,    // the first line is read elsewhere: nothing is restored
    ReplayLineLeadsElsewhere, // line `line` was read where it was, but leads elsewhere now
};

struct ReplayCheck {
    ReplayOutcome outcome;
    std::size_t linesKept;  // the first lines that bring the game where the save had it
    std::size_t line;       // the line (from 1) that does not: the first one left out; 0 when none is
};

/// Compares where the save's lines were read with where they are read now
/// (`replayed`, as many places as lines read, then where the game waits).
ReplayCheck checkReplay(const SavedGame& saved, const std::vector<std::uint32_t>& replayed);
