// Opening and reading the files kaland-check and kaland-publish are given:
// maps, key scripts and the page template. Failures are told in the words
// of the tools' messages.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

/// Opens the file at `path` to read its bytes as stored; on kaland-check's
/// command line (`dashIsInput`) "-" is standard input. Returns null with
/// the reason in `error` ("is a directory", "cannot open: ...").
std::FILE* openInputFile(const char* path, bool dashIsInput, std::string* error);

/// Closes a file openInputFile opened (standard input stays open).
void closeInputFile(std::FILE* file);

/// Reads the file at `path` whole into `bytes`, or its first `limit` bytes.
/// Returns false with the reason in `error` (as openInputFile, or "cannot
/// read: ...", "not enough memory").
bool readWholeFile(const char* path, bool dashIsInput, std::string* bytes, std::string* error,
                   std::size_t limit = SIZE_MAX);
