// Reading a map file as lines, with the map's byte rules: a CR directly before
// an LF is dropped, a 0x1A byte ends the file, a line ends after its LF, after
// its 511th byte or at the end of the file, and its text ends at a NUL byte.
// The reader holds no process-wide state and never prints or exits: it reads
// from a file or from memory and reports what it found.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "console_text.h"

constexpr std::size_t MAP_LINE_MAX = LINE_BUFFER_SIZE - 1;  // 511 bytes

struct MapLine {
    const char* bytes;       // the line as read; valid until the next read
    std::size_t length;      // 1 to 511 bytes, its LF included when it has one
    std::size_t textLength;  // bytes before the first NUL: the line's text
    std::uint64_t physicalLine;  // 1-based line of the file it starts on
};

// Large enough that the passes over a big map cost few read calls.
constexpr std::size_t MAP_READ_BLOCK = 1 << 17;

struct MapLineReader {
    std::FILE* file;           // source file, or null to read `memory`
    const char* memory;
    std::size_t memorySize;
    std::size_t memoryOffset;
    // Bytes already read and cleaned (CR LF made LF, cut at 0x1A), not yet
    // handed out: block[begin, end).
    std::size_t begin;
    std::size_t end;
    std::size_t nextNul;       // first NUL at or after `begin`, or `end` when none
    bool heldCarriageReturn;   // a CR ended the last read; the next byte decides
    bool finished;             // nothing more will be read
    bool sawControlZ;          // the input stopped at a 0x1A byte
    bool bytesAfterControlZ;   // and something followed it
    std::uint64_t controlZLine;  // physical line of that 0x1A byte
    std::uint64_t physicalLine;  // physical line of the next line handed out
    char block[MAP_READ_BLOCK + MAP_LINE_MAX];
};

/// Prepares `reader` to read an open file from its current position.
void startMapLines(MapLineReader* reader, std::FILE* file);
/// Prepares `reader` to read `size` bytes of memory, which must outlive it.
void startMapLinesInMemory(MapLineReader* reader, const char* data, std::size_t size);
/// Goes back to the start of the input (the file is rewound).
void restartMapLines(MapLineReader* reader);

/// Hands out the next line. Returns false at the end of the input; a read
/// error counts as the end.
bool readMapLine(MapLineReader* reader, MapLine* line);

/// Finds the first word of a text: its first run of non-white-space bytes.
/// Returns false when the text has none (empty or white space only).
bool findFirstWord(const char* text, std::size_t length, std::size_t* wordBegin,
                   std::size_t* wordLength);

// What a line is to the loader, by its first word (lowercased before it is
// compared, so directive keywords are case-insensitive).
enum MapLineKind {
    BlankLine,          // no word: ignored everywhere
    DescriptionLine,    // first word does not begin with '#'
    RoomDirective,      // "#helyiseg"
    ExitDirective,      // "#irany"
    GameOverDirective,  // "#gameover"
    OtherDirective,     // any other '#' word: a comment
};

/// Classifies a line by the first word of its text.
MapLineKind classifyMapLine(const MapLine& line);
