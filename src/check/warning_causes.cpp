#include "warning_causes.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <string>

#include "move_rules.h"

namespace {

bool isDirective(const MisspeltDirective& misspelt, const char* directive) {
    return std::strcmp(misspelt.directive, directive) == 0;
}

// Numbers an author may have meant when writing `written`: one more or one
// less, or one decimal digit left out, added or swapped with the next, or
// changed where another digit stays (any one-digit number is one change
// from any other).
std::vector<std::uint32_t> numbersMeant(std::uint32_t written) {
    std::vector<std::uint64_t> numbers{std::uint64_t{written} + 1};
    if (written > 0) numbers.push_back(written - 1);
    const std::string digits = std::to_string(written);
    std::vector<std::string> variants;
    for (std::size_t at = 0; at <= digits.size(); ++at) {
        for (char digit = '0'; digit <= '9'; ++digit) {
            variants.push_back(digits.substr(0, at) + digit + digits.substr(at));
            if (at < digits.size() && digits.size() > 1) {
                variants.push_back(digits.substr(0, at) + digit + digits.substr(at + 1));
            }
        }
        if (at < digits.size()) variants.push_back(digits.substr(0, at) + digits.substr(at + 1));
        if (at + 1 < digits.size()) {
            std::string swapped = digits;
            std::swap(swapped[at], swapped[at + 1]);
            variants.push_back(swapped);
        }
    }
    for (const std::string& variant : variants) {
        if (variant.empty() || variant.size() > 10 || (variant[0] == '0' && variant.size() > 1)) continue;
        std::uint64_t number = 0;
        for (char digit : variant) number = number * 10 + static_cast<std::uint64_t>(digit - '0');
        numbers.push_back(number);
    }
    std::vector<std::uint32_t> meant;
    for (std::uint64_t number : numbers) {
        if (number != written && number < UINT32_MAX) meant.push_back(static_cast<std::uint32_t>(number));
    }
    std::sort(meant.begin(), meant.end());
    meant.erase(std::unique(meant.begin(), meant.end()), meant.end());
    return meant;
}

// A label for a room that reaches dead ends of more than one mistake, or
// some other trouble (an exit out of the table, a room without exits that
// has a warning of its own, passages or rooms that only lead round).
constexpr std::size_t MIXED = NO_CAUSE - 1;

struct StuckLabels {
    std::unordered_map<std::uint32_t, std::size_t> labels;
    std::deque<std::uint32_t> queue;

    void join(std::uint32_t room, std::size_t label) {
        auto entry = labels.emplace(room, label);
        if (!entry.second) {
            if (entry.first->second == label || entry.first->second == MIXED) return;
            entry.first->second = MIXED;
        }
        queue.push_back(room);
    }
};

// Whether a room that leads to no ending has trouble of its own, apart
// from the dead ends of the mistakes traced.
bool hasOtherTrouble(const MapCheck& check, std::uint32_t number, const CheckedRoom& room,
                     const WarningCauses& causes) {
    if (room.kind == Navigate && room.exitLines[FIRST_EXIT] == 0) return !causes.deadEnds.count(number);
    for (std::uint32_t slot : takenExits(room)) {
        if (room.exits[slot].target >= check.roomCount) return true;
    }
    return false;
}

// Marks each room that leads to no ending only because it leads into the
// dead end of one mistake: every way from it that does not go on for ever
// ends there. Rooms that also meet other trouble, or only go round, are
// left out: their warnings stay warnings.
void traceStuckRooms(const MapCheck& check, WarningCauses* causes) {
    if (causes->deadEnds.empty()) return;
    std::unordered_map<std::uint32_t, std::vector<std::uint32_t>> leadsHere;
    for (const auto& entry : check.rooms) {
        if (check.finishing.count(entry.first)) continue;
        for (std::uint32_t slot : takenExits(entry.second)) {
            std::uint32_t target = entry.second.exits[slot].target;
            if (target < check.roomCount) leadsHere[target].push_back(entry.first);
        }
    }
    StuckLabels stuck;
    auto spread = [&]() {
        while (!stuck.queue.empty()) {
            std::uint32_t room = stuck.queue.front();
            stuck.queue.pop_front();
            std::size_t label = stuck.labels[room];
            for (std::uint32_t from : leadsHere[room]) stuck.join(from, label);
        }
    };
    for (const auto& entry : causes->deadEnds) {
        if (!check.finishing.count(entry.first)) stuck.join(entry.first, entry.second);
    }
    for (const auto& entry : check.rooms) {
        if (!check.finishing.count(entry.first) && hasOtherTrouble(check, entry.first, entry.second, *causes)) {
            stuck.join(entry.first, MIXED);
        }
    }
    spread();
    // What reaches none of these only goes round, and whatever leads there
    // may go round too.
    for (const auto& entry : check.rooms) {
        if (!check.finishing.count(entry.first) && !stuck.labels.count(entry.first)) stuck.join(entry.first, MIXED);
    }
    spread();
    for (const auto& entry : stuck.labels) {
        if (entry.second != MIXED) causes->stuckBecause.emplace(entry.first, entry.second);
    }
}

// An unreachable room that an exit's number may have meant, and the
// unreachable rooms reached through it, go under that exit's warning.
void traceUnreachableRooms(const MapCheck& check, const UndescribedExit& exit, std::size_t warning,
                           WarningCauses* causes) {
    for (std::uint32_t meant : numbersMeant(exit.target)) {
        if (meant >= check.roomCount || roomAt(check, meant).headingLine == 0 || check.reachedBy.count(meant) ||
            causes->unreachableBecause.count(meant)) {
            continue;
        }
        std::deque<std::uint32_t> queue{meant};
        causes->unreachableBecause[meant] = {warning, exit.line};
        while (!queue.empty()) {
            const CheckedRoom& room = roomAt(check, queue.front());
            queue.pop_front();
            for (std::uint32_t slot : takenExits(room)) {
                std::uint32_t target = room.exits[slot].target;
                if (target >= check.roomCount || check.reachedBy.count(target) ||
                    !causes->unreachableBecause.emplace(target, std::make_pair(warning, exit.line)).second) {
                    continue;
                }
                causes->reachedThrough[target] = meant;
                queue.push_back(target);
            }
        }
    }
}

}  // namespace

std::vector<UndescribedExit> findUndescribedExits(const MapCheck& check, const std::vector<std::uint32_t>& numbers) {
    std::unordered_map<std::uint32_t, std::size_t> misspeltHeadings;
    for (const MisspeltDirective& misspelt : check.misspelt) {
        if (isDirective(misspelt, "#helyiseg") && misspelt.roomNumberGiven) {
            misspeltHeadings.emplace(misspelt.meantRoom, misspelt.warning);
        }
    }
    auto undescribed = [&check](const CheckedRoom& room, std::uint32_t slot) {
        std::uint32_t target = room.exits[slot].target;
        return room.exitLines[slot] != 0 && target < check.roomCount && roomAt(check, target).descriptionLine == 0;
    };
    std::vector<UndescribedExit> exits;
    for (std::uint32_t number : numbers) {
        const CheckedRoom& room = roomAt(check, number);
        bool any = false;
        for (std::uint32_t slot = 0; slot < MAX_EXITS && !any; ++slot) any = undescribed(room, slot);
        if (!any) continue;
        for (std::uint32_t slot : takenExits(room)) {
            if (!undescribed(room, slot)) continue;
            std::uint32_t target = room.exits[slot].target;
            auto heading = misspeltHeadings.find(target);
            exits.push_back(UndescribedExit{room.exitLines[slot], number, target,
                                            heading == misspeltHeadings.end() ? NO_CAUSE : heading->second});
        }
    }
    std::sort(exits.begin(), exits.end(),
              [](const UndescribedExit& a, const UndescribedExit& b) { return a.line < b.line; });
    return exits;
}

std::size_t movedByMisspelling(const MapCheck& check, std::uint64_t line) {
    const std::vector<MisspeltDirective>& misspelt = check.misspelt;
    auto after = std::upper_bound(misspelt.begin(), misspelt.end(), line,
                                  [](std::uint64_t at, const MisspeltDirective& m) { return at < m.line; });
    while (after != misspelt.begin()) {
        --after;
        if (isDirective(*after, "#helyiseg")) return line <= after->lastLine ? after->warning : NO_CAUSE;
    }
    return NO_CAUSE;
}

void addMisspeltEndings(const MapCheck& check, WarningCauses* causes) {
    for (const MisspeltDirective& misspelt : check.misspelt) {
        if (!isDirective(misspelt, "#gameover") || !misspelt.inRoom) continue;
        const CheckedRoom& room = roomAt(check, misspelt.room);
        if (room.kind == Navigate && room.exitLines[FIRST_EXIT] == 0) {
            causes->deadEnds.emplace(misspelt.room, misspelt.warning);
        }
    }
}

void traceConsequences(const MapCheck& check, WarningCauses* causes) {
    traceStuckRooms(check, causes);
    for (std::size_t i = 0; i < causes->undescribedExits.size(); ++i) {
        std::size_t warning = causes->exitWarnings[i];
        if (warning != NO_CAUSE) traceUnreachableRooms(check, causes->undescribedExits[i], warning, causes);
    }
}
