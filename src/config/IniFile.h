#pragma once

#include <filesystem>
#include <string>

namespace kanvio {

// One host ini file; a missing file reads as empty values.
class IniFile {
 public:
  explicit IniFile(std::filesystem::path path) : path_(std::move(path)) {}
  // Value of key in section, the empty text when absent, at most 1023 characters.
  std::string GetString(const std::string& section, const std::string& key) const;

 private:
  std::filesystem::path path_;
};

}  // namespace kanvio
