#include "lsp_document.h"

#include <algorithm>

#include "text_encoding.h"

namespace {

std::size_t lineBegin(const Document& document, std::size_t index) {
    return documentLineStarts(document)[index];
}

// Where the text of a line (0-based) ends: before its LF, and before a CR
// that comes just before the LF.
std::size_t lineEnd(const Document& document, std::size_t index) {
    const std::vector<std::size_t>& starts = documentLineStarts(document);
    const std::string& bytes = documentBytes(document);
    std::size_t begin = starts[index];
    std::size_t end = index + 1 < starts.size() ? starts[index + 1] : bytes.size();
    if (end > begin && bytes[end - 1] == '\n') --end;
    if (end > begin && bytes[end - 1] == '\r') --end;
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

const std::string& documentBytes(const Document& document) {
    return document.analysed ? mapBytes(document.analysis) : document.text;
}

const std::vector<std::size_t>& documentLineStarts(const Document& document) {
    return document.analysed ? document.analysis.lineStarts : document.lineStarts;
}

void replaceText(Document* document, std::string text) {
    if (document->analysed) takeMapBytes(&document->analysis);
    document->text = std::move(text);
    document->lineStarts = findLineStarts(document->text.data(), document->text.size());
    document->analysed = false;
    document->published = false;
}

std::size_t offsetOf(const Document& document, Position position, PositionEncoding encoding) {
    if (position.line >= documentLineStarts(document).size()) return documentBytes(document).size();
    std::size_t index = static_cast<std::size_t>(position.line);
    std::size_t at = lineBegin(document, index);
    std::size_t end = lineEnd(document, index);
    std::uint64_t left = position.character;
    while (at < end) {
        std::uint64_t units = 0;
        std::size_t length = characterAt(documentBytes(document), at, end, encoding, &units);
        if (units > left) break;
        left -= units;
        at += length;
    }
    return at;
}

Position positionOf(const Document& document, std::uint64_t line, std::size_t offset, PositionEncoding encoding) {
    std::size_t index = static_cast<std::size_t>(std::min<std::uint64_t>(std::max<std::uint64_t>(line, 1),
                                                                         documentLineStarts(document).size()) - 1);
    std::size_t at = lineBegin(document, index);
    std::size_t end = lineEnd(document, index);
    std::size_t target = offset < end - at ? at + offset : end;
    std::uint64_t character = 0;
    while (at < target) {
        std::uint64_t units = 0;
        at += characterAt(documentBytes(document), at, end, encoding, &units);
        character += units;
    }
    return Position{index, character};
}

void linePlaceOf(const Document& document, Position position, PositionEncoding encoding, std::uint64_t* line,
                 std::size_t* offset) {
    std::size_t byte = offsetOf(document, position, encoding);
    std::size_t last = documentLineStarts(document).size() - 1;
    std::size_t index = position.line < last ? static_cast<std::size_t>(position.line) : last;
    *line = index + 1;
    *offset = byte - lineBegin(document, index);
}

void editText(Document* document, Position start, Position end, const std::string& text, PositionEncoding encoding) {
    std::size_t from = offsetOf(*document, start, encoding);
    std::size_t to = std::max(from, offsetOf(*document, end, encoding));
    std::string bytes = document->analysed ? takeMapBytes(&document->analysis) : std::move(document->text);
    bytes.replace(from, to - from, text);
    replaceText(document, std::move(bytes));
}

void analyseDocument(Document* document, std::uint64_t machineMemory) {
    if (document->analysed) return;
    analyseMapBytes(&document->analysis, std::move(document->text), machineMemory);
    document->text = std::string();
    // The analysis knows where the lines start now.
    document->lineStarts = std::vector<std::size_t>();
    document->analysed = true;
}
