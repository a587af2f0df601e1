#include "run_sequence.h"

#include <cstdio>
#include <cstring>

#include "console_binding.h"
#include "console_stdio.h"
#include "console_text.h"
#include "installed_files.h"
#include "map_loader.h"
#include "run_game.h"

#ifndef KALAND_VERSION
#define KALAND_VERSION "unknown"
#endif

namespace {

// The adventure installed with the program, or where it would be.
void describeInstalledAdventure(char* text, std::size_t size) {
    char path[4200];
    if (findInstalledFile(DEFAULT_MAP_PATH, path, sizeof path)) {
        std::snprintf(text, size, "%s", path);
    } else {
        std::snprintf(text, size, "PREFIX/share/kaland/%s (this kaland is not installed)", DEFAULT_MAP_PATH);
    }
}

void writeUsage() {
    char installed[4300];
    describeInstalledAdventure(installed, sizeof installed);
    writeText("usage: kaland [MAP]\n"
              "Plays the text adventure in the map file MAP: shows its rooms and moves\n"
              "you on as you type the keys of their exits. Type exit to quit.\n"
              "Without MAP, kaland plays zelmor.map in the current folder or, when there\n"
              "is none, the adventure installed with it:\n  ");
    writeText(installed);
    writeText("\n"
              "A file named --help or --version is played as a map like any other.\n"
              "See kaland(1), the map format in kaland-map(5), and kaland-check(1),\n"
              "which finds the mistakes in a map.\n");
}

// "--help" and "--version" answer only when no map of that name opens, so
// a file with such a name is still played.
bool isInformationRequest(const char* argument) {
    return std::strcmp(argument, "--help") == 0 || std::strcmp(argument, "--version") == 0;
}

int answerInformationRequest(const char* argument) {
    if (std::strcmp(argument, "--help") == 0) {
        writeUsage();
    } else {
        writeText("kaland " KALAND_VERSION "\n");
    }
    return finishOutput() ? 0 : -1;
}

// A defect of the map ends the run: an "Error: " message through fatalError,
// which ends the process at once; a bare message or none returns -1.
int endWithDefect(const MapDefect& defect) {
    if (defectReport(defect.kind) == ErrorMessage) {
        char message[96];
        formatDefectMessage(defect, message, sizeof message);
        fatalError(message);
    }
    reportDefect(defect);
    return -1;
}

// Loads the map, as the run sequence begins: the map named on the command
// line, or zelmor.map here or, when there is none, the installed one. A
// console that shows text in a code page learns the map's encoding.
int loadChosenMap(int argc, const char* mapPath, MapDefect* defect) {
    MapEncoding encoding = MapInUtf8;
    MapEncoding* shownAs = consoleNeedsMapEncoding() ? &encoding : nullptr;
    int loaded = loadMap(mapPath, defect, shownAs);
    char installedPath[4200];
    if (loaded != 0 && defect->kind == MapNotOpened && argc <= 1 &&
        findInstalledFile(DEFAULT_MAP_PATH, installedPath, sizeof installedPath)) {
        loaded = loadMap(installedPath, defect, shownAs);
    }
    if (loaded == 0 && shownAs != nullptr) consoleShowMapTextAs(encoding);
    return loaded;
}

}  // namespace

int runSequence(int argc, char** argv) {
    // Arguments after the first are ignored.
    const char* mapPath = argc > 1 ? argv[1] : DEFAULT_MAP_PATH;
    MapDefect defect{NoDefect, 0, 0};
    int status = -1;
    if (loadChosenMap(argc, mapPath, &defect) == 0) {
        // A defect ends the run where it is met: the table is not released.
        GameEnd end = playGame(&defect);
        if (end == GameStopped) {
            status = endWithDefect(defect);
        } else {
            freeRooms();
            status = closeGame(end);
        }
    } else if (defect.kind == MapNotOpened && argc > 1 && isInformationRequest(mapPath)) {
        return answerInformationRequest(mapPath);
    } else {
        status = endWithDefect(defect);
    }
    // A message without a newline ("Nincs helyiseg") must still get out, and
    // a failed write turns a normal run into a failure.
    bool written = finishOutput();
    return status == 0 && written ? 0 : -1;
}
