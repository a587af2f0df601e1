#include "page_template.h"

#include "page_text.h"
#include "release_names.h"

namespace {

const char TITLE_START[] = "<title>";
const char TITLE_END[] = "</title>";
const char HEADING_START[] = "<h1 id=\"kaland-title\" data-source=\"engine\">";
const char HEADING_FIXED[] = "<h1 id=\"kaland-title\" data-source=\"page\">";
const char HEADING_END[] = "</h1>";
const char MAP_START[] = "<script type=\"application/octet-stream\" id=\"kaland-map\" data-name=\"";
const char MAP_END[] = "</script>";
const char FIRST_SCREEN_START[] = "<script type=\"application/octet-stream\" id=\"kaland-first-screen\"";
const char LANGUAGE_MARK[] = "<html lang=\"en\">";
const char AUTHOR_MARK[] = "<p id=\"kaland-author\" hidden></p>";
const char IFICTION_PREFIX[] = "ifiction: http://babel.ifarchive.org/protocol/iFiction/";

// Replaces the text from `start` up to and including the first `end` after
// it with `replacement`. False when either is missing.
bool replaceMarked(std::string* page, const std::string& start, const std::string& end,
                   const std::string& replacement) {
    std::size_t begin = page->find(start);
    if (begin == std::string::npos) return false;
    std::size_t finish = page->find(end, begin + start.size());
    if (finish == std::string::npos) return false;
    page->replace(begin, finish + end.size() - begin, replacement);
    return true;
}

// Meta data for archives and link previews, after the title: the IFID as
// the archive's tools find it in a web page, the author and the blurb.
std::string metaData(const GameFacts& facts) {
    std::string meta;
    if (!facts.ifid.empty()) {
        meta += std::string("\n<meta prefix=\"") + IFICTION_PREFIX + "\" property=\"ifiction:ifid\" content=\"" +
                escapeHtml(facts.ifid) + "\">";
    }
    if (!facts.author.empty()) meta += "\n<meta name=\"author\" content=\"" + escapeHtml(facts.author) + "\">";
    if (!facts.blurb.empty()) meta += "\n<meta name=\"description\" content=\"" + escapeHtml(facts.blurb) + "\">";
    return meta;
}

}  // namespace

std::string encodeBase64(const std::string& bytes) {
    static const char ALPHABET[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string encoded;
    encoded.reserve((bytes.size() + 2) / 3 * 4);
    std::size_t index = 0;
    for (; index + 2 < bytes.size(); index += 3) {
        unsigned value = static_cast<unsigned char>(bytes[index]) << 16 |
                         static_cast<unsigned char>(bytes[index + 1]) << 8 |
                         static_cast<unsigned char>(bytes[index + 2]);
        for (int shift = 18; shift >= 0; shift -= 6) encoded += ALPHABET[(value >> shift) & 0x3F];
    }
    std::size_t rest = bytes.size() - index;
    if (rest > 0) {
        unsigned value = static_cast<unsigned char>(bytes[index]) << 16;
        if (rest == 2) value |= static_cast<unsigned char>(bytes[index + 1]) << 8;
        encoded += ALPHABET[(value >> 18) & 0x3F];
        encoded += ALPHABET[(value >> 12) & 0x3F];
        encoded += rest == 2 ? ALPHABET[(value >> 6) & 0x3F] : '=';
        encoded += '=';
    }
    return encoded;
}

bool fillPageTemplate(std::string* page, const std::string& mapBytes, const std::string& mapName,
                      const GameFacts& facts, std::string* error) {
    std::string shownTitle = escapeHtml(facts.title);
    // From the end of the page to its start: the map first, as it comes
    // after everything else, and no text put in may be searched for markers.
    if (!replaceMarked(page, MAP_START, MAP_END,
                       MAP_START + escapeHtml(releaseFileName(mapName)) + "\">" + encodeBase64(mapBytes) + MAP_END)) {
        *error = "the embedded map's element";
    } else if (!facts.author.empty() &&
               !replaceMarked(page, AUTHOR_MARK, "",
                              "<p id=\"kaland-author\">" + escapeHtml(facts.author) + "</p>")) {
        *error = "the author's place";
    } else if (!replaceMarked(page, HEADING_START, HEADING_END, HEADING_FIXED + shownTitle + HEADING_END)) {
        *error = "the heading";
    } else if (!replaceMarked(page, TITLE_START, TITLE_END, TITLE_START + shownTitle + TITLE_END + metaData(facts))) {
        *error = "the title";
    } else if (!facts.language.empty() &&
               !replaceMarked(page, LANGUAGE_MARK, "", "<html lang=\"" + escapeHtml(facts.language) + "\">")) {
        *error = "the page's language";
    } else {
        return true;
    }
    return false;
}

bool fillFirstScreen(std::string* page, const PageFirstScreen& screen) {
    std::string element = FIRST_SCREEN_START;
    if (!screen.output.empty()) {
        element += " data-encoding=\"" + escapeHtml(screen.encoding) + "\"";
        if (screen.headingHidden) element += " data-heading=\"hidden\"";
        if (!screen.exits.empty()) element += " data-exits=\"" + encodeBase64(screen.exits) + "\"";
        if (screen.waitsForEnter) element += " data-enter=\"1\"";
    }
    element += ">" + encodeBase64(screen.output) + MAP_END;
    return replaceMarked(page, FIRST_SCREEN_START, MAP_END, element);
}
