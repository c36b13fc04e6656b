#pragma once
// Single values of the shop configuration file. Each read loads the file anew
// (creating the basic file when it is missing); a missing element or any
// failure gives the fallback: false, 10, or the empty text.

#include <string>
#include <vector>

namespace kanvio {

class ConfigFileReader {
 public:
  static bool GetValueFromShop(const std::string& shop, const std::string& action, const std::string& key);
  static bool GetValueFromGenerellConfig(const std::string& key);
  static int getValueFromGenerellConfig_Int(const std::string& key);
  static std::string getValueFromGenerellConfig_String(const std::string& key);
  // Whether the nested path of element names exists below the root.
  static bool DoesConfigValueExisits(const std::vector<std::string>& path);
};

}  // namespace kanvio
