#include "script_transcript.h"

#include "run_game.h"

namespace {

void recordRoomShown(void* context, std::uint32_t room) {
    Transcript* transcript = static_cast<Transcript*>(context);
    transcript->shown.push_back(ShownRoom{transcript->output.bytes.size(), room, releaseHeldExit(&transcript->lastExit)});
}

void recordExitTaken(void* context, std::uint32_t room, std::uint32_t slot) {
    holdExit(&static_cast<Transcript*>(context)->lastExit, room, slot);
}

}  // namespace

// As runGame and the console program's run sequence: the game, the exit
// prompt and its line (closeGame), then whatever the player is told of a
// refusal or a defect (reportDefect). Only the table stays for the next
// script instead of being released before the prompt, which reads nothing
// of it.
Transcript playTranscript(const MapDefect& refusal, const std::string& script) {
    Transcript transcript;
    startScriptConsole(script.data(), script.size());
    keepScriptOutput(&transcript.output);
    int result = -1;
    if (refusal.kind == NoDefect) {
        transcript.played = true;
        PlayObserver observer{recordRoomShown, recordExitTaken, &transcript};
        transcript.end = playGame(&transcript.defect, &observer);
        transcript.gameEnd = transcript.output.bytes.size();
        result = closeGame(transcript.end);
    } else {
        transcript.defect = refusal;
    }
    reportDefect(transcript.defect);
    keepScriptOutput(nullptr);  // the console keeps no pointer into the transcript
    transcript.status = result == 0 ? 0 : 255;
    return transcript;
}

FirstScreen firstScreen(const MapDefect& refusal) {
    // With nothing typed the game ends at the first line a room reads.
    Transcript transcript = playTranscript(refusal, "");
    FirstScreen screen;
    if (transcript.end != InputEnded || transcript.shown.empty()) return screen;
    screen.output = transcript.output.bytes.substr(0, transcript.gameEnd);
    screen.room = transcript.shown.back().room;
    return screen;
}
