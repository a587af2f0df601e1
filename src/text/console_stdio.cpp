// The console binding of the real program: standard input and output through
// stdio, and the process exit.
#include "console_text.h"

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace {

enum class OutputMode { Unknown, Terminal, Redirected };
OutputMode outputMode = OutputMode::Unknown;

// A terminal gets stdio's line buffering and a flush before every read; a
// file or pipe gets one large buffer, written out when full or at exit.
OutputMode currentOutputMode() {
    if (outputMode == OutputMode::Unknown) {
        if (isatty(STDOUT_FILENO)) {
            outputMode = OutputMode::Terminal;
        } else {
            outputMode = OutputMode::Redirected;
            std::setvbuf(stdout, nullptr, _IOFBF, 1 << 16);
        }
    }
    return outputMode;
}

}  // namespace

int consoleReadByte() {
    int byte = getc_unlocked(stdin);
    return byte == EOF ? -1 : byte;
}

void consolePrepareForInput() {
    if (currentOutputMode() == OutputMode::Terminal) std::fflush(stdout);
}

void writeOutput(const char* bytes, std::size_t length) {
    currentOutputMode();
#ifdef __GLIBC__
    fwrite_unlocked(bytes, 1, length, stdout);
#else
    std::fwrite(bytes, 1, length, stdout);
#endif
}

bool finishOutput() {
    return std::fflush(stdout) == 0 && !std::ferror(stdout);
}

void exitWithFailure() {
    std::exit(-1);
}
