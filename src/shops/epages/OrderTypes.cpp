#include "shops/epages/OrderTypes.h"

#include "net/SoapAnswer.h"

namespace kanvio::epages {
namespace {

using net::Child;
using net::Text;

template <class Record>
using TextMember = std::pair<std::string_view, std::string Record::*>;

// Sets the text member named name; false when there is none of that name.
template <class Record, std::size_t N>
bool SetText(Record& record, const TextMember<Record> (&members)[N], std::string_view name,
             const pugi::xml_node& element) {
  for (const auto& [member_name, member] : members) {
    if (member_name != name) continue;
    record.*member = net::ElementView(element).value_or(std::string_view());
    return true;
  }
  return false;
}

constexpr TextMember<LineItem> kLineTexts[] = {{"Name", &LineItem::Name},
                                               {"SKU", &LineItem::SKU},
                                               {"Product", &LineItem::Product},
                                               {"ShippingMethod", &LineItem::ShippingMethod},
                                               {"PaymentMethod", &LineItem::PaymentMethod},
                                               {"ChoiceName", &LineItem::ChoiceName}};

LineItem ReadLineItem(const pugi::xml_node& item) {
  LineItem line;
  net::ForEachMember(item, [&](std::string_view name, const pugi::xml_node& member) {
    if (SetText(line, kLineTexts, name, member)) return;
    if (name == "Quantity") line.Quantity = net::ElementFloat(member).value_or(0);
    if (name == "LineItemPrice") line.LineItemPrice = net::ElementFloat(member).value_or(0);
    if (name == "TaxRate") line.TaxRate = net::ElementFloat(member).value_or(0);
  });
  return line;
}

bool IsPresent(const pugi::xml_node& node) { return node && !net::IsNil(node); }

std::vector<LineItem> ReadLineItemList(const pugi::xml_node& list) {
  std::vector<LineItem> lines;
  std::size_t count = 0;
  net::ForEachItem(list, [&](const pugi::xml_node&) { ++count; });
  lines.reserve(count);  // line items are large; growing would move them several times
  net::ForEachItem(list, [&](const pugi::xml_node& item) { lines.push_back(ReadLineItem(item)); });
  return lines;
}

LineItemContainer ReadContainer(const pugi::xml_node& node) {
  LineItemContainer container;
  using Lists = std::optional<std::vector<LineItem>> LineItemContainer::*;
  static constexpr std::pair<std::string_view, Lists> kLists[] = {
      {"PaymentDiscountLineItems", &LineItemContainer::PaymentDiscountLineItems},
      {"CouponLineItems", &LineItemContainer::CouponLineItems},
      {"GlobalValueDiscountLineItems", &LineItemContainer::GlobalValueDiscountLineItems},
      {"ShippingOptionLineItems", &LineItemContainer::ShippingOptionLineItems}};
  net::ForEachMember(node, [&](std::string_view name, const pugi::xml_node& member) {
    if (!IsPresent(member)) return;
    if (name == "TaxModel") container.TaxModel = member.child_value();
    if (name == "GrandTotal") container.GrandTotal = net::ElementFloat(member).value_or(0);
    if (name == "ProductLineItems") container.ProductLineItems = ReadLineItemList(member);
    if (name == "ShippingLineItem") container.ShippingLineItem = ReadLineItem(member);
    if (name == "PaymentLineItem") container.PaymentLineItem = ReadLineItem(member);
    for (const auto& [list_name, list] : kLists) {
      if (name == list_name) container.*list = ReadLineItemList(member);
    }
  });
  return container;
}

constexpr TextMember<Address> kAddressTexts[] = {{"Company", &Address::Company},
                                                 {"AddressExtension", &Address::AddressExtension},
                                                 {"Salutation", &Address::Salutation},
                                                 {"Title", &Address::Title},
                                                 {"FirstName", &Address::FirstName},
                                                 {"LastName", &Address::LastName},
                                                 {"Street", &Address::Street},
                                                 {"Street2", &Address::Street2},
                                                 {"Zipcode", &Address::Zipcode},
                                                 {"City", &Address::City},
                                                 {"CountryID", &Address::CountryID},
                                                 {"EMail", &Address::EMail},
                                                 {"Phone", &Address::Phone},
                                                 {"Fax", &Address::Fax},
                                                 {"VATID", &Address::VATID},
                                                 {"BankAccountHolder", &Address::BankAccountHolder},
                                                 {"BankAccountNo", &Address::BankAccountNo},
                                                 {"BankCode", &Address::BankCode},
                                                 {"BankName", &Address::BankName}};

}  // namespace

Address ReadAddress(const pugi::xml_node& node) {
  Address address;
  net::ForEachMember(node, [&](std::string_view name, const pugi::xml_node& member) {
    if (name == "Gender") {
      address.Gender = net::ElementText(member);
    } else {
      SetText(address, kAddressTexts, name, member);
    }
  });
  return address;
}

OrderInfo ReadOrderInfo(const pugi::xml_node& item) {
  OrderInfo order;
  order.Error = ReadError(item);
  net::ForEachMember(item, [&](std::string_view name, const pugi::xml_node& member) {
    if (name == "Path") order.Path = net::ElementText(member).value_or(std::string());
    if (order.Error) return;
    if (name == "Alias") order.Alias = net::ElementText(member).value_or(std::string());
    if (name == "Customer") order.Customer = net::ElementText(member).value_or(std::string());
    if (name == "CreationDate") order.CreationDate = net::ElementText(member);
    if (name == "Attributes") order.Attributes = ReadAttributes(member);
    if (!IsPresent(member)) return;
    if (name == "BillingAddress") order.BillingAddress = ReadAddress(member);
    if (name == "ShippingAddress") order.ShippingAddress = ReadAddress(member);
    if (name == "LineItemContainer") order.LineItemContainer = ReadContainer(member);
  });
  return order;
}

OrderOutline ReadOrderOutline(const pugi::xml_node& item) {
  OrderOutline outline;
  outline.HasError = ReadError(item).has_value();
  if (outline.HasError) return outline;
  // The last of repeated members counts, and a nil container leaves the one before, as when reading it all.
  net::ForEachMember(item, [&](std::string_view name, const pugi::xml_node& member) {
    if (name == "Customer") outline.Customer = net::ElementText(member).value_or(std::string());
    if (name != "LineItemContainer" || !IsPresent(member)) return;
    outline.HasProducts = false;
    net::ForEachMember(member, [&](std::string_view list_name, const pugi::xml_node& list) {
      if (list_name != "ProductLineItems" || !IsPresent(list)) return;
      outline.HasProducts = false;
      net::ForEachItem(list, [&](const pugi::xml_node&) { outline.HasProducts = true; });
    });
  });
  return outline;
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
