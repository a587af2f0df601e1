#include "map_analysis.h"

#include <algorithm>
#include <deque>
#include <unordered_map>
#include <unordered_set>

#include "diagnostic_text.h"
#include "key_words.h"
#include "map_mending.h"
#include "move_rules.h"
#include "warning_causes.h"

namespace {

std::vector<std::uint32_t> sortedRoomNumbers(const MapCheck& check) {
    std::vector<std::uint32_t> numbers;
    numbers.reserve(check.rooms.size());
    for (const auto& entry : check.rooms) numbers.push_back(entry.first);
    std::sort(numbers.begin(), numbers.end());
    return numbers;
}

// What a player meets in a room without a description, by its kind.
std::string undescribedRoomText(const MapCheck& check, std::uint32_t number) {
    const CheckedRoom& room = roomAt(check, number);
    std::string text = roomName(number) + " has no description: a player who takes this exit sees two empty lines";
    switch (room.kind) {
    case Automatic:
        return text + " before the game moves on";
    case WaitForEnter:
        return text + " and has to press Enter";
    case GameOver:
        return text + " as the end of the game";
    default:
        return text + (room.exitLines[FIRST_EXIT] == 0 ? " and can only type exit" : " and has to guess a key");
    }
}

// The exits a player can take into rooms of the table that have no
// description, by line. Without a start room nothing is shown at all, and
// one warning says so.
void checkUndescribedTargets(const MapCheck& check, const std::vector<std::uint32_t>& numbers,
                             std::vector<Finding>* findings) {
    if (!check.hasStart) return;
    auto undescribed = [&check](const CheckedRoom& room, std::uint32_t slot) {
        std::uint32_t target = room.exits[slot].target;
        return room.exitLines[slot] != 0 && target < check.roomCount && roomAt(check, target).descriptionLine == 0;
    };
    // Each exit by its line: the line, the room and the slot.
    std::vector<std::pair<std::uint64_t, std::pair<std::uint32_t, std::uint32_t>>> exits;
    for (std::uint32_t number : numbers) {
        const CheckedRoom& room = roomAt(check, number);
        bool any = false;
        for (std::uint32_t slot = 0; slot < MAX_EXITS && !any; ++slot) any = undescribed(room, slot);
        if (!any) continue;
        for (std::uint32_t slot : takenExits(room)) {
            if (undescribed(room, slot)) exits.push_back({room.exitLines[slot], {number, slot}});
        }
    }
    std::sort(exits.begin(), exits.end());
    for (const auto& exit : exits) {
        std::uint32_t room = exit.second.first;
        std::uint32_t slot = exit.second.second;
        std::uint32_t target = roomAt(check, room).exits[slot].target;
        findings->push_back(Finding{ExitToUndescribedRoom, exit.first, undescribedRoomText(check, target), room, slot,
                                    target});
    }
}

void checkExitTargets(const MapCheck& check, const std::vector<std::uint32_t>& numbers,
                      std::vector<Finding>* findings) {
    for (std::uint32_t number : numbers) {
        const CheckedRoom& room = roomAt(check, number);
        for (std::uint32_t slot = 0; slot < MAX_EXITS; ++slot) {
            const Exit& exit = room.exits[slot];
            if (room.exitLines[slot] == 0 || exit.target < check.roomCount) continue;
            findings->push_back(Finding{ExitOutOfTable, room.exitLines[slot],
                                        "exit to room " + std::to_string(exit.target) + ", but the highest room is " +
                                            std::to_string(check.highestRoom) + ": taking it ends the game with " +
                                            quotedMessage(MapDefect{RoomMissing, exit.target, 0}),
                                        number, slot, exit.target});
        }
    }
}

std::string listRooms(const std::vector<std::uint32_t>& circle) {
    std::string text;
    for (std::uint32_t room : circle) text += std::to_string(room) + " -> ";
    return text + std::to_string(circle.front());
}

// The passages of the whole map, chain after chain: a room belongs to the
// chain being followed, or to one followed before.
struct CircleSearch : CheckedRooms {
    std::unordered_map<std::uint32_t, int> state;  // 1: on the current chain, 2: followed before
    std::vector<std::uint32_t> chain;
    bool enteredSinceLine(std::uint32_t room) const { return state.count(room) != 0; }
    void enter(std::uint32_t room) {
        state[room] = 1;
        chain.push_back(room);
    }
};

void checkAutomaticCircles(const MapCheck& check, const std::vector<std::uint32_t>& numbers,
                           std::vector<Finding>* findings) {
    CircleSearch search{{&check}, {}, {}};
    for (std::uint32_t first : numbers) {
        if (roomAt(check, first).kind != Automatic || search.state.count(first)) continue;
        search.chain.clear();
        // A chain that runs into one followed before ends there: the circle
        // it may lead to is reported already.
        PassageChain passages = enterAndFollowPassages(search, first);
        if (passages.end == ChainGoesRound && search.state[passages.target] == 1) {
            std::vector<std::uint32_t> circle(std::find(search.chain.begin(), search.chain.end(), passages.target),
                                              search.chain.end());
            std::rotate(circle.begin(), std::min_element(circle.begin(), circle.end()), circle.end());
            findings->push_back(Finding{PassageCircle, roomAt(check, circle.front()).exitLines[FIRST_EXIT],
                                        "automatic rooms go round in a circle (" + listRooms(circle) +
                                            "): a player who enters it gets \"" + AUTOMATIC_CIRCLE_MESSAGE + "\"",
                                        circle.front()});
        }
        for (std::uint32_t followed : search.chain) search.state[followed] = 2;
    }
}

// Marks every room a player can get to from the start room, remembering for
// a room the map never names the exit line that leads there.
std::unordered_map<std::uint32_t, std::uint64_t> findReachable(const MapCheck& check) {
    std::unordered_map<std::uint32_t, std::uint64_t> reachedBy;
    std::deque<std::uint32_t> queue{check.startRoom};
    reachedBy[check.startRoom] = roomAt(check, check.startRoom).headingLine;
    while (!queue.empty()) {
        std::uint32_t room = queue.front();
        queue.pop_front();
        const CheckedRoom& from = roomAt(check, room);
        for (std::uint32_t slot : takenExits(from)) {
            std::uint32_t target = from.exits[slot].target;
            if (target >= check.roomCount || reachedBy.count(target)) continue;
            reachedBy[target] = from.exitLines[slot];
            queue.push_back(target);
        }
    }
    return reachedBy;
}

// The rooms from which a GameOver room can be reached.
std::unordered_set<std::uint32_t> findFinishing(const MapCheck& check) {
    std::unordered_map<std::uint32_t, std::vector<std::uint32_t>> leadsHere;
    std::deque<std::uint32_t> queue;
    std::unordered_set<std::uint32_t> finishing;
    for (const auto& entry : check.rooms) {
        if (entry.second.kind == GameOver) {
            finishing.insert(entry.first);
            queue.push_back(entry.first);
        }
        for (std::uint32_t slot : takenExits(entry.second)) {
            std::uint32_t target = entry.second.exits[slot].target;
            if (target < check.roomCount) leadsHere[target].push_back(entry.first);
        }
    }
    while (!queue.empty()) {
        std::uint32_t room = queue.front();
        queue.pop_front();
        for (std::uint32_t from : leadsHere[room]) {
            if (finishing.insert(from).second) queue.push_back(from);
        }
    }
    return finishing;
}

// The game from the start room as the game loop plays it, where the player
// is only ever asked to press Enter: the rooms entered since that line.
struct ForcedGame : CheckedRooms {
    std::unordered_set<std::uint32_t> entered;
    bool enteredSinceLine(std::uint32_t room) const { return entered.count(room) != 0; }
    void enter(std::uint32_t room) { entered.insert(room); }
};

// What becomes of a game that can reach no ending, told from the start room
// as the game loop plays it: passages and scenes move on without a choice
// until a room waits for a key (where the player can type exit), an exit
// leaves the table, passages go round in a circle, or a scene comes round
// again (only Enter is ever asked for).
std::string gameWithoutEnding(const MapCheck& check) {
    ForcedGame game{{&check}, {}};
    std::unordered_set<std::uint32_t> scenesWaitedAt;
    for (std::uint32_t number = check.startRoom;;) {
        PassageChain passages = enterAndFollowPassages(game, number);
        if (passages.end == ChainLeavesTable) {
            return "the game stops with " + quotedMessage(MapDefect{RoomMissing, passages.target, 0});
        }
        if (passages.end == ChainGoesRound) {
            return "passages lead round in a circle without asking the player anything, and the game stops with " +
                   quotedMessage(MapDefect{AutomaticCircle, passages.target, 0});
        }
        const CheckedRoom& room = roomAt(check, passages.room);
        if (room.kind != WaitForEnter) return "the game only ends when the player types exit";
        if (!scenesWaitedAt.insert(passages.room).second) {
            return "the player is only ever asked to press Enter, round and round, and the game ends only "
                   "when the input does";
        }
        number = room.exits[moveForLine(room.kind, room.exits, "").slot].target;
        if (number >= check.roomCount) {
            return "the game stops with " + quotedMessage(MapDefect{RoomMissing, number, 0});
        }
        game.entered.clear();
    }
}

void checkReachability(const MapCheck& check, const std::vector<std::uint32_t>& numbers,
                       std::vector<Finding>* findings) {
    for (std::uint32_t number : numbers) {
        const CheckedRoom& room = roomAt(check, number);
        if (room.headingLine == 0 || check.reachedBy.count(number)) continue;
        findings->push_back(Finding{UnreachableRoom, room.headingLine,
                                    roomName(number) + " cannot be reached from the start room " +
                                        std::to_string(check.startRoom),
                                    number});
    }
    if (!check.finishing.count(check.startRoom)) {
        findings->push_back(Finding{NoEndingFromStart, roomAt(check, check.startRoom).headingLine,
                                    "no #gameover room can be reached from the start room " +
                                        std::to_string(check.startRoom) + ": " + gameWithoutEnding(check),
                                    check.startRoom});
        return;
    }
    std::vector<std::uint32_t> stuck;
    for (const auto& entry : check.reachedBy) {
        if (!check.finishing.count(entry.first)) stuck.push_back(entry.first);
    }
    std::sort(stuck.begin(), stuck.end());
    for (std::uint32_t number : stuck) {
        std::uint64_t heading = roomAt(check, number).headingLine;
        findings->push_back(Finding{NoEndingFromRoom, heading != 0 ? heading : check.reachedBy.at(number),
                                    "no #gameover room can be reached from " + roomName(number) +
                                        ": a player there can only quit",
                                    number});
    }
}

void checkRoomExits(const MapCheck& check, const std::vector<std::uint32_t>& numbers,
                    std::vector<Finding>* findings) {
    for (std::uint32_t number : numbers) {
        const CheckedRoom& room = roomAt(check, number);
        if (room.kind == Navigate) {
            bool anyExit = false;
            ExitSlots taken = takenExits(room);
            for (std::uint32_t slot = 0; slot < MAX_EXITS; ++slot) {
                char key = room.exits[slot].key;
                anyExit = anyExit || room.exitLines[slot] != 0;
                if (key == 0 || std::find(taken.begin(), taken.end(), slot) != taken.end()) continue;
                const char line[2] = {key, '\0'};
                std::uint32_t first = moveForLine(room.kind, room.exits, line).slot;
                findings->push_back(Finding{KeyUsedTwice, room.exitLines[slot],
                                            "key " + describeKey(key) + " is already used by the exit on line " +
                                                std::to_string(room.exitLines[first]) +
                                                ": this exit can never be taken",
                                            number, slot});
            }
            if (!anyExit && room.descriptionLine != 0) {
                findings->push_back(Finding{RoomWithoutExits, room.headingLine,
                                            roomName(number) +
                                                " waits for a key but has no exit: a player there can only quit",
                                            number});
            }
        } else if ((room.kind == Automatic || room.kind == WaitForEnter) && room.kindSlot != 0) {
            findings->push_back(Finding{MovesThroughFirstExit, room.kindLine,
                                        roomName(number) + " moves on through its first exit (line " +
                                            std::to_string(room.exitLines[FIRST_EXIT]) + ", to room " +
                                            std::to_string(room.exits[FIRST_EXIT].target) +
                                            "), not through this one",
                                        number, room.kindSlot});
        }
    }
}

bool hasKey(const NamedKey* begin, const NamedKey* end, char key) {
    return std::any_of(begin, end, [key](const NamedKey& named) { return named.key == key; });
}

bool hasExitKey(const CheckedRoom& room, char key) {
    for (std::uint32_t slot = 0; slot < MAX_EXITS; ++slot) {
        if (room.exitLines[slot] != 0 && room.exits[slot].key == key) return true;
    }
    return false;
}

// The keys a room's text names ([h], (h)) against the keys of its exits: a
// key named that no exit has is a warning; an exit whose key the text never
// names, a hint, since a hidden exit may be meant. Rooms whose text names
// no key at all are left alone: they tell their keys otherwise.
void checkRoomKeys(const MapCheck& check, std::uint32_t number, const NamedKey* begin, const NamedKey* end,
                   std::vector<Finding>* findings) {
    const CheckedRoom& room = roomAt(check, number);
    if (room.kind != Navigate) return;
    for (const NamedKey* named = begin; named != end; ++named) {
        if (hasExitKey(room, named->key) || !markNamesKey(named->key, false)) continue;
        std::string key = describeKey(named->key);
        findings->push_back(Finding{KeyNamedWithoutExit, named->line,
                                    "the text names key " + key + ", but no exit of " + roomName(number) +
                                        " has it: a player who types " + key + " gets nothing",
                                    number, 0, 0, named->at, named->key});
    }
    for (std::uint32_t slot : takenExits(room)) {
        // A key no one can type has a warning of its own already.
        char key = room.exits[slot].key;
        if (hasKey(begin, end, key) || keyTyping(key) != KeyTypable) continue;
        std::string shown = describeKey(key);
        findings->push_back(Finding{KeyNeverNamed, room.exitLines[slot],
                                    "the text of " + roomName(number) + " never names key " + shown + " (as [" +
                                        shown + "] or (" + shown + ")): only a player who guesses it takes this exit",
                                    number, slot});
    }
}

void checkNamedKeys(const MapCheck& check, std::vector<Finding>* findings) {
    const std::vector<NamedKey>& keys = check.namedKeys;
    for (std::size_t first = 0, last = 0; first < keys.size(); first = last) {
        while (last < keys.size() && keys[last].room == keys[first].room) ++last;
        checkRoomKeys(check, keys[first].room, keys.data() + first, keys.data() + last, findings);
    }
}

void buildMapModel(MapCheck* check, const std::vector<std::uint32_t>& numbers) {
    for (std::uint32_t number : numbers) {
        if (check->rooms[number].descriptionLine != 0) {
            check->hasStart = true;
            check->startRoom = number;
            break;
        }
    }
    if (!check->hasStart) return;
    check->reachedBy = findReachable(*check);
    check->finishing = findFinishing(*check);
}

// What the checks that need the whole map find, in the order it is told.
std::vector<Finding> checkWholeMap(const MapCheck& check, const std::vector<std::uint32_t>& numbers) {
    std::vector<Finding> findings;
    checkUndescribedTargets(check, numbers, &findings);
    checkExitTargets(check, numbers, &findings);
    checkAutomaticCircles(check, numbers, &findings);
    checkRoomExits(check, numbers, &findings);
    checkNamedKeys(check, &findings);
    if (check.hasStart) {
        checkReachability(check, numbers, &findings);
    } else {
        findings.push_back(Finding{NoDescribedRoom, check.highestRoomLine,
                                   "no room has a description: the runner shows nothing and the game ends at once"});
    }
    return findings;
}

// What on its line a finding is about: the exit's target or key, the
// room's number, the key the text names.
DiagnosticSubject findingSubject(const MapCheck& check, const Finding& finding) {
    switch (finding.kind) {
    case ExitToUndescribedRoom:
    case ExitOutOfTable:
    case PassageCircle:
        return AboutTarget;
    case KeyUsedTwice:
    case KeyNeverNamed:
        return AboutKey;
    case KeyNamedWithoutExit:
        return AboutNamedKey;
    case MovesThroughFirstExit:
        return AboutKindLetter;  // the letter that makes the room move on
    case RoomWithoutExits:
    case UnreachableRoom:
    case NoEndingFromStart:
        return AboutRoomNumber;
    case NoEndingFromRoom:
        // Told at the room's heading, or at the exit that leads there.
        return finding.line == roomAt(check, finding.room).headingLine ? AboutRoomNumber : AboutTarget;
    default:
        return AboutLine;
    }
}

// Reports the findings, each in its place: a warning or hint of its own, or
// a note under the mistake that causes it.
void reportFindings(MapCheck* check, const std::vector<Finding>& findings) {
    std::vector<FindingPlace> places = placeFindings(*check, findings, check->reported);
    // Proposals that add a room all name the same free number: found once.
    if (check->proposer != nullptr && !findings.empty()) check->newRoom = findNewRoomNumber(*check);
    for (std::size_t i = 0; i < findings.size(); ++i) {
        const Finding& finding = findings[i];
        const FindingPlace& place = places[i];
        std::string text = finding.text + place.textAfter;
        DiagnosticSubject subject = findingSubject(*check, finding);
        if (place.cause == NO_CAUSE) {
            check->report(finding.line, place.severity, std::move(text), subject, finding.at);
        } else {
            check->reportConsequence(place.cause, finding.line, std::move(text), subject, finding.at);
        }
        if (check->proposer != nullptr) check->diagnostics.back().mending = check->proposer->finding(*check, findings[i]);
    }
}

}  // namespace

void analyseMap(MapCheck* check) {
    if (check->roomCount != 0) {
        std::vector<std::uint32_t> numbers = sortedRoomNumbers(*check);
        buildMapModel(check, numbers);
        // After a defect the rest of its room was passed over, so warnings
        // about the whole map would mostly echo the defect: they wait until
        // the map loads. The model is still built, for the picture.
        if (check->count(Error) == 0) reportFindings(check, checkWholeMap(*check, numbers));
    }
    sortDiagnostics(&check->diagnostics);
}
