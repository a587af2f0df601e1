#include "loader_steps.h"

namespace {

LoaderStep refuse(LoaderStep step, DefectKind kind, const MapLine& line) {
    step.kind = RefuseMap;
    step.defect = MapDefect{kind, step.room, line.physicalLine};
    return step;
}

LoaderStep storeLine(LoaderCursor* cursor, LoaderStep step, const MapLine& line) {
    if (cursor->state != InDescription) {
        step.kind = SkipDescription;
        return step;
    }
    if (cursor->lineIndex >= MAX_LINES) return refuse(step, TooManyLines, line);
    step.kind = StoreLine;
    step.slot = cursor->lineIndex++;
    return step;
}

// A #helyiseg line without a number keeps the current room, and so opens it
// again.
LoaderStep openRoom(LoaderCursor* cursor, LoaderStep step, const MapLine& line,
                    DescribedQuery isRoomDescribed, const void* context) {
    step.numberRead = readHeadingNumber(line, &cursor->room);
    step.room = cursor->room;
    if (isRoomDescribed(context, cursor->room)) return refuse(step, DescribedTwice, line);
    step.kind = OpenRoom;
    cursor->state = InDescription;
    cursor->lineIndex = 0;
    cursor->exitIndex = 0;
    return step;
}

LoaderStep addExit(LoaderCursor* cursor, LoaderStep step, const MapLine& line) {
    step.exitLine = readExitLine(line);
    if (step.exitLine.fault != ExitLineValid) return refuse(step, MalformedExit, line);
    if (cursor->exitIndex >= MAX_EXITS) return refuse(step, TooManyExits, line);
    step.kind = AddExit;
    step.slot = cursor->exitIndex++;
    cursor->state = Outside;
    return step;
}

}  // namespace

LoaderStep stepLoader(LoaderCursor* cursor, const MapLine& line, MapLineKind kind,
                      DescribedQuery isRoomDescribed, const void* context) {
    LoaderStep step{};
    step.lineKind = kind;
    step.room = cursor->room;
    switch (step.lineKind) {
    case BlankLine:
        step.kind = SkipBlankLine;
        return step;
    case OtherDirective:
        step.kind = SkipComment;
        return step;
    case DescriptionLine:
        return storeLine(cursor, step, line);
    case RoomDirective:
        return openRoom(cursor, step, line, isRoomDescribed, context);
    case ExitDirective:
        return addExit(cursor, step, line);
    case GameOverDirective:
        step.kind = EndWithGameOver;
        cursor->state = Outside;
        return step;
    }
    return step;
}
