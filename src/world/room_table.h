// The room table: the whole world of one game, one table per process.
// Created and filled by the map loader, read by the game loop, released by
// whoever loaded it: the console program after its game, the player page's
// engine before the next map, a map's analysis (coverage, transcripts, the
// studio's play) when it is given another map or ends.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr std::uint32_t MAX_LINES = 16;  // description lines of one room
constexpr std::uint32_t MAX_EXITS = 9;   // exits of one room

// How a room behaves once it has been shown. The messages call this the
// room's "Verekozas type".
enum RoomKind : std::int32_t {
    Navigate = 0,      // wait for the player's key
    Automatic = 1,     // move on at once to the target of exit slot 0
    WaitForEnter = 2,  // wait for one input line, then take exit slot 0
    GameOver = -1,     // the game ends
};

struct Exit {
    std::uint32_t target;  // room number as read from the map; may be out of range
    char key;  // lowercased key of an N exit; 1 for an A or E exit; 0 when empty
};

struct Room {
    char* lines[MAX_LINES];  // owned copies of the map lines, filled from slot 0
    Exit exits[MAX_EXITS];
    RoomKind kind;
};

// The table: `roomCount` records, or null before loading and after release.
extern Room* rooms;
extern std::uint32_t roomCount;

/// Sets roomCount and allocates `count` zero-filled rooms in one block. Pages
/// of rooms the map never touches are never written, so they cost no memory.
/// Returns false, leaving `rooms` null, for a count of 0, a size that does not
/// fit size_t, or when the memory cannot be had; and false, leaving the table
/// there as it is, while one is loaded: whoever loaded it releases it first.
bool createRooms(std::uint32_t count);

/// Copies `length` bytes of text, terminated, into the table's own storage
/// and files the copy as line `slot` of room `number`. Returns false when no
/// memory is left. Lines are filed only this way, each room's from slot 0 up,
/// which lets the table know its first described room without a scan.
bool storeRoomLine(std::uint32_t number, std::uint32_t slot, const char* text,
                   std::size_t length);

/// The lowest-numbered described room, or roomCount when no room is.
std::uint32_t findFirstDescribedRoom();

/// Releases every description line and the table; does nothing without one.
/// roomCount keeps its value. The cost does not grow with the room count.
void freeRooms();

/// True when the room has a description (its line slot 0 is filled).
inline bool isDescribed(const Room& room) {
    return room.lines[0] != nullptr;
}
