// Text for the published page: maps are bytes in UTF-8 or in windows-1250,
// the page is UTF-8 HTML.
#pragma once

#include <string>

/// True when `bytes` are valid UTF-8.
bool isValidUtf8(const std::string& bytes);

/// The bytes as UTF-8: kept when they are UTF-8 already, otherwise read as
/// windows-1250, the legacy encoding of Hungarian maps (as the page does).
std::string toUtf8(const std::string& bytes);

/// Text from a map as UTF-8, read as the whole map is: kept when the map is
/// UTF-8 (`mapIsUtf8`), otherwise read as windows-1250.
std::string mapTextToUtf8(const std::string& text, bool mapIsUtf8);

/// Without whitespace (spaces, tabs, CR, LF...) at either end.
std::string trimmed(const std::string& text);

/// Text made safe for HTML content and quoted attribute values: & < > " '
/// become character references, so "<script>" shows as those characters.
std::string escapeHtml(const std::string& text);
