#pragma once
// The order side of the ePages connector: the order search, fetching orders
// into the orders file, the open-order query and the connection check. Each
// operation makes its own service clients and releases them at its end.

#include <cstdint>
#include <string>

#include "config/Settings.h"
#include "platform/HttpClient.h"
#include "shops/IWorker.h"
#include "shops/epages/OrderTypes.h"

namespace kanvio::epages {

class Orders {
 public:
  // 1: orders written to WEBSERVICE_RESULT_FILEPATH; 0: the file written
  // without orders (none found); -1: failure, error says why. The target is
  // replaced only once every order has been fetched; orders that cannot be
  // fetched, or whose customer cannot, are left out with error set.
  static std::int32_t GetOrders(std::string& error, IWorker* worker, const platform::HttpClientFactory& http);
  // 1 when the search finds an order, 0 when it finds none, -1 on failure.
  static std::int32_t FindOrders(const platform::HttpClientFactory& http);
  // 1 when the order search runs without an error, else -1 with error set.
  static std::int32_t CheckConnection(std::string& error, const platform::HttpClientFactory& http);

  // The search every operation sends: not in process, and the exclusions
  // that the shop configuration file (when it exists) switches on. The
  // switches are stored and the settings saved. A failure to read the file
  // sets orderError and keeps the stored switches.
  static OrderSearch BuildOrderSearch(Settings& settings, std::string& orderError);
};

}  // namespace kanvio::epages
