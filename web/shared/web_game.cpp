#include "web_game.h"

#include <cstdio>

#include "game_release.h"
#include "run_game.h"
#include "web_console.h"

namespace {

struct WebPlay {
    const PlayObserver* outer;
    std::uint32_t roomOnShow = 0;
    std::vector<WebRead> reads;
    std::vector<std::uint32_t> effects;
};
WebPlay play;

void noteRoomShown(void*, std::uint32_t room) {
    play.roomOnShow = room;
    if (play.outer != nullptr) play.outer->roomShown(play.outer->context, room);
}

void noteExitTaken(void*, std::uint32_t room, std::uint32_t slot) {
    if (play.outer != nullptr) play.outer->exitTaken(play.outer->context, room, slot);
}

// A room read a line: the read the console began last.
void noteLineRead(void*, std::uint32_t room, const char* line, LineMove move) {
    std::size_t read = webReadCount();
    while (play.reads.size() + 1 < read) play.reads.push_back(WebRead{play.roomOnShow, ReadByNoRoom, 0});
    if (read > 0) play.reads.push_back(WebRead{room, static_cast<ReadEffect>(move.effect), move.slot});
    if (play.outer != nullptr && play.outer->lineRead != nullptr) {
        play.outer->lineRead(play.outer->context, room, line, move);
    }
}

// Every read no room made was made in the room on show last.
void finishReads() {
    while (play.reads.size() < webReadCount()) play.reads.push_back(WebRead{play.roomOnShow, ReadByNoRoom, 0});
    play.effects.clear();
    for (const WebRead& read : play.reads) play.effects.push_back(read.effect);
}

}  // namespace

WebGame playWebGame(const MapDefect& refusal, const char* input, std::size_t size, bool inputClosed,
                    const PlayObserver* observer) {
    startWebConsole(input, size, inputClosed);
    play.outer = observer;
    play.roomOnShow = 0;
    play.reads.clear();
    WebGame game{Stopped, refusal, 0};
    if (refusal.kind != NoDefect) {
        reportDefect(refusal);
        finishReads();
        return game;
    }
    PlayObserver watcher{noteRoomShown, noteExitTaken, nullptr, noteLineRead};
    GameEnd end = playGame(&game.defect, &watcher);
    game.runnerOutputStart = webOutputSize();
    // The game waits for the next line: what follows has not happened yet
    // (and would begin a read of its own).
    if (webInputRanOut()) {
        cutWebOutputAtWait();
        game.state = WaitingForLine;
    } else {
        closeGame(end);
        if (webInputRanOut()) {
            cutWebOutputAtWait();
            game.state = WaitingForEnter;
        } else if (end == GameStopped) {
            reportDefect(game.defect);
        } else {
            game.state = Finished;
        }
    }
    finishReads();
    return game;
}

const std::vector<WebRead>& webReads() {
    return play.reads;
}

const std::uint32_t* webReadEffects() {
    return play.effects.data();
}

bool webGameOutOfMemory(const MapDefect& defect) {
    return defect.kind == NoMemory || webOutputFailed();
}

std::string pageConstantsJson() {
    char json[320];
    std::snprintf(json, sizeof json,
                  "{\"GameState\":{\"WaitingForLine\":%d,\"WaitingForEnter\":%d,\"Finished\":%d,\"Stopped\":%d},"
                  "\"ReadEffect\":{\"Ignored\":%d,\"TookExit\":%d,\"Quit\":%d,\"ByNoRoom\":%d},"
                  "\"maxMapBytes\":%zu}",
                  WaitingForLine, WaitingForEnter, Finished, Stopped, ReadIgnored, ReadTookExit, ReadQuit,
                  ReadByNoRoom, MAX_PAGE_MAP_BYTES);
    return json;
}
