#pragma once

#include <optional>
#include <vector>

#include "net/EbayTradingTypes.h"

namespace kanvio::service {

// One sold order as fetched, before it becomes a record of the orders file.
struct EbayOrder {
  net::OrderTransaction Order;  // the sold-list entry
  // A single order: the item call's transactions. A combined order: its one
  // transaction from the order call, carrying the order's shipping service.
  std::vector<net::Transaction> Transaction;
  // One item call result per order line; a line whose call failed has none.
  std::vector<std::optional<net::ItemTransactions>> Item;
  std::optional<net::Address> PaymentAddress;
};

}  // namespace kanvio::service
