#pragma once
// The records of OrderService 2011/01 that the order import reads and the
// order states write, and how they go over the wire. Only the fields the
// connector uses are kept.

#include <optional>
#include <pugixml.hpp>
#include <string>
#include <vector>

#include "net/SoapWriter.h"
#include "shops/epages/EpagesTypes.h"

namespace kanvio::epages {

// TFind_Input: a flag is sent only when it holds a value.
struct OrderSearch {
  std::optional<bool> NotInProcess, NotArchived, NotCancelled, NotClosed;
};

// TAddressNamed, the fields the orders file shows. Texts that the server left
// out read as empty; Gender keeps the difference.
struct Address {
  std::string Company, AddressExtension, Salutation, Title, FirstName, LastName, Street, Street2, Zipcode,
      City, CountryID, EMail, Phone, Fax, VATID, BankAccountHolder, BankAccountNo, BankCode, BankName;
  std::optional<std::string> Gender;
  bool operator==(const Address&) const = default;
};

// Every kind of line item in one record; the fields a kind lacks stay empty.
struct LineItem {
  std::string Name, SKU, Product, ShippingMethod, PaymentMethod, ChoiceName;
  float Quantity = 0, LineItemPrice = 0, TaxRate = 0;
  bool operator==(const LineItem&) const = default;
};

// TLineItemContainerOut. A list the answer does not carry is nullopt.
struct LineItemContainer {
  std::string TaxModel;
  float GrandTotal = 0;
  std::vector<LineItem> ProductLineItems;
  std::optional<LineItem> ShippingLineItem, PaymentLineItem;
  std::optional<std::vector<LineItem>> PaymentDiscountLineItems, CouponLineItems,
      GlobalValueDiscountLineItems, ShippingOptionLineItems;
  bool operator==(const LineItemContainer&) const = default;
};

// TGetInfo_Return.
struct OrderInfo {
  std::string Path, Alias, Customer;
  std::optional<std::string> CreationDate;
  std::vector<Attribute> Attributes;
  std::optional<Address> BillingAddress, ShippingAddress;
  std::optional<epages::LineItemContainer> LineItemContainer;
  std::optional<std::string> Error;
  bool operator==(const OrderInfo&) const = default;
};

// TUpdate_Input, as the order states use it.
struct OrderUpdate {
  std::string Path;
  std::vector<Attribute> Attributes;
};

// TUpdate_Return.
struct OrderUpdateResult {
  std::string Path;
  std::optional<bool> updated;
  std::optional<std::string> Error;
};

void WriteOrderSearch(net::SoapWriter& writer, const OrderSearch& search);
void WriteOrderUpdates(net::SoapWriter& writer, const std::vector<OrderUpdate>& updates);

OrderInfo ReadOrderInfo(const pugi::xml_node& item);
// The same into a record that may hold an earlier order, reusing its storage.
void ReadOrderInfo(const pugi::xml_node& item, OrderInfo& order);
OrderUpdateResult ReadOrderUpdateResult(const pugi::xml_node& item);
Address ReadAddress(const pugi::xml_node& address);

}  // namespace kanvio::epages
