// The loader's second pass, one line at a time: what each map line does to
// the room table, decided without touching the table. The loader applies the
// steps to the table; the checker applies them to its own picture of the map
// and attaches line numbers. Both therefore follow the same rules.
#pragma once

#include <cstdint>

#include "map_defects.h"
#include "map_directives.h"

enum LoaderState {
    Outside = 0,        // description lines are ignored
    InDescription = 1,  // description lines are stored in the current room
};

struct LoaderCursor {
    std::uint32_t room = 0;       // where description lines and directives go
    std::uint32_t lineIndex = 0;  // next line slot of that room
    std::uint32_t exitIndex = 0;  // next exit slot of that room
    LoaderState state = Outside;
};

enum LoaderStepKind {
    SkipBlankLine,
    SkipComment,            // a directive with an unknown # word
    SkipDescription,        // a description line outside a room's description
    StoreLine,              // the line becomes line slot `slot` of `room`
    OpenRoom,               // `room` starts (again) at line and exit slot 0
    AddExit,                // `exitLine` fills exit slot `slot` of `room` and sets its kind
    EndWithGameOver,        // `room` becomes a GameOver room
    RefuseMap,              // `defect`: the load stops here
};

struct LoaderStep {
    LoaderStepKind kind;
    MapLineKind lineKind;
    std::uint32_t room;
    std::uint32_t slot;
    bool numberRead;        // a #helyiseg line: whether it had a room number
    ExitLine exitLine;      // an #irany line, as read
    MapDefect defect;
};

/// Whether a room already has a description, in whatever the caller fills.
using DescribedQuery = bool (*)(const void* context, std::uint32_t room);

/// Decides what `line`, of the kind classifyMapLine gives, does under
/// `cursor` and moves the cursor on.
LoaderStep stepLoader(LoaderCursor* cursor, const MapLine& line, MapLineKind kind,
                      DescribedQuery isRoomDescribed, const void* context);
