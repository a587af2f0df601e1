// Names of the files the tools and pages make from a map's name: a page, a
// release's record, a random game's lines, a download. One rule for all of
// them, so that a map's files are named alike wherever they are made.
#pragma once

#include <string>

/// `path` without the extension of its file name: without the last '.' of
/// the name and what follows it, unless that dot starts the name (".map"
/// has no extension). A folder's dot is no extension; on Windows '\' and ':'
/// end folders as '/' does.
std::string withoutExtension(const std::string& path);

/// The name of a file made from the map `path`: the map's name without its
/// extension, then `ending` (".html", ".iFiction", ".keys"); "kaland" stands
/// for a name that is empty.
std::string fileNamedAfter(const std::string& path, const std::string& ending);
