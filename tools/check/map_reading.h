// kaland-check's reading pass: the loader's own steps (stepLoader), line by
// line, with every defect reported instead of ending the run, and what is
// wrong with the lines themselves (odd bytes, ignored text, typos).
#pragma once

#include <cstddef>
#include <cstdint>

#include "map_model.h"

/// Reads the map held in `size` bytes into `check`: its rooms as the
/// runner's table would hold them, how its text is shown, and the
/// diagnostics of its lines. A table larger than `machineMemory` bytes is an
/// error, since the runner cannot have it. Returns false, having read
/// nothing, when there is no memory to read with.
bool readMapForCheck(const char* bytes, std::size_t size, std::uint64_t machineMemory, MapCheck* check);
