#include "line_tokens.h"

#include "map_directives.h"
#include "map_fields.h"
#include "map_lines.h"

namespace {

struct Tokens {
    std::vector<LineToken> list;
    std::size_t offset;  // of the line being read

    void add(std::size_t begin, std::size_t end, TokenKind kind) {
        if (end > begin) list.push_back(LineToken{offset + begin, offset + end, kind});
    }
};

// Text the loader reads past and ignores, from `from` to the line's end.
void addIgnored(Tokens* tokens, const MapLine& line, std::size_t from) {
    std::size_t begin = 0;
    std::size_t length = 0;
    if (from < line.length && findFirstWord(line.bytes + from, line.length - from, &begin, &length)) {
        tokens->add(from + begin, line.length, IgnoredToken);
    }
}

void addExitTokens(Tokens* tokens, const MapLine& line, std::size_t keywordEnd) {
    ExitLine exit = readExitLine(line);
    ExitFields fields{};
    FieldSpan spans[3] = {};
    std::size_t fieldsEnd = 0;
    int count = scanExitFields(line.bytes, line.textLength, &fields, &fieldsEnd, spans);
    const TokenKind kinds[3] = {KindLetterToken, RoomNumberToken, KeyToken};
    for (int field = 0; field < count; ++field) {
        tokens->add(spans[field].begin, spans[field].end, exit.fault == ExitLineValid ? kinds[field] : InvalidToken);
    }
    if (exit.fault == ExitLineValid) {
        addIgnored(tokens, line, count > 0 ? fieldsEnd : keywordEnd);
    } else {
        tokens->add(count > 0 ? fieldsEnd : keywordEnd, line.textLength, InvalidToken);
    }
}

void addLineTokens(Tokens* tokens, const MapLine& line) {
    std::size_t wordBegin = 0;
    std::size_t wordLength = 0;
    MapLineKind kind = classifyMapLine(line);
    if (kind != BlankLine) findFirstWord(line.bytes, line.textLength, &wordBegin, &wordLength);
    std::size_t wordEnd = wordBegin + wordLength;
    switch (kind) {
    case BlankLine:
        break;
    case DescriptionLine:
        tokens->add(wordBegin, line.textLength, TextToken);
        break;
    case OtherDirective:
        tokens->add(wordBegin, line.textLength, CommentToken);
        break;
    case RoomDirective: {
        tokens->add(wordBegin, wordEnd, KeywordToken);
        std::uint32_t room = 0;
        FieldSpan number{wordEnd, wordEnd};
        scanRoomNumber(line.bytes, line.textLength, &room, &number);
        tokens->add(number.begin, number.end, RoomNumberToken);
        addIgnored(tokens, line, number.end);
        break;
    }
    case ExitDirective:
        tokens->add(wordBegin, wordEnd, KeywordToken);
        addExitTokens(tokens, line, wordEnd);
        break;
    case GameOverDirective:
        tokens->add(wordBegin, wordEnd, KeywordToken);
        addIgnored(tokens, line, wordEnd);
        break;
    }
    // A NUL ends the line's text: what follows it is never read.
    if (line.textLength < line.length) tokens->add(line.textLength, line.length, IgnoredToken);
}

}  // namespace

const char* tokenKindName(TokenKind kind) {
    static const char* const NAMES[TOKEN_KIND_COUNT] = {"keyword", "room-number", "kind-letter", "key",
                                                        "text",    "comment",     "ignored",     "invalid"};
    return NAMES[kind];
}

std::vector<LineToken> lineTokens(const char* bytes, std::size_t length) {
    Tokens tokens{{}, 0};
    MapLineReader reader;
    if (startMapLinesInMemory(&reader, bytes, length)) {
        MapLine line;
        while (readMapLine(&reader, &line)) {
            addLineTokens(&tokens, line);
            tokens.offset += line.length;
        }
    }
    endMapLines(&reader);
    return tokens.list;
}

std::vector<std::uint32_t> utf16Columns(const char* bytes, std::size_t length, MapEncoding encoding) {
    std::vector<std::uint32_t> columns;
    columns.reserve(length + 1);
    std::uint32_t column = 0;
    for (std::size_t at = 0; at < length;) {
        char32_t character = 0;
        std::size_t size = readMapCharacter(bytes, length, at, encoding, &character);
        columns.insert(columns.end(), size, column);
        column += character > 0xFFFF ? 2 : 1;
        at += size;
    }
    columns.push_back(column);
    return columns;
}
