// What a map line says: whether it is a description line or a directive,
// and what the fields of a directive mean. The loader and the checker both
// read lines through these functions, so they cannot disagree on a line.
#pragma once

#include <cstddef>
#include <cstdint>

#include "map_fields.h"
#include "map_lines.h"
#include "room_table.h"

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

/// Whether `word` (`length` bytes) is `keyword`, given in small letters,
/// once it is lowercased: how every # word of a map is compared.
bool matchesKeyword(const char* word, std::size_t length, const char* keyword);

/// Finds the first word of a text: its first run of non-white-space bytes.
/// Returns false when the text has none (empty or white space only).
bool findFirstWord(const char* text, std::size_t length, std::size_t* wordBegin,
                   std::size_t* wordLength);

/// The room number of a #helyiseg line; false, leaving `room` unchanged,
/// when the line has none.
bool readHeadingNumber(const MapLine& line, std::uint32_t* room);

// What is wrong with an #irany line, in the order the checks are made.
enum ExitLineFault {
    ExitLineValid,
    MissingKindLetter,   // nothing after the keyword
    SmallKindLetter,     // n, a or e: the kind letters are capitals
    UnknownKindLetter,   // another letter
    MissingTarget,       // no number after the kind letter
    KeyAfterPassage,     // an A or E line with a key after its target
    MissingKey,          // an N line without a key after its target
};

struct ExitLine {
    ExitLineFault fault;
    RoomKind kind;        // Navigate, Automatic or WaitForEnter, for a valid line
    Exit exit;            // as the table stores it: key lowercased, 1 for A and E
    ExitFields fields;    // the fields as written
    int fieldCount;       // how many of them could be read
    std::size_t fieldsEnd;  // offset after the last field read: the rest is ignored
    // For MissingKey: the last digit of a target of two or more digits, which
    // was read as part of the number where the author meant it as the key;
    // 0 otherwise.
    char gluedDigit;
};

/// Reads an #irany line and decides what it means.
ExitLine readExitLine(const MapLine& line);
