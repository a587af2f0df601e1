// A zip archive made in memory: stored (uncompressed) entries with their
// CRC-32, a central directory and its end record, by the format's own rules
// and nothing beyond them (no extra fields, no data descriptors, no zip64).
// Bytes in, bytes out: no file is touched here.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct ZipEntry {
    std::string name;   // a path inside the archive, '/' between folders
    std::string bytes;  // the file's contents
};

// When the entries were last changed, as the archive stores it: local
// time, to the even second, from 1980 to 2107.
struct ZipTime {
    int year = 1980;
    int month = 1;   // 1 to 12
    int day = 1;     // 1 to 31
    int hour = 0;
    int minute = 0;
    int second = 0;
};

/// The CRC-32 of `bytes` (the polynomial of zip, PNG and Ethernet).
std::uint32_t crc32Of(const std::string& bytes);

/// Writes the archive of `entries`, in their order, dated `time` (moved
/// into the years a zip can hold) into `archive`. Returns false, with the
/// reason in `error`, when an entry or the whole is too large for a zip
/// without its 64-bit extensions (4 GiB, 65,535 entries).
bool makeZip(const std::vector<ZipEntry>& entries, const ZipTime& time, std::string* archive,
             std::string* error);
