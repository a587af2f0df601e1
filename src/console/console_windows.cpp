// The console on Windows. The standard streams are put in binary mode, so
// that input and output bytes are those of the POSIX build (no CR added
// before LF, no end of input at a 0x1A byte); a console line's CR LF is read
// as a line end like LF. A console shows bytes in its output code page: when
// the map's text is UTF-8 (decideMapEncoding, told before the game) and the
// console's code page is another, the console is switched to UTF-8 when the
// first text that is not ASCII reaches it, and switched back at the end. A
// file or a pipe gets the bytes and nothing else.
#include "console_system.h"

#include <cstdio>
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include "text_encoding.h"

namespace {

struct CodePageChoice {
    MapEncoding encoding = MapInWindows1250;  // the map's, as told; no switch until told otherwise
    bool decided = false;   // switched, or known that no switch is wanted
    bool switched = false;
    UINT original = 0;      // the console's output code page before the switch
};
CodePageChoice codePage;

// Switches back; safe to run twice, and from the console's control thread.
void restoreCodePage() {
    if (codePage.switched) SetConsoleOutputCP(codePage.original);
}

// Ctrl+C or a closed window ends the process without the exit handlers.
BOOL WINAPI restoreOnBreak(DWORD) {
    restoreCodePage();
    return FALSE;  // the system's own handler then ends the process
}

// A real console window, not a file, a pipe or the NUL device; asked once.
bool outputIsConsole() {
    static const bool console = [] {
        DWORD mode = 0;
        return GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode) != 0;
    }();
    return console;
}

void switchToUtf8() {
    UINT current = GetConsoleOutputCP();
    if (current == CP_UTF8 || SetConsoleOutputCP(CP_UTF8) == 0) return;
    codePage.original = current;
    codePage.switched = true;
    SetConsoleCtrlHandler(restoreOnBreak, TRUE);
}

}  // namespace

void systemStartStreams() {
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
}

int systemReadByte() {
    int byte = _getc_nolock(stdin);
    return byte == EOF ? -1 : byte;
}

bool systemOutputIsTerminal() {
    return _isatty(_fileno(stdout)) != 0;
}

bool systemWriteOutput(const char* bytes, std::size_t length) {
    // _write takes an unsigned int count, and consoles before Windows 8 refuse
    // a single write much larger than 32 KB.
    const std::size_t maxPiece = outputIsConsole() ? 32767 : std::size_t{1} << 30;
    while (length > 0) {
        unsigned int piece = static_cast<unsigned int>(length < maxPiece ? length : maxPiece);
        int written = _write(_fileno(stdout), bytes, piece);
        if (written <= 0) return false;
        bytes += written;
        length -= static_cast<std::size_t>(written);
    }
    return true;
}

bool systemTerminalHasCodePage() {
    return outputIsConsole();
}

void systemShowMapTextAs(MapEncoding encoding) {
    codePage.encoding = encoding;
}

void systemPrepareTerminal(const char* bytes, std::size_t length) {
    if (codePage.decided) return;
    if (!outputIsConsole()) {
        codePage.decided = true;
        return;
    }
    // ASCII shows the same in every code page: wait for text that is not.
    if (classifyTextEncoding(bytes, length) == AsciiText) return;
    if (codePage.encoding == MapInUtf8) switchToUtf8();
    codePage.decided = true;
}

void systemRestoreTerminal() {
    restoreCodePage();
}
