#include "game_loop.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "bulk_memory.h"
#include "console_text.h"
#include "room_table.h"

namespace {

// Which rooms were shown since the last console read that yielded a line.
// A room's mark equals the current round when it was shown in this round, so
// a new round costs one increment, not a sweep of the table.
struct ShownRooms {
    std::uint32_t* marks;  // one per room, 0 = never shown
    std::size_t bytes;
    std::uint32_t round;
};

// Kept here rather than on the stack so that a game ended by a defect, when
// something other than the process exit takes over (the fuzz targets), does
// not leave its marks behind: the next game releases them.
ShownRooms shownRooms{nullptr, 0, 0};

void releaseShownRooms(ShownRooms* shown) {
    releaseZeroedBlock(shown->marks, shown->bytes, false);
    *shown = ShownRooms{nullptr, 0, 0};
}

// The marks come zero-filled from the system like the table itself, so a
// huge table's marks cost memory only for the rooms actually shown.
void startShownRooms(ShownRooms* shown) {
    releaseShownRooms(shown);
    std::size_t bytes = sizeof(std::uint32_t) * std::size_t{roomCount};
    void* marks = allocateZeroedBlock(bytes, false);
    if (marks == nullptr) exitWithFailure();  // out of memory
    *shown = ShownRooms{static_cast<std::uint32_t*>(marks), bytes, 1};
}

void startNewRound(ShownRooms* shown) {
    if (++shown->round == 0) {  // after 2^32 rounds the marks are cleared once
        std::memset(shown->marks, 0, shown->bytes);
        shown->round = 1;
    }
}

void showRoom(const Room& room) {
    writeOutput("\n", 1);
    for (const char* line : room.lines) {
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

// The room an exit leads to; an exit out of the table ends the game here
// rather than reading memory that is not a room.
std::uint32_t checkedTarget(const Exit& exit) {
    if (exit.target >= roomCount) {
        char message[64];
        std::snprintf(message, sizeof message, "Hibas terkep: %u helyiseg nem letezik", exit.target);
        fatalError(message);
    }
    return exit.target;
}

// Reads lines until one selects an exit (true, with `next` set) or the player
// quits with "exit" or the input ends (false).
bool waitForKey(const Room& room, ShownRooms* shown, std::uint32_t* next) {
    char line[LINE_BUFFER_SIZE];
    for (;;) {
        if (!readPlayerLine(line, shown)) return false;
        if (line[0] == '\0') continue;
        lowercaseInPlace(line);
        if (std::strcmp(line, "exit") == 0) return false;
        if (line[1] != '\0') continue;  // only a one-byte line can be a key
        for (const Exit& exit : room.exits) {
            if (exit.key == line[0]) {
                *next = checkedTarget(exit);
                return true;
            }
        }
    }
}

}  // namespace

void playGame() {
    std::uint32_t current = findFirstDescribedRoom();
    if (current == roomCount) return;

    ShownRooms& shown = shownRooms;
    startShownRooms(&shown);
    char line[LINE_BUFFER_SIZE];
    bool playing = true;
    while (playing) {
        const Room& room = rooms[current];
        shown.marks[current] = shown.round;
        showRoom(room);
        switch (room.kind) {
        case Navigate:
            playing = waitForKey(room, &shown, &current);
            break;
        case Automatic:
            current = checkedTarget(room.exits[0]);
            if (shown.marks[current] == shown.round) {
                char message[80];
                std::snprintf(message, sizeof message,
                              "Hibas terkep: vegtelen automatikus kor a %u helyisegnel", current);
                fatalError(message);
            }
            break;
        case WaitForEnter:
            playing = readPlayerLine(line, &shown);
            if (playing) current = checkedTarget(room.exits[0]);
            break;
        case GameOver:
            playing = false;
            break;
        default:
            fatalError("Program error: unknown Verekozas type");
        }
    }
    releaseShownRooms(&shown);
}
