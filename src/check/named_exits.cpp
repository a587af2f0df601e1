#include "named_exits.h"

#include <cstring>

#include "key_words.h"
#include "move_rules.h"

namespace {

struct LineNaming {
    const Room* room;
    const char* line;
    std::size_t length;
    std::vector<NamedExit>* exits;
    const std::string* exitKeys;
};

void addNamedExit(void* context, char key, std::size_t offset) {
    auto* naming = static_cast<LineNaming*>(context);
    for (const NamedExit& known : *naming->exits) {
        if (known.key == key) return;
    }
    const char typed[2] = {key, '\0'};
    LineMove move = moveForLine(naming->room->kind, naming->room->exits, typed);
    if (move.effect != LineTakesExit) return;
    naming->exits->push_back(NamedExit{key, move.slot, keyWords(naming->line, naming->length, offset, *naming->exitKeys)});
}

}  // namespace

std::vector<NamedExit> namedExits(const Room& room) {
    std::vector<NamedExit> exits;
    if (room.kind != Navigate) return exits;
    std::string exitKeys;
    for (const Exit& exit : room.exits) {
        if (exit.key != 0) exitKeys += exit.key;
    }
    for (const char* line : room.lines) {
        if (line == nullptr) continue;
        std::size_t length = std::strlen(line);
        while (length > 0 && (line[length - 1] == '\n' || line[length - 1] == '\r')) --length;
        LineNaming naming{&room, line, length, &exits, &exitKeys};
        findNamedKeys(line, length, addNamedExit, &naming);
    }
    return exits;
}
