#include "game_release.h"

#include <vector>

#include "diagnostic_text.h"
#include "ifiction_record.h"
#include "named_exits.h"
#include "page_text.h"
#include "release_names.h"
#include "room_table.h"
#include "text_encoding.h"

namespace {

const char INDEX_NAME[] = "index.html";
const char README_NAME[] = "README.txt";

std::string lowercased(std::string text) {
    for (char& byte : text) byte = lowercaseByte(byte);
    return text;
}

std::string capitals(std::string text) {
    for (char& byte : text) {
        if (byte >= 'a' && byte <= 'z') byte = static_cast<char>(byte - ('a' - 'A'));
    }
    return text;
}

// How many characters a line of UTF-8 shows, for the line under a heading.
std::size_t characterCount(const std::string& text) {
    std::size_t count = 0;
    for (char byte : text) {
        if ((static_cast<unsigned char>(byte) & 0xC0) != 0x80) ++count;
    }
    return count;
}

struct ReadmeWords {
    const char* by;
    const char* howToPlay;
    const char* inBrowser;
    const char* inConsole;
    const char* keys;
};

const ReadmeWords ENGLISH = {
    "by ",
    "How to play",
    "In a web browser: open index.html. The game plays in the page, with\n"
    "nothing to install and nothing fetched from the network, and the page\n"
    "keeps your place for the next time you open it.\n",
    "In a console, with the kaland program:\n",
    "Each room shows its text. Type the key of an exit (the text names it) and\n"
    "press Enter; type exit to quit.\n",
};

const ReadmeWords HUNGARIAN = {
    "Írta: ",
    "Így játszhatsz",
    "Böngészőben: nyisd meg az index.html fájlt. A játék a lapon fut, semmit\n"
    "nem kell telepíteni, és a lap semmit nem tölt le a hálózatról; legközelebb\n"
    "ott folytathatod, ahol abbahagytad.\n",
    "Konzolban, a kaland programmal:\n",
    "Minden helyiség kiírja a szövegét. Írd be egy kijárat billentyűjét (a szöveg\n"
    "megnevezi), és nyomj Entert; a kilépéshez írd be: exit\n",
};

// Text with LF line ends made CR LF, for Notepad and its kind.
std::string withWindowsLineEnds(const std::string& text) {
    std::string out;
    for (char byte : text) {
        if (byte == '\n') out += '\r';
        out += byte;
    }
    return out;
}

}  // namespace

GameFacts gameFactsOf(const MapFacts& facts, MapEncoding encoding) {
    GameFacts game;
    game.title = withoutControlCharacters(mapTextToUtf8(mapFactValue(facts, TitleFact), encoding));
    game.author = withoutControlCharacters(mapTextToUtf8(mapFactValue(facts, AuthorFact), encoding));
    game.language = mapFactValue(facts, LanguageFact);
    game.ifid = capitals(mapFactValue(facts, IfidFact));
    game.blurb = withoutControlCharacters(mapTextToUtf8(mapFactValue(facts, BlurbFact), encoding));
    return game;
}

GameFacts readGameFacts(const std::string& map, const std::string& mapName, const MapCheck& check,
                        const std::string* title) {
    MapFacts facts;
    MapLineReader reader;
    if (startMapLinesInMemory(&reader, map.data(), map.size())) readMapFacts(&reader, &facts);
    endMapLines(&reader);
    GameFacts game = gameFactsOf(facts, check.encoding);
    std::string firstLine = check.hasStart ? trimmed(roomAt(check, check.startRoom).firstLine) : "";
    if (title != nullptr) {
        game.title = textToUtf8(*title);
    } else if (game.title.empty()) {
        game.title = firstLine.empty() ? textToUtf8(mapName) : mapTextToUtf8(firstLine, check.encoding);
    }
    game.title = withoutControlCharacters(game.title);
    return game;
}

PageFirstScreen pageFirstScreen(const std::string& output, std::uint32_t room, const MapCheck& check,
                                const GameFacts& facts) {
    PageFirstScreen screen;
    std::uint32_t start = findFirstDescribedRoom();
    if (output.empty() || room >= roomCount || start >= roomCount) return screen;
    screen.output = output;
    screen.encoding = mapEncodingLabel(check.encoding);
    // As the page decides once its engine is up: the start room's first line, trimmed.
    std::string firstLine = trimmed(rooms[start].lines[0]);
    screen.headingHidden = !firstLine.empty() && facts.title == mapTextToUtf8(firstLine, check.encoding);
    for (const NamedExit& exit : namedExits(rooms[room])) screen.exits += exit.key + exit.words + '\n';
    screen.waitsForEnter = rooms[room].kind == WaitForEnter;
    return screen;
}

std::string mapTooLargeError(const std::string& mapPath) {
    return mapPath + ": error: larger than " + std::to_string(MAX_PAGE_MAP_BYTES >> 20) +
           " MB, the most the page opens\n";
}

std::string runnerRefusalErrors(const std::string& mapPath, const MapCheck& check) {
    std::string errors;
    for (const Diagnostic& diagnostic : check.diagnostics) {
        if (diagnostic.severity == Error) errors += diagnosticLine(mapPath, diagnostic);
    }
    return errors + "kaland-publish: " + mapPath + ": kaland refuses this map; nothing written\n";
}

std::string makeIfid(const unsigned char random[16]) {
    static const char HEX[] = "0123456789ABCDEF";
    unsigned char bytes[16];
    for (int i = 0; i < 16; ++i) bytes[i] = random[i];
    bytes[6] = static_cast<unsigned char>((bytes[6] & 0x0F) | 0x40);  // version 4
    bytes[8] = static_cast<unsigned char>((bytes[8] & 0x3F) | 0x80);  // the RFC 4122 variant
    std::string ifid;
    for (int i = 0; i < 16; ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10) ifid += '-';
        ifid += HEX[bytes[i] >> 4];
        ifid += HEX[bytes[i] & 0x0F];
    }
    return ifid;
}

std::string missingIfidWarning(const std::string& mapPath, const std::string& ifid) {
    return mapPath + ": warning: no #ifid, the number that identifies a game in archives: this release gets a "
                     "fresh one; put this line before the first #helyiseg to keep it in every release:\n#ifid " +
           ifid + "\n";
}

std::string ifictionName(const std::string& mapName) {
    std::string name = releaseFileName(mapName);
    std::size_t dot = name.rfind('.');
    return releaseFileName((dot == std::string::npos || dot == 0 ? name : name.substr(0, dot)) + ".iFiction");
}

std::string makeReleaseReadme(const GameFacts& facts, const std::string& mapName) {
    const ReadmeWords& words = isHungarianTag(facts.language.c_str()) ? HUNGARIAN : ENGLISH;
    std::string text = facts.title + "\n" + std::string(characterCount(facts.title), '=') + "\n";
    if (!facts.author.empty()) text += words.by + facts.author + "\n";
    if (!facts.blurb.empty()) text += "\n" + facts.blurb + "\n";
    text += std::string("\n\n") + words.howToPlay + "\n" + std::string(characterCount(words.howToPlay), '-') +
            "\n" + words.inBrowser + "\n" + words.inConsole + "\n  kaland " +
            releaseFileName(mapName) + "\n\n" + words.keys;
    if (!facts.ifid.empty()) text += "\n\nIFID: " + facts.ifid + "\n";
    return withWindowsLineEnds(text);
}

bool makeReleaseZip(const std::string& page, const std::string& mapBytes, const std::string& mapName,
                    const GameFacts& facts, const ZipTime& time, std::string* zip, std::string* error) {
    std::string name = releaseFileName(mapName);
    std::string record = ifictionName(name);
    std::string lowerName = lowercased(name);
    if (lowerName == INDEX_NAME || lowerName == lowercased(README_NAME) || lowerName == lowercased(record)) {
        *error = "the zip holds a file named " + name + " of its own: rename the map";
        return false;
    }
    std::vector<ZipEntry> entries = {
        {INDEX_NAME, page},
        {name, mapBytes},
        {record, makeIfictionRecord(facts)},
        {README_NAME, makeReleaseReadme(facts, mapName)},
    };
    return makeZip(entries, time, zip, error);
}
