// Coverage: every script is played by the runner's own game loop on the
// runner's own table, with the checker's console as its input and an
// observer that marks the rooms shown and the exits taken.
#include "map_coverage.h"

#include <algorithm>

#include "bulk_memory.h"
#include "diagnostic_text.h"
#include "game_loop.h"
#include "script_console.h"

namespace {

struct Marks {
    ReachMarks reached;
    std::string script;                // the name of the script being played
    std::vector<IdleLine>* idleLines;  // where the lines that did nothing go
};

void onRoomShown(void* context, std::uint32_t room) {
    markRoomShown(&static_cast<Marks*>(context)->reached, room);
}

void onExitTaken(void* context, std::uint32_t room, std::uint32_t slot) {
    markExitTaken(&static_cast<Marks*>(context)->reached, room, slot);
}

// A line read in a room that waits for a key and ignored there. A scene
// takes any line, and "exit" quits: neither is idle.
void noteLineRead(void* context, std::uint32_t room, const char* line, LineMove move) {
    Marks* marks = static_cast<Marks*>(context);
    if (move.effect != LineIgnored) return;
    marks->idleLines->push_back(IdleLine{marks->script, scriptLineNumber(), room, line, ""});
}

// A script's name in messages: standard input is <stdin>, as a map is.
std::string scriptName(const std::string& path) {
    return path == "-" ? STANDARD_INPUT_NAME : path;
}

// "its keys: e, w", in the order of the room's exits.
std::string roomKeys(const CheckedRoom& room) {
    ExitSlots taken = takenExits(room);
    if (taken.count == 0) return "it has no exit";
    std::string keys;
    for (std::uint32_t slot : taken) keys += (keys.empty() ? "" : ", ") + describeKey(room.exits[slot].key);
    return std::string(taken.count == 1 ? "its key: " : "its keys: ") + keys;
}

// The runner's message for a defect, or what happened where the runner
// says nothing (the map is read from memory: only memory can run out).
std::string defectText(const MapDefect& defect) {
    return defectReport(defect.kind) != SilentDefect ? quotedMessage(defect) : "not enough memory";
}

// Why the game stopped, in the map's terms: which exit of which room.
std::string explainStop(const char* mapPath, const MapCheck& check, const MapDefect& defect, const ReachMarks& marks) {
    if (!marks.exit.held) return "";
    return explainStop(mapPath, check, defect, marks.exit.room, marks.exit.slot);
}

// The rooms coverage counts: every room with a description, every room a
// player can reach, every ending; lowest number first.
std::vector<std::uint32_t> countedRooms(const MapCheck& check) {
    std::vector<std::uint32_t> counted;
    counted.reserve(check.rooms.size() + check.reachedBy.size());
    for (const auto& entry : check.rooms) {
        if (entry.second.descriptionLine != 0 || entry.second.kind == GameOver) counted.push_back(entry.first);
    }
    for (const auto& entry : check.reachedBy) counted.push_back(entry.first);
    std::sort(counted.begin(), counted.end());
    counted.erase(std::unique(counted.begin(), counted.end()), counted.end());
    return counted;
}

}  // namespace

void markExitTaken(ReachMarks* marks, std::uint32_t room, std::uint32_t slot) {
    holdExit(&marks->exit, room, slot);
}

void markRoomShown(ReachMarks* marks, std::uint32_t room) {
    HeldExit led = releaseHeldExit(&marks->exit);
    if (led.held) marks->rooms[led.room] |= static_cast<std::uint16_t>(1u << led.slot);
    marks->rooms[room] |= ROOM_SHOWN_MARK;
}

void tallyReached(const MapCheck& check, const std::uint16_t* marks, CoverageReport* report) {
    for (std::uint32_t number : countedRooms(check)) {
        const CheckedRoom& room = roomAt(check, number);
        std::uint16_t mark = marks[number];
        bool shown = (mark & ROOM_SHOWN_MARK) != 0;
        ++report->rooms;
        report->roomsShown += shown;
        if (room.kind == GameOver) {
            ++report->endings;
            report->endingsReached += shown;
        }
        if (!shown) report->notes.push_back(CoverageNote{roomLine(check, number), number});
        for (std::uint32_t slot : takenExits(room)) {
            if (room.exitLines[slot] == 0) continue;
            bool taken = (mark & (1u << slot)) != 0;
            ++report->exits;
            report->exitsTaken += taken;
            if (!taken) {
                report->notes.push_back(
                    CoverageNote{room.exitLines[slot], NO_ROOM, room.kind, room.exits[slot].key, room.exits[slot].target});
            }
        }
    }
    std::stable_sort(report->notes.begin(), report->notes.end(),
                     [](const CoverageNote& a, const CoverageNote& b) { return a.line < b.line; });
}

namespace {

void playScripts(const char* mapPath, const MapCheck& check, const std::vector<KeyScript>& scripts, Marks* marks,
                 CoverageReport* report) {
    PlayObserver observer{onRoomShown, onExitTaken, marks, noteLineRead};
    marks->idleLines = &report->idleLines;
    for (const KeyScript& script : scripts) {
        startScriptConsole(script.bytes.data(), script.bytes.size());
        marks->reached.exit = HeldExit{};
        marks->script = scriptName(script.path);
        MapDefect defect{NoDefect, 0, 0};
        if (playGame(&defect, &observer) != GameStopped) continue;
        report->stops.push_back(ScriptStop{script.path, scriptLineNumber(), defectText(defect),
                                           explainStop(mapPath, check, defect, marks->reached)});
    }
}

}  // namespace

CoverageReport measureCoverage(const char* name, const MapCheck& check, const std::vector<KeyScript>& scripts) {
    CoverageReport report;
    std::size_t markBytes = sizeof(std::uint16_t) * std::size_t{roomCount};
    Marks marks{{}, "", nullptr};
    marks.reached.rooms = static_cast<std::uint16_t*>(allocateZeroedBlock(markBytes, false));
    if (marks.reached.rooms == nullptr) {
        report.refusal = "not enough memory";
        return report;
    }
    report.played = true;
    playScripts(name, check, scripts, &marks, &report);
    tallyReached(check, marks.reached.rooms, &report);
    releaseZeroedBlock(marks.reached.rooms, markBytes, false);
    for (IdleLine& idle : report.idleLines) idle.roomKeys = roomKeys(roomAt(check, idle.room));
    return report;
}

CoverageReport refusedCoverage(const MapDefect& refusal) {
    CoverageReport report;
    report.refusal = defectText(refusal);
    return report;
}

std::vector<ReportLine> coverageErrors(const std::string& mapName, const CoverageReport& report) {
    if (!report.played) return {ReportLine{mapName + ": error: the runner does not play it: " + report.refusal}};
    std::vector<ReportLine> errors;
    for (const ScriptStop& stop : report.stops) {
        errors.push_back(gameStopError(scriptName(stop.path), stop.line, stop.message, stop.cause));
    }
    return errors;
}

namespace {

ReportLine idleLineNote(const IdleLine& idle) {
    std::string what;
    if (idle.text.empty()) {
        what = "an empty line";
    } else if (idle.text.size() == 1) {
        what = "key " + describeKey(idle.text[0]);
    } else {
        what = "'" + shownText(idle.text.data(), idle.text.size()) + "'";
    }
    std::string text = fileAndLine(idle.script, idle.line) + ": note: " + what + " matches no exit of " +
                       roomName(idle.room) + " (" + idle.roomKeys + ")";
    if (idle.text.size() > 1) text += ": a key is one character";
    return ReportLine{text};
}

}  // namespace

std::vector<ReportLine> coverageNotes(const std::string& mapName, const CoverageReport& report) {
    if (!report.played) return {};
    std::vector<ReportLine> notes;
    for (const IdleLine& idle : report.idleLines) notes.push_back(idleLineNote(idle));
    for (const CoverageNote& note : report.notes) {
        notes.push_back(mapReportLine(mapName, note.line,
                                      note.room == NO_ROOM ? "note: this exit is never taken: " +
                                                                 whatTakesExit(note.kind, note.key) + " to " +
                                                                 roomName(note.target)
                                                           : "note: " + roomName(note.room) + " is never shown by " +
                                                                 report.reachedBy));
    }
    notes.push_back(ReportLine{mapName + ": rooms shown " + std::to_string(report.roomsShown) + "/" +
                               std::to_string(report.rooms) + ", exits taken " + std::to_string(report.exitsTaken) +
                               "/" + std::to_string(report.exits) + ", endings reached " +
                               std::to_string(report.endingsReached) + "/" + std::to_string(report.endings)});
    return notes;
}

bool leavesAnythingUncovered(const CoverageReport& report) {
    return report.roomsShown < report.rooms || report.exitsTaken < report.exits ||
           report.endingsReached < report.endings;
}
