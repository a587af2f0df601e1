// Reading a map file as lines, with the map's byte rules: a CR directly before
// an LF is dropped, a 0x1A byte ends the file, a line ends after its LF, after
// its 511th byte or at the end of the file, and its text ends at a NUL byte.
// The reader holds no process-wide state and never prints or exits: it reads
// from a file or from memory and reports what it found.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "map_defects.h"
#include "text_bytes.h"
#include "text_encoding.h"

constexpr std::size_t MAP_LINE_MAX = LINE_BUFFER_SIZE - 1;  // 511 bytes

struct MapLine {
    const char* bytes;       // the line as read; valid until the next read
    std::size_t length;      // 1 to 511 bytes, its LF included when it has one
    std::size_t textLength;  // bytes before the first NUL: the line's text
    std::uint64_t physicalLine;  // 1-based line of the file it starts on
};

// Large enough that the passes over a big map cost few read calls.
constexpr std::size_t MAP_READ_BLOCK = 1 << 17;
// The reader's block: a read block and room for the line it started.
constexpr std::size_t MAP_BLOCK_SIZE = MAP_READ_BLOCK + MAP_LINE_MAX;

struct MapLineReader {
    std::FILE* file;           // source file, or null to read `memory`
    bool ownsFile;             // opened by openMapFile: closed at the end
    const char* memory;
    std::size_t memorySize;
    std::size_t memoryOffset;
    char* ownedMemory;         // a stream read whole by openMapFile: freed at the end
    char* block;               // MAP_BLOCK_SIZE bytes from the heap while reading
    // Bytes already read and cleaned (CR LF made LF, cut at 0x1A), not yet
    // handed out: block[begin, end).
    std::size_t begin;
    std::size_t end;
    std::size_t nextNul;       // first NUL at or after `begin`, or `end` when none
    bool heldCarriageReturn;   // a CR ended the last read; the next byte decides
    bool finished;             // nothing more will be read
    bool sawControlZ;          // the input stopped at a 0x1A byte
    bool bytesAfterControlZ;   // and something followed it
    std::uint64_t physicalLine;  // physical line of the next line handed out
};

/// Prepares `reader` to read an open file from its current position; the
/// caller keeps the file. Returns false when no memory is left for reading.
bool startMapLines(MapLineReader* reader, std::FILE* file);
/// Prepares `reader` to read `size` bytes of memory, which must outlive it.
bool startMapLinesInMemory(MapLineReader* reader, const char* data, std::size_t size);
/// Opens the map at `path` for reading twice. A stream that cannot be rewound
/// (a pipe) is read into memory first, so both passes see the same bytes.
/// Returns NoDefect, MapNotOpened or NoMemory.
DefectKind openMapFile(MapLineReader* reader, const char* path);
/// Goes back to the start of the input (the file is rewound).
void restartMapLines(MapLineReader* reader);
/// Releases the reader's block and whatever openMapFile opened. Safe to call
/// again, and on a reader that never started.
void endMapLines(MapLineReader* reader);

/// Hands out the next line. Returns false at the end of the input; a read
/// error counts as the end.
bool readMapLine(MapLineReader* reader, MapLine* line);

/// How the map's text is shown (decideMapEncoding), found in a pass of its
/// own over every line; the reader is back at the start afterwards.
MapEncoding scanMapEncoding(MapLineReader* reader);
