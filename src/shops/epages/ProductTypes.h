#pragma once
// The records of ProductService 2011/10 and how they go over the wire. Only
// the fields that the connector uses so far are kept; further ones join as
// the product operations need them.

#include <optional>
#include <pugixml.hpp>
#include <string>
#include <vector>

#include "net/SoapWriter.h"
#include "shops/epages/EpagesTypes.h"

namespace kanvio::epages {

// TFind_Input; nothing set lists every product.
struct ProductSearch {
  std::optional<std::string> Alias;
};

// TProductPrice. A price that the shop cleared has no value.
struct ProductPrice {
  std::optional<float> Price;
  std::string CurrencyID, TaxModel;
};

// TGetInfo_Return.
struct ProductInfo {
  std::string Path, Alias;
  std::vector<LocalizedValue> Name;
  std::vector<Attribute> VariationAttributes;
  std::vector<ProductPrice> DepositPrices;
  std::optional<std::string> Error;
};

void WriteProductSearch(net::SoapWriter& writer, const ProductSearch& search);
ProductInfo ReadProductInfo(const pugi::xml_node& item);

}  // namespace kanvio::epages
