#include "shops/php/PhpScripts.h"

#include "shops/ShopRequests.h"
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

}  // namespace kanvio::php
