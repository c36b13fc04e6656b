#include "platform/HttpClient.h"
#include "support/Text.h"
#include "support/XmlEncoding.h"

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

}  // namespace

std::string HttpResponse::Text() const { return text::XmlToUtf8(body, CharsetOf(content_type)); }

std::optional<std::string> HttpResponse::Header(std::string_view name) const {
  for (const auto& [key, value] : headers)
    if (text::EqualsIgnoreCase(key, name)) return value;
  return std::nullopt;
}

}  // namespace kanvio::platform
