#include "config/XMLFileRepair.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <fstream>
#include <pugixml.hpp>
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
  if (!in) throw FileNotFoundError("Die Datei " + platform::PathToUtf8(file) + " wurde nicht gefunden.");
  // In one piece where the size is known: a stream copy would hold it twice.
  in.seekg(0, std::ios::end);
  const std::streamoff size = in.tellg();
  in.seekg(0, std::ios::beg);
  if (size > 0) {
    std::string content(static_cast<std::size_t>(size), '\0');
    if (in.read(content.data(), size) && in.peek() == std::ifstream::traits_type::eof()) return content;
    in.clear();
    in.seekg(0, std::ios::beg);
  }
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
  offset = std::min(offset, s.size());
  return 1 + static_cast<std::size_t>(
                 std::count(s.begin(), s.begin() + static_cast<std::ptrdiff_t>(offset), '\n'));
}

// Calls on_bare(offset) for every '&' that starts no reference, in order.
// Comments, CDATA sections and processing instructions may hold bare
// ampersands: they are data there, not faults.
template <typename OnBare>
void ForEachBareAmpersand(std::string_view s, OnBare on_bare) {
  static constexpr std::pair<std::string_view, std::string_view> kVerbatim[] = {
      {"<!--", "-->"}, {"<![CDATA[", "]]>"}, {"<?", "?>"}};
  // Reports run to many megabytes: jump from one '&' or '<' to the next, and
  // look closer only at a '<' that may open a verbatim section.
  const char* const begin = s.data();
  const char* const end = begin + s.size();
  const auto next = [end](const char* from, char c) {
    const void* found = from < end ? std::memchr(from, c, static_cast<std::size_t>(end - from)) : nullptr;
    return found != nullptr ? static_cast<const char*>(found) : end;
  };
  const char* amp = next(begin, '&');
  const char* lt = next(begin, '<');
  while (amp != end || lt != end) {
    if (amp < lt) {
      const auto i = static_cast<std::size_t>(amp - begin);
      if (!StartsReference(s, i) && !on_bare(i)) return;
      amp = next(amp + 1, '&');
      continue;
    }
    const auto i = static_cast<std::size_t>(lt - begin);
    std::size_t resume = i + 1;
    if (i + 1 < s.size() && (s[i + 1] == '!' || s[i + 1] == '?')) {
      for (const auto& [open, close] : kVerbatim) {
        if (s.compare(i, open.size(), open) != 0) continue;
        const std::size_t found = s.find(close, i + open.size());
        if (found == std::string_view::npos) return;
        resume = found + close.size();
        break;
      }
    }
    lt = next(begin + resume, '<');
    if (amp < begin + resume) amp = next(begin + resume, '&');
  }
}

// The line a repair pass starts from: that of the first bare ampersand, or of
// an earlier well-formedness error; 0 when there is no bare ampersand, since
// then no pass could change the file. The parser tolerates bare ampersands,
// and it is asked only once one is found: order reports run to many megabytes.
std::size_t FirstErrorLine(const std::string& content) {
  // Most reports hold no ampersand at all: one fast search settles them.
  if (content.find('&') == std::string::npos) return 0;
  std::size_t bare_line = 0;
  ForEachBareAmpersand(content, [&](std::size_t offset) {
    bare_line = LineOf(content, offset);
    return false;
  });
  if (bare_line == 0) return 0;
  pugi::xml_document doc;
  // As UTF-8, the form the lines are repaired in: bytes that merely look like
  // UTF-16 would be converted, and the error's offset would point past them.
  auto result = doc.load_buffer(content.data(), content.size(), pugi::parse_default | pugi::parse_ws_pcdata,
                                pugi::encoding_utf8);
  if (result) return bare_line;
  return std::min(bare_line, LineOf(content, static_cast<std::size_t>(result.offset)));
}

// Escapes the bare ampersands from line first_line on; returns how many
// lines changed.
int EscapeBareAmpersands(std::string& content, std::size_t first_line) {
  std::string escaped;
  escaped.reserve(content.size() + 64);
  std::size_t copied = 0, line = 1, last_changed_line = 0;
  int changed_lines = 0;
  ForEachBareAmpersand(content, [&](std::size_t offset) {
    line += static_cast<std::size_t>(std::count(content.begin() + static_cast<std::ptrdiff_t>(copied),
                                                content.begin() + static_cast<std::ptrdiff_t>(offset), '\n'));
    escaped.append(content, copied, offset - copied);
    copied = offset;
    if (line >= first_line) {
      escaped += "&amp;";
      copied = offset + 1;
      if (line != last_changed_line) ++changed_lines;
      last_changed_line = line;
    }
    return true;
  });
  escaped.append(content, copied);
  content = std::move(escaped);
  return changed_lines;
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
  std::string content = ReadAll(file);
  Repair(file, content);
}

XMLFileRepair::XMLFileRepair(const std::filesystem::path& file, std::string& content) {
  Repair(file, content);
}

void XMLFileRepair::Repair(const std::filesystem::path& file, std::string& raw) {
  for (int load = 0; load < kMaxLoads; ++load) {
    // Most files hold no ampersand at all: settled without a copy.
    if (raw.find('&') == std::string::npos) return;
    std::string content = text::StripUtf8Bom(raw);
    const std::size_t error_line = FirstErrorLine(content);
    if (error_line == 0) return;
    const int count = EscapeBareAmpersands(content, error_line);
    // Rewriting a file that no pass can mend would only churn it.
    if (count == 0) return;
    std::string out(text::kUtf8Bom);
    for (const auto& line : SplitLines(content)) out += line + "\r\n";
    platform::WriteFileAtomically(file, out);
    raw = std::move(out);
    corrected_lines_ += count;
    Logger::LogInfo("In " + platform::PathToUtf8(file) + " wurden " + std::to_string(count) +
                    " Fehler korrigiert.");
  }
}

}  // namespace kanvio
