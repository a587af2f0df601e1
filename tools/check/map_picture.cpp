// The map as a Graphviz graph: a node per described or reachable room, shaped
// and coloured by kind, edges labelled with their keys, the start room marked,
// unreachable rooms and exits to missing rooms drawn apart.
#include <set>

#include "map_check.h"
#include "picture_text.h"

namespace {

// A room's first line as a label: without the white space around it, at most
// 36 characters, in UTF-8.
std::string labelText(const std::string& text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && isWhitespaceByte(text[begin])) ++begin;
    while (end > begin && isWhitespaceByte(text[end - 1])) --end;
    return graphvizEscaped(pictureText(text.substr(begin, end - begin), 36));
}

std::string nodeName(std::uint32_t room) {
    return "r" + std::to_string(room);
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

std::string edgeLabel(const CheckedRoom& room, const CheckedExit& exit) {
    if (room.kind == Automatic) return "auto";
    if (room.kind == WaitForEnter) return "Enter";
    return graphvizEscaped(describeKey(exit.key));
}

}  // namespace

std::string drawMap(const MapCheck& check, const std::string& name) {
    std::set<std::uint32_t> drawn;
    for (const auto& entry : check.rooms) {
        if (entry.second.descriptionLine != 0) drawn.insert(entry.first);
    }
    for (const auto& entry : check.reachedBy) drawn.insert(entry.first);

    std::string graph =
        "digraph " + graphvizQuoted(pictureText(name)) + " {\n"
        "  graph [rankdir=TB, fontname=\"Helvetica\", fontsize=11];\n"
        "  node [fontname=\"Helvetica\", fontsize=10];\n"
        "  edge [fontname=\"Helvetica\", fontsize=9];\n";
    if (check.hasStart) {
        graph += "  start [shape=circle, style=filled, fillcolor=black, fontcolor=white, label=\"start\", "
                 "fontsize=8, width=0.4, fixedsize=true];\n";
        graph += "  start -> " + nodeName(check.startRoom) + " [penwidth=2];\n";
    }
    std::string unreachable;
    std::set<std::uint32_t> missing;
    std::string edges;
    for (std::uint32_t number : drawn) {
        const CheckedRoom& room = roomAt(check, number);
        std::string label = std::to_string(number);
        if (room.descriptionLine != 0) label += "\\n" + labelText(room.firstLine);
        std::string node = "  " + nodeName(number) + " [label=\"" + label + "\", " + nodeStyle(room);
        if (check.hasStart && number == check.startRoom) node += ", penwidth=2";
        node += "];\n";
        if (check.reachedBy.count(number)) {
            graph += node;
        } else {
            unreachable += "  " + node;
        }
        for (const CheckedExit* exit : takenExits(room)) {
            std::string attributes = "label=\"" + edgeLabel(room, *exit) + "\"";
            if (room.kind == Automatic) attributes += ", style=dashed";
            std::string target = nodeName(exit->target);
            if (exit->target >= check.roomCount) {
                missing.insert(exit->target);
                target = "missing" + std::to_string(exit->target);
                attributes += ", color=red, fontcolor=red";
            }
            edges += "  " + nodeName(number) + " -> " + target + " [" + attributes + "];\n";
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
    return graph + edges + "}\n";
}
