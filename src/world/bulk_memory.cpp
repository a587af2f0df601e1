#include "bulk_memory.h"

#include <cstdint>
#include <cstdlib>

#if defined(_WIN32)
#include <windows.h>
// WebAssembly has no virtual memory: Emscripten's mmap is an emulation that
// copies the C heap, and it cannot give back part of a block, which the huge
// page alignment below does. calloc there fails cleanly with null.
#elif (defined(__unix__) || defined(__APPLE__)) && !defined(__EMSCRIPTEN__)
#include <sys/mman.h>
#define KALAND_HAVE_MMAP 1
#endif

#ifdef KALAND_HAVE_MMAP

namespace {

constexpr std::size_t HUGE_PAGE_SIZE = std::size_t{2} << 20;

bool useHugePages(std::size_t size, bool hugePages) {
    return hugePages && size >= HUGE_PAGE_SIZE;
}

// Whole huge pages; 0 when the size cannot be rounded up.
std::size_t hugePageSpan(std::size_t size) {
    if (size > SIZE_MAX - HUGE_PAGE_SIZE) return 0;
    return (size + HUGE_PAGE_SIZE - 1) & ~(HUGE_PAGE_SIZE - 1);
}

void* mapAnonymous(std::size_t size) {
    void* block = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    return block == MAP_FAILED ? nullptr : block;
}

// Maps one huge page more than needed and trims both ends, so the block
// starts on a huge page boundary where the system can back it with them.
void* mapHugePageAligned(std::size_t span) {
    if (span == 0 || span > SIZE_MAX - HUGE_PAGE_SIZE) return nullptr;
    char* raw = static_cast<char*>(mapAnonymous(span + HUGE_PAGE_SIZE));
    if (raw == nullptr) return nullptr;
    std::uintptr_t address = reinterpret_cast<std::uintptr_t>(raw);
    std::size_t head = (HUGE_PAGE_SIZE - (address & (HUGE_PAGE_SIZE - 1))) & (HUGE_PAGE_SIZE - 1);
    char* aligned = raw + head;
    if (head > 0) munmap(raw, head);
    std::size_t tail = HUGE_PAGE_SIZE - head;
    if (tail > 0) munmap(aligned + span, tail);
#ifdef MADV_HUGEPAGE
    madvise(aligned, span, MADV_HUGEPAGE);
#endif
    return aligned;
}

}  // namespace

void* allocateZeroedBlock(std::size_t size, bool hugePages) {
    if (size == 0) return nullptr;
    if (useHugePages(size, hugePages)) return mapHugePageAligned(hugePageSpan(size));
    return mapAnonymous(size);
}

void releaseZeroedBlock(void* block, std::size_t size, bool hugePages) {
    if (block == nullptr) return;
    munmap(block, useHugePages(size, hugePages) ? hugePageSpan(size) : size);
}

#elif defined(_WIN32)

// A region reserved and committed at once: Windows hands out zero-filled
// pages on first touch, so untouched rooms cost no memory here either. Large
// pages would need a privilege that ordinary users lack, so the flag is
// ignored.
void* allocateZeroedBlock(std::size_t size, bool) {
    if (size == 0) return nullptr;
    return VirtualAlloc(nullptr, size, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
}

void releaseZeroedBlock(void* block, std::size_t, bool) {
    if (block != nullptr) VirtualFree(block, 0, MEM_RELEASE);
}

#else  // no mmap: calloc hands out zeroed memory as well

void* allocateZeroedBlock(std::size_t size, bool) {
    return size == 0 ? nullptr : std::calloc(1, size);
}

void releaseZeroedBlock(void* block, std::size_t, bool) {
    std::free(block);
}

#endif
