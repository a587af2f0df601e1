// Writing the files kaland-check makes beside a map or a script: a
// script's expected transcript (--bless) and a random game's lines
// (--random). A file is written whole or not at all.
#pragma once

#include <string>

/// Writes `bytes` to `path` through a temporary file in the same folder,
/// which then replaces `path` in one step, so that a reader never sees half
/// a file and a failed write leaves the old file as it was. Returns false
/// with the reason in `error` (the system's words, such as "Permission
/// denied"), for the caller to say what could not be written.
bool replaceFile(const std::string& path, const std::string& bytes, std::string* error);

/// replaceFile for kaland-check: a failure is told on standard error as
/// "PATH: error: cannot write: REASON", after what standard output holds so
/// far. Returns whether the file was written.
bool writeCheckerFile(const std::string& path, const std::string& bytes);
