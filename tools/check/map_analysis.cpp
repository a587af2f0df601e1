// The checker's view of the whole map: where a player can go from each room,
// and what in that can go wrong.
#include <algorithm>
#include <deque>

#include "map_check.h"

namespace {

std::vector<std::uint32_t> sortedRoomNumbers(const MapCheck& check) {
    std::vector<std::uint32_t> numbers;
    numbers.reserve(check.rooms.size());
    for (const auto& entry : check.rooms) numbers.push_back(entry.first);
    std::sort(numbers.begin(), numbers.end());
    return numbers;
}

}  // namespace

const CheckedRoom& roomAt(const MapCheck& check, std::uint32_t number) {
    static const CheckedRoom emptyRoom{};
    auto found = check.rooms.find(number);
    return found == check.rooms.end() ? emptyRoom : found->second;
}

std::uint64_t roomLine(const MapCheck& check, std::uint32_t number) {
    const CheckedRoom& room = roomAt(check, number);
    if (room.headingLine != 0) return room.headingLine;
    auto reached = check.reachedBy.find(number);
    return reached != check.reachedBy.end() ? reached->second : room.kindLine;
}

std::vector<const CheckedExit*> takenExits(const CheckedRoom& room) {
    std::vector<const CheckedExit*> exits;
    if (room.kind == Automatic || room.kind == WaitForEnter) {
        exits.push_back(&room.exits[0]);
    } else if (room.kind == Navigate) {
        for (std::uint32_t slot = 0; slot < MAX_EXITS; ++slot) {
            const CheckedExit& exit = room.exits[slot];
            if (exit.key == 0) continue;
            bool shadowed = false;
            for (std::uint32_t earlier = 0; earlier < slot; ++earlier) {
                shadowed = shadowed || room.exits[earlier].key == exit.key;
            }
            if (!shadowed) exits.push_back(&exit);
        }
    }
    return exits;
}

namespace {

void checkExitTargets(MapCheck* check, const std::vector<std::uint32_t>& numbers) {
    for (std::uint32_t number : numbers) {
        for (const CheckedExit& exit : check->rooms[number].exits) {
            if (exit.line == 0 || exit.target < check->roomCount) continue;
            check->report(exit.line, Warning,
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

void checkAutomaticCircles(MapCheck* check, const std::vector<std::uint32_t>& numbers) {
    // 0: not visited, 1: on the current path, 2: done.
    std::unordered_map<std::uint32_t, int> state;
    for (std::uint32_t first : numbers) {
        std::vector<std::uint32_t> path;
        std::uint32_t room = first;
        while (check->rooms.count(room) && check->rooms[room].kind == Automatic && state[room] == 0) {
            state[room] = 1;
            path.push_back(room);
            room = check->rooms[room].exits[0].target;
        }
        if (check->rooms.count(room) && check->rooms[room].kind == Automatic && state[room] == 1) {
            std::vector<std::uint32_t> circle(std::find(path.begin(), path.end(), room), path.end());
            std::rotate(circle.begin(), std::min_element(circle.begin(), circle.end()), circle.end());
            const CheckedRoom& lowest = check->rooms[circle.front()];
            check->report(lowest.exits[0].line, Warning,
                          "automatic rooms go round in a circle (" + listRooms(circle) +
                              "): a player who enters it gets \"" + AUTOMATIC_CIRCLE_MESSAGE + "\"");
        }
        for (std::uint32_t visited : path) state[visited] = 2;
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
        for (const CheckedExit* exit : takenExits(roomAt(check, room))) {
            if (exit->target >= check.roomCount || reachedBy.count(exit->target)) continue;
            reachedBy[exit->target] = exit->line;
            queue.push_back(exit->target);
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
        for (const CheckedExit* exit : takenExits(entry.second)) {
            if (exit->target < check.roomCount) leadsHere[exit->target].push_back(entry.first);
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

// What becomes of a game that can reach no ending, told from the start room
// as the game loop plays it: passages and scenes move on without a choice
// until a room waits for a key (where the player can type exit), an exit
// leaves the table, passages go round in a circle (the loop stops at the
// room an automatic move would show twice without a line read in between),
// or a scene comes round again (only Enter is ever asked for).
std::string gameWithoutEnding(const MapCheck& check) {
    std::unordered_map<std::uint32_t, std::uint32_t> shownInRound;
    std::unordered_set<std::uint32_t> scenesWaitedAt;
    std::uint32_t round = 1;
    std::uint32_t number = check.startRoom;
    for (;;) {
        shownInRound[number] = round;
        const CheckedRoom& room = roomAt(check, number);
        if (room.kind != Automatic && room.kind != WaitForEnter) {
            return "the game only ends when the player types exit";
        }
        if (room.kind == WaitForEnter) {
            if (!scenesWaitedAt.insert(number).second) {
                return "the player is only ever asked to press Enter, round and round, and the game ends only "
                       "when the input does";
            }
            ++round;
        }
        std::uint32_t next = room.exits[0].target;
        if (next >= check.roomCount) {
            return "the game stops with " + quotedMessage(MapDefect{RoomMissing, next, 0});
        }
        auto shown = shownInRound.find(next);
        if (room.kind == Automatic && shown != shownInRound.end() && shown->second == round) {
            return "passages lead round in a circle without asking the player anything, and the game stops with " +
                   quotedMessage(MapDefect{AutomaticCircle, next, 0});
        }
        number = next;
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
            for (std::uint32_t slot = 0; slot < MAX_EXITS; ++slot) {
                const CheckedExit& exit = room.exits[slot];
                anyExit = anyExit || exit.line != 0;
                for (std::uint32_t earlier = 0; earlier < slot && exit.key != 0; ++earlier) {
                    const CheckedExit& first = room.exits[earlier];
                    if (first.key != exit.key) continue;
                    check->report(exit.line, Warning,
                                  "key " + describeKey(exit.key) + " is already used by the exit on line " +
                                      std::to_string(first.line) + ": this exit can never be taken");
                    break;
                }
            }
            if (!anyExit && room.descriptionLine != 0) {
                check->report(room.headingLine, Warning,
                              roomName(number) + " waits for a key but has no exit: a player there can only quit");
            }
        } else if ((room.kind == Automatic || room.kind == WaitForEnter) && room.kindSlot != 0) {
            check->report(room.kindLine, Warning,
                          roomName(number) + " moves on through its first exit (line " +
                              std::to_string(room.exits[0].line) + ", to room " +
                              std::to_string(room.exits[0].target) + "), not through this one");
        }
    }
}

}  // namespace

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
    std::stable_sort(check->diagnostics.begin(), check->diagnostics.end(),
                     [](const Diagnostic& a, const Diagnostic& b) { return a.line < b.line; });
}
