#include "map_places.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>

#include "diagnostic_text.h"
#include "key_words.h"
#include "loader_steps.h"
#include "map_facts.h"
#include "map_lines.h"
#include "map_questions.h"
#include "move_rules.h"

namespace {

// Line `line`: where its bytes start and end (its line end included).
struct LineBytes {
    const char* bytes;
    std::size_t length;
};

LineBytes lineBytes(const MapAnalysis& analysis, std::uint64_t line) {
    const std::vector<std::size_t>& starts = analysis.lineStarts;
    if (line == 0 || line > starts.size()) return LineBytes{analysis.bytes.data(), 0};
    std::size_t begin = starts[line - 1];
    std::size_t end = line < starts.size() ? starts[line] : analysis.bytes.size();
    return LineBytes{analysis.bytes.data() + begin, end - begin};
}

// Calls `visit(piece, offset)` for each piece of physical line `line`, read
// with the map's line rules (a line of 511 bytes or more comes in pieces).
template <typename Visit>
void forEachPiece(const MapAnalysis& analysis, std::uint64_t line, Visit visit) {
    LineBytes bytes = lineBytes(analysis, line);
    MapLineReader reader;
    if (bytes.length > 0 && startMapLinesInMemory(&reader, bytes.bytes, bytes.length)) {
        std::size_t offset = 0;
        MapLine piece;
        while (readMapLine(&reader, &piece)) {
            piece.physicalLine = line;
            visit(piece, offset);
            offset += piece.length;
        }
        endMapLines(&reader);
    }
}

// Bytes of line `line` without its line end.
LineSpan wholeLine(const MapAnalysis& analysis, std::uint64_t line) {
    LineBytes bytes = lineBytes(analysis, line);
    std::size_t end = bytes.length;
    while (end > 0 && (bytes.bytes[end - 1] == '\n' || bytes.bytes[end - 1] == '\r')) --end;
    return LineSpan{line, 0, end};
}

bool touches(LineField span, std::size_t offset) {
    return span.begin < span.end && offset >= span.begin && offset <= span.end;
}

LineSpan spanOnLine(std::uint64_t line, LineField span) {
    return LineSpan{line, span.begin, span.end};
}

LineField keyWord(const MapAnalysis& analysis, const ExitLineFields& exit) {
    if (exit.fieldCount < 3) return exit.word;
    LineField span = exit.spans[2];
    LineBytes bytes = lineBytes(analysis, exit.line);
    LineSpan line = wholeLine(analysis, exit.line);
    while (span.end < line.end && !isWhitespaceByte(bytes.bytes[span.end]) && bytes.bytes[span.end] != '\0') {
        ++span.end;
    }
    return span;
}

// Where the readers of the places below follow the loader, only the room a
// line goes to matters, which no refusal changes.
bool neverDescribed(const void*, std::uint32_t) {
    return false;
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
std::string describeRoom(const MapAnalysis& analysis, std::uint32_t room) {
    const MapCheck& check = analysis.check;
    if (room >= check.roomCount) {
        return roomName(room) + " is not in the map" +
               (check.roomCount > 0 ? ": the highest room is " + std::to_string(check.highestRoom) : std::string());
    }
    const CheckedRoom& checked = roomAt(check, room);
    if (checked.headingLine == 0 && checked.descriptionLine == 0) return roomName(room) + " has no #helyiseg line";
    std::string described = roomName(room) + ", line " + std::to_string(roomLine(check, room)) + ": " +
                            kindWords(checked.kind);
    std::vector<std::string> lines = roomFirstLines(analysis, room);
    if (lines.empty()) return described + "; it has no description";
    for (const std::string& line : lines) described += "\n" + line;
    return described;
}

// The exit slot of room `room` that key `key` takes, by the rules of a move.
bool takenSlot(const MapCheck& check, std::uint32_t room, char key, std::uint32_t* slot) {
    const CheckedRoom& checked = roomAt(check, room);
    const char line[2] = {key, '\0'};
    LineMove move = moveForLine(checked.kind, checked.exits, line);
    if (move.effect != LineTakesExit) return false;
    *slot = move.slot;
    return true;
}

// What a key does in a room: the exit it takes, and where that leads.
std::string describeKeyMove(const MapAnalysis& analysis, std::uint32_t room, char key) {
    const MapCheck& check = analysis.check;
    if (room >= check.roomCount) return describeRoom(analysis, room);
    std::string shown = "key " + describeKey(key);
    const CheckedRoom& checked = roomAt(check, room);
    if (checked.kind != Navigate && checked.kind != WaitForEnter) {
        return roomName(room) + " does not wait for a key: it " + kindWords(checked.kind);
    }
    std::uint32_t slot = 0;
    if (!takenSlot(check, room, key, &slot)) {
        return "no exit of " + roomName(room) + " has " + shown + ": a player who types " + describeKey(key) +
               " gets nothing";
    }
    std::string taker = checked.kind == WaitForEnter ? "Enter (whatever is typed)" : shown;
    return taker + " takes the exit on line " + std::to_string(checked.exitLines[slot]) + ", to\n" +
           describeRoom(analysis, checked.exits[slot].target);
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

}  // namespace

LineSpan exitKeySpan(const MapAnalysis& analysis, const ExitLineFields& exit) {
    return spanOnLine(exit.line, keyWord(analysis, exit));
}

MapSpot spotAt(const MapAnalysis& analysis, std::uint64_t line, std::size_t offset) {
    MapSpot spot;
    const HeadingLine* heading = headingLineAt(analysis.outline, line);
    if (heading != nullptr) {
        if (heading->numberRead && touches(heading->number, offset)) {
            spot.kind = HeadingNumber;
            spot.span = spanOnLine(line, heading->number);
            spot.room = heading->room;
            spot.inRoom = true;
        }
        return spot;
    }
    const ExitLineFields* exit = exitLineAt(analysis.outline, line);
    if (exit != nullptr) {
        spot.exit = exit;
        if (exit->fieldCount >= 2 && touches(exit->spans[1], offset)) {
            spot.kind = ExitTarget;
            spot.span = spanOnLine(line, exit->spans[1]);
            spot.room = exit->target;
            spot.inRoom = true;
        } else if (exit->fieldCount == 3 && exit->kindLetter == 'N' && touches(exit->spans[2], offset)) {
            spot.kind = ExitKey;
            spot.span = exitKeySpan(analysis, *exit);
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
    forEachPiece(analysis, line, [&search](const MapLine& piece, std::size_t pieceOffset) {
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
        spot.inRoom = roomAtLine(analysis, line, &spot.room);
    }
    return spot;
}

bool readNewRoomNumber(const MapAnalysis& analysis, const std::string& typed, std::uint32_t* room,
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
    const MapOutline& outline = analysis.outline;
    std::vector<LineSpan> places = roomNumberPlaces(outline, *room);
    if (!places.empty()) {
        *refusal = roomName(*room) + " is already named on line " + std::to_string(places.front().line) +
                   (outline.nextFreeRoom != 0 ? "; room " + std::to_string(outline.nextFreeRoom) + " is free"
                                              : std::string());
        return false;
    }
    return true;
}

const ExitLineFields* exitTakenByKey(const MapAnalysis& analysis, std::uint32_t room, char key) {
    std::uint32_t slot = 0;
    if (!takenSlot(analysis.check, room, key, &slot)) return nullptr;
    return exitLineAt(analysis.outline, roomAt(analysis.check, room).exitLines[slot]);
}

std::vector<std::string> roomFirstLines(const MapAnalysis& analysis, std::uint32_t room) {
    std::vector<std::string> lines;
    std::uint64_t first = roomAt(analysis.check, room).descriptionLine;
    if (first == 0 || first > analysis.lineStarts.size()) return lines;
    // The loader's steps from the room's first line of text on, as they
    // store the rest of it.
    std::size_t begin = analysis.lineStarts[first - 1];
    MapLineReader reader;
    if (!startMapLinesInMemory(&reader, analysis.bytes.data() + begin, analysis.bytes.size() - begin)) return lines;
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

std::string describeSpot(const MapAnalysis& analysis, const MapSpot& spot) {
    switch (spot.kind) {
    case HeadingNumber:
        return describeWaysIn(analysis.outline, spot.room);
    case ExitTarget:
        return describeRoom(analysis, spot.room);
    case ExitKey:
    case NamedKey:
        if (!spot.inRoom) return "";
        return describeKeyMove(analysis, spot.room, spot.key);
    default:
        return "";
    }
}

LineSpan diagnosticSpan(const MapAnalysis& analysis, const Diagnostic& diagnostic) {
    std::uint64_t line = diagnostic.line;
    if (line == 0 || line > analysis.lineStarts.size()) return LineSpan{1, 0, 0};
    LineSpan whole = wholeLine(analysis, line);
    const HeadingLine* heading = headingLineAt(analysis.outline, line);
    const ExitLineFields* exit = exitLineAt(analysis.outline, line);
    switch (diagnostic.subject) {
    case AboutDirective: {
        if (heading != nullptr) return spanOnLine(line, heading->word);
        if (exit != nullptr) return spanOnLine(line, exit->word);
        std::size_t begin = 0;
        std::size_t length = 0;
        if (findFirstWord(lineBytes(analysis, line).bytes, whole.end, &begin, &length)) {
            return LineSpan{line, begin, begin + length};
        }
        return whole;
    }
    case AboutRoomNumber:
        return heading != nullptr && heading->numberRead ? spanOnLine(line, heading->number) : whole;
    case AboutKindLetter:
        return exit != nullptr ? spanOnLine(line, exit->fieldCount >= 1 ? exit->spans[0] : exit->word) : whole;
    case AboutTarget:
        return exit != nullptr && exit->fieldCount >= 2 ? spanOnLine(line, exit->spans[1]) : whole;
    case AboutKey:
        return exit != nullptr ? exitKeySpan(analysis, *exit) : whole;
    case AboutNamedKey:
        return diagnostic.subjectAt + 3 <= whole.end
                   ? LineSpan{line, diagnostic.subjectAt, diagnostic.subjectAt + 3}
                   : whole;
    default:
        return whole;
    }
}

Typing typingAt(const MapAnalysis& analysis, std::uint64_t line, std::size_t offset) {
    Typing typing;
    LineSpan whole = wholeLine(analysis, line);
    if (line == 0 || offset > whole.end) return typing;
    const char* bytes = lineBytes(analysis, line).bytes;
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

std::vector<RoomEntry> listRooms(const MapAnalysis& analysis) {
    const MapOutline& outline = analysis.outline;
    std::vector<RoomEntry> entries;
    std::unordered_map<std::uint32_t, std::size_t> listed;
    std::uint64_t lastLine = analysis.lineStarts.size();
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
                                    trimmed(roomAt(analysis.check, heading.room).firstLine)});
    }
    return entries;
}
