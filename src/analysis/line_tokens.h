// The stretches of one map line as the loader reads it, for an editor's
// colours: the directive word, the room number, an exit's kind letter and
// key, text, comments, what the loader passes over and what it refuses.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "text_encoding.h"

enum TokenKind { KeywordToken, RoomNumberToken, KindLetterToken, KeyToken, TextToken, CommentToken,
                 IgnoredToken, InvalidToken, TOKEN_KIND_COUNT };

/// The name an editor's style knows a kind by: "keyword", "room-number",
/// "kind-letter", "key", "text", "comment", "ignored", "invalid".
const char* tokenKindName(TokenKind kind);

// A stretch of a line, from byte `begin` up to byte `end`.
struct LineToken {
    std::size_t begin;
    std::size_t end;
    TokenKind kind;
};

/// The tokens of `length` bytes of map text (one line, or several one after
/// another), in order, offsets counted from the first byte.
std::vector<LineToken> lineTokens(const char* bytes, std::size_t length);

/// For each byte offset of `length` bytes of text shown as `encoding`, and
/// for the end, the column in UTF-16 code units, as editors and their
/// protocols count them: a byte inside a character has the column where the
/// character starts.
std::vector<std::uint32_t> utf16Columns(const char* bytes, std::size_t length, MapEncoding encoding);
