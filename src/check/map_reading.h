// kaland-check's reading pass: the loader's own steps (stepLoader), line by
// line, with every defect reported instead of ending the run, and what is
// wrong with the lines themselves (odd bytes, ignored text, typos).
#pragma once

#include <cstdint>

#include "map_lines.h"
#include "map_model.h"

/// Reads the map from `reader` (a file or memory) into `check`: its rooms
/// as the runner's table would hold them, how its text is shown
/// (decideMapEncoding, over the lines as they pass), and the diagnostics of
/// its lines. A table larger than `machineMemory` bytes is an error, since
/// the runner cannot have it.
void readMapForCheck(MapLineReader* reader, std::uint64_t machineMemory, MapCheck* check);
