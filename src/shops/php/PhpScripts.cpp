#include "shops/php/PhpScripts.h"

#include "support/Error.h"

namespace kanvio::php {

std::string ScriptPrefix(const std::string& erp) {
  if (erp == "ledgrox") return "ledgrox_osc";
  if (erp == "vd") return "vd_osc";
  throw Error("Das ERP-System \"" + erp +
              "\" wird von den Shop-Skripten nicht unterstützt. Erwartet wird \"ledgrox\" oder \"vd\".");
}

std::string CheckConnectionPrefix(const std::string& erp) { return erp == "ledgrox" ? "ledgrox_osc" : "vd_osc"; }

std::string OrdersUrl(const std::string& base, const std::string& prefix, const std::string& shop) {
  return base + "/" + prefix + ".php?shp_system=" + shop;
}

std::string CheckUrl(const std::string& base, const std::string& prefix, const std::string& function,
                     const std::string& shop) {
  return base + "/" + prefix + "_val.php?function_name=" + function + "&CallName=check_function&shp_system=" + shop;
}

std::string SyncUrl(const std::string& base, const std::string& prefix, const std::string& shop,
                    const std::string& sync) {
  return base + "/" + prefix + "_sync.php?shp_system=" + shop + "&sync=" + sync;
}

std::string OrderStateUrl(const std::string& base, const std::string& prefix, const std::string& shop,
                          const std::string& order_number) {
  return base + "/" + prefix + "_del.php?shp_system=" + shop + "&id=" + EncodeOrderNumber(order_number);
}

std::string EncodeOrderNumber(const std::string& order_number) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : order_number) {
    const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
                       c == '_' || c == '.';
    if (plain) {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

}  // namespace kanvio::php
