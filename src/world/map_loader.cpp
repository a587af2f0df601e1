#include "map_loader.h"

#include <cstdio>
#include <cstdlib>

#include "console_text.h"

namespace {

struct LoaderCursor {
    std::uint32_t room = 0;       // where description lines and directives go
    std::uint32_t lineIndex = 0;  // next line slot of that room
    std::uint32_t exitIndex = 0;  // next exit slot of that room
    LoaderState state = Outside;
};

std::uint32_t findHighestRoomNumber(MapLineReader* reader) {
    std::uint32_t highest = 0;
    MapLine line;
    while (readMapLine(reader, &line)) {
        if (classifyMapLine(line) != RoomDirective) continue;
        std::uint32_t number = 0;
        if (scanRoomNumber(line.bytes, line.textLength, &number) == 1 && number > highest) {
            highest = number;
        }
    }
    return highest;
}

[[noreturn]] void failDescribedTwice(std::uint32_t room) {
    char message[80];
    std::snprintf(message, sizeof message, "Hibas terkep: %u helysegnek tobb leirasa is van",
                  room);
    writeText(message);
    exitWithFailure();
}

void openRoom(LoaderCursor* cursor, const MapLine& line) {
    scanRoomNumber(line.bytes, line.textLength, &cursor->room);
    // Both passes read the same rule, so the number is in the table unless
    // the file changed between them.
    if (cursor->room >= roomCount) fatalError("A terkep megvaltozott betoltes kozben");
    if (isDescribed(rooms[cursor->room])) failDescribedTwice(cursor->room);
    cursor->state = InDescription;
    cursor->lineIndex = 0;
    cursor->exitIndex = 0;
}

void storeDescriptionLine(LoaderCursor* cursor, const MapLine& line) {
    Room& room = rooms[cursor->room];
    if (cursor->lineIndex >= MAX_LINES) fatalError("Tul sok kiirando sor (max. 16)");
    if (room.lines[cursor->lineIndex] != nullptr) fatalError("Hasznalt Helysor");
    if (!storeRoomLine(cursor->room, cursor->lineIndex, line.bytes, line.textLength)) {
        exitWithFailure();  // out of memory: the load cannot go on
    }
    ++cursor->lineIndex;
}

void addExit(LoaderCursor* cursor, const MapLine& line) {
    ExitFields fields{};
    int count = scanExitFields(line.bytes, line.textLength, &fields);
    RoomKind kind = Navigate;
    char key = 1;  // A and E exits are taken without a key
    if (count == 3 && fields.kindLetter == 'N') {
        key = lowercaseByte(fields.key);
    } else if (count == 2 && fields.kindLetter == 'A') {
        kind = Automatic;
    } else if (count == 2 && fields.kindLetter == 'E') {
        kind = WaitForEnter;
    } else {
        fatalError("#irany: hibas parameterezes");
    }
    if (cursor->exitIndex >= MAX_EXITS) fatalError("Tul sok irany (max. 9)");
    Room& room = rooms[cursor->room];
    room.kind = kind;
    room.exits[cursor->exitIndex++] = Exit{fields.target, key};
    cursor->state = Outside;
}

void fillRooms(MapLineReader* reader) {
    LoaderCursor cursor;
    MapLine line;
    while (readMapLine(reader, &line)) {
        switch (classifyMapLine(line)) {
        case BlankLine:
        case OtherDirective:
            break;
        case DescriptionLine:
            if (cursor.state == InDescription) storeDescriptionLine(&cursor, line);
            break;
        case RoomDirective:
            openRoom(&cursor, line);
            break;
        case ExitDirective:
            addExit(&cursor, line);
            break;
        case GameOverDirective:
            rooms[cursor.room].kind = GameOver;
            cursor.state = Outside;
            break;
        }
    }
}

// Reads a stream that cannot be rewound (a pipe, a terminal) to its end.
// A read error ends it as the end of the file would. Returns null when the
// memory cannot be had.
char* readWholeStream(std::FILE* file, std::size_t* size) {
    std::size_t capacity = MAP_READ_BLOCK;
    char* data = static_cast<char*>(std::malloc(capacity));
    *size = 0;
    while (data != nullptr) {
        *size += std::fread(data + *size, 1, capacity - *size, file);
        if (*size < capacity) break;
        char* grown = capacity <= SIZE_MAX / 2 ? static_cast<char*>(std::realloc(data, capacity * 2)) : nullptr;
        if (grown == nullptr) std::free(data);
        data = grown;
        capacity *= 2;
    }
    return data;
}

}  // namespace

int loadMapFrom(MapLineReader* reader) {
    std::uint32_t highest = findHighestRoomNumber(reader);
    if (highest == 0) {
        writeText("Nincs helyiseg");
        return 1;
    }
    // The count is one more than the highest number; 4294967295 has no count.
    if (highest == UINT32_MAX || !createRooms(highest + 1)) return 1;
    restartMapLines(reader);
    fillRooms(reader);
    return 0;
}

int loadMap(const char* path) {
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) return 1;
    // The reader asks for large blocks; a stdio buffer in between would only copy.
    std::setvbuf(file, nullptr, _IONBF, 0);
    MapLineReader reader;
    int result = 1;
    if (std::fseek(file, 0, SEEK_SET) == 0) {
        startMapLines(&reader, file);
        result = loadMapFrom(&reader);
    } else {
        // Both passes must see the same bytes, and a pipe cannot be read twice.
        std::size_t size = 0;
        char* data = readWholeStream(file, &size);
        if (data != nullptr) {
            startMapLinesInMemory(&reader, data, size);
            result = loadMapFrom(&reader);
            std::free(data);
        }
    }
    std::fclose(file);
    return result;
}
