// A map's directive lines as written: where each #helyiseg and #irany line
// puts its word and fields, and the room each belongs to, read once with the
// loader's own line reader, steps and field scanners, so that an editor sees
// the map as the runner reads it. Places are physical lines (1-based) and
// byte offsets within them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "map_directives.h"
#include "map_fields.h"

/// Where each physical line of `bytes` starts: a line ends after its LF, as
/// the map's line reader counts lines. Line N starts at element N - 1; an
/// empty map has one empty line.
std::vector<std::size_t> findLineStarts(const char* bytes, std::size_t size);

/// Bytes [begin, end) of physical line `line`.
struct LineSpan {
    std::uint64_t line;
    std::size_t begin;
    std::size_t end;
};

// Where a field lies in its physical line: bytes [begin, end).
struct LineField {
    std::uint32_t begin = 0;
    std::uint32_t end = 0;
};

// A #helyiseg line: the room it opens (the room before it when it names
// none, as the loader keeps it) and where its word and number lie.
struct HeadingLine {
    std::uint64_t line;
    std::uint32_t room;
    bool numberRead;
    LineField word;
    LineField number;  // empty when no number was read
};

// An #irany line as written, well-formed or not, and the room it belongs
// to, as readExitLine reads it.
struct ExitLineFields {
    std::uint64_t line;
    std::uint32_t room;
    std::uint32_t target;     // when at least two fields were read
    ExitLineFault fault;
    RoomKind kind;            // for a valid line
    char kindLetter;
    char key;                 // as written
    char exitKey;             // as the table stores it (lowercased; 1 for A and E)
    std::uint8_t fieldCount;  // kind letter, target, key: how many were read
    bool inRoom;              // false: before the first #helyiseg
    LineField word;
    LineField spans[3];       // where each field read lies
};

// The map's directive lines, in line order. Kept small: an editor holds one
// per open map.
struct MapOutline {
    std::vector<HeadingLine> headings;
    std::vector<ExitLineFields> exits;
    std::uint32_t nextFreeRoom = 1;  // above every room number the map names; 0 when none is
};

/// Reads the map's lines once with the loader's own steps.
MapOutline outlineMap(const char* bytes, std::size_t size);

/// The #helyiseg line on line `line`; null when it is none.
const HeadingLine* headingLineAt(const MapOutline& outline, std::uint64_t line);

/// The #irany line on line `line`; null when it is none.
const ExitLineFields* exitLineAt(const MapOutline& outline, std::uint64_t line);

/// The last #helyiseg line at or above `line`; null above the first.
const HeadingLine* headingAbove(const MapOutline& outline, std::uint64_t line);

/// The #helyiseg lines that name `room`, in line order.
std::vector<const HeadingLine*> headingsOf(const MapOutline& outline, std::uint32_t room);

/// The #irany lines whose target is `room`, in line order.
std::vector<const ExitLineFields*> exitsInto(const MapOutline& outline, std::uint32_t room);

/// Every place the number of `room` is written (its headings and the
/// targets of exits into it): what renaming it changes.
std::vector<LineSpan> roomNumberPlaces(const MapOutline& outline, std::uint32_t room);
