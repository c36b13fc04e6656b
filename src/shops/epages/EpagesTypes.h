#pragma once
// The ePages services the connector calls, with their namespaces, and the
// records that every service shares (EpagesTypes 2005/01). Readers take an
// answer item and never throw: what is missing reads as empty.

#include <optional>
#include <pugixml.hpp>
#include <string>
#include <string_view>
#include <vector>

#include "net/SoapWriter.h"

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
inline constexpr Service kProductTypeService{"ProductTypeService",
                                             "urn://epages.de/WebService/ProductTypeService/2007/10",
                                             "urn://epages.de/WebService/ProductTypeTypes/2007/10"};
inline constexpr Service kCatalogService{"CatalogService",
                                         "urn://epages.de/WebService/CatalogService/2011/03",
                                         "urn://epages.de/WebService/CatalogTypes/2011/03"};
inline constexpr Service kAssignmentService{"AssignmentService",
                                            "urn://epages.de/WebService/AssignmentService/2005/01",
                                            "urn://epages.de/WebService/AssignmentTypes/2005/01"};
inline constexpr Service kPriceListService{"PriceListService",
                                           "urn://epages.de/WebService/PriceListService/2010/08",
                                           "urn://epages.de/WebService/PriceListTypes/2010/08"};
inline constexpr Service kPriceListAssignmentService{
    "PriceListAssignmentService", "urn://epages.de/WebService/PriceListAssignmentService/2005/01",
    "urn://epages.de/WebService/PriceListAssignmentTypes/2005/01"};
inline constexpr Service kProductImageService{"ProductImageService",
                                              "urn://epages.de/WebService/ProductImageService/2006/03",
                                              "urn://epages.de/WebService/ProductImageTypes/2006/03"};

// TAttribute.
struct Attribute {
  std::string Name;
  std::optional<std::string> Value;
  bool operator==(const Attribute&) const = default;
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
// The value of the first localized value; empty when there is none.
std::string FirstValue(const std::vector<LocalizedValue>& values);
// The strings of a string array (find results), in order.
std::vector<std::string> ReadStrings(const pugi::xml_node& list);

// Writes values as a ListOfLocalizedValues (the prefix "et" must stand for
// kEpagesTypesUrn).
void WriteLocalizedValues(net::SoapWriter& writer, std::string_view name,
                          const std::vector<LocalizedValue>& values);

}  // namespace kanvio::epages
