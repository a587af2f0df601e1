#include "warning_causes.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <string>
#include <unordered_map>

#include "diagnostic_text.h"
#include "move_rules.h"

namespace {

bool isDirective(const MisspeltDirective& misspelt, const char* directive) {
    return std::strcmp(misspelt.directive, directive) == 0;
}

// Numbers an author may have meant when writing `written`: one more or one
// less, or one decimal digit left out, added or swapped with the next, or
// changed where another digit stays (any one-digit number is one change
// from any other).
std::vector<std::uint32_t> numbersMeant(std::uint32_t written) {
    std::vector<std::uint64_t> numbers{std::uint64_t{written} + 1};
    if (written > 0) numbers.push_back(written - 1);
    const std::string digits = std::to_string(written);
    std::vector<std::string> variants;
    for (std::size_t at = 0; at <= digits.size(); ++at) {
        for (char digit = '0'; digit <= '9'; ++digit) {
            variants.push_back(digits.substr(0, at) + digit + digits.substr(at));
            if (at < digits.size() && digits.size() > 1) {
                variants.push_back(digits.substr(0, at) + digit + digits.substr(at + 1));
            }
        }
        if (at < digits.size()) variants.push_back(digits.substr(0, at) + digits.substr(at + 1));
        if (at + 1 < digits.size()) {
            std::string swapped = digits;
            std::swap(swapped[at], swapped[at + 1]);
            variants.push_back(swapped);
        }
    }
    for (const std::string& variant : variants) {
        if (variant.empty() || variant.size() > 10 || (variant[0] == '0' && variant.size() > 1)) continue;
        std::uint64_t number = 0;
        for (char digit : variant) number = number * 10 + static_cast<std::uint64_t>(digit - '0');
        numbers.push_back(number);
    }
    std::vector<std::uint32_t> meant;
    for (std::uint64_t number : numbers) {
        if (number != written && number < UINT32_MAX) meant.push_back(static_cast<std::uint32_t>(number));
    }
    std::sort(meant.begin(), meant.end());
    meant.erase(std::unique(meant.begin(), meant.end()), meant.end());
    return meant;
}

// A label for a room that reaches dead ends of more than one mistake, or
// some other trouble (an exit out of the table, a room without exits that
// has a warning of its own, passages or rooms that only lead round).
constexpr std::size_t MIXED = NO_CAUSE - 1;

// What the findings tell of the map's mistakes, gathered as they are placed.
struct Causes {
    // The misspelt #helyiseg warning for each room number it meant.
    std::unordered_map<std::uint32_t, std::size_t> misspeltHeadings;
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
    // The first warning about a key a room's text names without an exit.
    std::unordered_map<std::uint32_t, std::size_t> firstKeyWarning;
};

std::size_t causeOf(const std::unordered_map<std::uint32_t, std::size_t>& causes, std::uint32_t room) {
    auto found = causes.find(room);
    return found == causes.end() ? NO_CAUSE : found->second;
}

// The id of the misspelt #helyiseg warning above `line` when the line is one
// of those it moved into the room before (up to the next #helyiseg).
std::size_t movedByMisspelling(const MapCheck& check, std::uint64_t line) {
    const std::vector<MisspeltDirective>& misspelt = check.misspelt;
    auto after = std::upper_bound(misspelt.begin(), misspelt.end(), line,
                                  [](std::uint64_t at, const MisspeltDirective& m) { return at < m.line; });
    while (after != misspelt.begin()) {
        --after;
        if (isDirective(*after, "#helyiseg")) return line <= after->lastLine ? after->warning : NO_CAUSE;
    }
    return NO_CAUSE;
}

struct StuckLabels {
    std::unordered_map<std::uint32_t, std::size_t> labels;
    std::deque<std::uint32_t> queue;

    void join(std::uint32_t room, std::size_t label) {
        auto entry = labels.emplace(room, label);
        if (!entry.second) {
            if (entry.first->second == label || entry.first->second == MIXED) return;
            entry.first->second = MIXED;
        }
        queue.push_back(room);
    }
};

// Whether a room that leads to no ending has trouble of its own, apart
// from the dead ends of the mistakes traced.
bool hasOtherTrouble(const MapCheck& check, std::uint32_t number, const CheckedRoom& room, const Causes& causes) {
    if (room.kind == Navigate && room.exitLines[FIRST_EXIT] == 0) return !causes.deadEnds.count(number);
    for (std::uint32_t slot : takenExits(room)) {
        if (room.exits[slot].target >= check.roomCount) return true;
    }
    return false;
}

// Marks each room that leads to no ending only because it leads into the
// dead end of one mistake: every way from it that does not go on for ever
// ends there. Rooms that also meet other trouble, or only go round, are
// left out: their warnings stay warnings.
void traceStuckRooms(const MapCheck& check, Causes* causes) {
    if (causes->deadEnds.empty()) return;
    std::unordered_map<std::uint32_t, std::vector<std::uint32_t>> leadsHere;
    for (const auto& entry : check.rooms) {
        if (check.finishing.count(entry.first)) continue;
        for (std::uint32_t slot : takenExits(entry.second)) {
            std::uint32_t target = entry.second.exits[slot].target;
            if (target < check.roomCount) leadsHere[target].push_back(entry.first);
        }
    }
    StuckLabels stuck;
    auto spread = [&]() {
        while (!stuck.queue.empty()) {
            std::uint32_t room = stuck.queue.front();
            stuck.queue.pop_front();
            std::size_t label = stuck.labels[room];
            for (std::uint32_t from : leadsHere[room]) stuck.join(from, label);
        }
    };
    for (const auto& entry : causes->deadEnds) {
        if (!check.finishing.count(entry.first)) stuck.join(entry.first, entry.second);
    }
    for (const auto& entry : check.rooms) {
        if (!check.finishing.count(entry.first) && hasOtherTrouble(check, entry.first, entry.second, *causes)) {
            stuck.join(entry.first, MIXED);
        }
    }
    spread();
    // What reaches none of these only goes round, and whatever leads there
    // may go round too.
    for (const auto& entry : check.rooms) {
        if (!check.finishing.count(entry.first) && !stuck.labels.count(entry.first)) stuck.join(entry.first, MIXED);
    }
    spread();
    for (const auto& entry : stuck.labels) {
        if (entry.second != MIXED) causes->stuckBecause.emplace(entry.first, entry.second);
    }
}

// An unreachable room that an exit's number may have meant, and the
// unreachable rooms reached through it, go under that exit's warning.
void traceUnreachableRooms(const MapCheck& check, const Finding& exit, std::size_t warning, Causes* causes) {
    for (std::uint32_t meant : numbersMeant(exit.target)) {
        if (meant >= check.roomCount || roomAt(check, meant).headingLine == 0 || check.reachedBy.count(meant) ||
            causes->unreachableBecause.count(meant)) {
            continue;
        }
        std::deque<std::uint32_t> queue{meant};
        causes->unreachableBecause[meant] = {warning, exit.line};
        while (!queue.empty()) {
            const CheckedRoom& room = roomAt(check, queue.front());
            queue.pop_front();
            for (std::uint32_t slot : takenExits(room)) {
                std::uint32_t target = room.exits[slot].target;
                if (target >= check.roomCount || check.reachedBy.count(target) ||
                    !causes->unreachableBecause.emplace(target, std::make_pair(warning, exit.line)).second) {
                    continue;
                }
                causes->reachedThrough[target] = meant;
                queue.push_back(target);
            }
        }
    }
}

// Each room a misspelt #gameover leaves waiting for a key without any exit
// is a dead end of that typo.
void addMisspeltEndings(const MapCheck& check, Causes* causes) {
    for (const MisspeltDirective& misspelt : check.misspelt) {
        if (!isDirective(misspelt, "#gameover") || !misspelt.inRoom) continue;
        const CheckedRoom& room = roomAt(check, misspelt.room);
        if (room.kind == Navigate && room.exitLines[FIRST_EXIT] == 0) {
            causes->deadEnds.emplace(misspelt.room, misspelt.warning);
        }
    }
}

// An exit into an undescribed room is a mistake of its own, unless the
// room's #helyiseg line is misspelt; a target without exits is a dead end
// of that mistake.
FindingPlace placeUndescribedExit(const MapCheck& check, const Finding& exit, std::size_t id, Causes* causes) {
    FindingPlace place;
    place.cause = causeOf(causes->misspeltHeadings, exit.target);
    if (roomAt(check, exit.target).exitLines[FIRST_EXIT] == 0) {
        causes->deadEnds.emplace(exit.target, place.cause == NO_CAUSE ? id : place.cause);
    }
    return place;
}

// A room's own dead end, unless a mistake already explains it.
FindingPlace placeRoomWithoutExits(const Finding& finding, std::size_t id, Causes* causes) {
    FindingPlace place;
    place.cause = causeOf(causes->deadEnds, finding.room);
    if (place.cause == NO_CAUSE) {
        causes->deadEnds.emplace(finding.room, id);
        causes->roomsWithoutExits.emplace(finding.room, id);
    }
    return place;
}

// An exit whose key the text never names is a hint, or a note under the
// misspelt #helyiseg that moved it here (it belongs to another room's text)
// or under the room's first key named without an exit (often one slip).
FindingPlace placeKeyNeverNamed(const MapCheck& check, const Finding& finding, const Causes& causes) {
    FindingPlace place;
    place.cause = movedByMisspelling(check, finding.line);
    if (place.cause == NO_CAUSE) place.cause = causeOf(causes.firstKeyWarning, finding.room);
    if (place.cause == NO_CAUSE) place.severity = Note;
    return place;
}

// An unreachable room, told under the exit that may have meant it.
FindingPlace placeUnreachableRoom(const Finding& finding, const Causes& causes) {
    FindingPlace place;
    auto cause = causes.unreachableBecause.find(finding.room);
    if (cause == causes.unreachableBecause.end()) return place;
    place.cause = cause->second.first;
    auto through = causes.reachedThrough.find(finding.room);
    place.textAfter = through != causes.reachedThrough.end()
                          ? " either: the way there is through " + roomName(through->second)
                          : ": the exit on line " + std::to_string(cause->second.second) + " may have meant it";
    return place;
}

// A room from which no ending can be reached, told under the dead end it
// leads into; a room without exits keeps this warning beside that one, as
// each has always been given.
FindingPlace placeNoEnding(const Finding& finding, const Causes& causes) {
    FindingPlace place;
    place.cause = causeOf(causes.stuckBecause, finding.room);
    if (finding.kind == NoEndingFromRoom && place.cause != NO_CAUSE &&
        place.cause == causeOf(causes.roomsWithoutExits, finding.room)) {
        place.cause = NO_CAUSE;
    }
    return place;
}

}  // namespace

std::vector<FindingPlace> placeFindings(const MapCheck& check, const std::vector<Finding>& findings,
                                        std::size_t firstId) {
    Causes causes;
    for (const MisspeltDirective& misspelt : check.misspelt) {
        if (isDirective(misspelt, "#helyiseg") && misspelt.roomNumberGiven) {
            causes.misspeltHeadings.emplace(misspelt.meantRoom, misspelt.warning);
        }
    }
    std::vector<FindingPlace> places(findings.size());
    // The dead ends first: exits into undescribed rooms, then misspelt
    // #gameover lines, then rooms without exits.
    for (std::size_t i = 0; i < findings.size(); ++i) {
        if (findings[i].kind == ExitToUndescribedRoom) {
            places[i] = placeUndescribedExit(check, findings[i], firstId + i, &causes);
        }
    }
    addMisspeltEndings(check, &causes);
    bool traced = false;
    for (std::size_t i = 0; i < findings.size(); ++i) {
        const Finding& finding = findings[i];
        FindingPlace& place = places[i];
        // What reaches no ending, or cannot be reached, is traced once every
        // dead end is known.
        if (!traced && (finding.kind == UnreachableRoom || finding.kind == NoEndingFromStart ||
                        finding.kind == NoEndingFromRoom)) {
            traced = true;
            traceStuckRooms(check, &causes);
            for (std::size_t exit = 0; exit < findings.size(); ++exit) {
                if (findings[exit].kind == ExitToUndescribedRoom && places[exit].cause == NO_CAUSE) {
                    traceUnreachableRooms(check, findings[exit], firstId + exit, &causes);
                }
            }
        }
        switch (finding.kind) {
        case KeyUsedTwice:
        case MovesThroughFirstExit:
            place.cause = movedByMisspelling(check, finding.line);
            break;
        case RoomWithoutExits:
            place = placeRoomWithoutExits(finding, firstId + i, &causes);
            break;
        case KeyNamedWithoutExit:
            causes.firstKeyWarning.emplace(finding.room, firstId + i);
            break;
        case KeyNeverNamed:
            place = placeKeyNeverNamed(check, finding, causes);
            break;
        case UnreachableRoom:
            place = placeUnreachableRoom(finding, causes);
            break;
        case NoEndingFromStart:
        case NoEndingFromRoom:
            place = placeNoEnding(finding, causes);
            break;
        default:
            break;
        }
    }
    return places;
}
