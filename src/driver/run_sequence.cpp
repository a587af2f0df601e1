#include "run_sequence.h"

#include "console_binding.h"
#include "run_game.h"

int runSequence(int argc, char** argv) {
    // Arguments after the first are ignored.
    const char* mapPath = argc > 1 ? argv[1] : DEFAULT_MAP_PATH;
    MapDefect defect{NoDefect, 0, 0};
    MapLineReader reader;
    DefectKind opened = openMapFile(&reader, mapPath);
    int status = -1;
    if (opened == NoDefect) {
        status = runGame(&reader, &defect);
        reportDefect(defect);
    }
    // A message without a newline ("Nincs helyiseg") must still get out, and
    // a failed write turns a normal run into a failure.
    bool written = finishOutput();
    return status == 0 && written ? 0 : -1;
}
