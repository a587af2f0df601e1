// Arbitrary bytes through the map line reader and the field scanner.
// Checks: no line is longer than 511 bytes; the lines put together are
// exactly the input up to its first 0x1A with each CR LF made LF; a line ends
// at LF, after 511 bytes or at the end; and the field scanner agrees with the
// C library's sscanf wherever sscanf is exact (numbers of at most 9 digits);
// a fact's value lies inside its line, and a fact taken keeps all of it.
#include <cstdio>
#include <cstring>
#include <string>

#include "fuzz_console.h"
#include "map_fields.h"
#include "map_directives.h"
#include "map_facts.h"
#include "map_lines.h"

namespace {

std::string cleanedBytes(const std::uint8_t* data, std::size_t size) {
    std::string bytes(reinterpret_cast<const char*>(data), size);
    std::size_t stop = bytes.find('\x1a');
    if (stop != std::string::npos) bytes.resize(stop);
    std::string cleaned;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') continue;
        cleaned += bytes[i];
    }
    return cleaned;
}

bool hasLongDigitRun(const std::string& text) {
    std::size_t run = 0;
    for (char byte : text) {
        run = (byte >= '0' && byte <= '9') ? run + 1 : 0;
        if (run > 9) return true;
    }
    return false;
}

void compareWithScanf(const std::string& text) {
    if (hasLongDigitRun(text)) return;
    std::uint32_t room = 12345;
    unsigned scanfRoom = 12345;
    int count = scanRoomNumber(text.data(), text.size(), &room);
    int scanfCount = std::sscanf(text.c_str(), "%*s %u", &scanfRoom);
    FUZZ_CHECK(count == (scanfCount < 0 ? 0 : scanfCount));
    FUZZ_CHECK(room == scanfRoom);

    ExitFields fields{'?', 777, '?'};
    char scanfKind = '?';
    unsigned scanfTarget = 777;
    char scanfKey = '?';
    int fieldCount = scanExitFields(text.data(), text.size(), &fields);
    int scanfFields = std::sscanf(text.c_str(), "%*s %c %u %c", &scanfKind, &scanfTarget, &scanfKey);
    FUZZ_CHECK(fieldCount == (scanfFields < 0 ? 0 : scanfFields));
    FUZZ_CHECK(fields.kindLetter == scanfKind);
    FUZZ_CHECK(fields.target == scanfTarget);
    FUZZ_CHECK(fields.key == scanfKey);
}

MapLineReader reader;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string expected = cleanedBytes(data, size);
    std::string joined;
    MapFacts facts;
    startMapLinesInMemory(&reader, reinterpret_cast<const char*>(data), size);
    MapLine line;
    std::uint64_t physicalLine = 1;
    bool lastLine = false;
    while (readMapLine(&reader, &line)) {
        FUZZ_CHECK(!lastLine);
        FUZZ_CHECK(line.length >= 1 && line.length <= MAP_LINE_MAX);
        FUZZ_CHECK(line.textLength <= line.length);
        FUZZ_CHECK(std::memchr(line.bytes, '\0', line.textLength) == nullptr);
        FUZZ_CHECK(line.textLength == line.length || line.bytes[line.textLength] == '\0');
        FUZZ_CHECK(line.physicalLine == physicalLine);
        const void* newline = std::memchr(line.bytes, '\n', line.length);
        FUZZ_CHECK(newline == nullptr || newline == line.bytes + line.length - 1);
        if (newline != nullptr) {
            ++physicalLine;
        } else if (line.length < MAP_LINE_MAX) {
            lastLine = true;  // only the end of the input ends a line early
        }
        joined.append(line.bytes, line.length);

        std::string text(line.bytes, line.textLength);
        MapFactLine fact = readMapFactLine(&facts, line, classifyMapLine(line));
        FUZZ_CHECK(fact.status == NotAFact || (fact.value >= line.bytes &&
                                               fact.value + fact.valueLength <= line.bytes + line.textLength));
        if (fact.status == FactTaken) {
            FUZZ_CHECK(std::strlen(facts.values[fact.fact]) == fact.valueLength);
            FUZZ_CHECK(std::memcmp(facts.values[fact.fact], fact.value, fact.valueLength) == 0);
        }
        compareWithScanf(text);
    }
    FUZZ_CHECK(joined == expected);
    FUZZ_CHECK(!readMapLine(&reader, &line));
    endMapLines(&reader);
    return 0;
}
