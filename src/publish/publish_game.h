// Publishing a map, as kaland-publish and the studio both do it: what the
// checker's reading of the map allows, then the page and the zip, made in
// memory from the map's analysis. Reading the template and writing the files
// are the host's.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "analysis.h"
#include "diagnostic_text.h"
#include "zip_archive.h"

// What publishing makes of the checker's reading of a map.
struct PublishCheck {
    bool refused = false;             // the runner refuses the map: nothing is published
    std::vector<ReportLine> errors;   // then: each error, and that nothing was written
    // Otherwise each warning with the notes of what follows from it (a note
    // that stands alone is a hint, not a warning), as kaland-check prints them.
    std::vector<ReportLine> warnings;
    std::size_t warningCount = 0;
};

/// What publishing says of the map `name` (a name in messages) before it
/// makes anything.
PublishCheck checkForPublishing(const MapAnalysis& analysis, const std::string& name);

/// What --strict makes of the check: publishing nothing when the checker
/// warns, with the line that says so; no line when publishing goes on.
std::vector<ReportLine> strictRefusal(const PublishCheck& check, const std::string& name, bool strict);

struct PublishRequest {
    std::string name;                 // the map's name in messages
    std::string fileName;             // its file name, as the page and the zip name it
    const std::string* title = nullptr;  // a title of its own (command-line text), or null
    std::string pageTemplate;         // a built kaland.html
    bool zip = false;                 // make the release zip too
    ZipTime time;                     // the zip's date: when the map was last changed
    unsigned char random[16] = {};    // the bytes of a fresh IFID, for a map without #ifid
};

enum PublishFailure {
    Published,
    TemplateLacksPlace,  // the template is no kaland page: `reason` names the place it lacks
    ZipFailed,           // the zip cannot be made: `reason` says why
};

struct PublishedGame {
    PublishFailure failure = Published;
    std::string reason;
    std::string page;
    std::string zip;                  // with `zip` asked for
    std::vector<ReportLine> warnings;  // about the fresh IFID a map without one gets
};

/// The page (and the zip) of a map the runner loads, whose bytes the
/// analysis holds. The page shows the game's first screen before its engine
/// is ready: the analysis plays it on the runner's table, through the
/// script console the host brings (script_console.h).
PublishedGame publishGame(MapAnalysis* analysis, const PublishRequest& request);
