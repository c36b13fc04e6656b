#pragma once
// Single values of the shop configuration file. Each read loads the file anew
// (creating the basic file when it is missing); a missing element or any
// failure gives the fallback: false, 10, or the empty text. Failures are
// logged, never thrown (except a failure of the logger itself). Booleans are
// "true"/"false" in any case with white space around; keys are element names
// looked up as descendants at any depth, the first match in document order.

#include <string>
#include <vector>

namespace kanvio {

class ConfigFileReader {
 public:
  static bool GetValueFromShop(const std::string& shop, const std::string& action, const std::string& key);
  static bool GetValueFromGenerellConfig(const std::string& key);
  static int getValueFromGenerellConfig_Int(const std::string& key);
  static std::string getValueFromGenerellConfig_String(const std::string& key);
  // Whether the nested path of element names exists below the root, e.g.
  // {"shops", "ebay", "formatting"}; false (and no file made) when the file is missing.
  static bool DoesConfigValueExisits(const std::vector<std::string>& path);
};

}  // namespace kanvio
