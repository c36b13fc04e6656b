#pragma once
// The record of CustomerService 2007/08 that the order import reads.

#include <optional>
#include <pugixml.hpp>
#include <string>

namespace kanvio::epages {

// TGetInfo_Return, the fields the orders file uses.
struct CustomerInfo {
  std::string Path, Alias;
  std::optional<std::string> Error;
};

CustomerInfo ReadCustomerInfo(const pugi::xml_node& item);

}  // namespace kanvio::epages
