// The words of kaland-check's messages, shared by the checker and
// kaland-publish: keys, room names, counts, quoted map text and the
// runner's own messages, and the one way a line of a file is named
// (FILE:LINE), for diagnostics and every report that names a line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "map_defects.h"
#include "map_model.h"

// A line of a report as kaland-check prints it, without its newline, and the
// map line it names (0: none), so that a page can lead the author there.
struct ReportLine {
    std::string text;
    std::uint64_t mapLine = 0;
};

/// The name standard input goes by in messages and pictures.
constexpr const char* STANDARD_INPUT_NAME = "<stdin>";

/// A short description of a key byte for messages and pictures: e, ^A, 0xE9.
std::string describeKey(char key);

/// Map bytes quoted in a message: control characters made visible, at most
/// 40 bytes (never cut inside a UTF-8 character), "..." after a cut.
std::string shownText(const char* bytes, std::size_t length);

/// The runner's message for a defect, in double quotes, as the checker cites it.
std::string quotedMessage(const MapDefect& defect);

/// "room 12".
std::string roomName(std::uint32_t room);

/// "1 line", "2 lines": `count` and the noun, with an s unless it is one.
std::string plural(std::uint64_t count, const char* noun);

/// `text` without white space (as maps count it) at either end.
std::string trimmed(const std::string& text);

/// The line after a map's diagnostics: "MAP: 1 error, 2 warnings".
ReportLine diagnosticSummary(const std::string& name, std::size_t errors, std::size_t warnings);

/// What takes an exit of a room of `kind`: "key n" (the exit's `key`),
/// "Enter" (a scene) or "passage".
std::string whatTakesExit(RoomKind kind, char key);

/// "FILE:LINE", or "FILE" alone for line 0: the file as a whole, or a
/// script before its first line. The one place a line of a file is named.
std::string fileAndLine(const std::string& file, std::uint64_t line);

/// "MAP:LINE: TEXT", naming line `line` of the map `mapName`.
ReportLine mapReportLine(const std::string& mapName, std::uint64_t line, const std::string& text);

/// The lines as printed, each with its newline.
std::string printedLines(const std::vector<ReportLine>& lines);

/// Who takes exit `slot` of room `room`: "key n in room 1", "Enter in room
/// 3" (a scene) or "passage room 4".
std::string exitTaker(const MapCheck& check, std::uint32_t room, std::uint32_t slot);

/// Why the runner stopped a game, in the map's terms, when exit `slot` of
/// room `room` led out of the table or round a circle of passages (the
/// defects RoomMissing and AutomaticCircle): "key x in room 1 takes the
/// exit on line 4 of MAP to room 40, beyond the highest room 6". Empty for
/// other defects.
std::string explainStop(const char* mapPath, const MapCheck& check, const MapDefect& defect, std::uint32_t room,
                        std::uint32_t slot);

/// The error for a game the map stopped after line `line` of `script`
/// (0: before the first), as --cover and --random give it:
/// "SCRIPT:LINE: error: MESSAGE: CAUSE", without ": CAUSE" when it is empty.
ReportLine gameStopError(const std::string& script, std::uint64_t line, const std::string& message,
                         const std::string& cause);

/// The word for a severity: "error", "warning" or "note".
const char* severityWord(Severity severity);

/// A proposal as kaland-check --fixes prints it: "MAP:LINE: fix: TITLE",
/// naming the line its first edit changes (for lines added at the end, the
/// line they begin on).
ReportLine fixLine(const std::string& name, const Mending& mending);

/// A diagnostic as kaland-check prints it: "MAP:LINE: error|warning|note:
/// TEXT", or "MAP: ..." for the file as a whole.
ReportLine diagnosticLine(const std::string& name, const Diagnostic& diagnostic);
