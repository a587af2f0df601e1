#include "text_bytes.h"

void lowercaseInPlace(char* text) {
    for (; *text != '\0'; ++text) *text = lowercaseByte(*text);
}

namespace {

// The length of the sequence a lead byte starts, and the range its second
// byte must fall in (which rules out overlong forms, surrogates and code
// points past U+10FFFF); length 0 for a byte that cannot start one.
struct Utf8Lead {
    std::size_t length;
    unsigned char secondLow;
    unsigned char secondHigh;
};

Utf8Lead utf8Lead(unsigned char byte) {
    if (byte >= 0xC2 && byte <= 0xDF) return {2, 0x80, 0xBF};
    if (byte == 0xE0) return {3, 0xA0, 0xBF};
    if (byte == 0xED) return {3, 0x80, 0x9F};
    if (byte >= 0xE1 && byte <= 0xEF) return {3, 0x80, 0xBF};
    if (byte == 0xF0) return {4, 0x90, 0xBF};
    if (byte >= 0xF1 && byte <= 0xF3) return {4, 0x80, 0xBF};
    if (byte == 0xF4) return {4, 0x80, 0x8F};
    return {0, 0, 0};
}

}  // namespace

TextEncoding classifyTextEncoding(const char* bytes, std::size_t length) {
    const auto* text = reinterpret_cast<const unsigned char*>(bytes);
    TextEncoding found = AsciiText;
    std::size_t at = 0;
    while (at < length) {
        if (text[at] < 0x80) {
            ++at;
            continue;
        }
        Utf8Lead lead = utf8Lead(text[at]);
        if (lead.length == 0) return OtherText;
        for (std::size_t next = 1; next < lead.length && at + next < length; ++next) {
            unsigned char low = next == 1 ? lead.secondLow : 0x80;
            unsigned char high = next == 1 ? lead.secondHigh : 0xBF;
            if (text[at + next] < low || text[at + next] > high) return OtherText;
        }
        found = Utf8Text;
        at += lead.length;
    }
    return found;
}
