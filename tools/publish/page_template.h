// The page template: a built kaland.html, whose embedded map and title
// publishing replaces. The places are marked in web/page.html.
#pragma once

#include <string>

/// The bytes in base64, whose alphabet holds no '<': embedded in the page,
/// no map can end the element that holds it.
std::string encodeBase64(const std::string& bytes);

/// Puts the map (its bytes and file name) and the title (UTF-8 text, shown
/// as text) into `page`. Returns false, with the reason in `error`, when
/// the template lacks one of its marked places.
bool fillPageTemplate(std::string* page, const std::string& mapBytes, const std::string& mapName,
                      const std::string& title, std::string* error);
