#include "release_names.h"

#include "text_bytes.h"
#include "text_encoding.h"

namespace {

bool isPortableAscii(char32_t character) {
    return (character >= 'A' && character <= 'Z') || (character >= 'a' && character <= 'z') ||
           (character >= '0' && character <= '9') || character == '.' || character == '-' || character == '_';
}

// The letters of Latin-1 Supplement and Latin Extended-A and -B, which
// hold the accented letters of the languages maps are written in. Nothing
// there is a separator, a control, a mark that joins or reorders text, or a
// look-alike that a Windows code page would turn into '/' or ':'.
bool isAccentedLatinLetter(char32_t character) {
    return character >= 0xC0 && character <= 0x24F && character != 0xD7 && character != 0xF7;
}

// Windows opens a device, not a file, for these names, whatever follows
// their first dot.
bool isWindowsDeviceName(const std::string& name) {
    std::string stem = name.substr(0, name.find('.'));
    for (char& byte : stem) byte = lowercaseByte(byte);
    if (stem == "con" || stem == "prn" || stem == "aux" || stem == "nul") return true;
    return stem.size() == 4 && (stem.compare(0, 3, "com") == 0 || stem.compare(0, 3, "lpt") == 0) &&
           isDigitByte(stem[3]);
}

// Where the folder part of a path ends on this system: the index after its
// last separator, or 0.
std::size_t folderEnd(const std::string& path) {
#if defined(_WIN32)
    std::size_t separator = path.find_last_of("/\\:");
#else
    std::size_t separator = path.rfind('/');
#endif
    return separator == std::string::npos ? 0 : separator + 1;
}

}  // namespace

std::string releaseFileName(const std::string& name) {
    std::size_t separator = name.find_last_of("/\\:");
    std::size_t start = separator == std::string::npos ? 0 : separator + 1;
    std::string safe;
    for (std::size_t at = start; at < name.size();) {
        char32_t character = 0;
        std::size_t length = readUtf8Character(name.data(), name.size(), at, &character);
        if (length != 0 && (isPortableAscii(character) || isAccentedLatinLetter(character))) {
            safe.append(name, at, length);
        } else {
            safe += '_';
        }
        at += length != 0 ? length : 1;
    }
    if (safe.empty()) return "_";
    if (safe.front() == '.' || safe.front() == '-') safe.front() = '_';
    if (safe.back() == '.') safe.back() = '_';
    if (isWindowsDeviceName(safe)) safe.insert(0, "_");
    return safe;
}

std::string fileBeside(const std::string& path, const std::string& name) {
    return path.substr(0, folderEnd(path)) + releaseFileName(name);
}

std::string pathFileName(const std::string& path) {
    return path.substr(folderEnd(path));
}
