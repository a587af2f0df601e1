#include "game_facts.h"

#include "page_text.h"

namespace {

std::string capitals(std::string text) {
    for (char& byte : text) {
        if (byte >= 'a' && byte <= 'z') byte = static_cast<char>(byte - ('a' - 'A'));
    }
    return text;
}

}  // namespace

std::string gameTitle(const MapFacts& facts, MapEncoding encoding, const std::string& startText,
                      const std::string& mapName) {
    if (facts.given[TitleFact]) return mapTextToUtf8(facts.values[TitleFact], encoding);
    if (!startText.empty()) return mapTextToUtf8(startText, encoding);
    return mapName.empty() ? "kaland" : textToUtf8(mapName);
}

const char* pageWordsLanguage(const char* tag) {
    if (isHungarianTag(tag)) return "hu";
    return tagNamesLanguage(tag, "en") ? "en" : "";
}

GameFacts readGameFacts(const std::string& bytes, const std::string& mapName, MapEncoding encoding,
                        const std::string& startText, const std::string* title) {
    MapFacts facts;
    MapLineReader reader;
    if (startMapLinesInMemory(&reader, bytes.data(), bytes.size())) readMapFacts(&reader, &facts);
    endMapLines(&reader);
    GameFacts game;
    // The release's files show no control character of the map's.
    game.title = withoutControlCharacters(title != nullptr ? textToUtf8(*title)
                                                           : gameTitle(facts, encoding, startText, mapName));
    game.author = withoutControlCharacters(mapTextToUtf8(mapFactValue(facts, AuthorFact), encoding));
    game.language = mapFactValue(facts, LanguageFact);
    game.ifid = capitals(mapFactValue(facts, IfidFact));
    game.blurb = withoutControlCharacters(mapTextToUtf8(mapFactValue(facts, BlurbFact), encoding));
    return game;
}
