#include "config/XMLFileRepair.h"

#include <pugixml.hpp>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <regex>
#include <sstream>
#include <vector>

#include "config/Logger.h"
#include "platform/FileSystem.h"
#include "support/Error.h"
#include "support/Text.h"

namespace kanvio {
namespace {

constexpr int kMaxLoads = 100;

std::string ReadAll(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) throw FileNotFoundError("Die Datei " + file.string() + " wurde nicht gefunden.");
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

bool IsNameChar(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-' || c == '.' || c == ':' ||
         (static_cast<unsigned char>(c) & 0x80);
}

// Whether an '&' at pos starts a reference (&name; &#123; &#x1F;).
bool StartsReference(std::string_view s, std::size_t pos) {
  std::size_t i = pos + 1;
  if (i < s.size() && s[i] == '#') {
    ++i;
    const bool hex = i < s.size() && s[i] == 'x';
    if (hex) ++i;
    const std::size_t digits = i;
    while (i < s.size() && (hex ? std::isxdigit(static_cast<unsigned char>(s[i])) : std::isdigit(static_cast<unsigned char>(s[i])))) ++i;
    return i > digits && i < s.size() && s[i] == ';';
  }
  const std::size_t start = i;
  while (i < s.size() && IsNameChar(s[i])) ++i;
  return i > start && i < s.size() && s[i] == ';';
}

std::size_t LineOf(std::string_view s, std::size_t offset) {
  return 1 + static_cast<std::size_t>(std::count(s.begin(), s.begin() + static_cast<std::ptrdiff_t>(offset), '\n'));
}

// The line of the first well-formedness error, 0 when there is none. pugixml
// tolerates bare ampersands, so they are looked for outside markup that may
// hold them (comments, CDATA, processing instructions).
std::size_t FirstErrorLine(const std::string& content) {
  std::size_t error_line = 0;
  pugi::xml_document doc;
  auto result = doc.load_buffer(content.data(), content.size(), pugi::parse_default | pugi::parse_ws_pcdata);
  if (!result) error_line = LineOf(content, static_cast<std::size_t>(result.offset));
  for (std::size_t i = 0; i < content.size(); ++i) {
    if (content.compare(i, 4, "<!--") == 0) i = content.find("-->", i);
    else if (content.compare(i, 9, "<![CDATA[") == 0) i = content.find("]]>", i);
    else if (content.compare(i, 2, "<?") == 0) i = content.find("?>", i);
    else if (content[i] == '&' && !StartsReference(content, i)) {
      const std::size_t line = LineOf(content, i);
      return error_line == 0 ? line : std::min(line, error_line);
    }
    if (i == std::string::npos) break;
  }
  return error_line;
}

std::vector<std::string> SplitLines(const std::string& content) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < content.size()) {
    std::size_t end = content.find('\n', start);
    std::string line = content.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return lines;
}

}  // namespace

XMLFileRepair::XMLFileRepair(const std::filesystem::path& file) {
  static const std::regex kBareAmpersand("&(?![a-zA-Z]{2,6};|#[0-9]{2,4};)");
  for (int load = 0; load < kMaxLoads; ++load) {
    const std::string content = text::StripUtf8Bom(ReadAll(file));
    const std::size_t error_line = FirstErrorLine(content);
    if (error_line == 0) return;
    auto lines = SplitLines(content);
    int count = 0;
    for (std::size_t n = error_line - 1; n < lines.size(); ++n) {
      std::string fixed = std::regex_replace(lines[n], kBareAmpersand, "&amp;");
      if (fixed != lines[n]) {
        lines[n] = std::move(fixed);
        ++count;
      }
    }
    // Rewriting a file that no pass can mend would only churn it.
    if (count == 0) return;
    std::string out(text::kUtf8Bom);
    for (const auto& line : lines) out += line + "\r\n";
    platform::WriteFileAtomically(file, out);
    corrected_lines_ += count;
    Logger::LogInfo("In " + file.string() + " wurden " + std::to_string(count) + " Fehler korrigiert.");
  }
}

}  // namespace kanvio
