// Readers and writers of the customer and product records.

#include "net/SoapAnswer.h"
#include "shops/epages/CustomerTypes.h"
#include "shops/epages/ProductTypes.h"

namespace kanvio::epages {

CustomerInfo ReadCustomerInfo(const pugi::xml_node& item) {
  CustomerInfo customer{net::Text(item, "Path"), {}, ReadError(item)};
  if (!customer.Error) customer.Alias = net::Text(item, "Alias");
  return customer;
}

void WriteProductSearch(net::SoapWriter& writer, const ProductSearch& search) {
  writer.BeginStruct("SearchParameters", "ns1:TFind_Input");
  writer.Optional("Alias", search.Alias);
  writer.EndStruct();
}

ProductInfo ReadProductInfo(const pugi::xml_node& item) {
  ProductInfo product;
  product.Path = net::Text(item, "Path");
  product.Error = ReadError(item);
  if (product.Error) return product;
  product.Alias = net::Text(item, "Alias");
  product.Name = ReadLocalizedValues(net::Child(item, "Name"));
  product.VariationAttributes = ReadAttributes(net::Child(item, "VariationAttributes"));
  net::ForEachItem(net::Child(item, "DepositPrices"), [&](const pugi::xml_node& price) {
    product.DepositPrices.push_back(
        {net::OptionalFloat(price, "Price"), net::Text(price, "CurrencyID"), net::Text(price, "TaxModel")});
  });
  return product;
}

}  // namespace kanvio::epages
