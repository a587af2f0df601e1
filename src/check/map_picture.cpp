#include "map_picture.h"

#include <set>
#include <vector>

#include "diagnostic_text.h"
#include "picture_text.h"

namespace {

// A room's first line as a label: without the white space around it, at most
// 36 characters, in UTF-8.
std::string labelText(const std::string& text, MapEncoding encoding) {
    return graphvizEscaped(pictureText(trimmed(text), encoding, 36));
}

std::string nodeStyle(const CheckedRoom& room) {
    switch (room.kind) {
    case Automatic:
        return "shape=box, style=\"rounded,filled,dashed\", fillcolor=\"#e4ecfb\"";
    case WaitForEnter:
        return "shape=box, style=\"rounded,filled\", fillcolor=\"#fff1cc\"";
    case GameOver:
        return "shape=doubleoctagon, style=filled, fillcolor=\"#f9d0d0\"";
    default:
        return "shape=box, style=filled, fillcolor=white";
    }
}

std::string edgeLabel(const CheckedRoom& room, std::uint32_t slot) {
    if (room.kind == Automatic) return "auto";
    if (room.kind == WaitForEnter) return "Enter";
    return graphvizEscaped(describeKey(room.exits[slot].key));
}

std::string nodeLine(const MapCheck& check, std::uint32_t number) {
    const CheckedRoom& room = roomAt(check, number);
    std::string node = "  " + roomNodeName(number) + " [label=\"" + std::to_string(number);
    if (room.descriptionLine != 0) {
        node += "\\n" + labelText(room.firstLine, check.encoding) + "\", " + nodeStyle(room);
    } else {
        node += "\\n(no description)\", shape=octagon, color=red, fontcolor=red";
    }
    if (check.hasStart && number == check.startRoom) node += ", penwidth=2";
    return node + "];\n";
}

}  // namespace

std::set<std::uint32_t> roomsDrawn(const MapCheck& check) {
    std::set<std::uint32_t> drawn;
    for (const auto& entry : check.rooms) {
        if (entry.second.descriptionLine != 0) drawn.insert(entry.first);
    }
    for (const auto& entry : check.reachedBy) drawn.insert(entry.first);
    std::vector<std::uint32_t> pending(drawn.begin(), drawn.end());
    while (!pending.empty()) {
        const CheckedRoom& room = roomAt(check, pending.back());
        pending.pop_back();
        for (std::uint32_t slot : takenExits(room)) {
            std::uint32_t target = room.exits[slot].target;
            if (target < check.roomCount && drawn.insert(target).second) pending.push_back(target);
        }
    }
    return drawn;
}

PictureSize measureMapPicture(const MapCheck& check) {
    std::set<std::uint32_t> drawn = roomsDrawn(check);
    PictureSize size{drawn.size(), check.hasStart ? 1u : 0u};
    for (std::uint32_t number : drawn) size.edges += takenExits(roomAt(check, number)).count;
    return size;
}

std::string roomNodeName(std::uint32_t room) {
    return "r" + std::to_string(room);
}

std::string drawMap(const MapCheck& check, const std::string& name, std::vector<std::uint64_t>* edgeLines) {
    std::vector<std::uint64_t> lines;
    std::set<std::uint32_t> drawn = roomsDrawn(check);
    std::string graph =
        "digraph " + graphvizQuoted(pictureText(name, decideMapEncoding(name.data(), name.size()))) + " {\n"
        "  graph [rankdir=TB, fontname=\"Helvetica\", fontsize=11];\n"
        "  node [fontname=\"Helvetica\", fontsize=10];\n"
        "  edge [fontname=\"Helvetica\", fontsize=9];\n";
    if (check.hasStart) {
        graph += "  start [shape=circle, style=filled, fillcolor=black, fontcolor=white, label=\"start\", "
                 "fontsize=8, width=0.4, fixedsize=true];\n";
        graph += "  start -> " + roomNodeName(check.startRoom) + " [penwidth=2];\n";
        lines.push_back(0);
    }
    std::string unreachable;
    std::set<std::uint32_t> missing;
    std::string edges;
    for (std::uint32_t number : drawn) {
        const CheckedRoom& room = roomAt(check, number);
        std::string node = nodeLine(check, number);
        if (check.reachedBy.count(number)) {
            graph += node;
        } else {
            unreachable += "  " + node;
        }
        for (std::uint32_t slot : takenExits(room)) {
            std::uint32_t exitTarget = room.exits[slot].target;
            std::string attributes = "label=\"" + edgeLabel(room, slot) + "\"";
            if (room.kind == Automatic) attributes += ", style=dashed";
            std::string target = roomNodeName(exitTarget);
            if (exitTarget >= check.roomCount) {
                missing.insert(exitTarget);
                target = "missing" + std::to_string(exitTarget);
            }
            if (exitTarget >= check.roomCount || roomAt(check, exitTarget).descriptionLine == 0) {
                attributes += ", color=red, fontcolor=red";
            }
            edges += "  " + roomNodeName(number) + " -> " + target + " [" + attributes + "];\n";
            lines.push_back(room.exitLines[slot]);
        }
    }
    if (!unreachable.empty()) {
        graph += "  subgraph cluster_unreachable {\n    label=\"unreachable\"; style=dashed; color=gray;\n" +
                 unreachable + "  }\n";
    }
    for (std::uint32_t target : missing) {
        graph += "  missing" + std::to_string(target) + " [label=\"" + std::to_string(target) +
                 "\\n(no such room)\", shape=octagon, color=red, fontcolor=red];\n";
    }
    if (edgeLines != nullptr) edgeLines->swap(lines);
    return graph + edges + "}\n";
}
