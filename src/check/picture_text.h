// Map text turned into Graphviz text. Graphviz reads UTF-8, while a map may
// be written in UTF-8 or in the 8-bit code older Hungarian maps use
// (windows-1250), and may hold any byte at all.
#pragma once

#include <cstddef>
#include <string>

#include "text_encoding.h"

/// `bytes` of a map shown as `encoding` (decideMapEncoding), as UTF-8 for a
/// picture. Control characters become visible: ^A for C0 bytes (a tab is a
/// space), ^? for DEL, U+FFFD for C1 characters (and so for the five bytes
/// windows-1250 leaves undefined) and for bytes that are no UTF-8 in a UTF-8
/// map. At most `maxCharacters` characters are kept; "..." marks a cut.
std::string pictureText(const std::string& bytes, MapEncoding encoding,
                        std::size_t maxCharacters = std::string::npos);

/// `text` with " and \ escaped, to go between the double quotes of a
/// Graphviz ID or label.
std::string graphvizEscaped(const std::string& text);

/// `text` escaped and in double quotes: a Graphviz ID for any file name.
std::string graphvizQuoted(const std::string& text);
