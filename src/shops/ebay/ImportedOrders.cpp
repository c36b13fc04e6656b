#include "shops/ebay/ImportedOrders.h"

#include <fstream>
#include <sstream>
#include <system_error>

#include "platform/FileSystem.h"
#include "support/Error.h"
#include "support/Text.h"

namespace kanvio {

std::unordered_set<std::string> ImportedOrders::Parse(std::string_view bytes) {
  const std::string content = text::DecodeToUtf8(bytes);
  std::unordered_set<std::string> ids;
  std::size_t start = 0;
  while (start < content.size()) {
    std::size_t end = content.find_first_of("\r\n", start);
    if (end == std::string::npos) end = content.size();
    if (end > start) ids.emplace(content, start, end - start);
    // CR LF is one line end.
    start = end + (content.compare(end, 2, "\r\n") == 0 ? 2 : 1);
  }
  return ids;
}

std::unordered_set<std::string> ImportedOrders::Read(const std::string& path) {
  if (path.empty() || path == "\"\"") return {};
  const std::filesystem::path file = platform::PathFromUtf8(path);
  std::error_code error;
  if (!std::filesystem::exists(file, error) && !error) return {};
  std::ifstream in(file, std::ios::binary);
  std::ostringstream bytes;
  if (in) bytes << in.rdbuf();
  if (!in || std::filesystem::is_directory(file, error))
    throw Error("Die Liste der bereits importierten eBay-Bestellungen " + path +
                " kann nicht gelesen werden.");
  return Parse(bytes.str());
}

}  // namespace kanvio
