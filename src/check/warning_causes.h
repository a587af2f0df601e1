// Which of the whole-map checks' findings follow from another mistake. An
// exit into a room that has no description, or a misspelt #helyiseg or
// #gameover, leaves a dead end; the rooms that can then reach no ending, and
// the rooms that an exit's mistyped number leaves unreachable, are told as
// notes under the warning of that mistake instead of as warnings of their
// own. The checks return what they found (map_analysis.cpp); this groups it,
// once, after all of them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "map_model.h"

// What a whole-map check found.
enum FindingKind {
    ExitToUndescribedRoom,  // exit `slot` of `room` leads to `target`, which has no description
    ExitOutOfTable,         // exit `slot` of `room` leads past the table
    PassageCircle,          // passages go round; `room` is the lowest on the circle
    KeyUsedTwice,           // exit `slot` of `room` has a key an earlier exit answers
    RoomWithoutExits,       // `room` waits for a key and has no exit
    MovesThroughFirstExit,  // `room` moves on through its first exit, not the one on `line`
    KeyNamedWithoutExit,    // the text of `room` names a key no exit has
    KeyNeverNamed,          // the text of `room` never names the key of exit `slot`
    UnreachableRoom,        // `room` cannot be reached from the start room
    NoEndingFromStart,      // no ending can be reached from the start room `room`
    NoEndingFromRoom,       // no ending can be reached from `room`
    NoDescribedRoom,        // no room has a description
};

struct Finding {
    FindingKind kind;
    std::uint64_t line;
    std::string text;
    std::uint32_t room = 0;
    std::uint32_t slot = 0;
    std::uint32_t target = 0;
    std::size_t at = 0;  // KeyNamedWithoutExit: the byte of the line where the key is named
    char key = 0;  // KeyNamedWithoutExit: the key the text names
};

// Where a finding is told: a warning or a hint of its own (`cause` NO_CAUSE),
// or a note under the diagnostic `cause`, with `textAfter` added to its text.
struct FindingPlace {
    Severity severity = Warning;
    std::size_t cause = NO_CAUSE;
    std::string textAfter;
};

/// Places `findings`, which will be reported in their order from the id
/// `firstId` on, under the mistakes that cause them: the misspelt
/// directives the reading found, and each other.
std::vector<FindingPlace> placeFindings(const MapCheck& check, const std::vector<Finding>& findings,
                                        std::size_t firstId);
