#include "map_analysis.h"

#include <algorithm>
#include <deque>

#include "diagnostic_text.h"
#include "move_rules.h"

namespace {

std::vector<std::uint32_t> sortedRoomNumbers(const MapCheck& check) {
    std::vector<std::uint32_t> numbers;
    numbers.reserve(check.rooms.size());
    for (const auto& entry : check.rooms) numbers.push_back(entry.first);
    std::sort(numbers.begin(), numbers.end());
    return numbers;
}

void checkExitTargets(MapCheck* check, const std::vector<std::uint32_t>& numbers) {
    for (std::uint32_t number : numbers) {
        const CheckedRoom& room = check->rooms[number];
        for (std::uint32_t slot = 0; slot < MAX_EXITS; ++slot) {
            const Exit& exit = room.exits[slot];
            if (room.exitLines[slot] == 0 || exit.target < check->roomCount) continue;
            check->report(room.exitLines[slot], Warning,
                          "exit to room " + std::to_string(exit.target) + ", but the highest room is " +
                              std::to_string(check->highestRoom) +
                              ": taking it ends the game with " +
                              quotedMessage(MapDefect{RoomMissing, exit.target, 0}));
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

void checkAutomaticCircles(MapCheck* check, const std::vector<std::uint32_t>& numbers) {
    CircleSearch search{{check}, {}, {}};
    for (std::uint32_t first : numbers) {
        if (check->rooms[first].kind != Automatic || search.state.count(first)) continue;
        search.chain.clear();
        // A chain that runs into one followed before ends there: the circle
        // it may lead to is reported already.
        PassageChain passages = enterAndFollowPassages(search, first);
        if (passages.end == ChainGoesRound && search.state[passages.target] == 1) {
            std::vector<std::uint32_t> circle(std::find(search.chain.begin(), search.chain.end(), passages.target),
                                              search.chain.end());
            std::rotate(circle.begin(), std::min_element(circle.begin(), circle.end()), circle.end());
            const CheckedRoom& lowest = check->rooms[circle.front()];
            check->report(lowest.exitLines[FIRST_EXIT], Warning,
                          "automatic rooms go round in a circle (" + listRooms(circle) +
                              "): a player who enters it gets \"" + AUTOMATIC_CIRCLE_MESSAGE + "\"");
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

void checkReachability(MapCheck* check, const std::vector<std::uint32_t>& numbers) {
    for (std::uint32_t number : numbers) {
        const CheckedRoom& room = check->rooms[number];
        if (room.headingLine != 0 && !check->reachedBy.count(number)) {
            check->report(room.headingLine, Warning,
                          roomName(number) + " cannot be reached from the start room " +
                              std::to_string(check->startRoom));
        }
    }

    if (!check->finishing.count(check->startRoom)) {
        check->report(roomAt(*check, check->startRoom).headingLine, Warning,
                      "no #gameover room can be reached from the start room " +
                          std::to_string(check->startRoom) + ": " + gameWithoutEnding(*check));
        return;
    }
    std::vector<std::uint32_t> stuck;
    for (const auto& entry : check->reachedBy) {
        if (!check->finishing.count(entry.first)) stuck.push_back(entry.first);
    }
    std::sort(stuck.begin(), stuck.end());
    for (std::uint32_t number : stuck) {
        std::uint64_t heading = roomAt(*check, number).headingLine;
        check->report(heading != 0 ? heading : check->reachedBy[number], Warning,
                      "no #gameover room can be reached from " + roomName(number) +
                          ": a player there can only quit");
    }
}

void checkRoomExits(MapCheck* check, const std::vector<std::uint32_t>& numbers) {
    for (std::uint32_t number : numbers) {
        const CheckedRoom& room = check->rooms[number];
        if (room.kind == Navigate) {
            bool anyExit = false;
            std::vector<std::uint32_t> taken = takenExits(room);
            for (std::uint32_t slot = 0; slot < MAX_EXITS; ++slot) {
                char key = room.exits[slot].key;
                anyExit = anyExit || room.exitLines[slot] != 0;
                if (key == 0 || std::find(taken.begin(), taken.end(), slot) != taken.end()) continue;
                const char line[2] = {key, '\0'};
                std::uint32_t first = moveForLine(room.kind, room.exits, line).slot;
                check->report(room.exitLines[slot], Warning,
                              "key " + describeKey(key) + " is already used by the exit on line " +
                                  std::to_string(room.exitLines[first]) + ": this exit can never be taken");
            }
            if (!anyExit && room.descriptionLine != 0) {
                check->report(room.headingLine, Warning,
                              roomName(number) + " waits for a key but has no exit: a player there can only quit");
            }
        } else if ((room.kind == Automatic || room.kind == WaitForEnter) && room.kindSlot != 0) {
            check->report(room.kindLine, Warning,
                          roomName(number) + " moves on through its first exit (line " +
                              std::to_string(room.exitLines[FIRST_EXIT]) + ", to room " +
                              std::to_string(room.exits[FIRST_EXIT].target) + "), not through this one");
        }
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

}  // namespace

void analyseMap(MapCheck* check) {
    // After a defect the rest of its room was passed over, so warnings about
    // the whole map would mostly echo the defect: they wait until the map
    // loads. The model is still built, for the picture.
    bool loads = check->count(Error) == 0;
    std::size_t lineDiagnostics = check->diagnostics.size();
    if (check->roomCount != 0) {
        std::vector<std::uint32_t> numbers = sortedRoomNumbers(*check);
        buildMapModel(check, numbers);
        checkExitTargets(check, numbers);
        checkAutomaticCircles(check, numbers);
        checkRoomExits(check, numbers);
        if (check->hasStart) {
            checkReachability(check, numbers);
        } else {
            check->report(check->highestRoomLine, Warning,
                          "no room has a description: the runner shows nothing and the game ends at once");
        }
    }
    if (!loads) check->diagnostics.resize(lineDiagnostics);
    sortDiagnostics(check);
}
