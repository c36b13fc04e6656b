#pragma once
// The records of ProductService 2011/10 and how they go over the wire: the
// fields that the order import, the article export, the price and stock
// updates and the article import use.

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
  std::vector<LocalizedValue> Name, Description;
  std::optional<std::string> SuperProduct, TaxClass, OrderUnit;
  std::vector<Attribute> VariationAttributes;
  bool IsDownloadProduct = false;
  std::optional<float> Weight;
  std::vector<ProductPrice> ProductPrices, DepositPrices;
  std::optional<std::string> Error;
};

// TCreate_Input (create: Alias, no Path) and TUpdate_Input (update: Path,
// no Alias). What is not set stays out of the request; an empty list of
// prices or texts is not sent either.
struct ProductRecord {
  std::string Alias, Path;
  std::optional<bool> IsNew, IsDownloadProduct;
  std::vector<LocalizedValue> Name, Description;
  std::optional<std::string> TaxClass, OrderUnit, Class, WeightUnit;
  std::optional<float> Weight, PriceQuantity, StockLevel, StockLevelAlert;
  std::vector<ProductPrice> ProductPrices;
};

// TCreate_Return / TUpdate_Return.
struct ProductResult {
  std::string Path, Alias;
  std::optional<std::string> Error;
};

void WriteProductSearch(net::SoapWriter& writer, const ProductSearch& search);
void WriteProductCreates(net::SoapWriter& writer, const std::vector<ProductRecord>& records);
void WriteProductUpdates(net::SoapWriter& writer, const std::vector<ProductRecord>& records);
ProductInfo ReadProductInfo(const pugi::xml_node& item);
ProductResult ReadProductResult(const pugi::xml_node& item);

}  // namespace kanvio::epages
