// The machine the checker describes, seen from a browser: the author's
// computer, where the map will be played by the 64-bit console runner.
#include "machine_probe.h"

#include "room_table.h"
#include "studio_probe.h"

namespace {

// A room of the 64-bit runner: 16 line pointers, 9 exits of a 32-bit target
// and a key, and its kind, padded to the pointers' 8 bytes. This engine is
// 32-bit WebAssembly, so its own sizeof(Room) is smaller.
constexpr std::uint64_t RUNNER_ROOM_BYTES = (MAX_LINES * 8 + MAX_EXITS * 8 + 4 + 7) / 8 * 8;
static_assert(sizeof(Exit) == 8, "an exit is a 32-bit target and a key");

std::uint64_t memoryBytes = UINT64_MAX;

}  // namespace

void setMachineMemory(std::uint64_t bytes) {
    memoryBytes = bytes > 0 ? bytes : UINT64_MAX;
}

std::uint64_t runnerTableBytes(std::uint32_t roomCount) {
    return std::uint64_t{roomCount} * RUNNER_ROOM_BYTES;
}

std::uint64_t machineMemoryBytes() {
    return memoryBytes;
}
