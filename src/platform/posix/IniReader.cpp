#include "platform/IniReader.h"

#include <fstream>

#include "support/Text.h"

namespace kanvio::platform {
namespace {

// The Windows function strips one pair of matching quotes around a value.
std::string Unquote(std::string value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
    return value.substr(1, value.size() - 2);
  return value;
}

}  // namespace

std::string ReadIniValue(const std::filesystem::path& file, const std::string& section, const std::string& key,
                         const std::string& fallback) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return fallback;
  std::string line;
  bool in_section = false;
  bool first = true;
  while (std::getline(in, line)) {
    if (first) {
      line = text::StripUtf8Bom(line);
      first = false;
    }
    std::string trimmed = text::Trim(line);
    if (trimmed.empty() || trimmed[0] == ';') continue;
    if (trimmed[0] == '[') {
      auto close = trimmed.find(']');
      std::string name = text::Trim(trimmed.substr(1, close == std::string::npos ? std::string::npos : close - 1));
      in_section = text::EqualsIgnoreCase(name, section);
      continue;
    }
    if (!in_section) continue;
    auto eq = trimmed.find('=');
    if (eq == std::string::npos) continue;
    if (!text::EqualsIgnoreCase(text::Trim(trimmed.substr(0, eq)), key)) continue;
    std::string value = Unquote(text::Trim(trimmed.substr(eq + 1)));
    if (value.size() > kMaxIniValue) value.resize(kMaxIniValue);
    return value;
  }
  return fallback;
}

}  // namespace kanvio::platform
