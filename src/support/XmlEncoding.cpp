#include "support/XmlEncoding.h"

#include <utility>

#include "support/Text.h"

namespace kanvio::text {
namespace {

bool IsXmlSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

struct CharsetName {
  std::string_view name;
  Charset charset;
};

constexpr CharsetName kCharsetNames[] = {
    {"utf-8", Charset::kUtf8},         {"utf8", Charset::kUtf8},           {"us-ascii", Charset::kUtf8},
    {"ascii", Charset::kUtf8},         {"iso-8859-1", Charset::kLatin1},   {"iso8859-1", Charset::kLatin1},
    {"iso_8859-1", Charset::kLatin1},  {"latin1", Charset::kLatin1},       {"latin-1", Charset::kLatin1},
    {"l1", Charset::kLatin1},          {"windows-1252", Charset::kCp1252}, {"cp1252", Charset::kCp1252},
    {"x-cp1252", Charset::kCp1252},    {"iso-8859-15", Charset::kLatin9},  {"iso8859-15", Charset::kLatin9},
    {"iso_8859-15", Charset::kLatin9}, {"latin9", Charset::kLatin9},       {"latin-9", Charset::kLatin9},
    {"utf-16", Charset::kUtf16Le},     {"utf-16le", Charset::kUtf16Le},    {"unicode", Charset::kUtf16Le},
    {"utf-16be", Charset::kUtf16Be},
};

bool IsEightBit(Charset charset) {
  return charset == Charset::kLatin1 || charset == Charset::kCp1252 || charset == Charset::kLatin9;
}

// Where the value of the encoding pseudo-attribute of the opening
// declaration lies: offset and length.
std::optional<std::pair<std::size_t, std::size_t>> EncodingValue(std::string_view xml) {
  const std::size_t start = StartsWith(xml, kUtf8Bom) ? kUtf8Bom.size() : 0;
  if (xml.substr(start, 5) != "<?xml" || start + 5 >= xml.size() || !IsXmlSpace(xml[start + 5]))
    return std::nullopt;
  const std::size_t end = xml.find("?>", start);
  if (end == std::string_view::npos) return std::nullopt;
  const std::string_view declaration = xml.substr(0, end);
  for (std::size_t pos = declaration.find("encoding", start); pos != std::string_view::npos;
       pos = declaration.find("encoding", pos + 1)) {
    if (!IsXmlSpace(declaration[pos - 1])) continue;
    std::size_t i = pos + 8;
    while (i < declaration.size() && IsXmlSpace(declaration[i])) ++i;
    if (i >= declaration.size() || declaration[i] != '=') continue;
    ++i;
    while (i < declaration.size() && IsXmlSpace(declaration[i])) ++i;
    if (i >= declaration.size() || (declaration[i] != '"' && declaration[i] != '\'')) continue;
    const std::size_t close = declaration.find(declaration[i], i + 1);
    if (close == std::string_view::npos) return std::nullopt;
    return std::pair{i + 1, close - i - 1};
  }
  return std::nullopt;
}

}  // namespace

Charset CharsetNamed(std::string_view name) {
  const std::string lower = ToLower(Trim(name));
  for (const auto& entry : kCharsetNames)
    if (lower == entry.name) return entry.charset;
  return Charset::kUnknown;
}

std::optional<std::string> ToUtf8(std::string_view bytes, Charset charset) {
  switch (charset) {
    case Charset::kUtf8:
      return std::string(bytes);
    case Charset::kLatin1:
      return Latin1ToUtf8(bytes);
    case Charset::kCp1252:
      return Cp1252ToUtf8(bytes);
    case Charset::kLatin9:
      return Latin9ToUtf8(bytes);
    case Charset::kUtf16Le:
      return Utf16BytesToUtf8(bytes, false);
    case Charset::kUtf16Be:
      return Utf16BytesToUtf8(bytes, true);
    case Charset::kUnknown:
      break;
  }
  return std::nullopt;
}

std::string_view DeclaredEncoding(std::string_view xml) {
  const auto value = EncodingValue(xml);
  return value ? xml.substr(value->first, value->second) : std::string_view();
}

std::string DeclareUtf8(std::string xml) {
  const auto value = EncodingValue(xml);
  if (!value || CharsetNamed(std::string_view(xml).substr(value->first, value->second)) == Charset::kUtf8)
    return xml;
  return xml.replace(value->first, value->second, "UTF-8");
}

std::string XmlToUtf8(std::string_view bytes, std::string_view transport_charset) {
  if (HasByteOrderMark(bytes)) return DeclareUtf8(DecodeToUtf8(bytes));
  const Charset transport = transport_charset.empty() ? Charset::kUnknown : CharsetNamed(transport_charset);
  if (!transport_charset.empty() && transport == Charset::kUnknown) return std::string(bytes);
  if (transport != Charset::kUnknown && transport != Charset::kUtf8)
    return DeclareUtf8(*ToUtf8(bytes, transport));
  if (StartsWith(bytes, std::string_view("<\0?\0", 4))) return DeclareUtf8(Utf16BytesToUtf8(bytes, false));
  if (StartsWith(bytes, std::string_view("\0<\0?", 4))) return DeclareUtf8(Utf16BytesToUtf8(bytes, true));
  const Charset declared = CharsetNamed(DeclaredEncoding(bytes));
  if (IsEightBit(declared) &&
      !(transport == Charset::kUtf8 && FindInvalidUtf8(bytes) == std::string_view::npos))
    return DeclareUtf8(*ToUtf8(bytes, declared));
  // A declaration the bytes contradict (UTF-16 in readable ASCII, Latin-1
  // under a transport that said UTF-8) is mended; an unknown one is kept.
  if (declared != Charset::kUnknown || transport == Charset::kUtf8) return DeclareUtf8(std::string(bytes));
  return std::string(bytes);
}

}  // namespace kanvio::text
