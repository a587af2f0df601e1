#include "lsp_document.h"

#include <algorithm>

#include "map_analysis.h"
#include "map_lines.h"
#include "map_mending.h"
#include "map_reading.h"
#include "text_encoding.h"

namespace {

std::size_t lineBegin(const Document& document, std::size_t index) {
    return document.lineStarts[index];
}

// Where the text of a line (0-based) ends: before its LF, and before a CR
// that comes just before the LF.
std::size_t lineEnd(const Document& document, std::size_t index) {
    std::size_t begin = lineBegin(document, index);
    std::size_t end = index + 1 < document.lineStarts.size() ? document.lineStarts[index + 1] : document.bytes.size();
    if (end > begin && document.bytes[end - 1] == '\n') --end;
    if (end > begin && document.bytes[end - 1] == '\r') --end;
    return end;
}

// The length in bytes of the character at `at`, and in `units` what it
// counts for in a position. A byte that starts no UTF-8 character counts as
// one character of its own.
std::size_t characterAt(const std::string& bytes, std::size_t at, std::size_t end, PositionEncoding encoding,
                        std::uint64_t* units) {
    char32_t character = 0;
    std::size_t length = readUtf8Character(bytes.data(), end, at, &character);
    if (length == 0) {
        length = 1;
        character = 0;
    }
    *units = encoding == Utf8Positions ? length : character >= 0x10000 ? 2 : 1;
    return length;
}

}  // namespace

void replaceText(Document* document, std::string text) {
    document->bytes = std::move(text);
    document->lineStarts = findLineStarts(document->bytes.data(), document->bytes.size());
    document->analysed = false;
    document->published = false;
}

std::size_t offsetOf(const Document& document, Position position, PositionEncoding encoding) {
    if (position.line >= document.lineStarts.size()) return document.bytes.size();
    std::size_t index = static_cast<std::size_t>(position.line);
    std::size_t at = lineBegin(document, index);
    std::size_t end = lineEnd(document, index);
    std::uint64_t left = position.character;
    while (at < end) {
        std::uint64_t units = 0;
        std::size_t length = characterAt(document.bytes, at, end, encoding, &units);
        if (units > left) break;
        left -= units;
        at += length;
    }
    return at;
}

Position positionOf(const Document& document, std::uint64_t line, std::size_t offset, PositionEncoding encoding) {
    std::size_t index = static_cast<std::size_t>(std::min<std::uint64_t>(std::max<std::uint64_t>(line, 1),
                                                                         document.lineStarts.size()) - 1);
    std::size_t at = lineBegin(document, index);
    std::size_t end = lineEnd(document, index);
    std::size_t target = offset < end - at ? at + offset : end;
    std::uint64_t character = 0;
    while (at < target) {
        std::uint64_t units = 0;
        at += characterAt(document.bytes, at, end, encoding, &units);
        character += units;
    }
    return Position{index, character};
}

void linePlaceOf(const Document& document, Position position, PositionEncoding encoding, std::uint64_t* line,
                 std::size_t* offset) {
    std::size_t byte = offsetOf(document, position, encoding);
    std::size_t last = document.lineStarts.size() - 1;
    std::size_t index = position.line < last ? static_cast<std::size_t>(position.line) : last;
    *line = index + 1;
    *offset = byte - lineBegin(document, index);
}

void editText(Document* document, Position start, Position end, const std::string& text, PositionEncoding encoding) {
    std::size_t from = offsetOf(*document, start, encoding);
    std::size_t to = std::max(from, offsetOf(*document, end, encoding));
    std::string bytes = std::move(document->bytes);
    bytes.replace(from, to - from, text);
    replaceText(document, std::move(bytes));
}

void analyseDocument(Document* document, std::uint64_t machineMemory) {
    if (document->analysed) return;
    document->check = MapCheck{};
    document->check.proposer = &CHECKER_MENDING;
    MapLineReader reader;
    if (startMapLinesInMemory(&reader, document->bytes.data(), document->bytes.size())) {
        readMapForCheck(&reader, machineMemory, &document->check);
        analyseMap(&document->check);
    } else {
        document->check.report(0, Error, "not enough memory to read it");
    }
    endMapLines(&reader);
    document->outline = outlineMap(document->bytes.data(), document->bytes.size());
    document->analysed = true;
}

MapText mapTextOf(const Document& document) {
    return MapText{document.bytes.data(), document.bytes.size(), &document.lineStarts};
}
