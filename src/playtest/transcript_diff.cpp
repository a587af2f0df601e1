#include "transcript_diff.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "diagnostic_text.h"
#include "loader_steps.h"
#include "map_lines.h"
#include "room_table.h"

namespace {

constexpr std::size_t CONTEXT_LINES = 3;
constexpr std::size_t RESYNC_WINDOW = 20;     // lines searched on each side for the two to agree again
constexpr std::size_t UNSYNCED_LINES = 8;     // lines shown of each side when they do not
constexpr std::size_t SHOWN_LINE_BYTES = 400;  // of one line in the context

// Where the differing text comes from.
struct Origin {
    std::uint64_t scriptLine = 0;  // the script line read last before it; 0: none yet
    std::uint64_t mapLine = 0;     // 0: no map line
    std::string what;              // what that line is, or what happened
};

std::size_t firstDifference(const std::string& a, const std::string& b) {
    std::size_t common = std::min(a.size(), b.size());
    std::size_t i = 0;
    while (i < common && a[i] == b[i]) ++i;
    return i;
}

// A map the runner loaded never asks whether a room is described: a second
// #helyiseg for one would have refused it.
bool neverAsked(const void*, std::uint32_t) {
    return false;
}

// The map line that filled line `slot` of the room's text, found by the
// loader's own steps over the map's bytes.
std::uint64_t findTextLine(const std::string& mapBytes, std::uint32_t room, std::uint32_t slot) {
    MapLineReader reader;
    if (!startMapLinesInMemory(&reader, mapBytes.data(), mapBytes.size())) return 0;
    LoaderCursor cursor;
    MapLine line;
    std::uint64_t found = 0;
    while (found == 0 && readMapLine(&reader, &line)) {
        LoaderStep step = stepLoader(&cursor, line, classifyMapLine(line), neverAsked, nullptr);
        if (step.kind == StoreLine && step.room == room && step.slot == slot) found = line.physicalLine;
    }
    endMapLines(&reader);
    return found;
}

// Whether `text` at `offset` shows the block of `room`: a blank line, its
// text, a blank line.
bool showsRoom(const std::string& text, std::size_t offset, std::uint32_t room) {
    if (offset >= text.size() || text[offset] != '\n') return false;
    ++offset;
    for (const char* line : rooms[room].lines) {
        if (line == nullptr) continue;
        std::size_t length = std::strlen(line);
        if (text.compare(offset, length, line) != 0) return false;
        offset += length;
    }
    return offset < text.size() && text[offset] == '\n';
}

// Whether the expected output shows, where room `room` is shown now, some
// other room of the map: then the way in changed, not the room's text.
bool expectedShowsOtherRoom(const std::string& expected, std::size_t offset, std::uint32_t room,
                            const MapCheck& check) {
    if (expected.compare(offset, 2, "\n\n") == 0 && isDescribed(rooms[room])) return true;  // a room without text
    for (const auto& entry : check.rooms) {
        std::uint32_t other = entry.first;
        if (other != room && other < roomCount && isDescribed(rooms[other]) && showsRoom(expected, offset, other)) {
            return true;
        }
    }
    return false;
}

// The way into a shown room: the exit taken, or the start.
Origin wayIn(const ShownRoom& shown, const MapCheck& check) {
    Origin origin;
    if (!shown.wayIn.held) {
        origin.mapLine = roomLine(check, shown.room);
        origin.what = "this room, " + roomName(shown.room) + ", where the game starts";
        return origin;
    }
    origin.mapLine = roomAt(check, shown.wayIn.room).exitLines[shown.wayIn.slot];
    origin.what = "this exit: " + exitTaker(check, shown.wayIn.room, shown.wayIn.slot) + " leads to " +
                  roomName(shown.room);
    return origin;
}

// The text of a shown room: its line at `offset`, unless the expected
// output shows another room there.
Origin roomOrigin(const ShownRoom& shown, std::size_t offset, const std::string& expected, const MapCheck& check,
                  const std::string& mapBytes) {
    const Room& room = rooms[shown.room];
    std::size_t position = shown.offset + 1;  // after the blank line
    int slot = -1;
    for (std::uint32_t i = 0; i < MAX_LINES && offset >= position; ++i) {
        if (room.lines[i] == nullptr) continue;
        slot = static_cast<int>(i);  // the last line, when the difference is at the closing blank line
        position += std::strlen(room.lines[i]);
    }
    if (offset == shown.offset || slot < 0 || expectedShowsOtherRoom(expected, shown.offset, shown.room, check)) {
        return wayIn(shown, check);
    }
    Origin origin;
    origin.mapLine = findTextLine(mapBytes, shown.room, static_cast<std::uint32_t>(slot));
    origin.what = "this line of " + roomName(shown.room);
    return origin;
}

// What follows the game: the exit prompt, or the runner's message.
Origin endOrigin(const Transcript& transcript, const MapCheck& check) {
    Origin origin;
    if (!transcript.played) {
        origin.mapLine = transcript.defect.line;
        origin.what = "here: the runner refuses the map";
        if (defectReport(transcript.defect.kind) != SilentDefect) origin.what += ": " + quotedMessage(transcript.defect);
        return origin;
    }
    switch (transcript.end) {
    case GameStopped:
        origin.what = "the runner stops the game: " + quotedMessage(transcript.defect);
        if (transcript.lastExit.held) {
            const HeldExit& exit = transcript.lastExit;
            origin.mapLine = roomAt(check, exit.room).exitLines[exit.slot];
            origin.what = "this exit: " + exitTaker(check, exit.room, exit.slot) +
                          " leads to " + roomName(transcript.defect.room) +
                          ", where the runner stops the game: " + quotedMessage(transcript.defect);
        }
        break;
    case ReachedGameOver: {
        std::uint32_t ending = transcript.shown.back().room;
        origin.mapLine = roomAt(check, ending).kindLine;
        origin.what = "here: " + roomName(ending) + " ends the game";
        break;
    }
    case PlayerQuit:
        origin.what = "the game ends: the script types exit";
        break;
    case InputEnded:
        origin.what = "the game ends: the script has no more lines";
        break;
    case NoStartRoom:
        origin.what = "the game ends at once: no room has a description";
        break;
    }
    return origin;
}

Origin findOrigin(const Transcript& transcript, std::size_t offset, const std::string& expected, const MapCheck& check,
                  const std::string& mapBytes) {
    const std::vector<ShownRoom>& shown = transcript.shown;
    Origin origin;
    std::size_t pieceStart = transcript.gameEnd;
    if (transcript.played && offset < transcript.gameEnd && !shown.empty()) {
        auto after = std::upper_bound(shown.begin(), shown.end(), offset,
                                      [](std::size_t at, const ShownRoom& room) { return at < room.offset; });
        const ShownRoom& room = after == shown.begin() ? shown.front() : *(after - 1);
        origin = roomOrigin(room, offset, expected, check, mapBytes);
        pieceStart = room.offset;
    } else {
        origin = endOrigin(transcript, check);
    }
    const std::vector<std::size_t>& lines = transcript.output.lineOffsets;
    origin.scriptLine = static_cast<std::uint64_t>(std::upper_bound(lines.begin(), lines.end(), pieceStart) -
                                                   lines.begin());
    return origin;
}

// At most `count` lines of `text` from byte `start`, each with its newline
// (the last of the text may have none): the output can be hundreds of
// megabytes, and only the lines around the difference are shown.
std::vector<std::string> linesFrom(const std::string& text, std::size_t start, std::size_t count) {
    std::vector<std::string> lines;
    while (start < text.size() && lines.size() < count) {
        std::size_t end = text.find('\n', start);
        end = end == std::string::npos ? text.size() : end + 1;
        lines.push_back(text.substr(start, end - start));
        start = end;
    }
    return lines;
}

bool agreeFrom(const std::vector<std::string>& a, std::size_t i, const std::vector<std::string>& b, std::size_t j) {
    for (std::size_t k = 0; k < CONTEXT_LINES; ++k) {
        bool aEnded = i + k >= a.size();
        bool bEnded = j + k >= b.size();
        if (aEnded || bEnded) return aEnded && bEnded;
        if (a[i + k] != b[j + k]) return false;
    }
    return true;
}

std::string hunkLine(char mark, const std::string& line) {
    std::string shown = line.size() > SHOWN_LINE_BYTES + 1 ? line.substr(0, SHOWN_LINE_BYTES) : line;
    bool newline = !line.empty() && line.back() == '\n';
    if (newline && shown.back() == '\n') shown.pop_back();
    std::string text = mark + shown;
    if (shown.size() < line.size() - (newline ? 1 : 0)) {
        text += " [... " + std::to_string(line.size() - (newline ? 1 : 0) - shown.size()) + " more bytes]";
    }
    return text + (newline ? "\n" : "\n\\ No newline at end of file\n");
}

// "-12,7": where a side of the hunk starts, 1-based, and how many lines.
std::string hunkRange(std::size_t first, std::size_t count) {
    return std::to_string(count == 0 ? first : first + 1) + "," + std::to_string(count);
}

}  // namespace

std::string unifiedContext(const std::string& expected, const std::string& actual, std::size_t offset,
                           const std::string& expectedName, const std::string& actualName) {
    // The two agree up to `offset`: the line it falls in starts at the same
    // byte, and has the same number, in both.
    std::size_t lineStart = offset;
    while (lineStart > 0 && actual[lineStart - 1] != '\n') --lineStart;
    std::size_t first = static_cast<std::size_t>(std::count(actual.begin(), actual.begin() + lineStart, '\n'));
    std::size_t contextStart = lineStart;
    std::size_t before = 0;
    for (; before < CONTEXT_LINES && contextStart > 0; ++before) {
        --contextStart;  // onto the newline that ends the line before
        while (contextStart > 0 && actual[contextStart - 1] != '\n') --contextStart;
    }
    std::vector<std::string> context = linesFrom(actual, contextStart, before);
    std::vector<std::string> a = linesFrom(expected, lineStart, RESYNC_WINDOW + CONTEXT_LINES);
    std::vector<std::string> b = linesFrom(actual, lineStart, RESYNC_WINDOW + CONTEXT_LINES);
    // The nearest place, fewest lines in all, where the two agree again.
    std::size_t removed = std::min(UNSYNCED_LINES, a.size());
    std::size_t added = std::min(UNSYNCED_LINES, b.size());
    std::size_t after = 0;
    bool found = false;
    for (std::size_t total = 0; total <= 2 * RESYNC_WINDOW && !found; ++total) {
        for (std::size_t i = total > RESYNC_WINDOW ? total - RESYNC_WINDOW : 0; i <= std::min(total, RESYNC_WINDOW); ++i) {
            std::size_t j = total - i;
            if (i > a.size() || j > b.size() || !agreeFrom(a, i, b, j)) continue;
            removed = i;
            added = j;
            after = std::min(CONTEXT_LINES, a.size() - i);
            found = true;
            break;
        }
    }
    std::size_t start = first - before;
    std::string text = "--- " + expectedName + "\n+++ " + actualName + "\n@@ -" +
                       hunkRange(start, before + removed + after) + " +" + hunkRange(start, before + added + after) +
                       " @@\n";
    for (const std::string& line : context) text += hunkLine(' ', line);
    for (std::size_t i = 0; i < removed; ++i) text += hunkLine('-', a[i]);
    for (std::size_t i = 0; i < added; ++i) text += hunkLine('+', b[i]);
    for (std::size_t i = 0; i < after; ++i) text += hunkLine(' ', a[removed + i]);
    return text;
}

std::vector<ReportLine> describeDifference(const Transcript& transcript, const std::string& expectedOutput,
                                           int expectedStatus, const MapCheck& check, const std::string& mapBytes,
                                           const TranscriptNames& names) {
    const std::string& actual = transcript.output.bytes;
    std::vector<ReportLine> report;
    if (actual != expectedOutput) {
        std::size_t offset = firstDifference(expectedOutput, actual);
        Origin origin = findOrigin(transcript, offset, expectedOutput, check, mapBytes);
        std::string differs = fileAndLine(names.script, origin.scriptLine) + ": the output differs from " +
                              names.expected + (origin.scriptLine == 0 ? " before the first line" : " after this line");
        if (origin.mapLine == 0) {
            report.push_back(ReportLine{differs + ": " + origin.what});
        } else {
            report.push_back(ReportLine{differs});
            report.push_back(mapReportLine(names.map, origin.mapLine, "the differing text comes from " + origin.what));
        }
        std::string context = unifiedContext(expectedOutput, actual, offset, names.expected,
                                             "kaland " + names.map + " < " + names.script);
        for (std::size_t start = 0; start < context.size();) {
            std::size_t end = std::min(context.find('\n', start), context.size());
            report.push_back(ReportLine{context.substr(start, end - start)});
            start = end + 1;
        }
    }
    if (transcript.status != expectedStatus) {
        report.push_back(ReportLine{names.script + ": exit status " + std::to_string(transcript.status) + ", " +
                                    names.expected + " has " + std::to_string(expectedStatus)});
    }
    return report;
}
