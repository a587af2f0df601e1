// Writing the files kaland-check and kaland-publish make: a script's
// expected transcript (--bless), a random game's lines (--random), route
// files, pages and zips. A file is written whole or not at all, and a path
// that is not a file is never replaced by one.
#pragma once

#include <string>

/// Writes `bytes` to `path`, by what `path` is:
/// - a regular file, or nothing yet: through a temporary file in the same
///   folder, which then replaces it in one step, so that a reader never
///   sees half a file and a failed write leaves the old file as it was (a
///   file replaced keeps its permissions);
/// - a symbolic link: the file it leads to is replaced the same way, beside
///   itself, and the link stays a link (POSIX);
/// - a named pipe or a device: written directly, as a shell's > does, and
///   never renamed over (POSIX);
/// - "-": standard output, written directly;
/// - anything else (a folder, a socket): refused, and nothing changes.
/// Returns false with the reason in `error` (the system's words, such as
/// "Permission denied"), for the caller to say what could not be written.
bool replaceFile(const std::string& path, const std::string& bytes, std::string* error);

/// replaceFile for kaland-check: a failure is told on standard error as
/// "PATH: error: cannot write: REASON", after what standard output holds so
/// far. Returns whether the file was written.
bool writeCheckerFile(const std::string& path, const std::string& bytes);

/// Flushes and closes standard output at the end of a program, so that a
/// write that failed (a full disk, a closed pipe) is not taken for success.
/// Returns false after telling "PROGRAM: cannot write standard output:
/// REASON" on standard error.
bool finishStandardOutput(const char* program);
