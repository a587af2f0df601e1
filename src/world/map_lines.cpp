#include "map_lines.h"

#include <cstring>

namespace {

constexpr char CONTROL_Z = 0x1A;

void resetReader(MapLineReader* reader) {
    reader->memoryOffset = 0;
    reader->begin = 0;
    reader->end = 0;
    reader->nextNul = 0;
    reader->heldCarriageReturn = false;
    reader->finished = false;
    reader->sawControlZ = false;
    reader->bytesAfterControlZ = false;
    reader->physicalLine = 1;
}

// Copies up to `capacity` raw bytes from the source. A short count means the
// source is at its end (or failed, which counts the same).
std::size_t readRawBytes(MapLineReader* reader, char* destination, std::size_t capacity) {
    if (reader->file != nullptr) return std::fread(destination, 1, capacity, reader->file);
    std::size_t available = reader->memorySize - reader->memoryOffset;
    std::size_t count = available < capacity ? available : capacity;
    if (count > 0) std::memcpy(destination, reader->memory + reader->memoryOffset, count);
    reader->memoryOffset += count;
    return count;
}

bool sourceHasMoreBytes(MapLineReader* reader) {
    if (reader->file != nullptr) return std::fgetc(reader->file) != EOF;
    return reader->memoryOffset < reader->memorySize;
}

// Drops each CR that is directly followed by LF, in place. A CR at the very
// end is held back until the next read shows what follows it, unless nothing
// follows. Returns the new count.
std::size_t dropCarriageReturns(MapLineReader* reader, char* bytes, std::size_t count) {
    char* carriageReturn = static_cast<char*>(std::memchr(bytes, '\r', count));
    if (carriageReturn == nullptr) return count;
    std::size_t kept = static_cast<std::size_t>(carriageReturn - bytes);
    for (std::size_t i = kept; i < count; ++i) {
        char byte = bytes[i];
        if (byte == '\r') {
            if (i + 1 < count) {
                if (bytes[i + 1] == '\n') continue;
            } else if (!reader->finished) {
                reader->heldCarriageReturn = true;
                continue;
            }
        }
        bytes[kept++] = byte;
    }
    return kept;
}

// Whether `word` is `keyword` (given in small letters) once it is lowercased.
bool isKeyword(const char* word, std::size_t length, const char* keyword) {
    for (std::size_t i = 0; i < length; ++i) {
        if (keyword[i] == '\0' || lowercaseByte(word[i]) != keyword[i]) return false;
    }
    return keyword[length] == '\0';
}

void findNextNul(MapLineReader* reader) {
    std::size_t pending = reader->end - reader->begin;
    const void* nul = std::memchr(reader->block + reader->begin, '\0', pending);
    reader->nextNul = nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - reader->block)
                          : reader->end;
}

// Moves the bytes not yet handed out to the front and reads the next block
// behind them, cleaned by the map's byte rules.
void refillBlock(MapLineReader* reader) {
    std::size_t pending = reader->end - reader->begin;
    if (reader->begin > 0) {
        std::memmove(reader->block, reader->block + reader->begin, pending);
        reader->begin = 0;
        reader->end = pending;
    }
    char* fresh = reader->block + reader->end;
    std::size_t capacity = sizeof(reader->block) - reader->end;
    std::size_t count = 0;
    if (reader->heldCarriageReturn) {
        fresh[count++] = '\r';
        reader->heldCarriageReturn = false;
    }
    std::size_t wanted = capacity - count;
    std::size_t got = readRawBytes(reader, fresh + count, wanted);
    count += got;
    if (got < wanted) reader->finished = true;

    if (const void* stop = std::memchr(fresh, CONTROL_Z, count)) {
        std::size_t before = static_cast<std::size_t>(static_cast<const char*>(stop) - fresh);
        reader->sawControlZ = true;
        reader->bytesAfterControlZ = before + 1 < count || (!reader->finished && sourceHasMoreBytes(reader));
        reader->finished = true;
        count = before;
    }
    reader->end += dropCarriageReturns(reader, fresh, count);
    findNextNul(reader);
}

}  // namespace

void startMapLines(MapLineReader* reader, std::FILE* file) {
    reader->file = file;
    reader->memory = nullptr;
    reader->memorySize = 0;
    resetReader(reader);
}

void startMapLinesInMemory(MapLineReader* reader, const char* data, std::size_t size) {
    reader->file = nullptr;
    reader->memory = data;
    reader->memorySize = size;
    resetReader(reader);
}

void restartMapLines(MapLineReader* reader) {
    if (reader->file != nullptr) std::rewind(reader->file);
    resetReader(reader);
}

bool readMapLine(MapLineReader* reader, MapLine* line) {
    while (reader->end - reader->begin < MAP_LINE_MAX && !reader->finished) refillBlock(reader);
    std::size_t available = reader->end - reader->begin;
    if (available == 0) return false;

    const char* start = reader->block + reader->begin;
    std::size_t window = available < MAP_LINE_MAX ? available : MAP_LINE_MAX;
    const void* newline = std::memchr(start, '\n', window);
    std::size_t length =
        newline ? static_cast<std::size_t>(static_cast<const char*>(newline) - start) + 1 : window;

    line->bytes = start;
    line->length = length;
    line->textLength = length;
    line->physicalLine = reader->physicalLine;
    std::size_t lineEnd = reader->begin + length;
    if (reader->nextNul < lineEnd) {
        line->textLength = reader->nextNul - reader->begin;
        reader->begin = lineEnd;
        findNextNul(reader);
    } else {
        reader->begin = lineEnd;
    }
    if (newline != nullptr) ++reader->physicalLine;
    return true;
}

bool findFirstWord(const char* text, std::size_t length, std::size_t* wordBegin,
                   std::size_t* wordLength) {
    std::size_t position = 0;
    while (position < length && isWhitespaceByte(text[position])) ++position;
    if (position == length) return false;
    std::size_t wordEnd = position;
    while (wordEnd < length && !isWhitespaceByte(text[wordEnd])) ++wordEnd;
    *wordBegin = position;
    *wordLength = wordEnd - position;
    return true;
}

MapLineKind classifyMapLine(const MapLine& line) {
    const char* text = line.bytes;
    std::size_t length = line.textLength;
    std::size_t wordBegin = 0;
    while (wordBegin < length && isWhitespaceByte(text[wordBegin])) ++wordBegin;
    if (wordBegin == length) return BlankLine;
    if (text[wordBegin] != '#') return DescriptionLine;  // most lines stop here
    std::size_t wordEnd = wordBegin;
    while (wordEnd < length && !isWhitespaceByte(text[wordEnd])) ++wordEnd;
    const char* word = text + wordBegin;
    std::size_t wordLength = wordEnd - wordBegin;
    if (isKeyword(word, wordLength, "#helyiseg")) return RoomDirective;
    if (isKeyword(word, wordLength, "#irany")) return ExitDirective;
    if (isKeyword(word, wordLength, "#gameover")) return GameOverDirective;
    return OtherDirective;
}
