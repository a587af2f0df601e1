#include "map_loader.h"

#include <cstdint>

namespace {

bool isTableRoomDescribed(const void*, std::uint32_t room) {
    return room < roomCount && isDescribed(rooms[room]);
}

std::uint32_t findHighestRoomNumber(MapLineReader* reader) {
    std::uint32_t highest = 0;
    MapLine line;
    while (readMapLine(reader, &line)) {
        if (classifyMapLine(line) != RoomDirective) continue;
        std::uint32_t number = 0;
        if (readHeadingNumber(line, &number) && number > highest) highest = number;
    }
    return highest;
}

bool stopLoading(MapDefect* defect, DefectKind kind, const LoaderStep& step, const MapLine& line) {
    *defect = MapDefect{kind, step.room, line.physicalLine};
    return false;
}

// Carries one step out on the table. Returns false, with the defect, when the
// load must stop.
bool applyStep(const LoaderStep& step, const MapLine& line, MapDefect* defect) {
    switch (step.kind) {
    case StoreLine:
        // No map reaches this guard: the line index goes back to 0 only
        // when slot 0 is empty.
        if (rooms[step.room].lines[step.slot] != nullptr) {
            return stopLoading(defect, LineSlotUsed, step, line);
        }
        if (!storeRoomLine(step.room, step.slot, line.bytes, line.textLength)) {
            return stopLoading(defect, NoMemory, step, line);
        }
        return true;
    case OpenRoom:
        // Both passes read the same rule, so the number is in the table
        // unless the file changed between them.
        if (step.room >= roomCount) return stopLoading(defect, MapChanged, step, line);
        return true;
    case AddExit: {
        Room& room = rooms[step.room];
        room.kind = step.exitLine.kind;
        room.exits[step.slot] = step.exitLine.exit;
        return true;
    }
    case EndWithGameOver:
        rooms[step.room].kind = GameOver;
        return true;
    case RefuseMap:
        *defect = step.defect;
        return false;
    default:
        return true;
    }
}

bool fillRooms(MapLineReader* reader, MapDefect* defect) {
    LoaderCursor cursor;
    MapLine line;
    while (readMapLine(reader, &line)) {
        LoaderStep step = stepLoader(&cursor, line, classifyMapLine(line), isTableRoomDescribed, nullptr);
        if (!applyStep(step, line, defect)) return false;
    }
    return true;
}

int failLoading(MapDefect* defect, DefectKind kind) {
    *defect = MapDefect{kind, 0, 0};
    return 1;
}

}  // namespace

int loadMapFrom(MapLineReader* reader, MapDefect* defect) {
    *defect = MapDefect{NoDefect, 0, 0};
    std::uint32_t highest = findHighestRoomNumber(reader);
    if (highest == 0) return failLoading(defect, NoRoomAboveZero);
    // The count is one more than the highest number; 4294967295 has no count.
    if (highest == UINT32_MAX || !createRooms(highest + 1)) return failLoading(defect, NoMemory);
    restartMapLines(reader);
    if (!fillRooms(reader, defect)) {
        freeRooms();
        return 1;
    }
    return 0;
}

int loadMap(const char* path, MapDefect* defect, MapEncoding* encoding) {
    MapLineReader reader;
    DefectKind opened = openMapFile(&reader, path);
    if (opened != NoDefect) return failLoading(defect, opened);
    if (encoding != nullptr) *encoding = scanMapEncoding(&reader);
    int result = loadMapFrom(&reader, defect);
    endMapLines(&reader);
    return result;
}
