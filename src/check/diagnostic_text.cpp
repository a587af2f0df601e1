#include "diagnostic_text.h"

#include <cstdio>

#include "text_bytes.h"

std::string describeKey(char key) {
    unsigned char byte = static_cast<unsigned char>(key);
    char text[8];
    if (byte < 0x20) {
        std::snprintf(text, sizeof text, "^%c", byte + 0x40);
    } else if (byte == 0x7F) {
        std::snprintf(text, sizeof text, "^?");
    } else if (byte >= 0x80) {
        std::snprintf(text, sizeof text, "0x%02X", byte);
    } else {
        std::snprintf(text, sizeof text, "%c", byte);
    }
    return text;
}

std::string shownText(const char* bytes, std::size_t length) {
    std::size_t shown = length;
    if (length > 40) {
        shown = 40;
        while (shown > 0 && (static_cast<unsigned char>(bytes[shown]) & 0xC0) == 0x80) --shown;
    }
    std::string text;
    for (std::size_t i = 0; i < shown; ++i) {
        unsigned char byte = static_cast<unsigned char>(bytes[i]);
        text += byte < 0x20 || byte == 0x7F ? describeKey(bytes[i]) : std::string(1, bytes[i]);
    }
    return shown < length ? text + "..." : text;
}

std::string quotedMessage(const MapDefect& defect) {
    char message[96];
    formatDefectMessage(defect, message, sizeof message);
    return std::string("\"") + message + "\"";
}

std::string roomName(std::uint32_t room) {
    return "room " + std::to_string(room);
}

std::string plural(std::uint64_t count, const char* noun) {
    return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

std::string trimmed(const std::string& text) {
    std::size_t begin = 0;
    std::size_t length = trimWhitespace(text.data(), text.size(), &begin);
    return text.substr(begin, length);
}

ReportLine diagnosticSummary(const std::string& name, std::size_t errors, std::size_t warnings) {
    return ReportLine{name + ": " + plural(errors, "error") + ", " + plural(warnings, "warning")};
}

std::string fileAndLine(const std::string& file, std::uint64_t line) {
    return line == 0 ? file : file + ":" + std::to_string(line);
}

ReportLine mapReportLine(const std::string& mapName, std::uint64_t line, const std::string& text) {
    return ReportLine{fileAndLine(mapName, line) + ": " + text, line};
}

std::string printedLines(const std::vector<ReportLine>& lines) {
    std::string printed;
    for (const ReportLine& line : lines) printed += line.text + "\n";
    return printed;
}

const char* severityWord(Severity severity) {
    return severity == Error ? "error" : severity == Warning ? "warning" : "note";
}

ReportLine diagnosticLine(const std::string& name, const Diagnostic& diagnostic) {
    return mapReportLine(name, diagnostic.line, std::string(severityWord(diagnostic.severity)) + ": " + diagnostic.text);
}

std::string whatTakesExit(RoomKind kind, char key) {
    if (kind == Navigate) return "key " + describeKey(key);
    if (kind == WaitForEnter) return "Enter";
    return "passage";
}

std::string exitTaker(const MapCheck& check, std::uint32_t room, std::uint32_t slot) {
    const CheckedRoom& checked = roomAt(check, room);
    bool waits = checked.kind == Navigate || checked.kind == WaitForEnter;
    return whatTakesExit(checked.kind, checked.exits[slot].key) + (waits ? " in " : " ") + roomName(room);
}

std::string explainStop(const char* mapPath, const MapCheck& check, const MapDefect& defect, std::uint32_t room,
                        std::uint32_t slot) {
    if (defect.kind != RoomMissing && defect.kind != AutomaticCircle) return "";
    std::string exit = exitTaker(check, room, slot) + " takes the exit on line " +
                       std::to_string(roomAt(check, room).exitLines[slot]) + " of " + mapPath;
    if (defect.kind == RoomMissing) {
        return exit + " to room " + std::to_string(defect.room) + ", beyond the highest room " +
               std::to_string(check.highestRoom);
    }
    return exit + " back to room " + std::to_string(defect.room) + ": the passages go round in a circle";
}

ReportLine gameStopError(const std::string& script, std::uint64_t line, const std::string& message,
                         const std::string& cause) {
    return ReportLine{fileAndLine(script, line) + ": error: " + message + (line == 0 ? " before the first line" : "") +
                      (cause.empty() ? "" : ": " + cause)};
}

ReportLine fixLine(const std::string& name, const Mending& mending) {
    std::uint64_t line = mending.edits.empty() ? 0 : mending.edits.front().line;
    return mapReportLine(name, line, "fix: " + mending.title);
}
