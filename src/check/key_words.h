// How authors write keys: the forms in which a room's text names the key
// of an exit, and the ASCII letter that stands in for an accented one.
#pragma once

#include <cstddef>
#include <string>

/// Calls `named(context, key, offset)` for each key that `text` names, in
/// order: a letter or digit in square brackets or in parentheses ([h], (H),
/// [1]), lowercased as exits store keys. Square brackets may sit inside a
/// word ([N]orth); an opening parenthesis may not follow a letter or digit,
/// so that a(z) and room(s) name nothing, and (c) before a year is a
/// copyright sign. [Enter] and other longer words name nothing.
void findNamedKeys(const char* text, std::size_t length, void (*named)(void* context, char key, std::size_t offset),
                   void* context);

/// The words of `text` (one line of a room, `length` bytes without its
/// newline) that go with the key it names at `at`: the part of the line
/// that belongs to that key, cut from the parts of the keys named before
/// and after it at a comma, semicolon, bar or slash between them, else at
/// the white space just before the next key. Keys named in the part are
/// dropped, but a key inside a word keeps its letter ([N]orth: North);
/// white space runs become one space, and white space and the separators
/// above, dashes, colons and arrows are trimmed off both ends. Bytes of
/// the map's own encoding pass through unchanged.
std::string keyWords(const char* text, std::size_t length, std::size_t at);

/// The ASCII letter an accented Latin letter (U+00C0 to U+017F) is written
/// with, in small letters: 'o' for ö and Ő; 0 for any other character.
char asciiLetterFor(char32_t character);
