// Arbitrary bytes as a whole map through the loader. A defect ends the load
// as in the real program (the fuzz console brings control back here). After a
// successful load the table must hold its invariants: every room number read
// is below roomCount, which is the highest one plus one; line slots fill from
// 0 without gaps and hold at most 511 bytes; kinds are among the four; no key
// of an exit is a capital letter.
#include <cstring>
#include <vector>

#include "fuzz_console.h"
#include "map_loader.h"

namespace {

MapLineReader reader;

// The numbers of all #helyiseg lines that carry one, in the loader's own
// reading of the map.
std::vector<std::uint32_t> namedRooms(const char* map, std::size_t size) {
    std::vector<std::uint32_t> numbers;
    startMapLinesInMemory(&reader, map, size);
    MapLine line;
    while (readMapLine(&reader, &line)) {
        std::uint32_t number = 0;
        if (classifyMapLine(line) == RoomDirective &&
            scanRoomNumber(line.bytes, line.textLength, &number) == 1) {
            numbers.push_back(number);
        }
    }
    return numbers;
}

void checkRoom(const Room& room) {
    bool gap = false;
    for (const char* line : room.lines) {
        if (line == nullptr) {
            gap = true;
            continue;
        }
        FUZZ_CHECK(!gap);
        FUZZ_CHECK(std::strlen(line) <= 511);
    }
    FUZZ_CHECK(room.kind == Navigate || room.kind == Automatic || room.kind == WaitForEnter ||
               room.kind == GameOver);
    for (const Exit& exit : room.exits) FUZZ_CHECK(!(exit.key >= 'A' && exit.key <= 'Z'));
}

void checkTable(const std::vector<std::uint32_t>& named) {
    std::uint32_t highest = 0;
    for (std::uint32_t number : named) {
        FUZZ_CHECK(number < roomCount);
        if (number > highest) highest = number;
    }
    FUZZ_CHECK(roomCount == highest + 1);
    checkRoom(rooms[0]);
    for (std::uint32_t number : named) checkRoom(rooms[number]);
    std::uint32_t start = findFirstDescribedRoom();
    FUZZ_CHECK(start == roomCount || isDescribed(rooms[start]));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const char* map = reinterpret_cast<const char*>(data);
    std::vector<std::uint32_t> named = namedRooms(map, size);

    setFuzzConsoleInput(nullptr, 0);
    std::jmp_buf exitPoint;
    setFuzzExitPoint(&exitPoint);
    volatile int result = -1;  // -1: ended by a defect
    if (setjmp(exitPoint) == 0) {
        startMapLinesInMemory(&reader, map, size);
        result = loadMapFrom(&reader);
    }
    setFuzzExitPoint(nullptr);
    if (result == 0) checkTable(named);
    if (result == 1) FUZZ_CHECK(rooms == nullptr);
    freeRooms();
    return 0;
}
