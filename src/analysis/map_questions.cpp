#include "map_questions.h"

#include <algorithm>
#include <set>

#include "diagnostic_text.h"
#include "map_facts.h"
#include "map_mending.h"
#include "map_picture.h"
#include "room_table.h"
#include "text_bytes.h"

bool roomAtLine(const MapAnalysis& analysis, std::uint64_t line, std::uint32_t* room) {
    const HeadingLine* heading = headingAbove(analysis.outline, line);
    if (heading == nullptr) return false;
    *room = heading->room;
    return true;
}

Mending addRoomAtLine(const MapAnalysis& analysis, std::uint64_t line) {
    std::uint32_t room = 0;
    if (!roomAtLine(analysis, line, &room)) return Mending{};
    return addRoomMending(analysis.check, room);
}

Mending freshIfidMending(const MapAnalysis& analysis, const unsigned char random[16]) {
    return ifidMending(analysis.check, makeIfid(random));
}

bool isRoomDescribed(const MapAnalysis& analysis, std::uint32_t room) {
    return room < analysis.check.roomCount && roomAt(analysis.check, room).descriptionLine != 0;
}

MapExit mapExit(const MapAnalysis& analysis, std::uint32_t room, std::uint32_t slot) {
    const CheckedRoom& checked = roomAt(analysis.check, room);
    return slot < MAX_EXITS ? MapExit{checked.exits[slot].target, checked.exitLines[slot]} : MapExit{0, 0};
}

std::string startRoomText(const MapAnalysis& analysis) {
    const MapCheck& check = analysis.check;
    return check.hasStart ? trimmed(roomAt(check, check.startRoom).firstLine) : "";
}

const char* mapLineSeparator(const MapAnalysis& analysis) {
    const std::string& bytes = analysis.bytes;
    std::size_t lineFeeds = 0;
    for (std::size_t at = 0; at < bytes.size(); ++at) {
        if (bytes[at] == '\n') {
            ++lineFeeds;
            if (at == 0 || bytes[at - 1] != '\r') return "\n";
        } else if (bytes[at] == '\r' && (at + 1 == bytes.size() || bytes[at + 1] != '\n')) {
            return "\n";
        }
    }
    return lineFeeds > 0 ? "\r\n" : "\n";
}

namespace {

// Words of room text as the runner shows it: runs of bytes that are not
// white space, over every line the table holds.
std::uint64_t countWords(const MapCheck& check) {
    std::uint64_t count = 0;
    for (const auto& entry : check.rooms) {
        for (const char* line : rooms[entry.first].lines) {
            for (bool inWord = false; line != nullptr && *line != '\0'; ++line) {
                bool wordByte = !isWhitespaceByte(*line);
                count += wordByte && !inWord;
                inWord = wordByte;
            }
        }
    }
    return count;
}

}  // namespace

MapFigures mapFigures(MapAnalysis* analysis) {
    const MapCheck& check = analysis->check;
    MapFigures figures;
    for (const auto& entry : check.rooms) figures.describedRooms += entry.second.descriptionLine != 0;
    std::vector<std::uint32_t> endings = findEndings(check);
    figures.endings = static_cast<std::uint32_t>(endings.size());
    if (loadRunnerTable(analysis).kind == NoDefect) {
        figures.wordsCounted = true;
        figures.words = countWords(check);
    }
    if (!runnerLoadsMap(*analysis)) return figures;
    for (const KeyRoute& route : findRoutes(check, endings).routes) {
        if (figures.hasRoute && route.lines <= figures.longestRoute) continue;
        figures.hasRoute = true;
        figures.longestRoute = route.lines;
        figures.longestRouteTo = route.room;
    }
    return figures;
}

PictureSize mapPictureSize(const MapAnalysis& analysis) {
    return measureMapPicture(analysis.check);
}

MapPicture drawMapPicture(const MapAnalysis& analysis, const std::string& name) {
    MapPicture picture;
    picture.dot = drawMap(analysis.check, name, &picture.edgeLines);
    for (std::uint32_t room : roomsDrawn(analysis.check)) {
        picture.nodes.push_back(PictureNode{room, roomNodeName(room), roomLine(analysis.check, room)});
    }
    return picture;
}
