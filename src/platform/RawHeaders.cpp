#include "platform/RawHeaders.h"

#include "support/Text.h"

namespace kanvio::platform {

HttpHeaders ParseRawHeaders(std::string_view block) {
  HttpHeaders headers;
  while (!block.empty()) {
    const std::size_t end = block.find('\n');
    std::string_view line = block.substr(0, end);
    block = end == std::string_view::npos ? std::string_view() : block.substr(end + 1);
    if (line.ends_with('\r')) line.remove_suffix(1);

    const std::size_t colon = line.find(':');
    if (line.starts_with("HTTP/")) continue;
    if (!headers.empty() && (line.starts_with(' ') || line.starts_with('\t'))) {
      headers.back().second += " " + text::Trim(line);
    } else if (colon != std::string_view::npos) {
      headers.emplace_back(text::Trim(line.substr(0, colon)), text::Trim(line.substr(colon + 1)));
    }
  }
  return headers;
}

}  // namespace kanvio::platform
