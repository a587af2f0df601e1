// The checker's plain words for the defect that refused a map or stopped a
// game, so that the page can explain what the runner's Hungarian message
// means and where in the map the fault is.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "map_defects.h"

struct DefectExplanation {
    std::uint64_t line = 0;  // the map line the checker points at; 0: the file as a whole
    std::string text;        // empty when the checker has nothing to add
};

/// Reads the map's `size` bytes at `map` as kaland-check does and returns its
/// explanation of `defect`: for a refusal, the text after the runner's quoted
/// message on the error line; for a defect met in play, the whole warning
/// about the exit or the circle of passages that leads to it.
DefectExplanation explainDefect(const char* map, std::size_t size, const MapDefect& defect);
