#include "ifiction_record.h"

#include "text_encoding.h"

namespace {

constexpr char32_t REPLACEMENT_CHARACTER = 0xFFFD;

bool isXmlCharacter(char32_t character) {
    if (character < 0x20) return character == '\t' || character == '\n' || character == '\r';
    return character != 0xFFFE && character != 0xFFFF;
}

void addElement(std::string* record, const char* indent, const char* name, const std::string& text) {
    if (text.empty()) return;
    *record += std::string(indent) + "<" + name + ">" + escapeXml(text) + "</" + name + ">\n";
}

}  // namespace

std::string escapeXml(const std::string& text) {
    std::string escaped;
    char encoded[4];
    char32_t character = 0;
    for (std::size_t at = 0; at < text.size();) {
        // A byte that starts no UTF-8 character reads as U+FFFD.
        at += readMapCharacter(text.data(), text.size(), at, MapInUtf8, &character);
        switch (character) {
        case '&': escaped += "&amp;"; break;
        case '<': escaped += "&lt;"; break;
        case '>': escaped += "&gt;"; break;
        case '"': escaped += "&quot;"; break;
        case '\'': escaped += "&apos;"; break;
        default:
            if (!isXmlCharacter(character)) character = REPLACEMENT_CHARACTER;
            escaped.append(encoded, encodeUtf8(character, encoded));
        }
    }
    return escaped;
}

std::string makeIfictionRecord(const GameFacts& facts) {
    const char* inner = "      ";
    std::string record =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<ifindex version=\"1.0\" xmlns=\"http://babel.ifarchive.org/protocol/iFiction/\">\n"
        "  <story>\n"
        "    <identification>\n";
    addElement(&record, inner, "ifid", facts.ifid);
    record +=
        "      <format>html</format>\n"
        "    </identification>\n"
        "    <bibliographic>\n";
    addElement(&record, inner, "title", facts.title);
    addElement(&record, inner, "author", facts.author.empty() ? std::string("Anonymous") : facts.author);
    addElement(&record, inner, "language", facts.language);
    // The blurb is one line: the tag line under the title in a catalogue,
    // and the description that an archive shows on the game's own page.
    addElement(&record, inner, "headline", facts.blurb);
    addElement(&record, inner, "description", facts.blurb);
    record +=
        "    </bibliographic>\n"
        "  </story>\n"
        "</ifindex>\n";
    return record;
}
