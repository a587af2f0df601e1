// Text for the published page: maps are bytes in UTF-8 or in windows-1250,
// the page is UTF-8 HTML.
#pragma once

#include <string>

#include "text_encoding.h"

/// Text of a map shown as `encoding` (decideMapEncoding, for the whole map),
/// as UTF-8: the page's heading, title and facts show what its log shows.
std::string mapTextToUtf8(const std::string& bytes, MapEncoding encoding);

/// A text of its own (given on the command line, a file's name) as UTF-8,
/// read by the same rule as a whole map.
std::string textToUtf8(const std::string& text);

/// UTF-8 text with each control character (isControlCharacter) made U+FFFD:
/// the one rule for the text of the release files, so that a title holding
/// ESC and BEL cannot drive the terminal that shows README.txt, and shows
/// the same in the page, the record and the README.
std::string withoutControlCharacters(const std::string& text);

/// Text made safe for HTML content and quoted attribute values: & < > " '
/// become character references, so "<script>" shows as those characters.
std::string escapeHtml(const std::string& text);
