#include "random_games.h"

#include <algorithm>
#include <map>
#include <unordered_map>

#include "bulk_memory.h"
#include "diagnostic_text.h"
#include "move_rules.h"
#include "random_draw.h"
#include "release_names.h"

namespace {

// The model as the passage rules walk it, marking what is reached.
struct MarkingRooms : CheckedRooms {
    ReachMarks reached;
    std::uint32_t* chainMarks;   // per room: `chain` when entered in the chain being followed
    std::uint32_t chain;

    bool enteredSinceLine(std::uint32_t room) const { return chainMarks[room] == chain; }
    void takeExit(std::uint32_t room, std::uint32_t slot) { markExitTaken(&reached, room, slot); }
    void enter(std::uint32_t room) {
        chainMarks[room] = chain;
        markRoomShown(&reached, room);
    }
};

struct RandomPlayer {
    const MapCheck* check;
    MarkingRooms rooms;
    // Where the passages after a room end. It depends only on that room,
    // since the rooms entered since the last line are those of the chain
    // itself; so each chain is walked once, however many games enter it.
    std::unordered_map<std::uint32_t, PassageChain> chains;
    std::map<std::uint32_t, std::uint64_t> endings;
    std::map<std::uint32_t, std::uint64_t> stuck;
    std::string keys;  // the lines the game being played typed
};

// Where a player who enters `room` comes to rest: the chain's end, and the
// room there when the chain stops (looked up once, as the model is a hash
// table).
struct Arrival {
    PassageChain chain;
    const CheckedRoom* room;
};

Arrival enterRoom(RandomPlayer* player, std::uint32_t number) {
    MarkingRooms& rooms = player->rooms;
    const CheckedRoom& room = roomAt(*player->check, number);
    if (room.kind != Automatic) {
        rooms.reached.rooms[number] |= ROOM_SHOWN_MARK;
        return Arrival{PassageChain{ChainStops, number, 0}, &room};
    }
    auto known = player->chains.find(number);
    PassageChain chain{};
    if (known != player->chains.end()) {
        chain = known->second;
    } else {
        ++rooms.chain;
        rooms.reached.exitPending = false;
        chain = enterAndFollowPassages(rooms, number);
        player->chains.emplace(number, chain);
    }
    return Arrival{chain, chain.end == ChainStops ? &roomAt(*player->check, chain.room) : nullptr};
}

// The exit slots a line typed in a room that waits for a key can take,
// leaving out keys no console line can hold (a line ends at LF, and CR LF
// is read as LF).
std::uint32_t keyedSlots(const CheckedRoom& room, std::uint32_t slots[MAX_EXITS]) {
    std::uint32_t count = 0;
    for (std::uint32_t slot : takenExits(room)) {
        char key = room.exits[slot].key;
        if (key != '\n' && key != '\r') slots[count++] = slot;
    }
    return count;
}

enum GameResult { EndedGame, StuckGame, QuitGame, LongGame, StoppedGame };

struct Stop {
    MapDefect defect;
    std::uint32_t room;
    std::uint32_t slot;
    std::uint64_t lines;
};

GameResult stopGame(Stop* stop, DefectKind kind, std::uint32_t target, std::uint32_t room, std::uint32_t slot,
                    std::uint64_t lines) {
    *stop = Stop{MapDefect{kind, target, 0}, room, slot, lines};
    return StoppedGame;
}

GameResult playRandomGame(RandomPlayer* player, RandomDraw* draw, std::uint64_t steps, Stop* stop) {
    const MapCheck& check = *player->check;
    player->keys.clear();
    std::uint64_t lines = 0;
    Arrival arrival = enterRoom(player, check.startRoom);
    for (;;) {
        const PassageChain& chain = arrival.chain;
        if (chain.end == ChainLeavesTable) return stopGame(stop, RoomMissing, chain.target, chain.room, FIRST_EXIT, lines);
        if (chain.end == ChainGoesRound) return stopGame(stop, AutomaticCircle, chain.target, chain.room, FIRST_EXIT, lines);
        std::uint32_t number = chain.room;
        const CheckedRoom& room = *arrival.room;
        std::uint32_t slots[MAX_EXITS];
        std::uint32_t choices = 0;
        if (room.kind == GameOver) {
            ++player->endings[number];
            return EndedGame;
        }
        if (room.kind == Navigate) choices = keyedSlots(room, slots);
        if (room.kind == WaitForEnter) {
            slots[0] = FIRST_EXIT;
            choices = 1;
        }
        if (choices == 0) {
            ++player->stuck[number];
            return StuckGame;
        }
        if (lines == steps) return LongGame;
        std::uint32_t slot = slots[0];
        if (room.kind == Navigate) {
            if (randomBelow(draw, EXIT_CHANCE) == 0) {
                player->keys += "exit\n";
                return QuitGame;
            }
            slot = slots[randomBelow(draw, choices)];
            player->keys += room.exits[slot].key;
        }
        player->keys += '\n';
        ++lines;
        std::uint32_t target = room.exits[slot].target;
        if (target >= check.roomCount) return stopGame(stop, RoomMissing, target, number, slot, lines);
        player->rooms.reached.rooms[number] |= static_cast<std::uint16_t>(1u << slot);
        arrival = enterRoom(player, target);
    }
}

std::string share(std::uint64_t count, std::uint64_t games) {
    std::uint64_t tenths = (count * 1000 + games / 2) / games;  // of a percent, rounded
    return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) + "%";
}

std::string gamesLine(const std::string& where, const std::string& what, std::uint64_t count, std::uint64_t games) {
    return where + ": " + what + ": " + plural(count, "game") + " (" + share(count, games) + ")";
}

std::vector<RoomCount> roomCounts(const std::map<std::uint32_t, std::uint64_t>& counts) {
    std::vector<RoomCount> list;
    for (const auto& entry : counts) list.push_back(RoomCount{entry.first, entry.second});
    return list;
}

void runGames(RandomPlayer* player, const RandomOptions& options, RandomReport* report) {
    for (std::uint64_t game = 1; game <= options.games; ++game) {
        RandomDraw draw = startRandomDraw(options.seed, game);
        Stop stop{};
        switch (playRandomGame(player, &draw, options.steps, &stop)) {
        case EndedGame:
            break;
        case StuckGame:
            ++report->stuckGames;
            break;
        case QuitGame:
            ++report->quitGames;
            break;
        case LongGame:
            ++report->longGames;
            break;
        case StoppedGame:
            if (++report->stoppedGames == 1) {
                report->firstStopped = game;
                report->stoppedKeys = player->keys;
                report->stoppedLines = stop.lines;
                report->defect = stop.defect;
                report->stopRoom = stop.room;
                report->stopSlot = stop.slot;
            }
            break;
        }
        if (options.progress != nullptr && game % PROGRESS_GAMES == 0) options.progress(game);
    }
}

}  // namespace

RandomReport playRandomGames(const MapCheck& check, const RandomOptions& options) {
    RandomReport report;
    report.reached.reachedBy = "these games";
    std::size_t markBytes = sizeof(std::uint16_t) * std::size_t{check.roomCount};
    std::size_t chainBytes = sizeof(std::uint32_t) * std::size_t{check.roomCount};
    void* marks = allocateZeroedBlock(markBytes, false);
    void* chainMarks = allocateZeroedBlock(chainBytes, false);
    if (marks != nullptr && chainMarks != nullptr) {
        RandomPlayer player{&check, {}, {}, {}, {}, {}};
        player.rooms.check = &check;
        player.rooms.reached.rooms = static_cast<std::uint16_t*>(marks);
        player.rooms.chainMarks = static_cast<std::uint32_t*>(chainMarks);
        if (check.hasStart) runGames(&player, options, &report);
        for (std::uint32_t ending : findEndings(check)) player.endings[ending] += 0;
        report.endings = roomCounts(player.endings);
        report.stuck = roomCounts(player.stuck);
        tallyReached(check, player.rooms.reached.rooms, &report.reached);
        report.played = true;
        report.reached.played = true;
    }
    if (marks != nullptr) releaseZeroedBlock(marks, markBytes, false);
    if (chainMarks != nullptr) releaseZeroedBlock(chainMarks, chainBytes, false);
    return report;
}

std::string randomKeysPath(const std::string& mapPath, std::uint64_t seed) {
    std::string base = mapPath == "-" ? "stdin" : pathFileName(mapPath);
    if (base.size() > 4 && base.compare(base.size() - 4, 4, ".map") == 0) base.resize(base.size() - 4);
    return fileBeside(mapPath, base + ".random-" + std::to_string(seed) + ".keys");
}

std::string randomReportText(const char* mapName, const RandomReport& report, const RandomOptions& options,
                             const MapCheck& check, const std::string& keysPath) {
    std::string name = mapName;
    if (!report.played) return name + ": not enough memory for random games\n";
    std::uint64_t games = options.games;
    std::string text = name + ": " + plural(games, "random game") + ", seed " + std::to_string(options.seed) +
                       ", at most " + plural(options.steps, "line") + " each\n";
    if (!check.hasStart) return text + name + ": no game shows anything: no room has a description\n";
    for (const RoomCount& ending : report.endings) {
        text += gamesLine(name + ":" + std::to_string(roomLine(check, ending.room)), "ending " +
                          std::to_string(ending.room), ending.games, games) + "\n";
    }
    text += gamesLine(name, "stuck in a room no line leaves", report.stuckGames, games) + "\n";
    for (const RoomCount& room : report.stuck) {
        text += gamesLine(name + ":" + std::to_string(roomLine(check, room.room)), "stuck in " + roomName(room.room),
                          room.games, games) + "\n";
    }
    text += gamesLine(name, "quit (typed exit)", report.quitGames, games) + "\n";
    text += gamesLine(name, "out of lines after " + std::to_string(options.steps), report.longGames, games) + "\n";
    text += gamesLine(name, "stopped by a defect of the map", report.stoppedGames, games);
    if (report.firstStopped != 0) {
        text += "; the lines of the first, game " + std::to_string(report.firstStopped) + ", are in " + keysPath;
    }
    return text + "\n" + coverageNotes(mapName, report.reached);
}

std::string randomStopError(const char* mapName, const RandomReport& report, const MapCheck& check,
                            const std::string& keysPath) {
    if (report.firstStopped == 0) return "";
    return gameStopError(keysPath, report.stoppedLines, quotedMessage(report.defect),
                         explainStop(mapName, check, report.defect, report.stopRoom, report.stopSlot));
}
