// Coverage: the map is loaded into the runner's own table and every script
// is played by the runner's own game loop, with the checker's console as its
// input and an observer that marks the rooms shown and the exits taken.
#include "map_coverage.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

#include "bulk_memory.h"
#include "game_loop.h"
#include "script_console.h"

namespace {

constexpr std::uint16_t ROOM_SHOWN = 1u << 15;  // below it, one bit per exit slot taken

struct Marks {
    std::uint16_t* rooms;  // one per room of the table
    std::size_t bytes;
    std::uint32_t lastShown;
};

void markRoomShown(void* context, std::uint32_t room) {
    Marks* marks = static_cast<Marks*>(context);
    marks->rooms[room] |= ROOM_SHOWN;
    marks->lastShown = room;
}

void markExitTaken(void* context, std::uint32_t room, std::uint32_t slot) {
    static_cast<Marks*>(context)->rooms[room] |= static_cast<std::uint16_t>(1u << slot);
}

bool readKeyScript(const char* path, KeyScript* script) {
    script->path = path;
    if (std::strcmp(path, "-") == 0) {
        if (readWholeStream(stdin, &script->bytes)) return true;
        std::fprintf(stderr, "-: error: cannot read standard input: %s\n", std::strerror(errno));
        return false;
    }
    struct stat status;
    if (stat(path, &status) == 0 && S_ISDIR(status.st_mode)) {
        std::fprintf(stderr, "%s: error: is a directory\n", path);
        return false;
    }
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) {
        std::fprintf(stderr, "%s: error: cannot open: %s\n", path, std::strerror(errno));
        return false;
    }
    bool read = readWholeStream(file, &script->bytes);
    int readError = errno;
    std::fclose(file);
    if (!read) std::fprintf(stderr, "%s: error: cannot read: %s\n", path, std::strerror(readError));
    return read;
}

// The exit through which the game left room `from` just before it stopped:
// for a room that waits for a key, the first exit on the key of the line
// read last, as the game loop chooses it; otherwise the first exit.
std::uint32_t exitSlotTaken(const CheckedRoom& from) {
    if (from.kind != Navigate) return 0;
    const char* line = nullptr;
    std::size_t length = 0;
    lastScriptLine(&line, &length);
    if (length != 1) return 0;
    char key = lowercaseByte(line[0]);
    for (std::uint32_t slot = 0; slot < MAX_EXITS; ++slot) {
        if (from.exits[slot].key == key) return slot;
    }
    return 0;
}

// The runner's message for a defect, or what happened where the runner
// says nothing (it cannot open the map, or has no memory).
std::string defectText(const MapDefect& defect) {
    if (defectReport(defect.kind) != SilentDefect) return quotedMessage(defect);
    return defect.kind == MapNotOpened ? "the map cannot be opened again" : "not enough memory";
}

// Why the game stopped, in the map's terms: which exit of which room.
std::string explainStop(const char* mapPath, const MapCheck& check, const MapDefect& defect, std::uint32_t from) {
    if (defect.kind != RoomMissing && defect.kind != AutomaticCircle) return "";
    const CheckedRoom& room = roomAt(check, from);
    std::uint32_t slot = exitSlotTaken(room);
    std::string who;
    if (room.kind == Navigate) {
        who = "key " + describeKey(room.exits[slot].key) + " in room " + std::to_string(from);
    } else if (room.kind == WaitForEnter) {
        who = "Enter in room " + std::to_string(from);
    } else {
        who = "passage room " + std::to_string(from);
    }
    std::string exit = " takes the exit on line " + std::to_string(room.exits[slot].line) + " of " + mapPath;
    if (defect.kind == RoomMissing) {
        return who + exit + " to room " + std::to_string(defect.room) + ", beyond the highest room " +
               std::to_string(check.highestRoom);
    }
    return who + exit + " back to room " + std::to_string(defect.room) + ": the passages go round in a circle";
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

void tally(const MapCheck& check, const Marks& marks, CoverageReport* report) {
    for (std::uint32_t number : countedRooms(check)) {
        const CheckedRoom& room = roomAt(check, number);
        std::uint16_t mark = marks.rooms[number];
        bool shown = (mark & ROOM_SHOWN) != 0;
        ++report->rooms;
        report->roomsShown += shown;
        if (room.kind == GameOver) {
            ++report->endings;
            report->endingsReached += shown;
        }
        if (!shown) report->notes.push_back(CoverageNote{roomLine(check, number), number});
        for (const CheckedExit* exit : takenExits(room)) {
            if (exit->line == 0) continue;
            bool taken = (mark & (1u << (exit - room.exits))) != 0;
            ++report->exits;
            report->exitsTaken += taken;
            if (!taken) report->notes.push_back(CoverageNote{exit->line, NO_ROOM});
        }
    }
    std::stable_sort(report->notes.begin(), report->notes.end(),
                     [](const CoverageNote& a, const CoverageNote& b) { return a.line < b.line; });
}

void playScripts(const char* mapPath, const MapCheck& check, const std::vector<KeyScript>& scripts, Marks* marks,
                 CoverageReport* report) {
    PlayObserver observer{markRoomShown, markExitTaken, marks};
    for (const KeyScript& script : scripts) {
        startScriptConsole(script.bytes.data(), script.bytes.size());
        MapDefect defect{NoDefect, 0, 0};
        if (playGame(&defect, &observer) != GameStopped) continue;
        report->stops.push_back(ScriptStop{script.path, scriptLineNumber(), defectText(defect),
                                           explainStop(mapPath, check, defect, marks->lastShown)});
    }
}

}  // namespace

bool readWholeStream(std::FILE* stream, std::string* bytes) {
    char block[1 << 16];
    std::size_t got;
    while ((got = std::fread(block, 1, sizeof block, stream)) > 0) bytes->append(block, got);
    return std::ferror(stream) == 0;
}

bool readKeyScripts(const std::vector<std::string>& paths, std::vector<KeyScript>* scripts) {
    bool read = true;
    for (const std::string& path : paths) {
        KeyScript script;
        if (readKeyScript(path.c_str(), &script)) {
            scripts->push_back(std::move(script));
        } else {
            read = false;
        }
    }
    return read;
}

CoverageReport measureCoverage(const char* name, const MapSource& source, const MapCheck& check,
                               const std::vector<KeyScript>& scripts) {
    CoverageReport report;
    MapLineReader reader;
    MapDefect defect{NoDefect, 0, 0};
    DefectKind opened = NoDefect;
    if (source.bytes == nullptr) {
        opened = openMapFile(&reader, source.path);
    } else if (!startMapLinesInMemory(&reader, source.bytes->data(), source.bytes->size())) {
        opened = NoMemory;
    }
    int loaded = opened == NoDefect ? loadMapFrom(&reader, &defect) : 1;
    endMapLines(&reader);
    if (opened != NoDefect) defect.kind = opened;
    if (loaded != 0) {
        report.refusal = defectText(defect);
        return report;
    }
    // The marks are counted against the checker's model of the same file.
    if (roomCount != check.roomCount) {
        freeRooms();
        report.refusal = "the map changed while it was read";
        return report;
    }
    std::size_t bytes = sizeof(std::uint16_t) * std::size_t{roomCount};
    Marks marks{static_cast<std::uint16_t*>(allocateZeroedBlock(bytes, false)), bytes, 0};
    if (marks.rooms == nullptr) {
        freeRooms();
        report.refusal = "not enough memory";
        return report;
    }
    report.played = true;
    playScripts(name, check, scripts, &marks, &report);
    freeRooms();
    tally(check, marks, &report);
    releaseZeroedBlock(marks.rooms, marks.bytes, false);
    return report;
}

void printCoverage(const char* mapPath, const CoverageReport& report) {
    if (!report.played) {
        std::fprintf(stderr, "%s: error: the runner does not play it: %s\n", mapPath, report.refusal.c_str());
        return;
    }
    for (const ScriptStop& stop : report.stops) {
        std::string text = stop.message + (stop.line == 0 ? " before the first line" : "");
        if (!stop.cause.empty()) text += ": " + stop.cause;
        if (stop.line == 0) {
            std::fprintf(stderr, "%s: error: %s\n", stop.path.c_str(), text.c_str());
        } else {
            std::fprintf(stderr, "%s:%llu: error: %s\n", stop.path.c_str(), static_cast<unsigned long long>(stop.line),
                         text.c_str());
        }
    }
    std::fflush(stderr);
    for (const CoverageNote& note : report.notes) {
        std::printf("%s:%llu: note: ", mapPath, static_cast<unsigned long long>(note.line));
        if (note.room == NO_ROOM) {
            std::fputs("this exit is never taken\n", stdout);
        } else {
            std::printf("room %u is never shown by these scripts\n", note.room);
        }
    }
    std::printf("%s: rooms shown %u/%u, exits taken %u/%u, endings reached %u/%u\n", mapPath, report.roomsShown,
                report.rooms, report.exitsTaken, report.exits, report.endingsReached, report.endings);
}

bool leavesAnythingUncovered(const CoverageReport& report) {
    return report.roomsShown < report.rooms || report.exitsTaken < report.exits ||
           report.endingsReached < report.endings;
}
