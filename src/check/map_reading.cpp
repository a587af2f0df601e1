#include "map_reading.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "diagnostic_text.h"
#include "directive_typos.h"
#include "fact_checks.h"
#include "key_words.h"
#include "map_mending.h"
#include "loader_steps.h"
#include "map_fields.h"
#include "move_rules.h"

namespace {

struct IgnoredRun {
    std::uint64_t firstLine = 0;
    std::uint32_t lines = 0;
    std::uint64_t endedAt = 0;  // the #irany or #gameover line that ended the room's text
    std::size_t cause = NO_CAUSE;  // a misspelt #helyiseg above it: that warning's id
};

// The lines below a misspelt #helyiseg, counted up to the next #helyiseg.
struct MovedSpan {
    bool open = false;
    std::size_t directive = 0;  // index in MapCheck::misspelt
    MovedLines lines;
};

struct Reading {
    MapCheck* check;
    LoaderCursor cursor;         // the loader's own state, driven line by line
    bool skippingRoom = false;   // after a defect: the rest of the room is passed over
    bool sawHeading = false;
    std::uint64_t textEndedAt = 0;
    IgnoredRun ignored;
    std::uint64_t previousPhysicalLine = 0;  // 0: no line read yet
    std::size_t pieceOffset = 0;     // of the line being read in its physical line (a long line comes in pieces)
    std::size_t previousPieceLength = 0;
    std::uint64_t lastCutLine = 0;
    std::uint64_t lastNulLine = 0;
    std::size_t firstLineCutWarning = SIZE_MAX;  // index of the long-line warning on line 1
    bool firstLineHasLoneCarriageReturn = false;
    MapFacts facts;
    MovedSpan moved;
    bool wholeLine = false;  // the line read is a whole physical line, not a piece of a longer one
    bool utf16Mark = false;  // the file starts with a UTF-16 byte-order mark
    // Blank lines inside a room's text, not yet followed by more of it.
    std::uint64_t blankLine = 0;  // the first of them; 0: none
    std::uint32_t blankLines = 0;
};

void flushIgnoredRun(Reading* reading) {
    IgnoredRun& run = reading->ignored;
    if (run.lines == 0) return;
    std::string count = run.lines == 1 ? "this line is" : std::to_string(run.lines) + " lines are";
    std::string text = run.endedAt == 0 ? "text before the first #helyiseg is ignored (" + count + " never shown)"
                                        : "text after #irany or #gameover is ignored (" + count +
                                              " never shown): the room's description ended on line " +
                                              std::to_string(run.endedAt);
    if (run.cause != NO_CAUSE) {
        reading->check->reportConsequence(run.cause, run.firstLine, text);
    } else {
        reading->check->report(run.firstLine, Warning, text);
    }
    run = IgnoredRun{};
}

// Where the lines below a misspelt #helyiseg went, added to its warning:
// "the 2 #irany lines below now belong to room 8".
void closeMovedLines(Reading* reading) {
    MovedSpan& moved = reading->moved;
    if (!moved.open) return;
    moved.open = false;
    MapCheck* check = reading->check;
    const MisspeltDirective& misspelt = check->misspelt[moved.directive];
    std::string text = describeMovedLines(moved.lines, misspelt.room);
    if (text.empty()) return;
    // The typo's warning is among the last ones reported.
    for (auto diagnostic = check->diagnostics.rbegin(); diagnostic != check->diagnostics.rend(); ++diagnostic) {
        if (diagnostic->id == misspelt.warning) {
            diagnostic->text += " As written, " + text;
            return;
        }
    }
}

// The room number after a misspelt #helyiseg word (one word, or two when it
// was split by a space).
bool meantRoomNumber(const MapLine& line, const std::string& written, std::uint32_t* room) {
    std::size_t begin = 0;
    std::size_t length = 0;
    findFirstWord(line.bytes, line.textLength, &begin, &length);
    std::size_t after = written.find(' ') != std::string::npos ? begin + length : 0;
    return scanRoomNumber(line.bytes + after, line.textLength - after, room) == 1;
}

// A # word close to a directive, or one split by a space ("#game over").
// A misspelt #helyiseg or #gameover is remembered: the lines below it, or
// the room it meant to end, explain warnings about the whole map.
void checkForTypo(Reading* reading, const MapLine& line) {
    std::string word;
    const char* directive = meantDirective(line, &word);
    if (directive == nullptr) return;
    MapCheck* check = reading->check;
    std::size_t id = check->report(line.physicalLine, Warning,
                                   "unknown directive '" + shownText(word.data(), word.size()) +
                                       "' is taken as a comment; did you mean " + directive + "?",
                                   AboutDirective);
    if (reading->wholeLine && check->proposer != nullptr) {
        std::size_t begin = 0;
        std::size_t length = 0;
        findFirstWord(line.bytes, line.textLength, &begin, &length);
        std::size_t end = begin + length;
        std::size_t next = 0;
        if (word.find(' ') != std::string::npos && findFirstWord(line.bytes + end, line.textLength - end, &next, &length)) {
            end += next + length;
        }
        check->diagnostics.back().mending = check->proposer->directiveTypo(line, begin, end, directive);
    }
    if (std::string(directive) == "#irany" && reading->sawHeading) check->rooms[reading->cursor.room].misspeltExit = true;
    if (reading->skippingRoom || std::string(directive) == "#irany") return;
    MisspeltDirective misspelt{line.physicalLine, id, directive, false, 0, reading->cursor.room,
                               reading->sawHeading, line.physicalLine};
    if (std::string(directive) == "#helyiseg") {
        closeMovedLines(reading);
        flushIgnoredRun(reading);
        misspelt.roomNumberGiven = meantRoomNumber(line, word, &misspelt.meantRoom);
        reading->moved = MovedSpan{true, check->misspelt.size(), MovedLines{}};
    }
    check->misspelt.push_back(misspelt);
}

// Counts what a line below a misspelt #helyiseg did.
void countMovedLine(Reading* reading, const LoaderStep& step, const MapLine& line) {
    MovedSpan& moved = reading->moved;
    if (!moved.open) return;
    if (step.lineKind == RoomDirective || step.kind == RefuseMap) {
        closeMovedLines(reading);
        return;
    }
    reading->check->misspelt[moved.directive].lastLine = line.physicalLine;
    if (step.kind == StoreLine) ++moved.lines.storedLines;
    if (step.kind == SkipDescription) ++moved.lines.ignoredLines;
    if (step.kind == AddExit) ++moved.lines.exits;
    if (step.kind == EndWithGameOver) moved.lines.gameOver = true;
}

// A CR that is not part of a line end: in a file whose lines end in CR alone
// (old Mac editors), the runner sees one long line.
bool hasLoneCarriageReturn(const MapLine& line) {
    for (std::size_t i = 0; i + 1 < line.length; ++i) {
        if (line.bytes[i] == '\r' && line.bytes[i + 1] != '\n') return true;
    }
    return false;
}

void checkBytes(Reading* reading, const MapLine& line, MapLineKind kind) {
    MapCheck* check = reading->check;
    if (line.physicalLine == 1 && reading->previousPhysicalLine == 0 && line.length >= 3 &&
        std::memcmp(line.bytes, "\xEF\xBB\xBF", 3) == 0) {
        check->report(1, Warning,
                      "the file starts with a UTF-8 byte-order mark: it becomes part of the first "
                      "word, so a directive on this line is not recognised");
    }
    if (line.physicalLine == reading->previousPhysicalLine && reading->lastCutLine != line.physicalLine) {
        reading->lastCutLine = line.physicalLine;
        if (line.physicalLine == 1) reading->firstLineCutWarning = check->diagnostics.size();
        check->report(line.physicalLine, Warning,
                      "line has 511 bytes or more before its newline: the runner cuts it into pieces "
                      "of 511 bytes, each read as a line of its own");
    }
    reading->previousPhysicalLine = line.physicalLine;
    if (line.physicalLine == 1 && !reading->firstLineHasLoneCarriageReturn) {
        reading->firstLineHasLoneCarriageReturn = hasLoneCarriageReturn(line);
    }
    if (line.textLength < line.length && reading->lastNulLine != line.physicalLine) {
        reading->lastNulLine = line.physicalLine;
        std::string text = "NUL byte: the runner ignores the rest of the line after it";
        if (kind == DescriptionLine) {
            text += ", its line break included, so this text runs straight on into whatever is shown next";
        }
        check->report(line.physicalLine, Warning, text);
    }
}

// The file's lines end in CR alone when it is all one line with a CR inside.
// The long-line warning of that one line then says nothing more.
void checkCarriageReturnLineEnds(Reading* reading) {
    if (!reading->firstLineHasLoneCarriageReturn || reading->previousPhysicalLine != 1) return;
    std::vector<Diagnostic>& diagnostics = reading->check->diagnostics;
    if (reading->firstLineCutWarning < diagnostics.size()) {
        diagnostics.erase(diagnostics.begin() + static_cast<std::ptrdiff_t>(reading->firstLineCutWarning));
    }
    // First, as it explains the rest.
    diagnostics.insert(diagnostics.begin(),
                       Diagnostic{1, Warning,
                                  "the lines of this file end in CR alone (old Mac line ends): the runner "
                                  "reads the whole file as one line, in pieces of 511 bytes; convert it with "
                                  "tr '\\r' '\\n' < old.map > new.map",
                                  reading->check->reported++, NO_CAUSE});
}

struct KeyNaming {
    std::vector<NamedKey>* keys;
    std::uint32_t room;
    std::uint64_t line;
    std::size_t pieceOffset;
};

// A room's text comes in one piece, so its keys are the last ones named.
void addNamedKey(void* context, char key, std::size_t at) {
    KeyNaming* naming = static_cast<KeyNaming*>(context);
    for (auto named = naming->keys->rbegin(); named != naming->keys->rend() && named->room == naming->room; ++named) {
        if (named->key == key) return;
    }
    naming->keys->push_back(NamedKey{naming->room, key, naming->line, naming->pieceOffset + at});
}

void storeDescription(Reading* reading, const LoaderStep& step, const MapLine& line) {
    KeyNaming naming{&reading->check->namedKeys, step.room, line.physicalLine, reading->pieceOffset};
    findNamedKeys(line.bytes, line.textLength, addNamedKey, &naming);
    CheckedRoom& room = reading->check->rooms[step.room];
    room.lastTextLine = line.physicalLine;
    if (step.slot != 0) return;
    room.descriptionLine = line.physicalLine;
    room.firstLine.assign(line.bytes, line.textLength);
}

// A #helyiseg line, whether it opens its room or is refused for it.
void readHeading(Reading* reading, const LoaderStep& step, const MapLine& line) {
    MapCheck* check = reading->check;
    std::uint32_t number = step.room;
    if (!step.numberRead) {
        check->report(line.physicalLine, Warning,
                      "#helyiseg without a room number: the lines after it go to " + roomName(number), AboutDirective);
    } else if (number >= check->highestRoom) {
        check->highestRoom = number;
        check->highestRoomLine = line.physicalLine;
    }
    if (!reading->sawHeading) check->firstHeadingLine = line.physicalLine;
    reading->sawHeading = true;
    reading->skippingRoom = false;
    CheckedRoom& room = check->rooms[number];
    if (room.headingLine == 0) room.headingLine = line.physicalLine;
}

// The words after an A or E exit's target, which the runner reads as a key.
std::string textAfterTarget(const ExitLine& exitLine, const MapLine& line) {
    std::size_t begin = exitLine.fieldsEnd - 1;  // the "key"
    std::size_t end = line.textLength;
    while (end > begin && isWhitespaceByte(line.bytes[end - 1])) --end;
    return std::string(line.bytes + begin, end - begin);
}

// Why an #irany line is malformed, in the author's terms.
std::string exitLineHint(const ExitLine& exitLine, const MapLine& line) {
    char letter = exitLine.fields.kindLetter;
    switch (exitLine.fault) {
    case MissingKindLetter:
        return "#irany needs a kind letter (N, A or E) and a target room";
    case SmallKindLetter:
        return std::string("the kind letter must be a capital: ") + static_cast<char>(letter - 32);
    case UnknownKindLetter:
        return "unknown kind letter '" + describeKey(letter) +
               "': use N (taken by a key), A (at once) or E (after Enter)";
    case MissingTarget:
        return "no target room number after the kind letter";
    case KeyAfterPassage:
        break;
    case MissingKey: {
        std::string hint = "an N exit needs a key after its target";
        if (exitLine.gluedDigit != '\0') {
            hint += std::string("; if the key is ") + exitLine.gluedDigit + ", it was read as part of the number " +
                    std::to_string(exitLine.fields.target) + ": put a space before it";
        }
        return hint;
    }
    case ExitLineValid:
        return "";
    }
    std::string hint = std::string("an ") + letter + " exit takes no key, only its target";
    std::string after = textAfterTarget(exitLine, line);
    if (after.size() == 1) return hint;
    // More than a key: most likely a note, which needs a line of its own.
    return hint + ", but '" + shownText(after.data(), after.size()) +
           "' follows it; a comment needs a line of its own: # " + shownText(after.data(), after.size());
}

// What the checker says about a refused line, after the runner's message.
std::string refusalReason(const MapCheck& check, const LoaderStep& step, const MapLine& line) {
    switch (step.defect.kind) {
    case TooManyLines:
        return roomName(step.room) + " has more than 16 description lines";
    case TooManyExits:
        return roomName(step.room) + " has more than 9 #irany lines";
    case MalformedExit:
        return exitLineHint(step.exitLine, line);
    case DescribedTwice:
        return roomName(step.room) + " already has a description (line " +
               std::to_string(roomAt(check, step.room).descriptionLine) + ")";
    default:
        return "";
    }
}

// The part of a refused line the refusal is about: the field an #irany line
// is refused for (its word when it is one too many), a #helyiseg line's
// number.
DiagnosticSubject refusedPart(const LoaderStep& step) {
    if (step.lineKind == RoomDirective) return step.numberRead ? AboutRoomNumber : AboutDirective;
    if (step.lineKind != ExitDirective) return AboutLine;
    switch (step.exitLine.fault) {
    case SmallKindLetter:
    case UnknownKindLetter:
    case MissingTarget:
        return AboutKindLetter;
    case KeyAfterPassage:
        return AboutKey;
    case MissingKey:
        return AboutTarget;
    default:
        return AboutDirective;
    }
}

void refuseLine(Reading* reading, const LoaderStep& step, const MapLine& line) {
    if (step.lineKind == RoomDirective) readHeading(reading, step, line);
    reading->check->report(line.physicalLine, Error,
                           quotedMessage(step.defect) + ": " + refusalReason(*reading->check, step, line),
                           refusedPart(step));
    reading->skippingRoom = true;
}

void checkKey(Reading* reading, const MapLine& line, char key) {
    KeyTyping typing = keyTyping(key);
    if (typing == KeyControl || typing == KeyEndsLine) {
        reading->check->report(line.physicalLine, Warning,
                               "key " + describeKey(key) + " is a control character that players cannot type",
                               AboutKey);
    } else if (typing == KeyBeyondAscii) {
        reading->check->report(line.physicalLine, Warning,
                               "key " + describeKey(key) +
                                   " is not ASCII: a UTF-8 terminal sends such a letter as two bytes, "
                                   "which never match a key",
                               AboutKey);
    }
}

// "#irany N 3 north": the key is n, and a player typing north gets nothing.
void checkKeyWord(Reading* reading, const ExitLine& exitLine, const MapLine& line) {
    std::size_t begin = exitLine.fieldsEnd - 1;
    std::size_t end = exitLine.fieldsEnd;
    while (end < line.textLength && !isWhitespaceByte(line.bytes[end])) ++end;
    if (end == exitLine.fieldsEnd) return;
    std::string word = shownText(line.bytes + begin, end - begin);
    reading->check->report(line.physicalLine, Warning,
                           "key " + describeKey(exitLine.exit.key) + " is only the first character of '" + word +
                               "': the rest is ignored, and a player who types " + word + " gets nothing",
                           AboutKey);
}

// "#irany N 5 ö": to the author one letter, to the runner two bytes, of
// which the key is the first. One warning says so, for a key that starts a
// character of two to four bytes in UTF-8.
bool checkUtf8Key(Reading* reading, const ExitLine& exitLine, const MapLine& line) {
    std::size_t begin = exitLine.fieldsEnd - 1;
    if (static_cast<unsigned char>(line.bytes[begin]) < 0xC2) return false;  // no UTF-8 character of two bytes or more
    char32_t character = 0;
    std::size_t length = readUtf8Character(line.bytes, line.textLength, begin, &character);
    if (length < 2) return false;
    std::size_t end = begin;
    while (end < line.textLength && !isWhitespaceByte(line.bytes[end])) ++end;
    static const char* const BYTES[] = {"", "", "two", "three", "four"};
    std::string letter(line.bytes + begin, length);
    std::string text = "key '" + letter + "'";
    if (end > begin + length) text += " (of '" + shownText(line.bytes + begin, end - begin) + "')";
    text += std::string(" is one character but ") + BYTES[length] +
            " bytes in UTF-8, and a key is one byte: the runner keeps only " + describeKey(exitLine.exit.key) +
            ", which a player cannot type; use an ASCII letter or digit instead";
    char ascii = asciiLetterFor(character);
    if (ascii != '\0') text += std::string(", such as ") + ascii;
    reading->check->report(line.physicalLine, Warning, text, AboutKey);
    // A key written as a longer word is the author's to shorten.
    const MendingProposer* proposer = reading->check->proposer;
    if (ascii != '\0' && end == begin + length && reading->wholeLine && proposer != nullptr) {
        reading->check->diagnostics.back().mending = proposer->keyLetter(line, begin, end, ascii);
    }
    return true;
}

void addExit(Reading* reading, const LoaderStep& step, const MapLine& line) {
    if (step.exitLine.kind == Navigate && !checkUtf8Key(reading, step.exitLine, line)) {
        checkKey(reading, line, step.exitLine.fields.key);
        checkKeyWord(reading, step.exitLine, line);
    }
    CheckedRoom& room = reading->check->rooms[step.room];
    room.exits[step.slot] = step.exitLine.exit;
    room.exitLines[step.slot] = line.physicalLine;
    room.kind = step.exitLine.kind;
    room.kindLine = line.physicalLine;
    room.kindSlot = step.slot;
    reading->textEndedAt = line.physicalLine;
}

void endRoomText(Reading* reading, const LoaderStep& step, const MapLine& line) {
    CheckedRoom& room = reading->check->rooms[step.room];
    room.kind = GameOver;
    room.kindLine = line.physicalLine;
    room.kindSlot = 0;
    reading->textEndedAt = line.physicalLine;
}

void countIgnoredLine(Reading* reading, const MapLine& line) {
    IgnoredRun& run = reading->ignored;
    if (run.lines == 0) {
        run.firstLine = line.physicalLine;
        run.endedAt = reading->sawHeading ? reading->textEndedAt : 0;
        if (reading->moved.open) run.cause = reading->check->misspelt[reading->moved.directive].warning;
    }
    ++run.lines;
}

// Blank lines between lines of one room's text: the runner skips them, and
// the map has no way to show an empty line in a room, so the author is told
// that it will not be there. Blank lines before a room's first line of text
// or after its last are spacing in the map and say nothing.
void followBlankLines(Reading* reading, const LoaderStep& step, const MapLine& line) {
    if (step.kind == SkipBlankLine) {
        if (reading->cursor.state != InDescription || reading->cursor.lineIndex == 0 || !reading->wholeLine) return;
        if (reading->blankLines++ == 0) reading->blankLine = line.physicalLine;
        return;
    }
    // A comment inside a room's text leaves it going on.
    if (step.kind == SkipComment || reading->blankLines == 0) return;
    if (step.kind == StoreLine) {
        reading->check->report(reading->blankLine, Note,
                               (reading->blankLines == 1 ? std::string("this blank line")
                                                         : std::to_string(reading->blankLines) + " blank lines") +
                                   " in the text of " + roomName(step.room) +
                                   (reading->blankLines == 1 ? " is" : " are") +
                                   " not shown: the runner skips lines that are empty or only white space, "
                                   "and a room's text has no way to show an empty line");
    }
    reading->blankLines = 0;
}

bool isCheckedRoomDescribed(const void* context, std::uint32_t room) {
    return roomAt(*static_cast<const MapCheck*>(context), room).descriptionLine != 0;
}

void readLine(Reading* reading, const MapLine& line) {
    bool nextPiece = line.physicalLine == reading->previousPhysicalLine;
    reading->pieceOffset = nextPiece ? reading->pieceOffset + reading->previousPieceLength : 0;
    reading->previousPieceLength = line.length;
    reading->wholeLine = line.physicalLine != reading->previousPhysicalLine &&
                         (line.length < MAP_LINE_MAX || line.bytes[line.length - 1] == '\n');
    reading->check->lastLine = line.physicalLine;
    if (line.physicalLine == 1 && reading->previousPhysicalLine == 0) {
        reading->utf16Mark = startsWithUtf16Mark(line.bytes, line.length);
    }
    MapLineKind kind = classifyMapLine(line);
    checkBytes(reading, line, kind);
    bool isFact = checkFactLine(&reading->facts, reading->check, line, kind);
    // After a defect the runner would have stopped; the rest of the room
    // is passed over, and the next #helyiseg line starts afresh.
    if (reading->skippingRoom && kind != RoomDirective) {
        if (kind == OtherDirective && !isFact) checkForTypo(reading, line);
        return;
    }
    LoaderStep step = stepLoader(&reading->cursor, line, kind, isCheckedRoomDescribed, reading->check);
    countMovedLine(reading, step, line);
    followBlankLines(reading, step, line);
    if (step.kind == SkipBlankLine) return;
    if (step.kind == SkipComment) {
        if (!isFact) checkForTypo(reading, line);
        return;
    }
    if (step.kind == SkipDescription) {
        countIgnoredLine(reading, line);
        return;
    }
    flushIgnoredRun(reading);
    switch (step.kind) {
    case StoreLine:
        storeDescription(reading, step, line);
        break;
    case OpenRoom:
        readHeading(reading, step, line);
        break;
    case AddExit:
        addExit(reading, step, line);
        break;
    case EndWithGameOver:
        endRoomText(reading, step, line);
        break;
    case RefuseMap:
        refuseLine(reading, step, line);
        break;
    default:
        break;
    }
}

// A map saved as UTF-16, which the runner reads byte by byte.
std::string utf16Refusal() {
    return quotedMessage(MapDefect{NoRoomAboveZero, 0, 0}) +
           ": the file is in UTF-16 (it starts with a UTF-16 byte-order mark), which the runner reads byte by "
           "byte and finds no room in; save it as UTF-8 or windows-1250";
}

constexpr std::uint64_t GIBIBYTE = std::uint64_t{1} << 30;

std::string gibibytes(std::uint64_t bytes) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f GiB", static_cast<double>(bytes) / GIBIBYTE);
    return text;
}

// A room of the runner as authors run it, built for 64 bits: 16 line
// pointers, 9 exits of a 32-bit target and a key, and its kind, padded to the
// pointers' 8 bytes. The studio page's checker is 32-bit WebAssembly, whose
// own rooms are smaller, and must still describe the runner's table.
constexpr std::uint64_t RUNNER_ROOM_BYTES = (MAX_LINES * 8 + MAX_EXITS * 8 + 4 + 7) / 8 * 8;
static_assert(sizeof(void*) != 8 || sizeof(Room) == RUNNER_ROOM_BYTES, "a 64-bit runner's room");

// The runner keeps a record for every room number up to the highest one.
void checkTableSize(MapCheck* check, std::uint64_t machineMemory) {
    std::uint64_t tableBytes = std::uint64_t{check->roomCount} * RUNNER_ROOM_BYTES;
    std::string need = "room number " + std::to_string(check->highestRoom) + " needs a table of " +
                       gibibytes(tableBytes);
    if (tableBytes > machineMemory) {
        check->report(check->highestRoomLine, Error,
                      need + ", more than this machine's memory: the runner stops without a message", AboutRoomNumber);
    } else if (tableBytes > GIBIBYTE) {
        check->report(check->highestRoomLine, Warning,
                      need + " of address space: machines with less memory refuse the map", AboutRoomNumber);
    }
}

}  // namespace

void readMapForCheck(MapLineReader* reader, std::uint64_t machineMemory, MapCheck* check) {
    Reading reading;
    reading.check = check;
    MapEncodingScan encoding;
    MapLine line;
    while (readMapLine(reader, &line)) {
        scanMapBytes(&encoding, line.bytes, line.length);
        readLine(&reading, line);
    }
    check->encoding = finishMapEncoding(encoding);
    // The facts' characters are known once the whole map decides how they read.
    checkFactCharacters(reading.facts, check->encoding, check);
    flushIgnoredRun(&reading);
    closeMovedLines(&reading);
    checkCarriageReturnLineEnds(&reading);
    if (reader->bytesAfterControlZ) {
        check->report(reader->physicalLine, Warning,
                      "0x1A byte (Ctrl-Z): the runner ignores everything after it");
    }
    check->hasIfid = reading.facts.given[IfidFact];
    for (int fact = 0; fact < MAP_FACT_COUNT; ++fact) {
        if (reading.facts.given[fact]) check->lastFactLine = std::max(check->lastFactLine, reading.facts.lines[fact]);
    }
    if (check->highestRoom == 0 && reading.utf16Mark) {
        // Read as bytes, UTF-16 text is a NUL after every letter: every
        // line would be warned of, and none of it says what is wrong.
        check->diagnostics.clear();
        check->report(0, Error, utf16Refusal());
    } else if (check->highestRoom == 0 && reading.previousPhysicalLine == 0) {
        // No line to point at: the message is about the file.
        check->report(0, Error,
                      quotedMessage(MapDefect{NoRoomAboveZero, 0, 0}) +
                          (reader->sawControlZ ? ": nothing comes before the Ctrl-Z byte that ends the file"
                                               : ": the file is empty"));
    } else if (check->highestRoom == 0) {
        check->report(check->highestRoomLine != 0 ? check->highestRoomLine : 1, Error,
                      quotedMessage(MapDefect{NoRoomAboveZero, 0, 0}) +
                          ": no #helyiseg line names a room above 0");
    } else if (check->highestRoom == UINT32_MAX) {
        check->report(check->highestRoomLine, Error,
                      "room number 4294967295 is too large: the runner cannot make a table for it and "
                      "stops without a message",
                      AboutRoomNumber);
    } else {
        check->roomCount = check->highestRoom + 1;
        checkTableSize(check, machineMemory);
    }
}

