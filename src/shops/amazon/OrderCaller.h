#pragma once
// Every call of the Orders API the connector makes, with the attempts and
// waits that keep within Amazon's throttling.

#include <chrono>
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "net/MwsAnswers.h"
#include "net/MwsClient.h"
#include "platform/HttpClient.h"
#include "shops/amazon/AmazonSettings.h"

namespace kanvio {

class OrderCaller : public AmazonSettings {
 public:
  static constexpr std::size_t kMaxIdsPerGetOrder = 50;
  static constexpr int kGetOrderAttempts = 3;
  static constexpr std::chrono::seconds kGetOrderWait{65};
  static constexpr int kListOrderItemsAttempts = 5;
  static constexpr std::chrono::seconds kListOrderItemsWait{2};

  // All calls share one connection.
  explicit OrderCaller(const platform::HttpClientFactory& http = platform::CreateHttpClient);

  // GetOrder for at most 50 ids: the orders of the first attempt that
  // returns any; empty after three attempts. A service error is followed by
  // a wait of 65 s, other failures are logged. Throws TransportError when
  // an attempt got no answer at all (the client has retried by then): the
  // service is out of reach, and further lookups would only wait.
  std::vector<net::MwsOrder> GetOrderInformations(std::span<const std::string> ids);

  // ListOrderItems with every following page: the lines of the first
  // attempt that returns them; nullopt after five attempts. A service error
  // is followed by a wait of 2 s. Throws TransportError as above.
  std::optional<std::vector<net::MwsOrderItem>> GetOrderItemsService(const std::string& amazonOrderId);

  // The order states selected by the switches of amazon_parameter
  // ("/pending=1" ...); "Unshipped" and "PartiallyShipped" without any.
  std::vector<std::string> GetOrderStatusToFind() const;

  const net::MwsClient& client() const { return client_; }

 private:
  net::MwsClient client_;
  net::MwsParameters item_parameters_;
};

}  // namespace kanvio
