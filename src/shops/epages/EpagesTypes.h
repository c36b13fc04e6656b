#pragma once
// The ePages services the connector calls, with their namespaces, and the
// records that every service shares (EpagesTypes 2005/01). Readers take an
// answer item and never throw: what is missing reads as empty.

#include <optional>
#include <pugixml.hpp>
#include <string>
#include <string_view>
#include <vector>

namespace kanvio::epages {

struct Service {
  std::string_view name;
  std::string_view urn;        // body namespace, SOAPAction prefix
  std::string_view types_urn;  // the service's own record types
};

inline constexpr std::string_view kEpagesTypesUrn = "urn://epages.de/WebService/EpagesTypes/2005/01";

inline constexpr Service kOrderService{"OrderService", "urn://epages.de/WebService/OrderService/2011/01",
                                       "urn://epages.de/WebService/OrderTypes/2011/01"};
inline constexpr Service kCustomerService{"CustomerService",
                                          "urn://epages.de/WebService/CustomerService/2007/08",
                                          "urn://epages.de/WebService/CustomerTypes/2007/08"};
inline constexpr Service kProductService{"ProductService",
                                         "urn://epages.de/WebService/ProductService/2011/10",
                                         "urn://epages.de/WebService/ProductTypes/2011/10"};

// TAttribute.
struct Attribute {
  std::string Name;
  std::optional<std::string> Value;
};

// TLocalizedValue.
struct LocalizedValue {
  std::string LanguageCode;
  std::string Value;
};

// The message of an item's Error element; nullopt when the item has none.
// An Error without message reads as a text of its own, never as success.
std::optional<std::string> ReadError(const pugi::xml_node& item);
std::vector<Attribute> ReadAttributes(const pugi::xml_node& list);
std::vector<LocalizedValue> ReadLocalizedValues(const pugi::xml_node& list);
// The strings of a string array (find results), in order.
std::vector<std::string> ReadStrings(const pugi::xml_node& list);

}  // namespace kanvio::epages
