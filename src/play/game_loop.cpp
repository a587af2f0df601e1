#include "game_loop.h"

#include <cstring>

#include "bulk_memory.h"
#include "console_text.h"
#include "move_rules.h"
#include "room_table.h"

namespace {

// Which rooms were shown since the last console read that yielded a line.
// A room's mark equals the current round when it was shown in this round, so
// a new round costs one increment, not a sweep of the table. The marks come
// zero-filled from the system like the table itself, so a huge table's marks
// cost memory only for the rooms actually shown.
struct ShownRooms {
    std::uint32_t* marks;  // one per room, 0 = never shown
    std::size_t bytes;
    std::uint32_t round;
};

struct Game {
    ShownRooms shown;
    const PlayObserver* observer;
    MapDefect* defect;
};

bool startShownRooms(ShownRooms* shown) {
    std::size_t bytes = sizeof(std::uint32_t) * std::size_t{roomCount};
    void* marks = allocateZeroedBlock(bytes, false);
    *shown = ShownRooms{static_cast<std::uint32_t*>(marks), bytes, 1};
    return marks != nullptr;
}

void releaseShownRooms(ShownRooms* shown) {
    releaseZeroedBlock(shown->marks, shown->bytes, false);
    *shown = ShownRooms{nullptr, 0, 0};
}

void startNewRound(ShownRooms* shown) {
    if (++shown->round == 0) {  // after 2^32 rounds the marks are cleared once
        std::memset(shown->marks, 0, shown->bytes);
        shown->round = 1;
    }
}

GameEnd stopGame(Game* game, DefectKind kind, std::uint32_t room) {
    *game->defect = MapDefect{kind, room, 0};
    return GameStopped;
}

void showRoom(Game* game, std::uint32_t number) {
    game->shown.marks[number] = game->shown.round;
    if (game->observer != nullptr) game->observer->roomShown(game->observer->context, number);
    writeOutput("\n", 1);
    for (const char* line : rooms[number].lines) {
        if (line != nullptr) writeText(line);
    }
    writeOutput("\n", 1);
}

// Every read that yields a line, whatever it holds, starts a new round.
bool readPlayerLine(char* buffer, ShownRooms* shown) {
    if (!readConsoleLine(buffer)) return false;
    startNewRound(shown);
    return true;
}

// Reads lines in a room that waits for one until a line moves the player on:
// true, with the exit slot to take. False when the player types "exit" or
// the input ends, with which of the two in `end`.
bool readUntilMove(std::uint32_t number, Game* game, std::uint32_t* slot, GameEnd* end) {
    const Room& room = rooms[number];
    char line[LINE_BUFFER_SIZE];
    for (;;) {
        if (!readPlayerLine(line, &game->shown)) {
            *end = InputEnded;
            return false;
        }
        LineMove move = moveForLine(room.kind, room.exits, line);
        if (game->observer != nullptr && game->observer->lineRead != nullptr) {
            game->observer->lineRead(game->observer->context, number, line, move);
        }
        if (move.effect == LineTakesExit) {
            *slot = move.slot;
            return true;
        }
        if (move.effect == LineQuits) {
            *end = PlayerQuit;
            return false;
        }
    }
}

// Acts on the kind of a room where passages stopped. Returns true with the
// exit slot a line chose, or false with how the game ended.
bool chooseExit(Game* game, std::uint32_t number, std::uint32_t* slot, GameEnd* end) {
    const Room& room = rooms[number];
    switch (room.kind) {
    case Navigate:
    case WaitForEnter:
        return readUntilMove(number, game, slot, end);
    case GameOver:
        *end = ReachedGameOver;
        return false;
    default:
        *end = stopGame(game, UnknownRoomKind, number);
        return false;
    }
}

void tellExitTaken(Game* game, std::uint32_t room, std::uint32_t slot) {
    if (game->observer != nullptr) game->observer->exitTaken(game->observer->context, room, slot);
}

// The room table as the passage rules see it; entering a room shows it.
struct TableWorld {
    Game* game;
    RoomKind kindOf(std::uint32_t room) const { return rooms[room].kind; }
    const Exit* exitsOf(std::uint32_t room) const { return rooms[room].exits; }
    std::uint32_t roomCount() const { return ::roomCount; }
    bool enteredSinceLine(std::uint32_t room) const { return game->shown.marks[room] == game->shown.round; }
    void takeExit(std::uint32_t room, std::uint32_t slot) { tellExitTaken(game, room, slot); }
    void enter(std::uint32_t room) { showRoom(game, room); }
};

GameEnd playFrom(Game* game, std::uint32_t current) {
    TableWorld world{game};
    for (;;) {
        PassageChain chain = enterAndFollowPassages(world, current);
        // An exit out of the table ends the game rather than reading memory
        // that is not a room.
        if (chain.end == ChainLeavesTable) return stopGame(game, RoomMissing, chain.target);
        if (chain.end == ChainGoesRound) return stopGame(game, AutomaticCircle, chain.target);
        std::uint32_t slot = FIRST_EXIT;
        GameEnd end = ReachedGameOver;
        if (!chooseExit(game, chain.room, &slot, &end)) return end;
        tellExitTaken(game, chain.room, slot);
        current = rooms[chain.room].exits[slot].target;
        if (current >= roomCount) return stopGame(game, RoomMissing, current);
    }
}

}  // namespace

GameEnd playGame(MapDefect* defect, const PlayObserver* observer) {
    *defect = MapDefect{NoDefect, 0, 0};
    std::uint32_t start = findFirstDescribedRoom();
    if (start == roomCount) return NoStartRoom;
    Game game{ShownRooms{nullptr, 0, 0}, observer, defect};
    if (!startShownRooms(&game.shown)) return stopGame(&game, NoMemory, 0);
    GameEnd end = playFrom(&game, start);
    releaseShownRooms(&game.shown);
    return end;
}
