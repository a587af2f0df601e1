// Large zero-filled blocks straight from the system. Their pages cost nothing
// until they are written, which lets the room table span millions of rooms a
// map never touches. Blocks of 2 MB or more may be backed by huge pages,
// which makes filling them far cheaper than one page fault per 4 KB.
#pragma once

#include <cstddef>

/// Returns `size` zero-filled bytes, or null for a size of 0 or when the
/// system refuses.
void* allocateZeroedBlock(std::size_t size, bool hugePages);

/// Gives back a block from allocateZeroedBlock, with the same size and flag.
void releaseZeroedBlock(void* block, std::size_t size, bool hugePages);
