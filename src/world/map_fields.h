// Scanning the fields of a directive line, by the rules of the two formats
// "%*s %u" (#helyiseg) and "%*s %c %u %c" (#irany): the keyword is skipped;
// a number is an optional sign and decimal digits, taken modulo 2^32; a
// letter is the next byte that is not white space. Scanning stops at the
// first field that cannot be read, and the count of fields read is returned.
// Pure functions of the text: locale-independent, never printing or exiting.
#pragma once

#include <cstddef>
#include <cstdint>

// Where a field read lies in the text: bytes [begin, end). Editors colour
// the fields by it.
struct FieldSpan {
    std::size_t begin;
    std::size_t end;
};

/// "%*s %u": stores the room number and returns 1, or returns 0 and leaves
/// `room` unchanged when no number follows the keyword. When `span` is
/// given, a number read is also located there.
int scanRoomNumber(const char* text, std::size_t length, std::uint32_t* room, FieldSpan* span = nullptr);

struct ExitFields {
    char kindLetter;
    std::uint32_t target;
    char key;
};

/// "%*s %c %u %c": fills the fields in order and returns how many were read
/// (0 to 3); fields not read keep their values. When `fieldsEnd` is given, it
/// receives the offset just after the last field read; `spans`, three of
/// them, receive where each field read lies (those not read are left alone).
int scanExitFields(const char* text, std::size_t length, ExitFields* fields,
                   std::size_t* fieldsEnd = nullptr, FieldSpan* spans = nullptr);

