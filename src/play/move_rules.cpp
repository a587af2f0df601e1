#include "move_rules.h"

#include "text_bytes.h"

namespace {

bool isExitWord(const char* line) {
    return lowercaseByte(line[0]) == 'e' && lowercaseByte(line[1]) == 'x' && lowercaseByte(line[2]) == 'i' &&
           lowercaseByte(line[3]) == 't' && line[4] == '\0';
}

}  // namespace

LineMove moveForLine(RoomKind kind, const Exit* exits, const char* line) {
    if (kind == WaitForEnter) return LineMove{LineTakesExit, FIRST_EXIT};
    if (kind != Navigate || line[0] == '\0') return LineMove{LineIgnored, FIRST_EXIT};
    if (line[1] == '\0') {  // only a one-byte line can be a key
        char key = lowercaseByte(line[0]);
        for (std::uint32_t slot = 0; slot < MAX_EXITS; ++slot) {
            if (exits[slot].key == key) return LineMove{LineTakesExit, slot};
        }
        return LineMove{LineIgnored, FIRST_EXIT};
    }
    return LineMove{isExitWord(line) ? LineQuits : LineIgnored, FIRST_EXIT};
}
