#pragma once
// Text helpers used throughout: the library keeps UTF-8 inside and converts
// at the edges.

#include <string>
#include <string_view>

namespace kanvio::text {

std::string Trim(std::string_view s);
std::string_view TrimView(std::string_view s);
std::string TrimEnd(std::string_view s, std::string_view chars);

// Lower-cases ASCII and the Latin-1 letters (Ä -> ä); other text unchanged.
std::string ToLower(std::string_view utf8);
bool EqualsIgnoreCase(std::string_view a, std::string_view b);
bool Contains(std::string_view haystack, std::string_view needle);
bool StartsWith(std::string_view s, std::string_view prefix);
std::string ReplaceAll(std::string s, std::string_view from, std::string_view to);

// Invalid UTF-8 becomes U+FFFD; unpaired surrogates too.
std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);

inline constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
std::string StripUtf8Bom(std::string_view s);

// Bytes of a file or an answer as UTF-8: a UTF-8 or UTF-16 (LE/BE) byte-order
// mark is honoured and removed; without one the bytes are taken as UTF-8.
std::string DecodeToUtf8(std::string_view bytes);
bool HasByteOrderMark(std::string_view bytes);

// Single-byte and UTF-16 texts without a byte-order mark, for answers whose
// character set is named elsewhere (an HTTP content type, an XML declaration).
std::string Latin1ToUtf8(std::string_view bytes);
// Windows-1252: Latin-1 with printable characters (euro sign, quotes) in
// 0x80-0x9F; the five unassigned bytes keep their Latin-1 meaning, as
// Windows converts them.
std::string Cp1252ToUtf8(std::string_view bytes);
// ISO-8859-15: Latin-1 with the euro sign and seven other letters in
// place of currency and fraction signs.
std::string Latin9ToUtf8(std::string_view bytes);
// A trailing odd byte is dropped.
std::string Utf16BytesToUtf8(std::string_view bytes, bool big_endian);

// Offset of the first byte that does not belong to a well-formed UTF-8
// sequence (overlong forms and surrogates are not), npos when there is none.
std::size_t FindInvalidUtf8(std::string_view bytes);
// Each malformed sequence becomes U+FFFD; well-formed text is returned as is.
std::string ReplaceInvalidUtf8(std::string_view bytes);

}  // namespace kanvio::text
