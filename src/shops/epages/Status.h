#pragma once
// Writing order states back: every order of the host's order-state file gets
// the date attributes named in SetOrderStatusList.

#include <cstdint>
#include <pugixml.hpp>
#include <string>
#include <utility>
#include <vector>

#include "platform/HttpClient.h"

namespace kanvio::epages {

// An order of the state file: its number and its customer's number.
struct OrderStateRecord {
  std::string order_number;
  std::string customer_number;
};

class Status {
 public:
  // 1 when every order was updated (also for a file without orders); -1
  // otherwise, with error naming the first order that failed. A failed
  // update does not stop the others.
  static std::int32_t SetOrdersStatuses(std::string& error, const platform::HttpClientFactory& http);

  // The orders of a state file. Inside each `Bestellvorgang` its first
  // BestellnummerShop goes with its first KundennummerWebshop; one that lacks
  // either is logged and skipped. Only a document without any
  // `Bestellvorgang` pairs the two kinds of elements by position. Throws
  // Error with a German text when positional pairing finds fewer customer
  // than order numbers.
  static std::vector<OrderStateRecord> ReadOrderStates(const pugi::xml_node& document);
};

}  // namespace kanvio::epages
