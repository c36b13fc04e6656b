#pragma once
// What the connector reads from the Trading API answers: only the fields the
// order import and the token flow use. Enumerations arrive as names; a name
// this library does not know reads as "no value".

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/Clock.h"

namespace kanvio::net {

// Numbered as the host's switches number them.
enum class PaidStatus {
  NotPaid = 0,
  BuyerHasNotCompletedCheckout = 1,
  PaymentPendingWithPayPal = 2,
  PaidWithPayPal = 3,
  MarkedAsPaid = 4,
  PaymentPendingWithEscrow = 5,
  PaidWithEscrow = 6,
  EscrowPaymentCancelled = 7,
  PaymentPendingWithPaisaPay = 8,
  PaidWithPaisaPay = 9,
  PaymentPending = 10,
  PaymentPendingWithPaisaPayEscrow = 11,
  PaidWithPaisaPayEscrow = 12,
  PaisaPayNotPaid = 13,
  Refunded = 14,
  WaitingForCODPayment = 15,
  PaidCOD = 16,
  CustomCode = 17,
  Paid = 18,
};

enum class CompleteStatus { Incomplete, Complete, Pending };

enum class TokenStatus { Active, Expired, Invalid, RevokedByApp, RevokedByeBay, RevokedByUser, Other };

struct Amount {
  double value = 0;
  std::string currency;  // the currencyID attribute
};

struct Address {
  std::string name, street1, street2, city_name, postal_code, country, country_name, phone;
};

struct User {
  std::string user_id;
  std::string email;
  std::optional<Address> registration_address;
  std::optional<Address> shipping_address;        // BuyerInfo/ShippingAddress
  std::optional<Address> seller_payment_address;  // SellerInfo/SellerPaymentAddress
};

struct ShippingServiceSelected {
  std::string service;
  std::optional<Amount> cost;
};

// One name of a variation with its values, in answer order.
using VariationSpecific = std::pair<std::string, std::vector<std::string>>;

struct Transaction {
  std::string item_id;  // Item/ItemID
  std::string transaction_id;
  std::string order_line_item_id;
  std::optional<platform::UtcTime> created_date;
  std::optional<std::int32_t> quantity_purchased;
  std::optional<Amount> transaction_price;
  User buyer;
  std::optional<PaidStatus> seller_paid_status;
  std::optional<CompleteStatus> complete_status;  // Status/CompleteStatus
  std::string payment_method_used;                // Status/PaymentMethodUsed, a name
  std::optional<ShippingServiceSelected> shipping_service_selected;
  std::optional<std::string> buyer_checkout_message;
  std::vector<VariationSpecific> variation;  // Variation/VariationSpecifics
};

// A combined order of several lines.
struct Order {
  std::string order_id;
  std::vector<Transaction> transactions;
  std::optional<ShippingServiceSelected> shipping_service_selected;
};

// One entry of the sold list: a single line or a combined order.
struct OrderTransaction {
  std::optional<Transaction> transaction;
  std::optional<Order> order;
};

struct SoldListPage {
  bool has_sold_list = false;
  std::vector<OrderTransaction> entries;
  std::int32_t total_pages = 0;
};

struct Listing {
  std::string item_id, title, view_item_url, view_item_url_for_natural_search;
};

// The answer of GetItemTransactions: the listing and its transactions.
struct ItemTransactions {
  Listing item;
  std::vector<Transaction> transactions;
};

}  // namespace kanvio::net
