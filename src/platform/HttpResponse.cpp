#include "platform/HttpClient.h"
#include "support/Text.h"

namespace kanvio::platform {
namespace {

// The charset parameter of a content type, lower case and unquoted:
// "text/xml; Charset=\"ISO-8859-1\"" gives "iso-8859-1".
std::string CharsetOf(std::string_view content_type) {
  const std::string lower = text::ToLower(content_type);
  std::size_t pos = 0;
  while ((pos = lower.find(';', pos)) != std::string::npos) {
    ++pos;
    const std::size_t end = lower.find(';', pos);
    const std::string param = text::Trim(std::string_view(lower).substr(pos, end - pos));
    if (text::StartsWith(param, "charset=")) {
      std::string value = text::Trim(std::string_view(param).substr(8));
      if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
        value = value.substr(1, value.size() - 2);
      return value;
    }
  }
  return {};
}

bool IsOneOf(const std::string& value, std::initializer_list<std::string_view> names) {
  for (std::string_view name : names)
    if (value == name) return true;
  return false;
}

}  // namespace

std::string HttpResponse::Text() const {
  if (text::HasByteOrderMark(body)) return text::DecodeToUtf8(body);
  const std::string charset = CharsetOf(content_type);
  if (IsOneOf(charset, {"iso-8859-1", "iso8859-1", "latin1", "l1", "iso_8859-1"}))
    return text::Latin1ToUtf8(body);
  if (IsOneOf(charset, {"windows-1252", "cp1252", "x-cp1252"})) return text::Cp1252ToUtf8(body);
  // Without a byte-order mark, "utf-16" means little endian on the systems the shops talk to.
  if (IsOneOf(charset, {"utf-16", "utf-16le", "unicode"})) return text::Utf16BytesToUtf8(body, false);
  if (charset == "utf-16be") return text::Utf16BytesToUtf8(body, true);
  return body;
}

std::optional<std::string> HttpResponse::Header(std::string_view name) const {
  for (const auto& [key, value] : headers)
    if (text::EqualsIgnoreCase(key, name)) return value;
  return std::nullopt;
}

}  // namespace kanvio::platform
