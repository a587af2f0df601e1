#include "web_game.h"

#include "run_game.h"
#include "web_console.h"

WebGame playWebGame(bool loaded, const MapDefect& refusal, const char* input, std::size_t size, bool inputClosed,
                    const PlayObserver* observer) {
    startWebConsole(input, size, inputClosed);
    WebGame game{Stopped, refusal, 0};
    if (!loaded) {
        reportDefect(refusal);
        return game;
    }
    GameEnd end = playGame(&game.defect, observer);
    game.runnerOutputStart = webOutputSize();
    // The game waits for the next line: what follows has not happened yet
    // (and would begin a read of its own).
    if (webInputRanOut()) {
        cutWebOutputAtWait();
        game.state = WaitingForLine;
        return game;
    }
    closeGame(end);
    if (webInputRanOut()) {
        cutWebOutputAtWait();
        game.state = WaitingForEnter;
    } else if (end == GameStopped) {
        reportDefect(game.defect);
    } else {
        game.state = Finished;
    }
    return game;
}

bool webGameOutOfMemory(const MapDefect& defect) {
    return defect.kind == NoMemory || webOutputFailed();
}
