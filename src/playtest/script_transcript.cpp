#include "script_transcript.h"

#include "map_loader.h"
#include "run_game.h"

namespace {

void recordRoomShown(void* context, std::uint32_t room) {
    Transcript* transcript = static_cast<Transcript*>(context);
    std::uint32_t from = transcript->exitPending ? transcript->exitRoom : NO_SHOWN_ROOM;
    transcript->shown.push_back(ShownRoom{transcript->output.bytes.size(), room, from, transcript->exitSlot});
    transcript->exitPending = false;
}

void recordExitTaken(void* context, std::uint32_t room, std::uint32_t slot) {
    Transcript* transcript = static_cast<Transcript*>(context);
    transcript->exitPending = true;
    transcript->exitRoom = room;
    transcript->exitSlot = slot;
}

}  // namespace

TranscriptMap loadTranscriptMap(const char* bytes, std::size_t size) {
    TranscriptMap map;
    MapLineReader reader;
    map.refusal = MapDefect{NoMemory, 0, 0};
    map.loaded = startMapLinesInMemory(&reader, bytes, size) && loadMapFrom(&reader, &map.refusal) == 0;
    endMapLines(&reader);
    return map;
}

// As runGame and the console program's run sequence: the game, the exit
// prompt and its line (closeGame), then whatever the player is told of a
// refusal or a defect (reportDefect). Only the table stays for the next
// script instead of being released before the prompt, which reads nothing
// of it.
Transcript playTranscript(const TranscriptMap& map, const std::string& script) {
    Transcript transcript;
    startScriptConsole(script.data(), script.size());
    keepScriptOutput(&transcript.output);
    int result = -1;
    if (map.loaded) {
        transcript.played = true;
        PlayObserver observer{recordRoomShown, recordExitTaken, &transcript};
        transcript.end = playGame(&transcript.defect, &observer);
        transcript.gameEnd = transcript.output.bytes.size();
        result = closeGame(transcript.end);
    } else {
        transcript.defect = map.refusal;
    }
    reportDefect(transcript.defect);
    keepScriptOutput(nullptr);  // the console keeps no pointer into the transcript
    transcript.status = result == 0 ? 0 : 255;
    return transcript;
}

FirstScreen firstScreen(const TranscriptMap& map) {
    // With nothing typed the game ends at the first line a room reads.
    Transcript transcript = playTranscript(map, "");
    FirstScreen screen;
    if (transcript.end != InputEnded || transcript.shown.empty()) return screen;
    screen.output = transcript.output.bytes.substr(0, transcript.gameEnd);
    screen.room = transcript.shown.back().room;
    return screen;
}

void releaseTranscriptMap(TranscriptMap* map) {
    if (map->loaded) freeRooms();
    map->loaded = false;
}
