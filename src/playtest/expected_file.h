// The file --bless writes beside a key script and --expect compares with:
// SCRIPT.expected holds the standard output of `kaland MAP < SCRIPT` byte
// for byte, then one line with the exit status, so that a change to the
// game reads as a change of lines in a diff:
//
//     <the output, as it is>
//     -- exit status 0 --
//
// Output that does not end with a newline (the exit prompt has none) gets
// one, so that the status keeps a line of its own, and the status line says
// so:
//
//     Nyomj <Enter>-t a kilepeshez!
//     -- exit status 0, no newline at end of output --
#pragma once

#include <cstddef>
#include <string>

/// The name of a script's expected transcript: beside the script, its name
/// with .expected, as releaseFileName makes it ("walk.keys" gives
/// "walk.keys.expected").
std::string expectedPath(const std::string& scriptPath);

/// The file's bytes for an output and an exit status.
std::string formatExpectedFile(const std::string& output, int status);

/// Reads a file formatExpectedFile wrote. Returns false, with `error` set,
/// when its last line is not a status line.
bool parseExpectedFile(const std::string& file, std::string* output, int* status, std::string* error);

/// The command that writes the expected transcript of `scriptPath`, its
/// arguments quoted for a POSIX shell where they need it.
std::string blessCommand(const std::string& mapPath, const std::string& scriptPath);

/// What --bless says of a script it blessed:
/// "SCRIPT.expected: kaland MAP < SCRIPT: N lines of output, exit status S".
std::string blessedLine(const std::string& mapName, const std::string& scriptPath, const std::string& output,
                        int status);

/// The error for SCRIPT.expected when parseExpectedFile gave `error`, with
/// the command that makes it again.
std::string badExpectedFileLine(const std::string& mapPath, const std::string& scriptPath, const std::string& error);

/// The line --expect ends with: "MAP: K of N scripts played as expected".
std::string expectSummary(const std::string& mapName, std::size_t same, std::size_t scripts);
