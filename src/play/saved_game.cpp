#include "saved_game.h"

#include <cstring>

#include "room_table.h"

namespace {

const char DESCRIPTION_START[] = "#kaland-save ";
const char FORMAT_VERSION[] = "1";

std::string hex32(std::uint32_t value) {
    static const char DIGITS[] = "0123456789abcdef";
    std::string text(8, '0');
    for (int digit = 7; digit >= 0; --digit, value >>= 4) text[static_cast<std::size_t>(digit)] = DIGITS[value & 0xF];
    return text;
}

// Reads a place of the rooms list at `at` ("P" or "P*K"): a room number,
// "p" or "-", then how many times. False when none stands there.
bool readPlace(const std::string& list, std::size_t* at, std::uint32_t* place, std::uint64_t* times) {
    std::uint64_t values[2] = {0, 1};
    for (int part = 0; part < 2; ++part) {
        std::size_t start = *at;
        char first = *at < list.size() ? list[*at] : '\0';
        if (part == 0 && (first == 'p' || first == '-')) {
            values[0] = first == 'p' ? READ_AT_EXIT_PROMPT : READ_BY_NOBODY;
            ++*at;
        } else {
            values[part] = 0;
            while (*at < list.size() && list[*at] >= '0' && list[*at] <= '9' && *at - start < 10) {
                values[part] = values[part] * 10 + static_cast<std::uint64_t>(list[*at] - '0');
                ++*at;
            }
            if (*at == start || (part == 0 && values[0] >= READ_AT_EXIT_PROMPT)) return false;
        }
        if (part == 1 || *at >= list.size() || list[*at] != '*') break;
        ++*at;
    }
    *place = static_cast<std::uint32_t>(values[0]);
    *times = values[1];
    return true;
}

// The value of the field `name` ("map=") of the description; "" for none.
std::string fieldValue(const std::string& line, const char* name) {
    std::size_t at = line.find(std::string(" ") + name);
    if (at == std::string::npos) return "";
    at += 1 + std::strlen(name);
    return line.substr(at, line.find(' ', at) - at);
}

// Reads the description line into `game`, whose lines are all read; false
// when it does not describe them.
bool readDescription(const std::string& line, SavedGame* game) {
    std::size_t count = game->lines.size();
    std::string version = line.substr(sizeof DESCRIPTION_START - 1, line.find(' ', sizeof DESCRIPTION_START - 1) -
                                                                       (sizeof DESCRIPTION_START - 1));
    std::string map = fieldValue(line, "map=");
    if (version != FORMAT_VERSION || map.empty() || fieldValue(line, "lines=") != std::to_string(count)) return false;
    std::string list = fieldValue(line, "rooms=");
    std::vector<std::uint32_t> readers;
    for (std::size_t at = 0;;) {
        std::uint32_t place = 0;
        std::uint64_t times = 0;
        if (!readPlace(list, &at, &place, &times) || times == 0 || times > count + 1 - readers.size()) return false;
        readers.insert(readers.end(), static_cast<std::size_t>(times), place);
        if (at == list.size()) break;
        if (list[at++] != ',') return false;
    }
    if (readers.size() != count + 1) return false;
    game->map = map;
    game->readers = std::move(readers);
    return true;
}

void appendPlace(std::string* text, std::uint32_t place) {
    if (place == READ_AT_EXIT_PROMPT) {
        *text += 'p';
    } else if (place == READ_BY_NOBODY) {
        *text += '-';
    } else {
        *text += std::to_string(place);
    }
}

std::string describe(const SavedGame& game) {
    std::string text = DESCRIPTION_START;
    text += FORMAT_VERSION;
    text += " map=";
    text += game.map;
    text += " lines=";
    text += std::to_string(game.lines.size());
    text += " rooms=";
    for (std::size_t index = 0; index < game.readers.size();) {
        std::size_t same = index + 1;
        while (same < game.readers.size() && game.readers[same] == game.readers[index]) ++same;
        if (index > 0) text += ',';
        appendPlace(&text, game.readers[index]);
        if (same - index > 1) {
            text += '*';
            text += std::to_string(same - index);
        }
        index = same;
    }
    text += '\n';
    return text;
}

bool waitsForKey(std::uint32_t place) {
    return place < roomCount && rooms[place].kind == Navigate;
}

// Which typed line the description goes before (lines.size(): after them
// all), or SIZE_MAX when no place is safe. Only a scene that waits for
// Enter would take it as a typed line.
std::size_t descriptionPlace(const SavedGame& game) {
    std::uint32_t waiting = game.readers.back();
    if (waiting >= roomCount || rooms[waiting].kind != WaitForEnter) return game.lines.size();
    for (std::size_t line = game.lines.size(); line > 0; --line) {
        if (waitsForKey(game.readers[line - 1])) return line - 1;
    }
    return SIZE_MAX;
}

}  // namespace

std::string mapFingerprint(const char* bytes, std::size_t size) {
    std::uint32_t first = 0x811c9dc5u ^ static_cast<std::uint32_t>(size);
    std::uint32_t second = 0x2545f491u;
    for (std::size_t index = 0; index < size; ++index) {
        std::uint32_t byte = static_cast<unsigned char>(bytes[index]);
        first = (first ^ byte) * 0x01000193u;
        second = (second ^ byte) * 0x5bd1e995u;
        second ^= second >> 15;
    }
    return std::to_string(size) + "-" + hex32(first) + hex32(second);
}

bool isSavedGame(const char* bytes, std::size_t size) {
    const std::size_t prefix = sizeof DESCRIPTION_START - 1;
    for (std::size_t start = 0; start + prefix <= size;) {
        if (std::memcmp(bytes + start, DESCRIPTION_START, prefix) == 0) return true;
        const void* found = std::memchr(bytes + start, '\n', size - start);
        if (found == nullptr) break;
        start = static_cast<std::size_t>(static_cast<const char*>(found) - bytes) + 1;
    }
    return false;
}

SavedGame readSavedGame(const char* bytes, std::size_t size) {
    SavedGame game;
    std::string description;
    bool described = false;
    for (std::size_t start = 0; start < size;) {
        const void* found = std::memchr(bytes + start, '\n', size - start);
        std::size_t end = found != nullptr ? static_cast<std::size_t>(static_cast<const char*>(found) - bytes) : size;
        std::size_t textEnd = end > start && bytes[end - 1] == '\r' ? end - 1 : end;
        std::string line(bytes + start, textEnd - start);
        if (!described && line.compare(0, sizeof DESCRIPTION_START - 1, DESCRIPTION_START) == 0) {
            description = line;
            described = true;
        } else {
            game.lines.push_back(std::move(line));
        }
        start = end + 1;
    }
    if (described) readDescription(description, &game);
    return game;
}

std::string writeSavedGame(const SavedGame& game) {
    std::size_t place = game.readers.size() == game.lines.size() + 1 ? descriptionPlace(game) : SIZE_MAX;
    std::string file;
    for (std::size_t line = 0; line <= game.lines.size(); ++line) {
        if (line == place) file += describe(game);
        if (line < game.lines.size()) file += game.lines[line] + "\n";
    }
    return file;
}

ReplayCheck checkReplay(const SavedGame& saved, const std::vector<std::uint32_t>& replayed) {
    std::size_t read = replayed.empty() ? 0 : replayed.size() - 1;
    if (saved.readers.size() != saved.lines.size() + 1) {
        if (read < saved.lines.size()) return ReplayCheck{ReplayEndsSooner, read, read + 1};
        return ReplayCheck{ReplayUnchecked, saved.lines.size(), 0};
    }
    for (std::size_t place = 0; place < saved.readers.size(); ++place) {
        if (place < replayed.size() && replayed[place] == saved.readers[place]) continue;
        if (place == 0) return ReplayCheck{ReplayStartsElsewhere, 0, saved.lines.empty() ? std::size_t{0} : std::size_t{1}};
        return ReplayCheck{ReplayLineLeadsElsewhere, place - 1, place};
    }
    return ReplayCheck{ReplayWhole, saved.lines.size(), 0};
}
