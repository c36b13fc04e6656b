#pragma once

#include <string>
#include <string_view>

namespace kanvio {

class ParameterValidator {
 public:
  // The hook for a shop URL check; every text is accepted.
  static bool IsValidShopUrl(const std::string& url);
  // Deciphers one built-in key with the key routine. A damaged key is logged
  // and raises Error.
  static std::string CalcKey(std::string_view enciphered);
  // Deciphers amazon_validationkey into amazon_secrectAccessKey and saves.
  static void Calculatekey();
  static std::string decryptString(std::string_view enciphered);
};

}  // namespace kanvio
