#include "map_mending.h"

#include <algorithm>

#include "diagnostic_text.h"
#include "key_words.h"
#include "move_rules.h"
#include "warning_causes.h"

namespace {

// The whole line with bytes `begin` to `end` replaced, as one edit.
Mending replaceInLine(const MapLine& line, std::size_t begin, std::size_t end, const std::string& text,
                      std::string title) {
    std::size_t length = line.length;
    if (length > 0 && line.bytes[length - 1] == '\n') --length;
    std::string bytes(line.bytes, length);
    bytes.replace(begin, end - begin, text);
    return Mending{std::move(title), {MapEdit{line.physicalLine, 1, bytes + "\n"}}};
}

// The number a new room gets (findNewRoomNumber), as the analysis found it
// for the map's proposals, or found now for a proposal asked of it later.
bool nextFreeRoom(const MapCheck& check, std::uint32_t* number) {
    *number = check.newRoom != 0 ? check.newRoom : findNewRoomNumber(check);
    return *number != 0;
}

// A new room's lines, added after the map's last line. It ends the game:
// that needs no key, no word in the map's language and no guess at where
// the game goes on, and the room is complete at once (it can be reached and
// it ends), so the checker's other findings about the map stay true. The
// author writes its text over the line in parentheses and, for a way on,
// puts #irany lines in place of #gameover.
MapEdit newRoomAtEnd(const MapCheck& check, std::uint32_t number) {
    std::string room = std::to_string(number);
    return MapEdit{check.lastLine + 1, 0,
                   "#helyiseg " + room + "\n(Room " + room + ": write here what the player sees.)\n#gameover\n"};
}

// Where a new exit of `room` goes: after its last #irany line, else after
// its last line of text, else after its #helyiseg line.
std::uint64_t newExitLine(const CheckedRoom& room) {
    std::uint64_t last = *std::max_element(room.exitLines, room.exitLines + MAX_EXITS);
    if (last == 0) last = room.lastTextLine;
    if (last == 0) last = room.headingLine;
    return last + 1;
}

std::uint32_t exitCount(const CheckedRoom& room) {
    return static_cast<std::uint32_t>(
        std::count_if(room.exitLines, room.exitLines + MAX_EXITS, [](std::uint64_t line) { return line != 0; }));
}

bool hasExitKey(const CheckedRoom& room, char key) {
    for (std::uint32_t slot = 0; slot < MAX_EXITS; ++slot) {
        if (room.exitLines[slot] != 0 && room.exits[slot].key == key) return true;
    }
    return false;
}

// An exit with `key` from `room` to a new room, and the new room.
Mending exitToNewRoom(const MapCheck& check, std::uint32_t number, char key, const char* titleStart) {
    const CheckedRoom& room = roomAt(check, number);
    std::uint32_t target = 0;
    if (room.kind != Navigate || room.headingLine == 0 || exitCount(room) >= MAX_EXITS ||
        keyTyping(key) != KeyTypable || !nextFreeRoom(check, &target)) {
        return Mending{};
    }
    std::string exit = "#irany N " + std::to_string(target) + " " + std::string(1, key);
    return Mending{std::string(titleStart) + " '" + exit + "' to " + roomName(number) + " and " + roomName(target) +
                       " at the end of the map",
                   {MapEdit{newExitLine(room), 0, exit + "\n"}, newRoomAtEnd(check, target)}};
}

}  // namespace

Mending directiveTypoMending(const MapLine& line, std::size_t begin, std::size_t end, const char* directive) {
    return replaceInLine(line, begin, end, directive,
                         "replace '" + shownText(line.bytes + begin, end - begin) + "' with '" + directive + "'");
}

Mending keyLetterMending(const MapLine& line, std::size_t begin, std::size_t end, char ascii) {
    return replaceInLine(line, begin, end, std::string(1, ascii),
                         "replace key '" + std::string(line.bytes + begin, end - begin) + "' with " + ascii);
}

Mending undescribedRoomMending(const MapCheck& check, std::uint32_t room) {
    const CheckedRoom& target = roomAt(check, room);
    // A room some line names already is the author's to finish: a second
    // #helyiseg line for it would start it afresh.
    if (target.headingLine != 0 || target.kindLine != 0) return Mending{};
    return Mending{"add " + roomName(room) + " at the end of the map", {newRoomAtEnd(check, room)}};
}

Mending namedKeyMending(const MapCheck& check, std::uint32_t room, char key) {
    // A misspelt #irany line, or an exit with a key no one can type, may
    // well be the exit the text means.
    const CheckedRoom& named = roomAt(check, room);
    if (named.misspeltExit) return Mending{};
    for (std::uint32_t slot = 0; slot < MAX_EXITS; ++slot) {
        if (named.exitLines[slot] != 0 && keyTyping(named.exits[slot].key) != KeyTypable) return Mending{};
    }
    return exitToNewRoom(check, room, key, "add");
}

// The key of an added room's exit: a key the room's text names that no exit
// has yet (the text already tells the player of it), else the first of a-z
// and then 1-9 that no exit of the room has and its text does not name for
// something else.
Mending addRoomMending(const MapCheck& check, std::uint32_t number) {
    const CheckedRoom& room = roomAt(check, number);
    std::string named;
    for (const NamedKey& key : check.namedKeys) {
        if (key.room == number) named += key.key;
    }
    for (char key : named) {
        if (markNamesKey(key, false) && !hasExitKey(room, key)) return exitToNewRoom(check, number, key, "add");
    }
    for (char key : std::string("abcdefghijklmnopqrstuvwxyz123456789")) {
        if (!hasExitKey(room, key) && named.find(key) == std::string::npos) {
            return exitToNewRoom(check, number, key, "add");
        }
    }
    return Mending{};
}

namespace {

// The one obvious mending of a whole-map finding, where there is one.
Mending findingMending(const MapCheck& check, const Finding& finding) {
    switch (finding.kind) {
    case ExitToUndescribedRoom:
        return undescribedRoomMending(check, finding.target);
    case KeyNamedWithoutExit:
        return namedKeyMending(check, finding.room, finding.key);
    default:
        return Mending{};
    }
}

}  // namespace

const MendingProposer CHECKER_MENDING = {directiveTypoMending, keyLetterMending, findingMending};

Mending ifidMending(const MapCheck& check, const std::string& ifid) {
    if (check.hasIfid) return Mending{};
    std::string line = "#ifid " + ifid + "\n";
    if (check.unusableIfidLine != 0) {
        return Mending{"replace it with a fresh IFID: #ifid " + ifid, {MapEdit{check.unusableIfidLine, 1, line}}};
    }
    std::uint64_t at = check.lastFactLine != 0     ? check.lastFactLine + 1
                       : check.firstHeadingLine != 0 ? check.firstHeadingLine
                                                 : 1;
    return Mending{"insert a fresh IFID: #ifid " + ifid, {MapEdit{at, 0, line}}};
}
