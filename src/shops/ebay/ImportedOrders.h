#pragma once
// The host's list of eBay orders it has already imported: a text file, one
// order line item id per line. The library only reads it.

#include <filesystem>
#include <string>
#include <string_view>
#include <unordered_set>

namespace kanvio {

class ImportedOrders {
 public:
  // The ids of the file at `path` (UTF-8 or UTF-16 with byte-order mark,
  // UTF-8 without), each line without its line end (CR, LF or CR LF).
  // Nothing for an empty path, for the setting's default of two quote marks
  // and for a file that is not there. Throws Error for a file that is there
  // but cannot be read: importing every order again would double them.
  static std::unordered_set<std::string> Read(const std::string& path);
  // The ids of a file's bytes.
  static std::unordered_set<std::string> Parse(std::string_view bytes);
};

}  // namespace kanvio
