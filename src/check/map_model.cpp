#include "map_model.h"

#include <algorithm>

#include "move_rules.h"

std::size_t countDiagnostics(const std::vector<Diagnostic>& diagnostics, Severity severity) {
    return static_cast<std::size_t>(std::count_if(diagnostics.begin(), diagnostics.end(),
                                                  [severity](const Diagnostic& d) { return d.severity == severity; }));
}

std::size_t MapCheck::count(Severity severity) const {
    return countDiagnostics(diagnostics, severity);
}

std::size_t MapCheck::report(std::uint64_t line, Severity severity, std::string text, DiagnosticSubject subject,
                             std::size_t subjectAt) {
    diagnostics.push_back(Diagnostic{line, severity, std::move(text), reported, NO_CAUSE, {}, subject, subjectAt});
    return reported++;
}

void MapCheck::reportConsequence(std::size_t cause, std::uint64_t line, std::string text, DiagnosticSubject subject,
                                 std::size_t subjectAt) {
    diagnostics.push_back(Diagnostic{line, Note, std::move(text), reported++, cause, {}, subject, subjectAt});
}

// A diagnostic's place: under its cause (or itself), by the cause's line and
// then where the cause stood; the cause first, then its notes by line.
struct DiagnosticPlace {
    std::uint64_t rootLine;
    std::size_t rootPosition;
    bool consequence;
    std::uint64_t line;
    std::size_t position;
    bool operator<(const DiagnosticPlace& other) const {
        if (rootLine != other.rootLine) return rootLine < other.rootLine;
        if (rootPosition != other.rootPosition) return rootPosition < other.rootPosition;
        if (consequence != other.consequence) return !consequence;
        if (line != other.line) return line < other.line;
        return position < other.position;
    }
};

void sortDiagnostics(std::vector<Diagnostic>* sorting) {
    std::vector<Diagnostic>& diagnostics = *sorting;
    if (std::none_of(diagnostics.begin(), diagnostics.end(),
                     [](const Diagnostic& diagnostic) { return diagnostic.cause != NO_CAUSE; })) {
        std::stable_sort(diagnostics.begin(), diagnostics.end(),
                         [](const Diagnostic& a, const Diagnostic& b) { return a.line < b.line; });
        return;
    }
    std::unordered_map<std::size_t, std::size_t> causes;  // id -> position
    for (const Diagnostic& diagnostic : diagnostics) {
        if (diagnostic.cause != NO_CAUSE) causes.emplace(diagnostic.cause, 0);
    }
    for (std::size_t i = 0; i < diagnostics.size(); ++i) {
        auto cause = causes.find(diagnostics[i].id);
        if (cause != causes.end()) cause->second = i;
    }
    std::vector<std::pair<DiagnosticPlace, std::size_t>> places;
    places.reserve(diagnostics.size());
    for (std::size_t i = 0; i < diagnostics.size(); ++i) {
        const Diagnostic& diagnostic = diagnostics[i];
        auto cause = diagnostic.cause == NO_CAUSE ? causes.end() : causes.find(diagnostic.cause);
        std::size_t root = cause == causes.end() ? i : cause->second;
        places.push_back({DiagnosticPlace{diagnostics[root].line, root, root != i, diagnostic.line, i}, i});
    }
    std::sort(places.begin(), places.end());
    std::vector<Diagnostic> sorted;
    sorted.reserve(diagnostics.size());
    for (const auto& place : places) sorted.push_back(std::move(diagnostics[place.second]));
    diagnostics = std::move(sorted);
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

std::uint32_t findNewRoomNumber(const MapCheck& check) {
    std::unordered_set<std::uint32_t> targets;
    for (const auto& entry : check.rooms) {
        for (std::uint32_t slot = 0; slot < MAX_EXITS; ++slot) {
            if (entry.second.exitLines[slot] != 0) targets.insert(entry.second.exits[slot].target);
        }
    }
    for (std::uint64_t free = std::uint64_t{check.highestRoom} + 1; free < UINT32_MAX; ++free) {
        if (targets.count(static_cast<std::uint32_t>(free)) == 0) return static_cast<std::uint32_t>(free);
    }
    return 0;
}

ExitSlots takenExits(const CheckedRoom& room) {
    ExitSlots taken;
    if (room.kind == Automatic) {
        taken.slots[taken.count++] = FIRST_EXIT;
        return taken;
    }
    char line[2];
    for (std::uint32_t slot = 0; slot < MAX_EXITS; ++slot) {
        if (lineTakingExit(room.kind, room.exits, slot, line)) taken.slots[taken.count++] = slot;
    }
    return taken;
}

std::vector<std::uint32_t> findEndings(const MapCheck& check) {
    std::vector<std::uint32_t> endings;
    for (const auto& entry : check.rooms) {
        if (entry.second.kind == GameOver) endings.push_back(entry.first);
    }
    std::sort(endings.begin(), endings.end());
    return endings;
}
