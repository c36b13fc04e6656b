#pragma once
// Addresses of the four scripts that the shop operator installs on a PHP
// shop, for one ERP identifier.

#include <string>

namespace kanvio::php {

// "ledgrox_osc" or "vd_osc". Throws Error for any other identifier: no
// script names are known for it, so no request must be made.
std::string ScriptPrefix(const std::string& erp);
// The connection check knows only the two prefixes: everything but
// "ledgrox" asks the "vd_osc" scripts.
std::string CheckConnectionPrefix(const std::string& erp);

std::string OrdersUrl(const std::string& base, const std::string& prefix, const std::string& shop);
std::string CheckUrl(const std::string& base, const std::string& prefix, const std::string& function,
                     const std::string& shop);
std::string SyncUrl(const std::string& base, const std::string& prefix, const std::string& shop,
                    const std::string& sync);
std::string OrderStateUrl(const std::string& base, const std::string& prefix, const std::string& shop,
                          const std::string& order_number);

}  // namespace kanvio::php
