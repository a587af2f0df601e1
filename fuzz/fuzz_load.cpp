// Arbitrary bytes as a whole map through the loader. A failed load leaves no
// table and names its reason; a defect of the map carries the line it was
// found on and a message. After a successful load the table must hold its
// invariants: every room number read
// is below roomCount, which is the highest one plus one; line slots fill from
// 0 without gaps and hold at most 511 bytes; kinds are among the four; no key
// of an exit is a capital letter.
#include <algorithm>
#include <cstring>
#include <vector>

#include "fuzz_console.h"
#include "map_directives.h"
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
        if (classifyMapLine(line) == RoomDirective && readHeadingNumber(line, &number)) {
            numbers.push_back(number);
        }
    }
    endMapLines(&reader);
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

// A load that fails names why; a defect found in the second pass carries a
// line and a message the player reads.
void checkDefect(const MapDefect& defect, const std::vector<std::uint32_t>& named) {
    FUZZ_CHECK(defect.kind != NoDefect && defect.kind != MapNotOpened);
    if (defect.kind == NoRoomAboveZero || defect.kind == NoMemory) return;
    FUZZ_CHECK(defect.line >= 1);
    FUZZ_CHECK(defectReport(defect.kind) != SilentDefect);
    char message[96];
    formatDefectMessage(defect, message, sizeof message);
    FUZZ_CHECK(message[0] != '\0');
    FUZZ_CHECK(defect.kind != MapChanged && defect.kind != LineSlotUsed);
    if (defect.kind == DescribedTwice) {
        FUZZ_CHECK(std::find(named.begin(), named.end(), defect.room) != named.end() || defect.room == 0);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const char* map = reinterpret_cast<const char*>(data);
    std::vector<std::uint32_t> named = namedRooms(map, size);

    setFuzzConsoleInput(nullptr, 0);
    MapDefect defect{};
    startMapLinesInMemory(&reader, map, size);
    int result = loadMapFrom(&reader, &defect);
    endMapLines(&reader);
    FUZZ_CHECK(fuzzConsoleOutputBytes() == 0);  // the loader reports, it never prints
    if (result == 0) {
        FUZZ_CHECK(defect.kind == NoDefect);
        checkTable(named);
    } else {
        FUZZ_CHECK(result == 1);
        FUZZ_CHECK(rooms == nullptr);
        checkDefect(defect, named);
    }
    freeRooms();
    return 0;
}
