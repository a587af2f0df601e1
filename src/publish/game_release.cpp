#include "game_release.h"

#include <vector>

#include "file_names.h"
#include "ifiction_record.h"
#include "named_exits.h"
#include "page_text.h"
#include "room_table.h"
#include "text_bytes.h"
#include "text_encoding.h"

namespace {

const char INDEX_NAME[] = "index.html";
const char README_NAME[] = "README.txt";

std::string lowercased(std::string text) {
    for (char& byte : text) byte = lowercaseByte(byte);
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

PageFirstScreen pageFirstScreen(const std::string& output, std::uint32_t room, MapEncoding encoding,
                                const GameFacts& facts) {
    PageFirstScreen screen;
    std::uint32_t start = findFirstDescribedRoom();
    if (output.empty() || room >= roomCount || start >= roomCount) return screen;
    screen.output = output;
    screen.encoding = mapEncodingLabel(encoding);
    // As the page decides once its engine is up: the start room's first line, trimmed.
    std::string firstLine = trimmed(rooms[start].lines[0]);
    screen.headingHidden = !firstLine.empty() && facts.title == mapTextToUtf8(firstLine, encoding);
    for (const NamedExit& exit : namedExits(rooms[room])) screen.exits += exit.key + exit.words + '\n';
    screen.waitsForEnter = rooms[room].kind == WaitForEnter;
    screen.language = facts.language;
    return screen;
}

ReportLine mapTooLargeError(const std::string& mapPath) {
    return ReportLine{mapPath + ": error: larger than " + std::to_string(MAX_PAGE_MAP_BYTES >> 20) +
                      " MB, the most the page opens"};
}

std::vector<ReportLine> missingIfidWarning(const std::string& mapPath, const std::string& ifid) {
    return {ReportLine{mapPath + ": warning: no #ifid, the number that identifies a game in archives: this release "
                                 "gets a fresh one; put this line before the first #helyiseg to keep it in every "
                                 "release:"},
            ReportLine{"#ifid " + ifid}};
}

std::string ifictionName(const std::string& mapName) {
    // Named after the map's entry in the zip, which may differ from its file.
    return fileNamedAfter(releaseFileName(mapName), ".iFiction");
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
