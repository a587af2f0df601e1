#include "room_table.h"

#include <cstdlib>
#include <cstring>

#include "bulk_memory.h"

Room* rooms = nullptr;
std::uint32_t roomCount = 0;

namespace {

// Tables up to this many rooms are scanned room by room. Larger ones are
// scanned only where the line index shows lines: reading the untouched pages
// of a table of millions of rooms would cost as much as filling them.
constexpr std::uint32_t SCAN_WHOLE_TABLE_LIMIT = 1u << 16;

std::size_t tableBytes = 0;

// One bit per room that holds lines, and the lowest and highest such room.
struct LineIndex {
    std::uint64_t* bits = nullptr;
    std::size_t bytes = 0;
    std::uint32_t first = UINT32_MAX;
    std::uint32_t last = 0;
};
LineIndex lineIndex;

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
    std::uintptr_t low = UINTPTR_MAX;  // bounds of all blocks, a quick first test
    std::uintptr_t high = 0;
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
    std::uintptr_t address = reinterpret_cast<std::uintptr_t>(start);
    if (address < textStore.low) textStore.low = address;
    if (address + size > textStore.high) textStore.high = address + size;
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

bool isStoredText(const char* text) {
    std::uintptr_t address = reinterpret_cast<std::uintptr_t>(text);
    if (address < textStore.low || address >= textStore.high) return false;
    for (std::size_t i = 0; i < textStore.count; ++i) {
        std::uintptr_t start = reinterpret_cast<std::uintptr_t>(textStore.blocks[i].start);
        if (address >= start && address - start < textStore.blocks[i].size) return true;
    }
    return false;
}

// A line that did not come from the text store was put in by other code
// with malloc, and the table owns it all the same.
void releaseLine(char* line) {
    if (!isStoredText(line)) std::free(line);
}

void releaseTextStore() {
    for (std::size_t i = 0; i < textStore.count; ++i) {
        releaseZeroedBlock(textStore.blocks[i].start, textStore.blocks[i].size, true);
    }
    std::free(textStore.blocks);
    textStore = TextStore{};
}

void indexRoom(std::uint32_t number) {
    if (lineIndex.bits == nullptr) return;
    lineIndex.bits[number >> 6] |= std::uint64_t{1} << (number & 63);
    if (number < lineIndex.first) lineIndex.first = number;
    if (number > lineIndex.last) lineIndex.last = number;
}

int lowestSetBit(std::uint64_t bits) {
#if defined(__GNUC__) || defined(__clang__)
    return __builtin_ctzll(bits);
#else
    int position = 0;
    while ((bits & 1) == 0) {
        bits >>= 1;
        ++position;
    }
    return position;
#endif
}

// The next room, from `from` on, that may hold lines; roomCount when none.
std::uint32_t nextRoomWithLines(std::uint32_t from) {
    if (lineIndex.bits == nullptr) return from;  // a small table: every room
    if (from > lineIndex.last || lineIndex.first > lineIndex.last) return roomCount;
    if (from < lineIndex.first) from = lineIndex.first;
    std::size_t word = from >> 6;
    std::size_t lastWord = lineIndex.last >> 6;
    std::uint64_t bits = lineIndex.bits[word] & (~std::uint64_t{0} << (from & 63));
    while (bits == 0) {
        if (++word > lastWord) return roomCount;
        bits = lineIndex.bits[word];
    }
    return static_cast<std::uint32_t>(word * 64 + lowestSetBit(bits));
}

// Whether `count` elements of `size` bytes can be measured in size_t (a
// 32-bit platform cannot hold a table of billions of rooms).
bool fitsInMemorySize(std::uint64_t count, std::size_t size) {
    return count <= SIZE_MAX / size;
}

}  // namespace

bool createRooms(std::uint32_t count) {
    freeRooms();  // one table at a time
    roomCount = count;
    if (count == 0 || !fitsInMemorySize(count, sizeof(Room))) return false;
    std::size_t bytes = std::size_t{count} * sizeof(Room);
    // Fresh pages from the system are already zero: a table of twenty million
    // rooms costs memory only where rooms are filled.
    Room* table = static_cast<Room*>(allocateZeroedBlock(bytes, true));
    if (table == nullptr) return false;
    if (count > SCAN_WHOLE_TABLE_LIMIT) {
        std::size_t indexBytes = ((std::size_t{count} + 63) / 64) * sizeof(std::uint64_t);
        lineIndex.bits = static_cast<std::uint64_t*>(allocateZeroedBlock(indexBytes, false));
        if (lineIndex.bits == nullptr) {
            releaseZeroedBlock(table, bytes, true);
            return false;
        }
        lineIndex.bytes = indexBytes;
    }
    rooms = table;
    tableBytes = bytes;
    return true;
}

bool storeRoomLine(std::uint32_t number, std::uint32_t slot, const char* text,
                   std::size_t length) {
    char* copy = copyText(text, length);
    if (copy == nullptr) return false;
    rooms[number].lines[slot] = copy;
    indexRoom(number);
    return true;
}

std::uint32_t findFirstDescribedRoom() {
    for (std::uint32_t number = nextRoomWithLines(0); number < roomCount;
         number = nextRoomWithLines(number + 1)) {
        if (isDescribed(rooms[number])) return number;
    }
    return roomCount;
}

void freeRooms() {
    if (rooms == nullptr) return;
    for (std::uint32_t number = nextRoomWithLines(0); number < roomCount;
         number = nextRoomWithLines(number + 1)) {
        for (char*& line : rooms[number].lines) {
            // Only filled slots are written, so untouched pages stay untouched.
            if (line == nullptr) continue;
            releaseLine(line);
            line = nullptr;
        }
    }
    releaseZeroedBlock(rooms, tableBytes, true);
    rooms = nullptr;
    releaseZeroedBlock(lineIndex.bits, lineIndex.bytes, false);
    lineIndex = LineIndex{};
    releaseTextStore();
}
