#include "zip_archive.h"

#include <utility>

namespace {

constexpr std::uint32_t LOCAL_HEADER = 0x04034B50;
constexpr std::uint32_t CENTRAL_HEADER = 0x02014B50;
constexpr std::uint32_t END_OF_DIRECTORY = 0x06054B50;
constexpr std::uint16_t VERSION_NEEDED = 10;      // 1.0: stored entries
constexpr std::uint16_t UTF8_NAME_FLAG = 1 << 11;  // the name is UTF-8
constexpr std::uint16_t STORED = 0;
constexpr std::uint64_t MAX_SIZE = 0xFFFFFFFF;
constexpr std::size_t MAX_ENTRIES = 0xFFFF;

void put16(std::string* out, std::uint32_t value) {
    out->push_back(static_cast<char>(value & 0xFF));
    out->push_back(static_cast<char>((value >> 8) & 0xFF));
}

void put32(std::string* out, std::uint32_t value) {
    put16(out, value & 0xFFFF);
    put16(out, value >> 16);
}

int clamped(int value, int low, int high) {
    return value < low ? low : value > high ? high : value;
}

// MS-DOS time and date, as zip stores them: two seconds a step, years from 1980.
void dosTime(const ZipTime& time, std::uint16_t* dosTimeOut, std::uint16_t* dosDateOut) {
    ZipTime t = time;
    if (t.year < 1980) t = ZipTime{};
    if (t.year > 2107) t = ZipTime{2107, 12, 31, 23, 59, 58};
    *dosTimeOut = static_cast<std::uint16_t>(clamped(t.hour, 0, 23) << 11 | clamped(t.minute, 0, 59) << 5 |
                                             clamped(t.second, 0, 59) / 2);
    *dosDateOut = static_cast<std::uint16_t>((t.year - 1980) << 9 | clamped(t.month, 1, 12) << 5 |
                                             clamped(t.day, 1, 31));
}

bool isAscii(const std::string& text) {
    for (char byte : text) {
        if (static_cast<unsigned char>(byte) >= 0x80) return false;
    }
    return true;
}

// The fields that the local header and the central directory share, from
// "version needed" to the extra field's length.
void putCommonFields(std::string* out, const ZipEntry& entry, std::uint32_t crc, std::uint16_t time,
                     std::uint16_t date) {
    put16(out, VERSION_NEEDED);
    put16(out, isAscii(entry.name) ? 0 : UTF8_NAME_FLAG);
    put16(out, STORED);
    put16(out, time);
    put16(out, date);
    put32(out, crc);
    put32(out, static_cast<std::uint32_t>(entry.bytes.size()));  // compressed: stored as is
    put32(out, static_cast<std::uint32_t>(entry.bytes.size()));
    put16(out, static_cast<std::uint32_t>(entry.name.size()));
    put16(out, 0);  // no extra field
}

}  // namespace

std::uint32_t crc32Of(const std::string& bytes) {
    static std::uint32_t table[256];
    static bool tableMade = false;
    if (!tableMade) {
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320 ^ (c >> 1) : c >> 1;
            table[n] = c;
        }
        tableMade = true;
    }
    std::uint32_t crc = 0xFFFFFFFF;
    for (char byte : bytes) crc = table[(crc ^ static_cast<unsigned char>(byte)) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFF;
}

bool makeZip(const std::vector<ZipEntry>& entries, const ZipTime& time, std::string* archive,
             std::string* error) {
    if (entries.size() > MAX_ENTRIES) {
        *error = "more than 65,535 files";
        return false;
    }
    std::uint16_t dosTimeValue = 0;
    std::uint16_t dosDateValue = 0;
    dosTime(time, &dosTimeValue, &dosDateValue);
    std::string out;
    std::string directory;
    for (const ZipEntry& entry : entries) {
        if (entry.bytes.size() > MAX_SIZE || entry.name.size() > 0xFFFF || out.size() > MAX_SIZE) {
            *error = entry.name + " is too large for a zip";
            return false;
        }
        std::uint32_t crc = crc32Of(entry.bytes);
        std::uint32_t offset = static_cast<std::uint32_t>(out.size());
        put32(&out, LOCAL_HEADER);
        putCommonFields(&out, entry, crc, dosTimeValue, dosDateValue);
        out += entry.name;
        out += entry.bytes;

        put32(&directory, CENTRAL_HEADER);
        put16(&directory, 20);  // made by: MS-DOS attributes, version 2.0
        putCommonFields(&directory, entry, crc, dosTimeValue, dosDateValue);
        put16(&directory, 0);  // no comment
        put16(&directory, 0);  // disk 0
        put16(&directory, 0);  // internal attributes: binary
        put32(&directory, 0);  // external attributes: a plain file
        put32(&directory, offset);
        directory += entry.name;
    }
    if (out.size() + directory.size() > MAX_SIZE) {
        *error = "the whole is too large for a zip";
        return false;
    }
    std::uint32_t directoryOffset = static_cast<std::uint32_t>(out.size());
    out += directory;
    put32(&out, END_OF_DIRECTORY);
    put16(&out, 0);  // this disk
    put16(&out, 0);  // the disk where the directory starts
    put16(&out, static_cast<std::uint32_t>(entries.size()));
    put16(&out, static_cast<std::uint32_t>(entries.size()));
    put32(&out, static_cast<std::uint32_t>(directory.size()));
    put32(&out, directoryOffset);
    put16(&out, 0);  // no comment
    *archive = std::move(out);
    return true;
}
