#include "map_queries.h"

#include <algorithm>
#include <cstring>

#include "diagnostic_text.h"
#include "key_words.h"
#include "loader_steps.h"
#include "map_facts.h"
#include "map_lines.h"
#include "move_rules.h"

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

// Calls `visit(piece, offset)` for each piece of physical line `line`, read
// with the map's line rules.
template <typename Visit>
void forEachPiece(const MapText& text, std::uint64_t line, Visit visit) {
    const std::vector<std::size_t>& starts = *text.lineStarts;
    if (line == 0 || line > starts.size()) return;
    std::size_t begin = starts[line - 1];
    std::size_t end = line < starts.size() ? starts[line] : text.size;
    MapLineReader reader;
    if (startMapLinesInMemory(&reader, text.bytes + begin, end - begin)) {
        PieceCursor cursor;
        MapLine piece;
        while (readMapLine(&reader, &piece)) {
            cursor.next(piece);
            piece.physicalLine = line;
            visit(piece, cursor.offset);
        }
    }
    endMapLines(&reader);
}

// Bytes of line `line` without its line end.
LineSpan wholeLine(const MapText& text, std::uint64_t line) {
    const std::vector<std::size_t>& starts = *text.lineStarts;
    if (line == 0 || line > starts.size()) return LineSpan{line, 0, 0};
    std::size_t begin = starts[line - 1];
    std::size_t end = line < starts.size() ? starts[line] : text.size;
    while (end > begin && (text.bytes[end - 1] == '\n' || text.bytes[end - 1] == '\r')) --end;
    return LineSpan{line, 0, end - begin};
}

bool touches(LineField span, std::size_t offset) {
    return span.begin < span.end && offset >= span.begin && offset <= span.end;
}

LineSpan spanOnLine(std::uint64_t line, LineField span) {
    return LineSpan{line, span.begin, span.end};
}

// The first of `records` (sorted by line) on `line`, or their end.
template <typename Record>
auto firstOnLine(const std::vector<Record>& records, std::uint64_t line) {
    return std::lower_bound(records.begin(), records.end(), line,
                            [](const Record& record, std::uint64_t wanted) { return record.line < wanted; });
}

const HeadingLine* headingOnLine(const MapOutline& outline, std::uint64_t line) {
    auto found = firstOnLine(outline.headings, line);
    return found != outline.headings.end() && found->line == line ? &*found : nullptr;
}

bool hasTarget(const ExitLineFields& exit) {
    return exit.fieldCount >= 2;
}

LineField keyWord(const MapText& text, const ExitLineFields& exit) {
    if (exit.fieldCount < 3) return exit.word;
    LineField span = exit.spans[2];
    std::size_t lineBegin = (*text.lineStarts)[exit.line - 1];
    LineSpan line = wholeLine(text, exit.line);
    while (span.end < line.end && !isWhitespaceByte(text.bytes[lineBegin + span.end]) &&
           text.bytes[lineBegin + span.end] != '\0') {
        ++span.end;
    }
    return span;
}

bool startsWith(const std::string& text, const char* prefix) {
    return text.compare(0, std::strlen(prefix), prefix) == 0;
}

// The first room a message names as "room N".
bool firstRoomNamed(const std::string& message, std::uint32_t* room) {
    for (std::size_t at = message.find("room "); at != std::string::npos; at = message.find("room ", at + 1)) {
        std::size_t digit = at + 5;
        if (digit >= message.size() || !isDigitByte(message[digit])) continue;
        std::uint64_t number = 0;
        for (; digit < message.size() && isDigitByte(message[digit]) && number <= UINT32_MAX; ++digit) {
            number = number * 10 + static_cast<std::uint64_t>(message[digit] - '0');
        }
        if (number > UINT32_MAX) return false;
        *room = static_cast<std::uint32_t>(number);
        return true;
    }
    return false;
}

// The field a refused #irany line is refused for.
LineField faultSpan(const ExitLineFields& exit) {
    switch (exit.fault) {
    case SmallKindLetter:
    case UnknownKindLetter:
    case MissingTarget:
        return exit.spans[0];
    case KeyAfterPassage:
        return exit.spans[2];
    case MissingKey:
        return exit.spans[1];
    default:
        return exit.word;
    }
}

// "the text names key x, but ...": where the line's text names that key.
bool namedKeySpan(const MapText& text, const Diagnostic& diagnostic, LineSpan* span) {
    const char* opening = "the text names key ";
    std::size_t end = diagnostic.text.find(',');
    if (!startsWith(diagnostic.text, opening) || end == std::string::npos) return false;
    std::string shown = diagnostic.text.substr(std::strlen(opening), end - std::strlen(opening));
    struct Search {
        const std::string* shown;
        std::size_t offset;
        bool found;
        std::size_t at;
    } search{&shown, 0, false, 0};
    forEachPiece(text, diagnostic.line, [&search](const MapLine& piece, std::size_t offset) {
        search.offset = offset;
        findNamedKeys(piece.bytes, piece.textLength, [](void* context, char key, std::size_t at) {
            Search* found = static_cast<Search*>(context);
            if (found->found || describeKey(key) != *found->shown) return;
            found->found = true;
            found->at = found->offset + at;
        }, &search);
    });
    if (search.found) *span = LineSpan{diagnostic.line, search.at, search.at + 3};
    return search.found;
}

std::string kindWords(RoomKind kind) {
    switch (kind) {
    case Automatic:
        return "moves on at once (A)";
    case WaitForEnter:
        return "waits for Enter (E)";
    case GameOver:
        return "ends the game (#gameover)";
    default:
        return "waits for a key";
    }
}

// A room in a few lines: its number and kind, then its first lines.
std::string describeRoom(const MapText& text, const MapCheck& check, std::uint32_t room) {
    if (room >= check.roomCount) {
        return roomName(room) + " is not in the map" +
               (check.roomCount > 0 ? ": the highest room is " + std::to_string(check.highestRoom) : std::string());
    }
    const CheckedRoom& checked = roomAt(check, room);
    if (checked.headingLine == 0 && checked.descriptionLine == 0) return roomName(room) + " has no #helyiseg line";
    std::string described = roomName(room) + ", line " + std::to_string(roomLine(check, room)) + ": " +
                            kindWords(checked.kind);
    std::vector<std::string> lines = roomFirstLines(text, check, room);
    if (lines.empty()) return described + "; it has no description";
    for (const std::string& line : lines) described += "\n" + line;
    return described;
}

// What a key does in a room: the exit it takes, and where that leads.
std::string describeKeyMove(const MapText& text, const MapCheck& check, std::uint32_t room, char key) {
    if (room >= check.roomCount) return describeRoom(text, check, room);
    std::string shown = "key " + describeKey(key);
    const CheckedRoom& checked = roomAt(check, room);
    if (checked.kind != Navigate && checked.kind != WaitForEnter) {
        return roomName(room) + " does not wait for a key: it " + kindWords(checked.kind);
    }
    std::uint32_t slot = 0;
    if (!exitTakenByKey(check, room, key, &slot)) {
        return "no exit of " + roomName(room) + " has " + shown + ": a player who types " + describeKey(key) +
               " gets nothing";
    }
    std::string taker = checked.kind == WaitForEnter ? "Enter (whatever is typed)" : shown;
    return taker + " takes the exit on line " + std::to_string(checked.exitLines[slot]) + ", to\n" +
           describeRoom(text, check, checked.exits[slot].target);
}

// How many exits lead to a room, and from where (the first few).
std::string describeWaysIn(const MapOutline& outline, std::uint32_t room) {
    constexpr std::size_t SHOWN = 20;
    std::vector<const ExitLineFields*> ways = exitsInto(outline, room);
    if (ways.empty()) return "no exit leads to " + roomName(room);
    std::string text = plural(ways.size(), "exit") + (ways.size() == 1 ? " leads" : " lead") + " to " +
                       roomName(room) + ":";
    for (std::size_t i = 0; i < ways.size() && i < SHOWN; ++i) {
        const ExitLineFields& way = *ways[i];
        text += "\nline " + std::to_string(way.line) + ": ";
        if (!way.inRoom) {
            text += "before the first #helyiseg";
            continue;
        }
        text += "from " + roomName(way.room);
        if (way.fault == ExitLineValid) text += ", " + whatTakesExit(way.kind, way.exitKey);
    }
    if (ways.size() > SHOWN) text += "\nand " + std::to_string(ways.size() - SHOWN) + " more";
    return text;
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

const ExitLineFields* exitLineAt(const MapOutline& outline, std::uint64_t line) {
    auto found = firstOnLine(outline.exits, line);
    return found != outline.exits.end() && found->line == line ? &*found : nullptr;
}

LineSpan exitKeySpan(const MapText& text, const ExitLineFields& exit) {
    return spanOnLine(exit.line, keyWord(text, exit));
}

bool roomOfLine(const MapOutline& outline, std::uint64_t line, std::uint32_t* room) {
    auto after = std::upper_bound(outline.headings.begin(), outline.headings.end(), line,
                                  [](std::uint64_t wanted, const HeadingLine& heading) { return wanted < heading.line; });
    if (after == outline.headings.begin()) return false;
    *room = std::prev(after)->room;
    return true;
}

MapSpot spotAt(const MapText& text, const MapOutline& outline, std::uint64_t line, std::size_t offset) {
    MapSpot spot;
    const HeadingLine* heading = headingOnLine(outline, line);
    if (heading != nullptr) {
        if (heading->numberRead && touches(heading->number, offset)) {
            spot.kind = HeadingNumber;
            spot.span = spanOnLine(line, heading->number);
            spot.room = heading->room;
            spot.inRoom = true;
        }
        return spot;
    }
    const ExitLineFields* exit = exitLineAt(outline, line);
    if (exit != nullptr) {
        spot.exit = exit;
        if (hasTarget(*exit) && touches(exit->spans[1], offset)) {
            spot.kind = ExitTarget;
            spot.span = spanOnLine(line, exit->spans[1]);
            spot.room = exit->target;
            spot.inRoom = true;
        } else if (exit->fieldCount == 3 && exit->kindLetter == 'N' && touches(exit->spans[2], offset)) {
            spot.kind = ExitKey;
            spot.span = spanOnLine(line, keyWord(text, *exit));
            spot.room = exit->room;
            spot.inRoom = exit->inRoom;
            spot.key = lowercaseByte(exit->key);
        }
        return spot;
    }
    struct Search {
        MapSpot* spot;
        std::size_t offset;    // of the piece in the line
        std::size_t wanted;
    } search{&spot, 0, offset};
    forEachPiece(text, line, [&search](const MapLine& piece, std::size_t pieceOffset) {
        if (classifyMapLine(piece) != DescriptionLine) return;
        search.offset = pieceOffset;
        findNamedKeys(piece.bytes, piece.textLength, [](void* context, char key, std::size_t at) {
            Search* found = static_cast<Search*>(context);
            LineField span{static_cast<std::uint32_t>(found->offset + at), static_cast<std::uint32_t>(found->offset + at + 3)};
            if (found->spot->kind != NothingThere || !touches(span, found->wanted)) return;
            found->spot->kind = NamedKey;
            found->spot->key = key;
            found->spot->span = LineSpan{0, span.begin, span.end};
        }, &search);
    });
    if (spot.kind == NamedKey) {
        spot.span.line = line;
        spot.inRoom = roomOfLine(outline, line, &spot.room);
    }
    return spot;
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
        if (hasTarget(exit) && exit.target == room) found.push_back(&exit);
    }
    return found;
}

std::vector<LineSpan> roomNumberPlaces(const MapOutline& outline, std::uint32_t room) {
    std::vector<LineSpan> places;
    for (const HeadingLine* heading : headingsOf(outline, room)) places.push_back(spanOnLine(heading->line, heading->number));
    for (const ExitLineFields* exit : exitsInto(outline, room)) places.push_back(spanOnLine(exit->line, exit->spans[1]));
    std::sort(places.begin(), places.end(), [](const LineSpan& a, const LineSpan& b) {
        return a.line != b.line ? a.line < b.line : a.begin < b.begin;
    });
    return places;
}

bool readNewRoomNumber(const MapOutline& outline, const std::string& typed, std::uint32_t* room,
                       std::string* refusal) {
    std::uint64_t number = 0;
    bool digits = !typed.empty() && typed.size() <= 10;
    for (char byte : typed) {
        digits = digits && isDigitByte(byte);
        if (digits) number = number * 10 + static_cast<std::uint64_t>(byte - '0');
    }
    if (!digits || number >= UINT32_MAX) {
        *refusal = "'" + shownText(typed.data(), typed.size()) +
                   "' is not a room number: a room number is written in digits, from 0 to 4294967294";
        return false;
    }
    *room = static_cast<std::uint32_t>(number);
    std::vector<LineSpan> places = roomNumberPlaces(outline, *room);
    if (!places.empty()) {
        *refusal = roomName(*room) + " is already named on line " + std::to_string(places.front().line) +
                   (outline.nextFreeRoom != 0 ? "; room " + std::to_string(outline.nextFreeRoom) + " is free"
                                              : std::string());
        return false;
    }
    return true;
}

bool exitTakenByKey(const MapCheck& check, std::uint32_t room, char key, std::uint32_t* slot) {
    const CheckedRoom& checked = roomAt(check, room);
    const char line[2] = {key, '\0'};
    LineMove move = moveForLine(checked.kind, checked.exits, line);
    if (move.effect != LineTakesExit) return false;
    *slot = move.slot;
    return true;
}

std::vector<std::string> roomFirstLines(const MapText& text, const MapCheck& check, std::uint32_t room) {
    std::vector<std::string> lines;
    std::uint64_t first = roomAt(check, room).descriptionLine;
    if (first == 0 || first > text.lineStarts->size()) return lines;
    // The loader's steps from the room's first line of text on, as they
    // store the rest of it.
    std::size_t begin = (*text.lineStarts)[first - 1];
    MapLineReader reader;
    if (!startMapLinesInMemory(&reader, text.bytes + begin, text.size - begin)) return lines;
    LoaderCursor cursor{room, 0, 0, InDescription};
    MapLine line;
    while (lines.size() < SHOWN_ROOM_LINES && readMapLine(&reader, &line)) {
        LoaderStep step = stepLoader(&cursor, line, classifyMapLine(line), neverDescribed, nullptr);
        if (step.kind == StoreLine) {
            lines.push_back(trimmed(std::string(line.bytes, line.textLength)));
        } else if (step.kind != SkipBlankLine && step.kind != SkipComment) {
            break;
        }
    }
    endMapLines(&reader);
    return lines;
}

std::string describeSpot(const MapText& text, const MapOutline& outline, const MapCheck& check,
                         const MapSpot& spot) {
    switch (spot.kind) {
    case HeadingNumber:
        return describeWaysIn(outline, spot.room);
    case ExitTarget:
        return describeRoom(text, check, spot.room);
    case ExitKey:
    case NamedKey:
        if (!spot.inRoom) return "";
        return describeKeyMove(text, check, spot.room, spot.key);
    default:
        return "";
    }
}

LineSpan diagnosticSpan(const MapText& text, const MapOutline& outline, const Diagnostic& diagnostic) {
    if (diagnostic.line == 0 || diagnostic.line > text.lineStarts->size()) return LineSpan{1, 0, 0};
    std::uint64_t line = diagnostic.line;
    const std::string& message = diagnostic.text;
    LineSpan whole = wholeLine(text, line);
    const HeadingLine* heading = headingOnLine(outline, line);
    const ExitLineFields* exit = exitLineAt(outline, line);
    LineField word = heading != nullptr ? heading->word : exit != nullptr ? exit->word : LineField{};
    // The model keeps no subject for a diagnostic, so it is told from the
    // message's opening words and the room it names.
    if (startsWith(message, "unknown directive '")) {
        std::size_t begin = 0;
        std::size_t length = 0;
        const char* bytes = text.bytes + (*text.lineStarts)[line - 1];
        if (findFirstWord(bytes, whole.end, &begin, &length)) return LineSpan{line, begin, begin + length};
        return whole;
    }
    if (heading != nullptr && (startsWith(message, "#helyiseg without") || !heading->numberRead)) {
        return spanOnLine(line, word);
    }
    std::uint32_t named = 0;
    bool namesRoom = firstRoomNamed(message, &named);
    if (heading != nullptr) {
        if (startsWith(message, "room number ") || (namesRoom && named == heading->room)) {
            return spanOnLine(line, heading->number);
        }
        return whole;
    }
    if (exit != nullptr) {
        if (diagnostic.severity == Error) {
            // A malformed line, or one #irany line too many.
            return spanOnLine(line, exit->fault != ExitLineValid ? faultSpan(*exit) : word);
        }
        if (exit->kind == Navigate && (startsWith(message, "key ") || startsWith(message, "the text of room "))) {
            return spanOnLine(line, keyWord(text, *exit));
        }
        if (startsWith(message, "automatic rooms go round") || (namesRoom && named == exit->target)) {
            return spanOnLine(line, exit->spans[1]);
        }
        return whole;
    }
    LineSpan key{};
    if (namedKeySpan(text, diagnostic, &key)) return key;
    return whole;
}

Typing typingAt(const MapText& text, std::uint64_t line, std::size_t offset) {
    Typing typing;
    LineSpan whole = wholeLine(text, line);
    if (line == 0 || offset > whole.end) return typing;
    const char* bytes = text.bytes + (*text.lineStarts)[line - 1];
    // What was typed before the place decides; a NUL ends a line's text.
    std::size_t length = static_cast<std::size_t>(std::find(bytes, bytes + offset, '\0') - bytes);
    if (length < offset || offset >= MAP_LINE_MAX) return typing;
    MapLine typed{bytes, length, length, line};
    std::size_t wordBegin = 0;
    std::size_t wordLength = 0;
    if (!findFirstWord(bytes, length, &wordBegin, &wordLength) || bytes[wordBegin] != '#') return typing;
    std::size_t wordEnd = wordBegin + wordLength;
    if (wordEnd == length) {
        typing.place = TypingDirective;
        typing.replaced = LineSpan{line, wordBegin, wordEnd};
        return typing;
    }
    // The part typed of the field at the place: from the last white space.
    std::size_t fieldBegin = length;
    while (fieldBegin > wordEnd && !isWhitespaceByte(bytes[fieldBegin - 1])) --fieldBegin;
    typing.replaced = LineSpan{line, fieldBegin, length};
    MapLineKind kind = classifyMapLine(typed);
    if (kind == RoomDirective) {
        std::uint32_t room = 0;
        if (scanRoomNumber(bytes, fieldBegin, &room) == 0) typing.place = TypingHeadingNumber;
        return typing;
    }
    if (kind != ExitDirective) return typing;
    ExitFields fields{};
    int before = scanExitFields(bytes, fieldBegin, &fields);  // the fields before the one being typed
    if (before == 0) typing.place = TypingKindLetter;
    if (before == 1) typing.place = TypingTarget;
    return typing;
}

std::vector<MapWord> directiveWords() {
    std::vector<MapWord> words = {
        {"#helyiseg", "starts a room: #helyiseg NUMBER, then up to 16 lines of its text"},
        {"#irany", "an exit of the room: #irany N TARGET KEY, #irany A TARGET or #irany E TARGET"},
        {"#gameover", "ends the game in this room"},
    };
    static const char* const FACT_MEANINGS[MAP_FACT_COUNT] = {
        "the game's title, before the first room",
        "who wrote the game, before the first room",
        "the language of the game's text, such as hu or en-GB",
        "the game's IFID, a UUID that identifies it in archives",
        "one line that tells what the game is about",
    };
    for (int fact = 0; fact < MAP_FACT_COUNT; ++fact) {
        words.push_back(MapWord{mapFactWord(static_cast<MapFact>(fact)), FACT_MEANINGS[fact]});
    }
    return words;
}

std::vector<MapWord> kindLetters() {
    return {
        {"N", "taken by a key: #irany N TARGET KEY"},
        {"A", "at once, without waiting: #irany A TARGET"},
        {"E", "after Enter: #irany E TARGET"},
    };
}

std::vector<RoomEntry> listRooms(const MapText& text, const MapOutline& outline, const MapCheck& check) {
    std::vector<RoomEntry> entries;
    std::unordered_map<std::uint32_t, std::size_t> listed;
    std::uint64_t lastLine = text.lineStarts->size();
    for (std::size_t i = 0; i < outline.headings.size(); ++i) {
        const HeadingLine& heading = outline.headings[i];
        std::uint64_t blockEnd = i + 1 < outline.headings.size() ? outline.headings[i + 1].line - 1 : lastLine;
        if (!heading.numberRead || !listed.emplace(heading.room, entries.size()).second) {
            // A heading without a number, or naming its room again, goes on
            // with the room above it.
            if (!entries.empty()) entries.back().lastLine = std::max(entries.back().lastLine, blockEnd);
            continue;
        }
        entries.push_back(RoomEntry{heading.room, &heading, std::max(heading.line, blockEnd),
                                    trimmed(roomAt(check, heading.room).firstLine)});
    }
    return entries;
}
