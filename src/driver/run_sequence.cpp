#include "run_sequence.h"

#include "console_text.h"
#include "game_loop.h"
#include "map_loader.h"
#include "room_table.h"

int runSequence(int argc, char** argv) {
    // Arguments after the first are ignored.
    const char* mapPath = argc > 1 ? argv[1] : DEFAULT_MAP_PATH;
    if (loadMap(mapPath) != 0) {
        finishOutput();  // "Nincs helyiseg" has no newline and must still get out
        return -1;
    }
    playGame();
    freeRooms();
    writeText("Nyomj <Enter>-t a kilepeshez!");
    char line[LINE_BUFFER_SIZE];
    readConsoleLine(line);  // its content does not matter, nor whether there was one
    return finishOutput() ? 0 : -1;
}
