#include "game_loop.h"

#include <cstring>

#include "bulk_memory.h"
#include "console_text.h"
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

// Reads lines until one selects an exit: true, with its slot. False when
// the player types "exit" or the input ends, with which of the two in `end`.
bool waitForKey(const Room& room, Game* game, std::uint32_t* slot, GameEnd* end) {
    char line[LINE_BUFFER_SIZE];
    for (;;) {
        if (!readPlayerLine(line, &game->shown)) {
            *end = InputEnded;
            return false;
        }
        if (line[0] == '\0') continue;
        lowercaseInPlace(line);
        if (std::strcmp(line, "exit") == 0) {
            *end = PlayerQuit;
            return false;
        }
        if (line[1] != '\0') continue;  // only a one-byte line can be a key
        for (std::uint32_t i = 0; i < MAX_EXITS; ++i) {
            if (room.exits[i].key == line[0]) {
                *slot = i;
                return true;
            }
        }
    }
}

// Acts on the kind of the room just shown. Returns true with the exit slot
// to take, or false with how the game ended.
bool chooseExit(Game* game, std::uint32_t number, std::uint32_t* slot, GameEnd* end) {
    const Room& room = rooms[number];
    char line[LINE_BUFFER_SIZE];
    *slot = 0;  // Automatic and WaitForEnter rooms always take slot 0
    switch (room.kind) {
    case Navigate:
        return waitForKey(room, game, slot, end);
    case Automatic:
        return true;
    case WaitForEnter:
        *end = InputEnded;
        return readPlayerLine(line, &game->shown);
    case GameOver:
        *end = ReachedGameOver;
        return false;
    default:
        *end = stopGame(game, UnknownRoomKind, number);
        return false;
    }
}

GameEnd playFrom(Game* game, std::uint32_t current) {
    for (;;) {
        showRoom(game, current);
        std::uint32_t slot = 0;
        GameEnd end = ReachedGameOver;
        if (!chooseExit(game, current, &slot, &end)) return end;
        const Room& room = rooms[current];
        std::uint32_t next = room.exits[slot].target;
        // An exit out of the table ends the game rather than reading memory
        // that is not a room.
        if (next >= roomCount) return stopGame(game, RoomMissing, next);
        // An automatic move into a room shown since the last line read would
        // go round for ever without asking the player anything.
        if (room.kind == Automatic && game->shown.marks[next] == game->shown.round) {
            return stopGame(game, AutomaticCircle, next);
        }
        if (game->observer != nullptr) game->observer->exitTaken(game->observer->context, current, slot);
        current = next;
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
