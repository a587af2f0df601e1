// How authors write keys: the forms in which a room's text names the key
// of an exit, and the ASCII letter that stands in for an accented one.
#pragma once

#include <cstddef>
#include <string>

/// Calls `named(context, key, offset)` for each mark in `text` that may
/// name a key, in order: one printable ASCII character in square brackets
/// or in parentheses ([h], (H), [1], [<]), lowercased as exits store keys.
/// Square brackets may sit inside a word ([N]orth); an opening parenthesis
/// may not follow a letter or digit, so that a(z) and room(s) name nothing,
/// and (c) before a year is a copyright sign. [Enter] and other longer
/// words name nothing. Whether a mark names a key is markNamesKey's rule.
void findNamedKeys(const char* text, std::size_t length, void (*named)(void* context, char key, std::size_t offset),
                   void* context);

/// Whether a mark of `key` names a key of a room whose exits include one
/// with that key (`hasExit`): a letter or digit always does, so that a room
/// without such an exit is told of it; any other character ([<], (!)) only
/// where an exit takes it, since most such marks are punctuation.
bool markNamesKey(char key, bool hasExit);

/// The words of `text` (one line of a room, `length` bytes without its
/// newline) that go with the key it names at `at`, where the room's exits
/// take the keys `exitKeys` (so that marks name keys as markNamesKey says): the part of the line
/// that belongs to that key, cut from the parts of the keys named before
/// and after it at a comma, semicolon, bar or slash between them, else at
/// the white space just before the next key. Keys named in the part are
/// dropped, but a key inside a word keeps its letter ([N]orth: North);
/// white space runs become one space, and white space and the separators
/// above, dashes, colons and arrows are trimmed off both ends. Bytes of
/// the map's own encoding pass through unchanged.
std::string keyWords(const char* text, std::size_t length, std::size_t at, const std::string& exitKeys);

/// The ASCII letter an accented Latin letter (U+00C0 to U+017F) is written
/// with, in small letters: 'o' for ö and Ő; 0 for any other character.
char asciiLetterFor(char32_t character);
