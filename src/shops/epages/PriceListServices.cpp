#include "shops/epages/PriceListServices.h"

#include "net/SoapAnswer.h"
#include "shops/epages/ServiceClients.h"

namespace kanvio::epages {
namespace {

constexpr const char* kListType = "plt:TPriceList_Input";

ObjectResult Single(const net::SoapAnswer& answer) {
  bool read = false;
  ObjectResult result;
  net::ForEachItem(answer.Part("PriceLists"), [&](const pugi::xml_node& item) {
    if (!read) result = ReadObjectResult(item);
    read = true;
  });
  if (!read) result.Error = "Keine Antwort des Shops";
  return result;
}

ObjectResult Send(net::SoapClient& stub, std::string_view operation, const PriceListRecord& list) {
  net::SoapWriter parameters;
  parameters.DeclareNamespace("plt", std::string(kPriceListService.types_urn));
  parameters.DeclareNamespace("et", std::string(kEpagesTypesUrn));
  parameters.BeginArray("PriceLists", kListType, 1);
  parameters.BeginStruct("item", kListType);
  if (!list.Alias.empty()) parameters.String("Alias", list.Alias);
  if (!list.Path.empty()) parameters.String("Path", list.Path);
  if (!list.CurrencyID.empty()) parameters.String("CurrencyID", list.CurrencyID);
  if (list.ValidFromUtc) parameters.DateTimeUtc("ValidFrom", *list.ValidFromUtc);
  if (list.ValidToUtc) parameters.DateTimeUtc("ValidTo", *list.ValidToUtc);
  WriteLocalizedValues(parameters, "Name", list.Name);
  parameters.String("TaxModel", list.TaxModel);
  parameters.EndStruct();
  parameters.EndArray();
  return Single(stub.Call(kPriceListService.urn, operation, parameters));
}

}  // namespace

ScalePrices ReadScalePricesResult(const pugi::xml_node& item) {
  return {net::Text(item, "Product"), net::Text(item, "PriceList"), {}, ReadError(item)};
}

PriceListService::PriceListService(const Settings& settings, const platform::HttpClientFactory& http)
    : stub_(StubEndpoint(settings, std::chrono::milliseconds(100'000)), http) {}

ObjectResult PriceListService::Create(const PriceListRecord& list) { return Send(stub_, "create", list); }
ObjectResult PriceListService::Update(const PriceListRecord& list) { return Send(stub_, "update", list); }

PriceListAssignmentService::PriceListAssignmentService(const Settings& settings,
                                                       const platform::HttpClientFactory& http)
    : stub_(StubEndpoint(settings, std::chrono::milliseconds(100'000)), http) {}

std::vector<ScalePrices> PriceListAssignmentService::SetScalePrices(
    const std::vector<ScalePrices>& products) {
  net::SoapWriter parameters;
  parameters.DeclareNamespace("pat", std::string(kPriceListAssignmentService.types_urn));
  parameters.BeginArray("Products", "pat:TSetScalePrices_Input", products.size());
  for (const ScalePrices& product : products) {
    parameters.BeginStruct("item", "pat:TSetScalePrices_Input");
    parameters.String("Product", product.Product);
    parameters.String("PriceList", product.PriceList);
    parameters.BeginArray("ScalePrices", "pat:TScalePrice", product.Prices.size());
    for (const ScalePrice& price : product.Prices) {
      parameters.BeginStruct("item", "pat:TScalePrice");
      parameters.Float("Quantity", price.Quantity);
      parameters.Float("Price", price.Price);
      parameters.EndStruct();
    }
    parameters.EndArray();
    parameters.EndStruct();
  }
  parameters.EndArray();
  std::vector<ScalePrices> results;
  const auto answer = stub_.Call(kPriceListAssignmentService.urn, "setScalePrices", parameters);
  net::ForEachItem(answer.Part("Products"),
                   [&](const pugi::xml_node& item) { results.push_back(ReadScalePricesResult(item)); });
  return results;
}

}  // namespace kanvio::epages
