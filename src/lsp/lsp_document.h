// An open map as the server keeps it: its bytes as the editor last sent
// them and, once asked for, their analysis, which kaland-check makes of a
// map. Positions are the protocol's: a line from 0 and a character counted
// in the encoding agreed with the client.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "analysis.h"

// How a position's character counts the bytes of a line.
enum PositionEncoding {
    Utf16Positions,  // UTF-16 code units: the protocol's default
    Utf8Positions,   // bytes
};

struct Position {
    std::uint64_t line;
    std::uint64_t character;
};

struct Document {
    std::string uri;
    std::int64_t version = 0;
    // The bytes are in the analysis once it is made; until then (after a
    // change) they wait in `text`, with where their lines start.
    bool analysed = false;
    MapAnalysis analysis;
    std::string text;
    std::vector<std::size_t> lineStarts;
    bool published = false;  // the client has these bytes' diagnostics
};

/// The document's bytes and where their lines start, analysed or not.
const std::string& documentBytes(const Document& document);
const std::vector<std::size_t>& documentLineStarts(const Document& document);

/// Puts new text in place of the document's, to be checked again.
void replaceText(Document* document, std::string text);

/// Replaces the text between two positions with `text`. Positions past a
/// line's end are taken as its end, and past the last line as the end of the
/// text; a position inside a character is taken as its start; an end before
/// the start as the start.
void editText(Document* document, Position start, Position end, const std::string& text, PositionEncoding encoding);

/// Analyses the document as kaland-check does a map, unless done already.
void analyseDocument(Document* document, std::uint64_t machineMemory);

/// The byte a position stands for (clamped as editText does).
std::size_t offsetOf(const Document& document, Position position, PositionEncoding encoding);

/// The position of byte `offset` of physical line `line` (1-based, as the
/// checker counts lines).
Position positionOf(const Document& document, std::uint64_t line, std::size_t offset, PositionEncoding encoding);

/// Where a position is in the checker's terms: its line (1-based) and the
/// byte within it.
void linePlaceOf(const Document& document, Position position, PositionEncoding encoding, std::uint64_t* line,
                 std::size_t* offset);
