#include "shops/epages/OrderTypes.h"

#include "net/SoapAnswer.h"

namespace kanvio::epages {
namespace {

using net::Text;

// Readers fill records that may hold an earlier order: every field is set or
// cleared, so that string and list storage is reused instead of reallocated.

void Assign(std::string& field, std::optional<std::string_view> value) {
  if (value) {
    field.assign(*value);
  } else {
    field.clear();
  }
}

void Assign(std::optional<std::string>& field, std::optional<std::string_view> value) {
  if (!value) {
    field.reset();
  } else if (field) {
    field->assign(*value);
  } else {
    field.emplace(*value);
  }
}

float FloatOr0(const pugi::xml_node& element) {
  const auto view = net::ElementView(element);
  return view ? net::FloatValue(*view).value_or(0) : 0;
}

bool IsPresent(const pugi::xml_node& node) { return node && !net::IsNil(node); }

void Clear(LineItem& line) {
  for (std::string* text :
       {&line.Name, &line.SKU, &line.Product, &line.ShippingMethod, &line.PaymentMethod, &line.ChoiceName})
    text->clear();
  line.Quantity = line.LineItemPrice = line.TaxRate = 0;
}

void Clear(Address& address) {
  for (std::string* text :
       {&address.Company, &address.AddressExtension, &address.Salutation, &address.Title, &address.FirstName,
        &address.LastName, &address.Street, &address.Street2, &address.Zipcode, &address.City,
        &address.CountryID, &address.EMail, &address.Phone, &address.Fax, &address.VATID,
        &address.BankAccountHolder, &address.BankAccountNo, &address.BankCode, &address.BankName})
    text->clear();
  address.Gender.reset();
}

void Clear(LineItemContainer& container) {
  container.TaxModel.clear();
  container.GrandTotal = 0;
  // The product lines stay for ReadContainer, which reads over them or drops them.
  container.ShippingLineItem.reset();
  container.PaymentLineItem.reset();
  container.PaymentDiscountLineItems.reset();
  container.CouponLineItems.reset();
  container.GlobalValueDiscountLineItems.reset();
  container.ShippingOptionLineItems.reset();
}

// The record in slot, emptied; a record left there before keeps its storage.
template <class Record>
Record& Fresh(std::optional<Record>& slot) {
  if (!slot) return slot.emplace();
  Clear(*slot);
  return *slot;
}

void ReadLineItem(const pugi::xml_node& item, LineItem& line) {
  net::ForEachMember(item, [&](std::string_view name, const pugi::xml_node& member) {
    std::string* text = nullptr;
    float* number = nullptr;
    switch (name.size()) {
      case 3:
        if (name == "SKU") text = &line.SKU;
        break;
      case 4:
        if (name == "Name") text = &line.Name;
        break;
      case 7:
        if (name == "Product") text = &line.Product;
        if (name == "TaxRate") number = &line.TaxRate;
        break;
      case 8:
        if (name == "Quantity") number = &line.Quantity;
        break;
      case 10:
        if (name == "ChoiceName") text = &line.ChoiceName;
        break;
      case 13:
        if (name == "PaymentMethod") text = &line.PaymentMethod;
        if (name == "LineItemPrice") number = &line.LineItemPrice;
        break;
      case 14:
        if (name == "ShippingMethod") text = &line.ShippingMethod;
        break;
      default:
        break;
    }
    if (text) Assign(*text, net::ElementView(member).value_or(std::string_view()));
    if (number) *number = FloatOr0(member);
  });
}

// Every element child is an item, whatever its name; a list read again replaces the one before.
void ReadLineItemList(const pugi::xml_node& list, std::vector<LineItem>& lines) {
  std::size_t count = 0;
  net::ForEachItem(list, [&](const pugi::xml_node& item) {
    if (count < lines.size()) {
      Clear(lines[count]);
    } else {
      lines.emplace_back();
    }
    ReadLineItem(item, lines[count++]);
  });
  lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(count), lines.end());
}

void ReadLineItemList(const pugi::xml_node& list, std::optional<std::vector<LineItem>>& lines) {
  if (!lines) lines.emplace();
  ReadLineItemList(list, *lines);
}

// A member that is nil leaves what an earlier one of the same name gave.
void ReadContainer(const pugi::xml_node& node, LineItemContainer& container) {
  bool products = false;
  net::ForEachMember(node, [&](std::string_view name, const pugi::xml_node& member) {
    if (!IsPresent(member)) return;
    if (name == "TaxModel") container.TaxModel = member.child_value();
    if (name == "GrandTotal") container.GrandTotal = net::FloatValue(member.child_value()).value_or(0);
    if (name == "ProductLineItems") {
      ReadLineItemList(member, container.ProductLineItems);
      products = true;
    }
    if (name == "ShippingLineItem") ReadLineItem(member, Fresh(container.ShippingLineItem));
    if (name == "PaymentLineItem") ReadLineItem(member, Fresh(container.PaymentLineItem));
    if (name == "PaymentDiscountLineItems") ReadLineItemList(member, container.PaymentDiscountLineItems);
    if (name == "CouponLineItems") ReadLineItemList(member, container.CouponLineItems);
    if (name == "GlobalValueDiscountLineItems")
      ReadLineItemList(member, container.GlobalValueDiscountLineItems);
    if (name == "ShippingOptionLineItems") ReadLineItemList(member, container.ShippingOptionLineItems);
  });
  if (!products) container.ProductLineItems.clear();
}

void ReadAddress(const pugi::xml_node& node, Address& address) {
  net::ForEachMember(node, [&](std::string_view name, const pugi::xml_node& member) {
    std::string* text = nullptr;
    switch (name.size()) {
      case 3:
        if (name == "Fax") text = &address.Fax;
        break;
      case 4:
        if (name == "City") text = &address.City;
        break;
      case 5:
        if (name == "Title") text = &address.Title;
        if (name == "EMail") text = &address.EMail;
        if (name == "Phone") text = &address.Phone;
        if (name == "VATID") text = &address.VATID;
        break;
      case 6:
        if (name == "Street") text = &address.Street;
        if (name == "Gender") Assign(address.Gender, net::ElementView(member));
        break;
      case 7:
        if (name == "Company") text = &address.Company;
        if (name == "Street2") text = &address.Street2;
        if (name == "Zipcode") text = &address.Zipcode;
        break;
      case 8:
        if (name == "LastName") text = &address.LastName;
        if (name == "BankCode") text = &address.BankCode;
        if (name == "BankName") text = &address.BankName;
        break;
      case 9:
        if (name == "FirstName") text = &address.FirstName;
        if (name == "CountryID") text = &address.CountryID;
        break;
      case 10:
        if (name == "Salutation") text = &address.Salutation;
        break;
      case 13:
        if (name == "BankAccountNo") text = &address.BankAccountNo;
        break;
      case 16:
        if (name == "AddressExtension") text = &address.AddressExtension;
        break;
      case 17:
        if (name == "BankAccountHolder") text = &address.BankAccountHolder;
        break;
      default:
        break;
    }
    if (text) Assign(*text, net::ElementView(member).value_or(std::string_view()));
  });
}

}  // namespace

Address ReadAddress(const pugi::xml_node& node) {
  Address address;
  ReadAddress(node, address);
  return address;
}

void ReadOrderInfo(const pugi::xml_node& item, OrderInfo& order) {
  order.Path.clear();
  order.Alias.clear();
  order.Customer.clear();
  order.CreationDate.reset();
  order.Attributes.clear();
  order.Error.reset();
  // The optional records are kept for their storage and dropped at the end when the item lacks them.
  bool billing = false, shipping = false, container = false;
  pugi::xml_node error;
  // One pass over the members; an item with an error keeps only its path, as if nothing else were read.
  net::ForEachMember(item, [&](std::string_view name, const pugi::xml_node& member) {
    switch (name.size()) {
      case 4:
        if (name == "Path") Assign(order.Path, net::ElementView(member).value_or(std::string_view()));
        break;
      case 5:
        if (name == "Alias") Assign(order.Alias, net::ElementView(member).value_or(std::string_view()));
        if (name == "Error" && !error) error = member;
        break;
      case 8:
        if (name == "Customer") Assign(order.Customer, net::ElementView(member).value_or(std::string_view()));
        break;
      case 10:
        if (name == "Attributes") order.Attributes = ReadAttributes(member);
        break;
      case 12:
        if (name == "CreationDate") Assign(order.CreationDate, net::ElementView(member));
        break;
      case 14:
        if (name == "BillingAddress" && IsPresent(member)) {
          ReadAddress(member, Fresh(order.BillingAddress));
          billing = true;
        }
        break;
      case 15:
        if (name == "ShippingAddress" && IsPresent(member)) {
          ReadAddress(member, Fresh(order.ShippingAddress));
          shipping = true;
        }
        break;
      case 17:
        if (name == "LineItemContainer" && IsPresent(member)) {
          ReadContainer(member, Fresh(order.LineItemContainer));
          container = true;
        }
        break;
      default:
        break;
    }
  });
  if (error && !net::IsNil(error)) {
    std::string message = Text(error, "Message");
    if (message.empty()) message = "Fehler ohne Beschreibung";
    order.Error = std::move(message);
    order.Alias.clear();
    order.Customer.clear();
    order.CreationDate.reset();
    order.Attributes.clear();
    billing = shipping = container = false;
  }
  if (!billing) order.BillingAddress.reset();
  if (!shipping) order.ShippingAddress.reset();
  if (!container) order.LineItemContainer.reset();
}

OrderInfo ReadOrderInfo(const pugi::xml_node& item) {
  OrderInfo order;
  ReadOrderInfo(item, order);
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
