// The page template: a built kaland.html, whose embedded map, title, author
// and language publishing replaces. The places are marked in web/player/page.html.
#pragma once

#include <string>

#include "game_facts.h"

/// The bytes in base64, whose alphabet holds no '<': embedded in the page,
/// no map can end the element that holds it.
std::string encodeBase64(const std::string& bytes);

/// Puts the map (its bytes and file name) and the game's facts into `page`:
/// the title and heading, the author under it, the page's language, and the
/// IFID, author and blurb as meta data. Returns false, with the reason in
/// `error`, when the template lacks one of its marked places.
bool fillPageTemplate(std::string* page, const std::string& mapBytes, const std::string& mapName,
                      const GameFacts& facts, std::string* error);
