#include "studio_console.h"

#include <cstddef>
#include <cstdint>

#include "console_binding.h"
#include "script_console.h"
#include "web_console.h"

// The two consoles' own bindings, renamed where they are compiled.
int webConsoleReadByte();
void webConsolePrepareForInput();
void webWriteOutput(const char* bytes, std::size_t length);
void webWriteText(const char* text);
bool webFinishOutput();
int scriptConsoleReadByte();
void scriptWriteOutput(const char* bytes, std::size_t length);
void scriptWriteText(const char* text);
void scriptStartScriptConsole(const char* script, std::size_t size);

namespace {

bool scripted = false;

}  // namespace

void useWebConsole() {
    scripted = false;
}

void startScriptConsole(const char* script, std::size_t size) {
    scripted = true;
    scriptStartScriptConsole(script, size);
}

int consoleReadByte() {
    return scripted ? scriptConsoleReadByte() : webConsoleReadByte();
}

void consolePrepareForInput() {
    if (!scripted) webConsolePrepareForInput();
}

// The checker's console drops what the game writes, unless it keeps a
// transcript (keepScriptOutput).
void writeOutput(const char* bytes, std::size_t length) {
    if (scripted) {
        scriptWriteOutput(bytes, length);
    } else {
        webWriteOutput(bytes, length);
    }
}

void writeText(const char* text) {
    if (scripted) {
        scriptWriteText(text);
    } else {
        webWriteText(text);
    }
}

bool finishOutput() {
    return scripted || webFinishOutput();
}

// Nothing in the core ends the process; should it ever, the page learns of
// it as a failed call and starts a fresh engine.
void exitWithFailure() {
    __builtin_trap();
}

// The page has no process streams to set up.
void startConsole() {}
