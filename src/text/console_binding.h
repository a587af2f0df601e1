// The console binding: the only code that touches the process's streams and
// its exit. Each platform or host links one implementation of these
// functions: console_stdio.cpp for the program (on the system calls of
// console_posix.cpp or console_windows.cpp), and others for the fuzz
// targets, the checker's script player and the browser engine.
#pragma once

#include <cstddef>

/// Sets the standard streams up to carry bytes exactly as they are, in and
/// out (no line-end translation where the system has one). A program calls
/// it first, before any input or output.
void startConsole();

/// Next byte of standard input, or -1 at its end or on a read error.
int consoleReadByte();

/// Makes everything written so far visible when standard output is a
/// terminal; leaves a file or pipe buffered.
void consolePrepareForInput();

/// Writes bytes to standard output, exactly as given (buffered).
void writeOutput(const char* bytes, std::size_t length);

/// Writes a terminated string to standard output, exactly as stored.
void writeText(const char* text);

/// Pushes out what is still buffered; false when standard output failed.
bool finishOutput();

/// Ends the process with status -1 through the normal process exit, so that
/// buffered output still reaches its destination.
[[noreturn]] void exitWithFailure();
