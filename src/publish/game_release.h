// A game released for players and archives: its facts as the published
// files show them, and the zip a game site takes (the page as index.html at
// the top, the map, its iFiction record and a README.txt). Bytes in, bytes
// out: reading and writing files is the caller's business.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "diagnostic_text.h"
#include "game_facts.h"
#include "page_template.h"
#include "zip_archive.h"

/// What the page shows before its engine is ready, for the map whose table
/// the runner has loaded: the game's output up to the first line a room
/// reads (`output`, "" for none) and that room, with how the page shows
/// them: the map's `encoding`, whether the heading (`facts.title`) only
/// repeats the start room's first line, and the room's named exits.
PageFirstScreen pageFirstScreen(const std::string& output, std::uint32_t room, MapEncoding encoding,
                                const GameFacts& facts);

/// The largest map the player page opens: a larger one is not published.
constexpr std::size_t MAX_PAGE_MAP_BYTES = std::size_t{64} << 20;

/// The error for a map larger than MAX_PAGE_MAP_BYTES.
ReportLine mapTooLargeError(const std::string& mapPath);


/// The warning for a map published without an #ifid, and the line that
/// gives it the fresh `ifid`.
std::vector<ReportLine> missingIfidWarning(const std::string& mapPath, const std::string& ifid);

/// The name of the map's iFiction record in the zip: the map's release name
/// (releaseFileName) with .iFiction in place of its extension ("castle.map"
/// gives "castle.iFiction").
std::string ifictionName(const std::string& mapName);

/// README.txt for the zip, with Windows line ends: the game's title, author
/// and blurb, and how to play it in a browser and in a console. In
/// Hungarian when the game's language is, otherwise in English.
std::string makeReleaseReadme(const GameFacts& facts, const std::string& mapName);

/// The zip of a release: `page` as index.html, the map under
/// releaseFileName(mapName), its iFiction record and README.txt, all dated
/// `time`. Returns false, with the reason in `error`, when the map's name is
/// one the zip's own files need, or the whole is too large for a zip.
bool makeReleaseZip(const std::string& page, const std::string& mapBytes, const std::string& mapName,
                    const GameFacts& facts, const ZipTime& time, std::string* zip, std::string* error);
