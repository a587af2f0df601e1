// How authors write keys: the forms in which a room's text names the key
// of an exit, and the ASCII letter that stands in for an accented one.
#pragma once

#include <cstddef>

/// Calls `named(context, key, offset)` for each key that `text` names, in
/// order: a letter or digit in square brackets or in parentheses ([h], (H),
/// [1]), lowercased as exits store keys. Square brackets may sit inside a
/// word ([N]orth); an opening parenthesis may not follow a letter or digit,
/// so that a(z) and room(s) name nothing, and (c) before a year is a
/// copyright sign. [Enter] and other longer words name nothing.
void findNamedKeys(const char* text, std::size_t length, void (*named)(void* context, char key, std::size_t offset),
                   void* context);

/// The ASCII letter an accented Latin letter (U+00C0 to U+017F) is written
/// with, in small letters: 'o' for ö and Ő; 0 for any other character.
char asciiLetterFor(char32_t character);
