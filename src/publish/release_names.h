// The names of the files kaland makes up: the zip's entries, the map's name
// in the page, the default page beside a map, a random game's .keys and a
// script's .expected. One rule, so that a map named '..\..\Startup\evil.map',
// 'CON.map' or 'a<b>|c.map' makes files that every system can hold and that
// stay in the folder they are written to.
#pragma once

#include <string>

/// The name that stands for `name` in a release: the part after its last
/// '/', '\' or ':' (whatever the system), each character that is not an
/// ASCII letter or digit, '.', '-', '_' or an accented Latin letter
/// (U+00C0 to U+024F but U+00D7 and U+00F7, in UTF-8) made '_', as is each
/// byte that is not UTF-8; then a leading '.' or '-' and a trailing '.' made
/// '_', '_' put before a Windows device name (CON, PRN, AUX, NUL, COM0 to
/// COM9, LPT0 to LPT9, in any case, with any extension), and "_" for nothing
/// at all. A name that keeps to the rule comes back as it is.
std::string releaseFileName(const std::string& name);

/// The file named releaseFileName(name) in the folder of `path` (a path as
/// the user gave it, kept as it is): the folder's part of `path` up to its
/// last separator ('/', and on Windows also '\' and ':'), then the name.
std::string fileBeside(const std::string& path, const std::string& name);

/// The last part of `path` (after the folder fileBeside keeps), as it is.
std::string pathFileName(const std::string& path);
