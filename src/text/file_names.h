// Names of the files the tools and pages make from a map's or a script's
// name: a page, a release's entries and record, a random game's lines, an
// expected transcript, a download. One rule for all of them, so that a map's
// files are named alike wherever they are made, and so that a map named
// '..\..\Startup\evil.map', 'CON.map' or 'a<b>|c.map' makes files that every
// system can hold and that stay in the folder they are written to.
#pragma once

#include <string>

/// The name that stands for `name` in a file kaland makes: the part after
/// its last '/', '\' or ':' (whatever the system), each character that is
/// not an ASCII letter or digit, '.', '-', '_' or an accented Latin letter
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

/// `path` without the extension of its file name: without the last '.' of
/// the name and what follows it, unless that dot starts the name (".map"
/// has no extension). A folder's dot is no extension; on Windows '\' and ':'
/// end folders as '/' does.
std::string withoutExtension(const std::string& path);

/// The file made from the map `path`, beside it: the map's file name
/// without its extension ("kaland" for a name that is empty), then `ending`
/// (".html", ".iFiction", ".random-1.keys"), as releaseFileName makes it.
std::string fileNamedAfter(const std::string& path, const std::string& ending);
