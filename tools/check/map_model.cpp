#include "map_model.h"

#include <algorithm>

#include "move_rules.h"

std::size_t MapCheck::count(Severity severity) const {
    return static_cast<std::size_t>(std::count_if(diagnostics.begin(), diagnostics.end(),
                                                  [severity](const Diagnostic& d) { return d.severity == severity; }));
}

void MapCheck::report(std::uint64_t line, Severity severity, std::string text) {
    diagnostics.push_back(Diagnostic{line, severity, std::move(text)});
}

void sortDiagnostics(MapCheck* check) {
    std::stable_sort(check->diagnostics.begin(), check->diagnostics.end(),
                     [](const Diagnostic& a, const Diagnostic& b) { return a.line < b.line; });
}

const CheckedRoom& roomAt(const MapCheck& check, std::uint32_t number) {
    static const CheckedRoom emptyRoom{};
    auto found = check.rooms.find(number);
    return found == check.rooms.end() ? emptyRoom : found->second;
}

std::uint64_t roomLine(const MapCheck& check, std::uint32_t number) {
    const CheckedRoom& room = roomAt(check, number);
    if (room.headingLine != 0) return room.headingLine;
    auto reached = check.reachedBy.find(number);
    return reached != check.reachedBy.end() ? reached->second : room.kindLine;
}

// A slot can be taken when the line that types its key (an empty line for a
// slot without one) moves the player through that very slot.
std::vector<std::uint32_t> takenExits(const CheckedRoom& room) {
    if (room.kind == Automatic) return {FIRST_EXIT};
    std::vector<std::uint32_t> slots;
    for (std::uint32_t slot = 0; slot < MAX_EXITS; ++slot) {
        const char line[2] = {room.exits[slot].key, '\0'};
        LineMove move = moveForLine(room.kind, room.exits, line);
        if (move.effect == LineTakesExit && move.slot == slot) slots.push_back(slot);
    }
    return slots;
}

std::vector<std::uint32_t> findEndings(const MapCheck& check) {
    std::vector<std::uint32_t> endings;
    for (const auto& entry : check.rooms) {
        if (entry.second.kind == GameOver) endings.push_back(entry.first);
    }
    std::sort(endings.begin(), endings.end());
    return endings;
}
