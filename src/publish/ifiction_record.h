// The game's iFiction record: the XML that the interactive fiction archive
// and its catalogues read to identify a game (its IFID) and describe it.
// Bytes in, bytes out.
#pragma once

#include <string>

#include "page_template.h"

/// Text made safe for XML content and attribute values: & < > " ' become
/// references, and the characters XML 1.0 cannot hold at all (control
/// characters other than tab, LF and CR; U+FFFE and U+FFFF) become U+FFFD.
/// `text` is UTF-8.
std::string escapeXml(const std::string& text);

/// The record, UTF-8, for a game published as a web page: its IFID and
/// format, then title, author ("Anonymous" when the map names none),
/// language, headline and description (both the blurb) where the map gives them.
std::string makeIfictionRecord(const GameFacts& facts);
