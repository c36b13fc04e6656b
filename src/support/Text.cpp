#include "support/Text.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>

namespace kanvio::text {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// Decodes one code point at i and advances i; malformed input yields U+FFFD.
char32_t NextCodePoint(std::string_view s, std::size_t& i) {
  const auto b0 = static_cast<unsigned char>(s[i++]);
  if (b0 < 0x80) return b0;
  int extra = b0 >= 0xF0 && b0 < 0xF5 ? 3 : b0 >= 0xE0 && b0 < 0xF0 ? 2 : b0 >= 0xC2 && b0 < 0xE0 ? 1 : -1;
  if (extra < 0) return kReplacement;
  char32_t cp = b0 & (0x3F >> extra);
  for (int k = 0; k < extra; ++k) {
    if (i >= s.size() || (static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) return kReplacement;
    cp = (cp << 6) | (static_cast<unsigned char>(s[i++]) & 0x3F);
  }
  const bool overlong = (extra == 2 && cp < 0x800) || (extra == 3 && cp < 0x10000);
  if (overlong || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return kReplacement;
  return cp;
}

// 0x80-0x9F of Windows-1252; 0 marks the unassigned bytes.
constexpr char16_t kCp1252High[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// The eight places where ISO-8859-15 differs from Latin-1.
constexpr std::pair<unsigned char, char16_t> kLatin9Differences[] = {
    {0xA4, 0x20AC}, {0xA6, 0x0160}, {0xA8, 0x0161}, {0xB4, 0x017D},
    {0xB8, 0x017E}, {0xBC, 0x0152}, {0xBD, 0x0153}, {0xBE, 0x0178}};

// Length of the well-formed UTF-8 sequence at s[i], 0 when there is none.
std::size_t ValidSequenceAt(std::string_view s, std::size_t i) {
  const auto b0 = static_cast<unsigned char>(s[i]);
  if (b0 < 0x80) return 1;
  const std::size_t length = b0 >= 0xC2 && b0 < 0xE0   ? 2
                             : b0 >= 0xE0 && b0 < 0xF0 ? 3
                             : b0 >= 0xF0 && b0 < 0xF5 ? 4
                                                       : 0;
  if (length == 0 || i + length > s.size()) return 0;
  char32_t cp = b0 & (0x7F >> length);
  for (std::size_t k = 1; k < length; ++k) {
    const auto b = static_cast<unsigned char>(s[i + k]);
    if ((b & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (b & 0x3F);
  }
  const bool overlong = (length == 3 && cp < 0x800) || (length == 4 && cp < 0x10000);
  if (overlong || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return length;
}

}  // namespace

std::string_view TrimView(std::string_view s) {
  std::size_t b = 0, e = s.size();
  while (b < e && IsSpace(s[b])) ++b;
  while (e > b && IsSpace(s[e - 1])) --e;
  return s.substr(b, e - b);
}

std::string Trim(std::string_view s) { return std::string(TrimView(s)); }

std::string TrimEnd(std::string_view s, std::string_view chars) {
  auto e = s.find_last_not_of(chars);
  return std::string(e == std::string_view::npos ? std::string_view{} : s.substr(0, e + 1));
}

std::string ToLower(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    if (c < 0x80) {
      out += static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
      ++i;
      continue;
    }
    const std::size_t start = i;
    char32_t cp = NextCodePoint(utf8, i);
    if (cp >= 0xC0 && cp <= 0xDE && cp != 0xD7)
      AppendUtf8(out, cp + 0x20);
    else
      out.append(utf8.substr(start, i - start));
  }
  return out;
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
  // Header names and settings words are ASCII: compared in place, without two lower-cased copies.
  const auto ascii = [](std::string_view s) {
    return std::all_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  };
  if (!ascii(a) || !ascii(b)) return ToLower(a) == ToLower(b);
  const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return lower(x) == lower(y); });
}

bool Contains(std::string_view haystack, std::string_view needle) {
  return haystack.find(needle) != std::string_view::npos;
}

bool StartsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

std::string ReplaceAll(std::string s, std::string_view from, std::string_view to) {
  if (from.empty()) return s;
  for (std::size_t pos = s.find(from); pos != std::string::npos; pos = s.find(from, pos + to.size()))
    s.replace(pos, from.size(), to);
  return s;
}

std::u16string Utf8ToUtf16(std::string_view utf8) {
  std::u16string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    char32_t cp = NextCodePoint(utf8, i);
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(cp));
    }
  }
  return out;
}

std::string Utf16ToUtf8(std::u16string_view utf16) {
  std::string out;
  out.reserve(utf16.size());
  for (std::size_t i = 0; i < utf16.size(); ++i) {
    char32_t cp = utf16[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 &&
        utf16[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (utf16[++i] - 0xDC00);
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = kReplacement;
    }
    AppendUtf8(out, cp);
  }
  return out;
}

std::string StripUtf8Bom(std::string_view s) {
  return std::string(StartsWith(s, kUtf8Bom) ? s.substr(kUtf8Bom.size()) : s);
}

std::string Utf16BytesToUtf8(std::string_view bytes, bool big_endian) {
  std::u16string units;
  units.reserve(bytes.size() / 2);
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    auto lo = static_cast<unsigned char>(bytes[i + (big_endian ? 1 : 0)]);
    auto hi = static_cast<unsigned char>(bytes[i + (big_endian ? 0 : 1)]);
    units.push_back(static_cast<char16_t>(hi << 8 | lo));
  }
  return Utf16ToUtf8(units);
}

std::string Latin1ToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (char c : bytes) AppendUtf8(out, static_cast<unsigned char>(c));
  return out;
}

std::string Cp1252ToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x80 || b >= 0xA0) {
      AppendUtf8(out, b);
    } else {
      const char16_t mapped = kCp1252High[b - 0x80];
      AppendUtf8(out, mapped != 0 ? mapped : b);
    }
  }
  return out;
}

std::string Latin9ToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (char c : bytes) {
    char32_t cp = static_cast<unsigned char>(c);
    for (const auto& [byte, mapped] : kLatin9Differences)
      if (cp == byte) cp = mapped;
    AppendUtf8(out, cp);
  }
  return out;
}

std::size_t FindInvalidUtf8(std::string_view bytes) {
  std::size_t i = 0;
  while (i < bytes.size()) {
    // Data files are mostly ASCII: eight bytes at a time while no high bit is set.
    while (i + 8 <= bytes.size()) {
      std::uint64_t word;
      std::memcpy(&word, bytes.data() + i, 8);
      if ((word & 0x8080808080808080ull) != 0) break;
      i += 8;
    }
    if (i >= bytes.size()) break;
    if (static_cast<unsigned char>(bytes[i]) < 0x80) {
      ++i;
      continue;
    }
    const std::size_t length = ValidSequenceAt(bytes, i);
    if (length == 0) return i;
    i += length;
  }
  return std::string_view::npos;
}

std::string ReplaceInvalidUtf8(std::string_view bytes) {
  const std::size_t bad = FindInvalidUtf8(bytes);
  if (bad == std::string_view::npos) return std::string(bytes);
  std::string out(bytes.substr(0, bad));
  out.reserve(bytes.size() + 16);
  for (std::size_t i = bad; i < bytes.size();) {
    if (const std::size_t length = ValidSequenceAt(bytes, i)) {
      out.append(bytes.substr(i, length));
      i += length;
    } else {
      NextCodePoint(bytes, i);  // skips the malformed sequence, at least one byte
      AppendUtf8(out, kReplacement);
    }
  }
  return out;
}

bool HasByteOrderMark(std::string_view bytes) {
  return StartsWith(bytes, kUtf8Bom) || StartsWith(bytes, "\xFF\xFE") || StartsWith(bytes, "\xFE\xFF");
}

std::string DecodeToUtf8(std::string_view bytes) {
  if (StartsWith(bytes, kUtf8Bom)) return std::string(bytes.substr(3));
  if (StartsWith(bytes, "\xFF\xFE")) return Utf16BytesToUtf8(bytes.substr(2), false);
  if (StartsWith(bytes, "\xFE\xFF")) return Utf16BytesToUtf8(bytes.substr(2), true);
  return std::string(bytes);
}

}  // namespace kanvio::text
