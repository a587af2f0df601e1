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

bool lineTakingExit(RoomKind kind, const Exit* exits, std::uint32_t slot, char* line) {
    line[0] = '\0';
    if (kind == WaitForEnter) return slot == FIRST_EXIT;
    char key = exits[slot].key;
    if (kind != Navigate || key == '\0' || keyTyping(key) == KeyEndsLine) return false;
    line[0] = key;
    line[1] = '\0';
    LineMove move = moveForLine(kind, exits, line);
    return move.effect == LineTakesExit && move.slot == slot;
}

KeyTyping keyTyping(char key) {
    unsigned char byte = static_cast<unsigned char>(key);
    if (byte == '\n' || byte == '\r') return KeyEndsLine;
    if (byte < 0x20 || byte == 0x7F) return KeyControl;
    return byte >= 0x80 ? KeyBeyondAscii : KeyTypable;
}
