#include "config/IniFile.h"

#include "platform/IniReader.h"

namespace kanvio {

std::string IniFile::GetString(const std::string& section, const std::string& key) const {
  return platform::ReadIniValue(path_, section, key, "");
}

}  // namespace kanvio
