#include "room_table.h"

#include <cstddef>
#include <cstdlib>

Room* rooms = nullptr;
std::uint32_t roomCount = 0;

bool createRooms(std::uint32_t count) {
    roomCount = count;
    rooms = nullptr;
    if (count == 0 || count > SIZE_MAX / sizeof(Room)) return false;
    // calloc hands out fresh pages already zeroed: a table of twenty million
    // rooms costs memory only where rooms are filled.
    rooms = static_cast<Room*>(std::calloc(count, sizeof(Room)));
    return rooms != nullptr;
}

void freeRooms() {
    if (rooms == nullptr) return;
    for (std::uint32_t number = 0; number < roomCount; ++number) {
        for (char*& line : rooms[number].lines) {
            // Only filled slots are written, so untouched pages stay untouched.
            if (line == nullptr) continue;
            std::free(line);
            line = nullptr;
        }
    }
    std::free(rooms);
    rooms = nullptr;
}
