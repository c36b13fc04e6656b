#pragma once
// The stubs of the price list services: PriceListService 2010/08 (the lists)
// and PriceListAssignmentService 2005/01 (a product's scale prices in a
// list). They throw, as the stubs of CategoryServices.h do, when a request
// fails as a whole. One thread at a time.

#include <optional>
#include <pugixml.hpp>
#include <string>
#include <vector>

#include "config/Settings.h"
#include "net/SoapClient.h"
#include "platform/HttpClient.h"
#include "shops/epages/CategoryServices.h"
#include "shops/epages/EpagesTypes.h"
#include "support/DateTime.h"

namespace kanvio::epages {

// TCreate_Input (Alias and the validity) or TUpdate_Input (Path) of a list.
struct PriceListRecord {
  std::string Alias, Path, CurrencyID, TaxModel;
  std::optional<LocalDateTime> ValidFromUtc, ValidToUtc;  // UTC calendar times, sent with "Z"
  std::vector<LocalizedValue> Name;
};

struct ScalePrice {
  float Quantity = 0, Price = 0;
};

// A product's scale prices in one list, and the answer to it.
struct ScalePrices {
  std::string Product, PriceList;
  std::vector<ScalePrice> Prices;
  std::optional<std::string> Error;
};

class PriceListService {
 public:
  PriceListService(const Settings& settings, const platform::HttpClientFactory& http);

  ObjectResult Create(const PriceListRecord& list);
  ObjectResult Update(const PriceListRecord& list);

 private:
  net::SoapClient stub_;
};

class PriceListAssignmentService {
 public:
  PriceListAssignmentService(const Settings& settings, const platform::HttpClientFactory& http);

  // One answer per entry (Product, PriceList and Error of the answer).
  std::vector<ScalePrices> SetScalePrices(const std::vector<ScalePrices>& products);

 private:
  net::SoapClient stub_;
};

ScalePrices ReadScalePricesResult(const pugi::xml_node& item);

}  // namespace kanvio::epages
