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

namespace {

std::vector<ProductPrice> ReadPrices(const pugi::xml_node& list) {
  std::vector<ProductPrice> prices;
  net::ForEachItem(list, [&](const pugi::xml_node& price) {
    prices.push_back(
        {net::OptionalFloat(price, "Price"), net::Text(price, "CurrencyID"), net::Text(price, "TaxModel")});
  });
  return prices;
}

void WritePrices(net::SoapWriter& writer, const std::vector<ProductPrice>& prices) {
  writer.BeginArray("ProductPrices", "pt:TProductPrice", prices.size());
  for (const ProductPrice& price : prices) {
    writer.BeginStruct("item", "pt:TProductPrice");
    writer.String("CurrencyID", price.CurrencyID);
    writer.String("TaxModel", price.TaxModel);
    // Price is required in the record; a price without value clears it.
    if (price.Price) {
      writer.Float("Price", *price.Price);
    } else {
      writer.Nil("Price");
    }
    writer.EndStruct();
  }
  writer.EndArray();
}

// The members both records share, after their key.
void WriteProductFields(net::SoapWriter& writer, const ProductRecord& record) {
  writer.Optional("IsNew", record.IsNew);
  writer.Optional("IsDownloadProduct", record.IsDownloadProduct);
  if (!record.Name.empty()) WriteLocalizedValues(writer, "Name", record.Name);
  if (!record.Description.empty()) WriteLocalizedValues(writer, "Description", record.Description);
  writer.Optional("TaxClass", record.TaxClass);
  writer.Optional("OrderUnit", record.OrderUnit);
  writer.Optional("Class", record.Class);
  writer.Optional("Weight", record.Weight);
  writer.Optional("WeightUnit", record.WeightUnit);
  if (!record.ProductPrices.empty()) WritePrices(writer, record.ProductPrices);
  writer.Optional("PriceQuantity", record.PriceQuantity);
  writer.Optional("StockLevel", record.StockLevel);
  writer.Optional("StockLevelAlert", record.StockLevelAlert);
}

void WriteProducts(net::SoapWriter& writer, const std::vector<ProductRecord>& records, bool create) {
  const char* type = create ? "pt:TCreate_Input" : "pt:TUpdate_Input";
  writer.DeclareNamespace("pt", std::string(kProductService.types_urn));
  writer.DeclareNamespace("et", std::string(kEpagesTypesUrn));
  writer.BeginArray("Products", type, records.size());
  for (const ProductRecord& record : records) {
    writer.BeginStruct("item", type);
    writer.String(create ? "Alias" : "Path", create ? record.Alias : record.Path);
    WriteProductFields(writer, record);
    writer.EndStruct();
  }
  writer.EndArray();
}

}  // namespace

void WriteProductCreates(net::SoapWriter& writer, const std::vector<ProductRecord>& records) {
  WriteProducts(writer, records, true);
}

void WriteProductUpdates(net::SoapWriter& writer, const std::vector<ProductRecord>& records) {
  WriteProducts(writer, records, false);
}

ProductInfo ReadProductInfo(const pugi::xml_node& item) {
  ProductInfo product;
  product.Path = net::Text(item, "Path");
  product.Error = ReadError(item);
  if (product.Error) return product;
  net::ForEachMember(item, [&](std::string_view name, const pugi::xml_node& member) {
    if (name == "Alias") product.Alias = net::ElementView(member).value_or(std::string_view());
    if (name == "Name") product.Name = ReadLocalizedValues(member);
    if (name == "Description") product.Description = ReadLocalizedValues(member);
    if (name == "SuperProduct") product.SuperProduct = net::ElementText(member);
    if (name == "TaxClass") product.TaxClass = net::ElementText(member);
    if (name == "OrderUnit") product.OrderUnit = net::ElementText(member);
    if (name == "VariationAttributes") product.VariationAttributes = ReadAttributes(member);
    if (name == "IsDownloadProduct")
      product.IsDownloadProduct = net::OptionalBoolean(item, name).value_or(false);
    if (name == "Weight") product.Weight = net::ElementFloat(member);
    if (name == "ProductPrices") product.ProductPrices = ReadPrices(member);
    if (name == "DepositPrices") product.DepositPrices = ReadPrices(member);
  });
  return product;
}

ProductResult ReadProductResult(const pugi::xml_node& item) {
  return {net::Text(item, "Path"), net::Text(item, "Alias"), ReadError(item)};
}

}  // namespace kanvio::epages
