#include "config/XMLFileRepair.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <pugixml.hpp>
#include <regex>
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
  std::error_code ec;
  const auto size = std::filesystem::file_size(file, ec);
  if (!in || ec) throw FileNotFoundError("Die Datei " + file.string() + " wurde nicht gefunden.");
  std::string content(static_cast<std::size_t>(size), '\0');
  in.read(content.data(), static_cast<std::streamsize>(content.size()));
  content.resize(static_cast<std::size_t>(in.gcount()));
  return content;
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
    while (i < s.size() && (hex ? std::isxdigit(static_cast<unsigned char>(s[i]))
                                : std::isdigit(static_cast<unsigned char>(s[i]))))
      ++i;
    return i > digits && i < s.size() && s[i] == ';';
  }
  const std::size_t start = i;
  while (i < s.size() && IsNameChar(s[i])) ++i;
  return i > start && i < s.size() && s[i] == ';';
}

std::size_t LineOf(std::string_view s, std::size_t offset) {
  return 1 + static_cast<std::size_t>(
                 std::count(s.begin(), s.begin() + static_cast<std::ptrdiff_t>(offset), '\n'));
}

// The line a repair pass starts from: that of the first bare ampersand, or of
// an earlier well-formedness error; 0 when there is no bare ampersand, since
// then no pass could change the file. pugixml tolerates bare ampersands, so
// they are looked for outside markup that may hold them (comments, CDATA,
// processing instructions), and the parser is asked only when one is found:
// order reports run to many megabytes.
std::size_t FirstErrorLine(const std::string& content) {
  for (std::size_t i = 0; i < content.size(); ++i) {
    while (i < content.size() && content[i] != '<' && content[i] != '&') ++i;
    if (i == content.size()) break;
    if (content.compare(i, 4, "<!--") == 0)
      i = content.find("-->", i);
    else if (content.compare(i, 9, "<![CDATA[") == 0)
      i = content.find("]]>", i);
    else if (content.compare(i, 2, "<?") == 0)
      i = content.find("?>", i);
    else if (content[i] == '&' && !StartsReference(content, i)) {
      const std::size_t line = LineOf(content, i);
      pugi::xml_document doc;
      auto result =
          doc.load_buffer(content.data(), content.size(), pugi::parse_default | pugi::parse_ws_pcdata);
      if (result) return line;
      return std::min(line, LineOf(content, static_cast<std::size_t>(result.offset)));
    }
    if (i == std::string::npos) break;
  }
  return 0;
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
