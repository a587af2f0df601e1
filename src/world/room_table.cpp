#include "room_table.h"

#include <cstdlib>
#include <cstring>

#include "bulk_memory.h"

Room* rooms = nullptr;
std::uint32_t roomCount = 0;

namespace {

std::size_t tableBytes = 0;

// The lowest room that received a line. Lines fill from slot 0, so that room
// is the lowest described one; keeping it as lines arrive spares a scan of a
// table of millions of rooms.
std::uint32_t firstRoomWithLines = UINT32_MAX;

// Description lines are copied into large blocks rather than one heap
// allocation each: a big map has millions of lines.
struct TextBlock {
    char* start;
    std::size_t size;
};
constexpr std::size_t FIRST_TEXT_BLOCK = std::size_t{64} << 10;
constexpr std::size_t LARGEST_TEXT_BLOCK = std::size_t{64} << 20;

struct TextStore {
    TextBlock* blocks = nullptr;
    std::size_t count = 0;
    std::size_t capacity = 0;
    char* cursor = nullptr;
    std::size_t remaining = 0;
};
TextStore textStore;

bool addTextBlock(std::size_t needed) {
    if (textStore.count == textStore.capacity) {
        std::size_t capacity = textStore.capacity == 0 ? 16 : textStore.capacity * 2;
        void* grown = std::realloc(textStore.blocks, capacity * sizeof(TextBlock));
        if (grown == nullptr) return false;
        textStore.blocks = static_cast<TextBlock*>(grown);
        textStore.capacity = capacity;
    }
    std::size_t size = FIRST_TEXT_BLOCK;
    if (textStore.count > 0) {
        size = textStore.blocks[textStore.count - 1].size * 2;
        if (size > LARGEST_TEXT_BLOCK) size = LARGEST_TEXT_BLOCK;
    }
    if (size < needed) size = needed;
    char* start = static_cast<char*>(allocateZeroedBlock(size, true));
    if (start == nullptr) return false;
    textStore.blocks[textStore.count++] = TextBlock{start, size};
    textStore.cursor = start;
    textStore.remaining = size;
    return true;
}

char* copyText(const char* text, std::size_t length) {
    std::size_t needed = length + 1;
    if (needed > textStore.remaining && !addTextBlock(needed)) return nullptr;
    char* copy = textStore.cursor;
    std::memcpy(copy, text, length);
    copy[length] = '\0';
    textStore.cursor += needed;
    textStore.remaining -= needed;
    return copy;
}

void releaseTextStore() {
    for (std::size_t i = 0; i < textStore.count; ++i) {
        releaseZeroedBlock(textStore.blocks[i].start, textStore.blocks[i].size, true);
    }
    std::free(textStore.blocks);
    textStore = TextStore{};
}

// Whether `count` elements of `size` bytes can be measured in size_t (a
// 32-bit platform cannot hold a table of billions of rooms).
bool fitsInMemorySize(std::uint64_t count, std::size_t size) {
    return count <= SIZE_MAX / size;
}

}  // namespace

bool createRooms(std::uint32_t count) {
    if (rooms != nullptr) return false;  // one table at a time, released by its owner
    roomCount = count;
    if (count == 0 || !fitsInMemorySize(count, sizeof(Room))) return false;
    std::size_t bytes = std::size_t{count} * sizeof(Room);
    // Fresh pages from the system are already zero: a table of twenty million
    // rooms costs memory only where rooms are filled.
    rooms = static_cast<Room*>(allocateZeroedBlock(bytes, true));
    if (rooms == nullptr) return false;
    tableBytes = bytes;
    return true;
}

bool storeRoomLine(std::uint32_t number, std::uint32_t slot, const char* text,
                   std::size_t length) {
    char* copy = copyText(text, length);
    if (copy == nullptr) return false;
    rooms[number].lines[slot] = copy;
    if (number < firstRoomWithLines) firstRoomWithLines = number;
    return true;
}

std::uint32_t findFirstDescribedRoom() {
    return firstRoomWithLines < roomCount ? firstRoomWithLines : roomCount;
}

// The lines live in the text store, so the table and the store go back to the
// system whole, without a visit to any room.
void freeRooms() {
    if (rooms == nullptr) return;
    releaseZeroedBlock(rooms, tableBytes, true);
    rooms = nullptr;
    tableBytes = 0;
    firstRoomWithLines = UINT32_MAX;
    releaseTextStore();
}
