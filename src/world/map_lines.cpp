#include "map_lines.h"

#include <cstdlib>
#include <cstring>

#include "file_reading.h"

namespace {

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

// The block is taken when reading starts and given back by endMapLines.
bool startReading(MapLineReader* reader) {
    reader->block = static_cast<char*>(std::malloc(MAP_BLOCK_SIZE));
    resetReader(reader);
    return reader->block != nullptr;
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
    std::size_t capacity = MAP_BLOCK_SIZE - reader->end;
    std::size_t count = 0;
    if (reader->heldCarriageReturn) {
        fresh[count++] = '\r';
        reader->heldCarriageReturn = false;
    }
    std::size_t wanted = capacity - count;
    std::size_t got = readRawBytes(reader, fresh + count, wanted);
    count += got;
    if (got < wanted) reader->finished = true;

    if (const void* stop = std::memchr(fresh, MAP_END_BYTE, count)) {
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

bool startMapLines(MapLineReader* reader, std::FILE* file) {
    *reader = MapLineReader{};
    reader->file = file;
    return startReading(reader);
}

bool startMapLinesInMemory(MapLineReader* reader, const char* data, std::size_t size) {
    *reader = MapLineReader{};
    reader->memory = data;
    reader->memorySize = size;
    return startReading(reader);
}

DefectKind openMapFile(MapLineReader* reader, const char* path) {
    *reader = MapLineReader{};
    std::FILE* file = openFileForReading(path);
    if (file == nullptr) return MapNotOpened;
    // The reader asks for large blocks; a stdio buffer in between would only copy.
    std::setvbuf(file, nullptr, _IONBF, 0);
    bool started = false;
    if (std::fseek(file, 0, SEEK_SET) == 0) {
        started = startMapLines(reader, file);
        reader->ownsFile = true;
    } else {
        // A stream that cannot be rewound (a pipe, a terminal) is read
        // whole; a read error ends it as the end of the file would.
        std::size_t size = 0;
        char* data = readWholeStream(file, &size);
        std::fclose(file);
        started = data != nullptr && startMapLinesInMemory(reader, data, size);
        reader->ownedMemory = data;
    }
    if (started) return NoDefect;
    endMapLines(reader);
    return NoMemory;
}

void endMapLines(MapLineReader* reader) {
    std::free(reader->block);
    std::free(reader->ownedMemory);
    if (reader->ownsFile) std::fclose(reader->file);
    *reader = MapLineReader{};
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


// The lines hold every byte before a 0x1A but the CRs dropped before an LF,
// which cannot change whether the bytes are UTF-8.
MapEncoding scanMapEncoding(MapLineReader* reader) {
    MapEncodingScan scan;
    MapLine line;
    while (readMapLine(reader, &line)) scanMapBytes(&scan, line.bytes, line.length);
    restartMapLines(reader);
    return finishMapEncoding(scan);
}
