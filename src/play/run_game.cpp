#include "run_game.h"

#include "console_text.h"
#include "map_loader.h"
#include "room_table.h"

int runGame(MapLineReader* reader, MapDefect* defect) {
    int loaded = loadMapFrom(reader, defect);
    endMapLines(reader);
    if (loaded != 0) return -1;
    GameEnd end = playGame(defect);
    freeRooms();
    return closeGame(end);
}

int closeGame(GameEnd end) {
    if (end == GameStopped) return -1;
    writeText(EXIT_PROMPT);
    char line[LINE_BUFFER_SIZE];
    readConsoleLine(line);  // its content does not matter, nor whether there was one
    return 0;
}

void reportDefect(const MapDefect& defect) {
    char message[96];
    formatDefectMessage(defect, message, sizeof message);
    switch (defectReport(defect.kind)) {
    case SilentDefect:
        break;
    case BareMessage:
        writeText(message);
        break;
    case ErrorMessage:
        writeErrorLine(message);
        break;
    }
}
