// One input split at its first 0xFF 0xFF pair into a map and the player's
// console input; the map is loaded and played to the end through the
// program's own run.
// Checks that the game ends and that its output stays bounded: no more than
// three times the map's size for each console line read, plus once more.
// Rooms shown between two reads are all different, so an endless circle of
// automatic rooms would break the bound.
#include <cstring>

#include "fuzz_console.h"
#include "room_table.h"
#include "run_game.h"

namespace {

MapLineReader reader;

std::size_t countLines(const std::uint8_t* data, std::size_t size) {
    std::size_t lines = 1;
    for (std::size_t i = 0; i < size; ++i) lines += data[i] == '\n';
    return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::size_t mapSize = size;
    for (std::size_t i = 0; i + 1 < size; ++i) {
        if (data[i] == 0xFF && data[i + 1] == 0xFF) {
            mapSize = i;
            break;
        }
    }
    const std::uint8_t* console = data + mapSize + (mapSize < size ? 2 : 0);
    std::size_t consoleSize = size - mapSize - (mapSize < size ? 2 : 0);

    setFuzzConsoleInput(console, consoleSize);
    MapDefect defect{};
    startMapLinesInMemory(&reader, reinterpret_cast<const char*>(data), mapSize);
    int status = runGame(&reader, &defect);
    FUZZ_CHECK(rooms == nullptr);  // the run gives the table back however it ends
    FUZZ_CHECK((status == 0) == (defect.kind == NoDefect));
    reportDefect(defect);

    // Lines read are at most the lines of the console input consumed.
    std::size_t linesRead = countLines(console, fuzzConsoleInputConsumed());
    std::size_t bound = (linesRead + 1) * (3 * mapSize + 64) + 128;
    FUZZ_CHECK(fuzzConsoleOutputBytes() <= bound);
    return 0;
}
