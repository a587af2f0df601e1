#include "map_outline.h"

#include <algorithm>
#include <cstring>

#include "loader_steps.h"
#include "map_lines.h"

namespace {

// A field found in a piece of a line, moved to where it lies in the whole
// physical line (a line of 511 bytes or more comes in pieces).
LineField inLine(FieldSpan span, std::size_t pieceOffset) {
    return LineField{static_cast<std::uint32_t>(span.begin + pieceOffset),
                     static_cast<std::uint32_t>(span.end + pieceOffset)};
}

FieldSpan firstWordSpan(const MapLine& piece) {
    std::size_t begin = 0;
    std::size_t length = 0;
    findFirstWord(piece.bytes, piece.textLength, &begin, &length);
    return FieldSpan{begin, begin + length};
}

// Follows the pieces of physical lines as a line reader hands them out.
struct PieceCursor {
    std::uint64_t line = 0;
    std::size_t offset = 0;
    std::size_t previousLength = 0;
    void next(const MapLine& piece) {
        offset = piece.physicalLine == line ? offset + previousLength : 0;
        line = piece.physicalLine;
        previousLength = piece.length;
    }
};

// Where the outline follows the loader, only the room a line goes to
// matters, which no refusal changes.
bool neverDescribed(const void*, std::uint32_t) {
    return false;
}

void noteRoomNumber(std::uint64_t* highest, bool* any, std::uint32_t number) {
    *highest = *any ? std::max<std::uint64_t>(*highest, number) : number;
    *any = true;
}

ExitLineFields readExitFields(const MapLine& line, std::size_t pieceOffset, const LoaderStep& step, bool inRoom) {
    ExitLine read = readExitLine(line);
    FieldSpan spans[3] = {};
    ExitFields fields{};
    scanExitFields(line.bytes, line.textLength, &fields, nullptr, spans);
    ExitLineFields exit{line.physicalLine, step.room, read.fields.target, read.fault, read.kind,
                        read.fields.kindLetter, read.fields.key, read.exit.key,
                        static_cast<std::uint8_t>(read.fieldCount), inRoom, inLine(firstWordSpan(line), pieceOffset), {}};
    for (int field = 0; field < read.fieldCount; ++field) exit.spans[field] = inLine(spans[field], pieceOffset);
    return exit;
}

// The first of `records` (sorted by line) on `line`, or their end.
template <typename Record>
auto firstOnLine(const std::vector<Record>& records, std::uint64_t line) {
    return std::lower_bound(records.begin(), records.end(), line,
                            [](const Record& record, std::uint64_t wanted) { return record.line < wanted; });
}

}  // namespace

std::vector<std::size_t> findLineStarts(const char* bytes, std::size_t size) {
    std::vector<std::size_t> starts{0};
    for (const char* at = bytes; at != nullptr && at < bytes + size;) {
        at = static_cast<const char*>(std::memchr(at, '\n', static_cast<std::size_t>(bytes + size - at)));
        if (at != nullptr) starts.push_back(static_cast<std::size_t>(++at - bytes));
    }
    return starts;
}

MapOutline outlineMap(const char* bytes, std::size_t size) {
    MapOutline outline;
    MapLineReader reader;
    if (!startMapLinesInMemory(&reader, bytes, size)) return outline;
    LoaderCursor cursor;
    PieceCursor pieces;
    bool sawHeading = false;
    bool anyNumber = false;
    std::uint64_t highest = 0;
    MapLine line;
    while (readMapLine(&reader, &line)) {
        pieces.next(line);
        MapLineKind kind = classifyMapLine(line);
        if (kind != RoomDirective && kind != ExitDirective) continue;
        LoaderStep step = stepLoader(&cursor, line, kind, neverDescribed, nullptr);
        if (kind == RoomDirective) {
            HeadingLine heading{line.physicalLine, step.room, step.numberRead, inLine(firstWordSpan(line), pieces.offset),
                                LineField{}};
            std::uint32_t number = 0;
            FieldSpan span{0, 0};
            if (scanRoomNumber(line.bytes, line.textLength, &number, &span) == 1) {
                heading.number = inLine(span, pieces.offset);
                noteRoomNumber(&highest, &anyNumber, number);
            }
            outline.headings.push_back(heading);
            sawHeading = true;
        } else {
            outline.exits.push_back(readExitFields(line, pieces.offset, step, sawHeading));
            if (outline.exits.back().fieldCount >= 2) noteRoomNumber(&highest, &anyNumber, outline.exits.back().target);
        }
    }
    endMapLines(&reader);
    // Room 4294967295 can have no table, so no room is free above it.
    outline.nextFreeRoom = !anyNumber ? 1 : highest + 1 < UINT32_MAX ? static_cast<std::uint32_t>(highest + 1) : 0;
    return outline;
}

const HeadingLine* headingLineAt(const MapOutline& outline, std::uint64_t line) {
    auto found = firstOnLine(outline.headings, line);
    return found != outline.headings.end() && found->line == line ? &*found : nullptr;
}

const ExitLineFields* exitLineAt(const MapOutline& outline, std::uint64_t line) {
    auto found = firstOnLine(outline.exits, line);
    return found != outline.exits.end() && found->line == line ? &*found : nullptr;
}

const HeadingLine* headingAbove(const MapOutline& outline, std::uint64_t line) {
    auto after = std::upper_bound(outline.headings.begin(), outline.headings.end(), line,
                                  [](std::uint64_t wanted, const HeadingLine& heading) { return wanted < heading.line; });
    return after == outline.headings.begin() ? nullptr : &*std::prev(after);
}

std::vector<const HeadingLine*> headingsOf(const MapOutline& outline, std::uint32_t room) {
    std::vector<const HeadingLine*> found;
    for (const HeadingLine& heading : outline.headings) {
        if (heading.numberRead && heading.room == room) found.push_back(&heading);
    }
    return found;
}

std::vector<const ExitLineFields*> exitsInto(const MapOutline& outline, std::uint32_t room) {
    std::vector<const ExitLineFields*> found;
    for (const ExitLineFields& exit : outline.exits) {
        if (exit.fieldCount >= 2 && exit.target == room) found.push_back(&exit);
    }
    return found;
}

std::vector<LineSpan> roomNumberPlaces(const MapOutline& outline, std::uint32_t room) {
    std::vector<LineSpan> places;
    for (const HeadingLine* heading : headingsOf(outline, room)) {
        places.push_back(LineSpan{heading->line, heading->number.begin, heading->number.end});
    }
    for (const ExitLineFields* exit : exitsInto(outline, room)) {
        places.push_back(LineSpan{exit->line, exit->spans[1].begin, exit->spans[1].end});
    }
    std::sort(places.begin(), places.end(), [](const LineSpan& a, const LineSpan& b) {
        return a.line != b.line ? a.line < b.line : a.begin < b.begin;
    });
    return places;
}
