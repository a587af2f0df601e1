// Map text turned into Graphviz text. Graphviz reads UTF-8, while a map may
// be written in UTF-8 or in the 8-bit code older Hungarian maps use
// (windows-1250), and may hold any byte at all.
#pragma once

#include <cstddef>
#include <string>

/// `bytes` as UTF-8 for a picture: every valid UTF-8 character is kept as it
/// is, every other byte is read as windows-1250. Control characters become
/// visible: ^A for C0 bytes (a tab is a space), ^? for DEL, U+FFFD for C1
/// characters and the five bytes windows-1250 leaves undefined. At most
/// `maxCharacters` characters are kept; "..." marks a cut.
std::string pictureText(const std::string& bytes, std::size_t maxCharacters = std::string::npos);

/// `text` with " and \ escaped, to go between the double quotes of a
/// Graphviz ID or label.
std::string graphvizEscaped(const std::string& text);

/// `text` escaped and in double quotes: a Graphviz ID for any file name.
std::string graphvizQuoted(const std::string& text);
