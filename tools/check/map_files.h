// Reading the files kaland-check and kaland-publish are given: maps, key
// scripts and the page template, each read whole. Failures are told in the
// words of the tools' messages.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "map_coverage.h"

/// Reads the file at `path` whole into `bytes`, or its first `limit` bytes.
/// Returns false with the reason in `error` ("is a directory", "cannot open:
/// ...", "cannot read: ...", "not enough memory").
bool readWholeFile(const char* path, std::string* bytes, std::string* error, std::size_t limit = SIZE_MAX);

/// The same for a file named on kaland-check's command line, where "-" is
/// standard input.
bool readArgumentFile(const char* path, std::string* bytes, std::string* error);

/// Reads every script whole. Returns false, after a message on standard
/// error for each script that cannot be read.
bool readKeyScripts(const std::vector<std::string>& paths, std::vector<KeyScript>* scripts);
