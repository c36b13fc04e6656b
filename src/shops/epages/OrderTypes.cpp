#include "shops/epages/OrderTypes.h"

#include "net/SoapAnswer.h"

namespace kanvio::epages {
namespace {

using net::Child;
using net::Text;

LineItem ReadLineItem(const pugi::xml_node& item) {
  LineItem line;
  line.Name = Text(item, "Name");
  line.SKU = Text(item, "SKU");
  line.Product = Text(item, "Product");
  line.ShippingMethod = Text(item, "ShippingMethod");
  line.PaymentMethod = Text(item, "PaymentMethod");
  line.ChoiceName = Text(item, "ChoiceName");
  line.Quantity = net::OptionalFloat(item, "Quantity").value_or(0);
  line.LineItemPrice = net::OptionalFloat(item, "LineItemPrice").value_or(0);
  line.TaxRate = net::OptionalFloat(item, "TaxRate").value_or(0);
  return line;
}

std::optional<LineItem> ReadOptionalLineItem(const pugi::xml_node& parent, std::string_view name) {
  const pugi::xml_node item = Child(parent, name);
  if (!item || net::IsNil(item)) return std::nullopt;
  return ReadLineItem(item);
}

std::optional<std::vector<LineItem>> ReadLineItems(const pugi::xml_node& parent, std::string_view name) {
  const pugi::xml_node list = Child(parent, name);
  if (!list || net::IsNil(list)) return std::nullopt;
  std::vector<LineItem> lines;
  net::ForEachItem(list, [&](const pugi::xml_node& item) { lines.push_back(ReadLineItem(item)); });
  return lines;
}

LineItemContainer ReadContainer(const pugi::xml_node& node) {
  LineItemContainer container;
  container.TaxModel = Text(node, "TaxModel");
  container.GrandTotal = net::OptionalFloat(node, "GrandTotal").value_or(0);
  container.ProductLineItems = ReadLineItems(node, "ProductLineItems").value_or(std::vector<LineItem>{});
  container.ShippingLineItem = ReadOptionalLineItem(node, "ShippingLineItem");
  container.PaymentLineItem = ReadOptionalLineItem(node, "PaymentLineItem");
  container.PaymentDiscountLineItems = ReadLineItems(node, "PaymentDiscountLineItems");
  container.CouponLineItems = ReadLineItems(node, "CouponLineItems");
  container.GlobalValueDiscountLineItems = ReadLineItems(node, "GlobalValueDiscountLineItems");
  container.ShippingOptionLineItems = ReadLineItems(node, "ShippingOptionLineItems");
  return container;
}

std::optional<Address> ReadOptionalAddress(const pugi::xml_node& parent, std::string_view name) {
  const pugi::xml_node address = Child(parent, name);
  if (!address || net::IsNil(address)) return std::nullopt;
  return ReadAddress(address);
}

}  // namespace

Address ReadAddress(const pugi::xml_node& node) {
  Address a;
  std::string* const texts[] = {
      &a.Company, &a.AddressExtension,  &a.Salutation,    &a.Title,     &a.FirstName, &a.LastName, &a.Street,
      &a.Street2, &a.Zipcode,           &a.City,          &a.CountryID, &a.EMail,     &a.Phone,    &a.Fax,
      &a.VATID,   &a.BankAccountHolder, &a.BankAccountNo, &a.BankCode,  &a.BankName};
  static constexpr std::string_view kNames[] = {
      "Company", "AddressExtension",  "Salutation",    "Title",     "FirstName", "LastName", "Street",
      "Street2", "Zipcode",           "City",          "CountryID", "EMail",     "Phone",    "Fax",
      "VATID",   "BankAccountHolder", "BankAccountNo", "BankCode",  "BankName"};
  static_assert(std::size(kNames) == std::size(texts));
  for (std::size_t i = 0; i < std::size(kNames); ++i) *texts[i] = Text(node, kNames[i]);
  a.Gender = net::OptionalText(node, "Gender");
  return a;
}

OrderInfo ReadOrderInfo(const pugi::xml_node& item) {
  OrderInfo order;
  order.Path = Text(item, "Path");
  order.Error = ReadError(item);
  if (order.Error) return order;
  order.Alias = Text(item, "Alias");
  order.Customer = Text(item, "Customer");
  order.CreationDate = net::OptionalText(item, "CreationDate");
  order.Attributes = ReadAttributes(Child(item, "Attributes"));
  order.BillingAddress = ReadOptionalAddress(item, "BillingAddress");
  order.ShippingAddress = ReadOptionalAddress(item, "ShippingAddress");
  const pugi::xml_node container = Child(item, "LineItemContainer");
  if (container && !net::IsNil(container)) order.LineItemContainer = ReadContainer(container);
  return order;
}

OrderUpdateResult ReadOrderUpdateResult(const pugi::xml_node& item) {
  return {Text(item, "Path"), net::OptionalBoolean(item, "updated"), ReadError(item)};
}

void WriteOrderSearch(net::SoapWriter& writer, const OrderSearch& search) {
  writer.BeginStruct("SearchParameters", "ns1:TFind_Input");
  writer.Optional("NotInProcess", search.NotInProcess);
  writer.Optional("NotArchived", search.NotArchived);
  writer.Optional("NotCancelled", search.NotCancelled);
  writer.Optional("NotClosed", search.NotClosed);
  writer.EndStruct();
}

void WriteOrderUpdates(net::SoapWriter& writer, const std::vector<OrderUpdate>& updates) {
  writer.DeclareNamespace("ot", std::string(kOrderService.types_urn));
  writer.DeclareNamespace("et", std::string(kEpagesTypesUrn));
  writer.BeginArray("Orders", "ot:TUpdate_Input", updates.size());
  for (const OrderUpdate& update : updates) {
    writer.BeginStruct("item", "ot:TUpdate_Input");
    writer.String("Path", update.Path);
    writer.BeginArray("Attributes", "et:TAttribute", update.Attributes.size());
    for (const Attribute& attribute : update.Attributes) {
      writer.BeginStruct("item", "et:TAttribute");
      writer.String("Name", attribute.Name);
      writer.Optional("Value", attribute.Value);
      writer.EndStruct();
    }
    writer.EndArray();
    writer.EndStruct();
  }
  writer.EndArray();
}

}  // namespace kanvio::epages
