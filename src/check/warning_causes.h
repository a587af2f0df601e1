// Which whole-map warnings follow from another mistake. An exit into a room
// that has no description, or a misspelt #helyiseg or #gameover, leaves a
// dead end; the rooms that can then reach no ending, and the rooms that an
// exit's mistyped number leaves unreachable, are told as notes under the
// warning of that mistake instead of as warnings of their own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "map_model.h"

// An exit into a room in the table that has no description.
struct UndescribedExit {
    std::uint64_t line;
    std::uint32_t from;
    std::uint32_t target;
    std::size_t cause;  // the heading typo that left the target without text; NO_CAUSE: none
};

struct WarningCauses {
    // The exits into undescribed rooms, by line, each with the id of its
    // warning (NO_CAUSE when it is told as a note under a misspelt #helyiseg).
    std::vector<UndescribedExit> undescribedExits;
    std::vector<std::size_t> exitWarnings;
    // Rooms with no way on, each with the id of the warning that says why.
    std::unordered_map<std::uint32_t, std::size_t> deadEnds;
    // Described rooms that wait for a key without any exit: their warning,
    // under which the rooms that lead only there are told, not their own
    // "no ending" warning.
    std::unordered_map<std::uint32_t, std::size_t> roomsWithoutExits;
    // Rooms from which no ending can be reached because they lead into such a
    // dead end: the id of its warning.
    std::unordered_map<std::uint32_t, std::size_t> stuckBecause;
    // Unreachable rooms that an exit into an undescribed room may have meant
    // (its number mistyped), and those reached through them: the warning's id
    // and the line of that exit.
    std::unordered_map<std::uint32_t, std::pair<std::size_t, std::uint64_t>> unreachableBecause;
    // The room each unreachable room is reached through, when not the one meant itself.
    std::unordered_map<std::uint32_t, std::uint32_t> reachedThrough;
};

/// The exits a player can take into rooms of the table that have no
/// description, by line; each names the misspelt #helyiseg line that was
/// meant to describe its target, if there is one.
std::vector<UndescribedExit> findUndescribedExits(const MapCheck& check, const std::vector<std::uint32_t>& numbers);

/// The id of the misspelt #helyiseg warning above `line` when the line is
/// one of those it moved into the room before (up to the next #helyiseg);
/// NO_CAUSE for any other line.
std::size_t movedByMisspelling(const MapCheck& check, std::uint64_t line);

/// Adds to `causes->deadEnds` each room that a misspelt #gameover leaves
/// waiting for a key without any exit.
void addMisspeltEndings(const MapCheck& check, WarningCauses* causes);

/// Fills `causes->stuckBecause` and `causes->unreachableBecause` from
/// `causes->deadEnds` and the exits into undescribed rooms with warnings
/// of their own.
void traceConsequences(const MapCheck& check, WarningCauses* causes);
