#include "defect_explanation.h"

#include <cstdint>

#include "diagnostic_text.h"
#include "map_analysis.h"
#include "map_reading.h"

namespace {

bool startsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

// A refusal: the error line the reading pass gives for the line the loader
// stopped at (for "Nincs helyiseg", which concerns the whole file, the one
// error that quotes it), without the runner's message it starts with.
DefectExplanation explainRefusal(const MapCheck& check, const MapDefect& defect) {
    std::string quoted = quotedMessage(defect) + ": ";
    for (const Diagnostic& diagnostic : check.diagnostics) {
        bool atTheLine = defect.kind == NoRoomAboveZero || diagnostic.line == defect.line;
        if (diagnostic.severity == Error && atTheLine && startsWith(diagnostic.text, quoted)) {
            return DefectExplanation{diagnostic.line, diagnostic.text.substr(quoted.size())};
        }
    }
    return DefectExplanation{};
}

// The rooms of a circle as the checker lists them: "(4 -> 5 -> 6 -> 4)".
bool circlePasses(const std::string& text, std::uint32_t room) {
    std::string number = std::to_string(room);
    return text.find("(" + number + " -> ") != std::string::npos ||
           text.find(" -> " + number + " -> ") != std::string::npos;
}

// A defect met in play: the warning about the first exit that leads out of
// the table to that room, or about the circle of passages the room is on.
DefectExplanation explainStop(const MapCheck& check, const MapDefect& defect) {
    std::string missing = quotedMessage(MapDefect{RoomMissing, defect.room, 0});
    for (const Diagnostic& diagnostic : check.diagnostics) {
        const std::string& text = diagnostic.text;
        bool found = defect.kind == RoomMissing
                         ? text.find(missing) != std::string::npos && startsWith(text, "exit to room ")
                         : text.find(AUTOMATIC_CIRCLE_MESSAGE) != std::string::npos && circlePasses(text, defect.room);
        if (found) return DefectExplanation{diagnostic.line, text};
    }
    return DefectExplanation{};
}

}  // namespace

DefectExplanation explainDefect(const char* map, std::size_t size, const MapDefect& defect) {
    bool inPlay = defect.kind == RoomMissing || defect.kind == AutomaticCircle;
    if (defectReport(defect.kind) == SilentDefect || defect.kind == MapChanged) return DefectExplanation{};
    MapLineReader reader;
    if (!startMapLinesInMemory(&reader, map, size)) return DefectExplanation{};
    MapCheck check;
    // The table's size is the page's to judge: no machine limit here.
    readMapForCheck(&reader, UINT64_MAX, &check);
    endMapLines(&reader);
    if (!inPlay) return explainRefusal(check, defect);
    analyseMap(&check);
    return explainStop(check, defect);
}
