#pragma once
// The first stage of the eBay order import: the sold list of the last days,
// without the orders the host has imported and those not yet paid, and the
// details of each remaining order.

#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <set>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "config/Settings.h"
#include "net/EbayTradingClient.h"
#include "shops/IWorker.h"
#include "shops/ebay/EbayOrderRecord.h"

namespace kanvio {

class ReportManagement {
 public:
  static constexpr std::int32_t kEntriesPerPage = 200;
  // eBay lists at most 25,000 sold entries: 125 pages of 200.
  static constexpr std::int32_t kMaxPages = 125;

  // worker may be absent.
  ReportManagement(net::EbayTradingClient& client, net::EbayApiContext context, IWorker* worker);

  // Gets each fetched order as soon as it is complete, with its number among
  // the `total` orders to fetch; it may take the order's contents.
  using OrderSink = std::function<void(service::EbayOrder& order, std::int32_t number, std::int32_t total)>;

  // 1 when at least one order was fetched, 0 when none, -1 on failure
  // (logged). Reads ebay_dateFrom, ebay_parameter and ebay_importedOrders.
  // A failure of the sink passes on and ends the import.
  std::int32_t GetReports(const Settings& settings, const OrderSink& sink);
  // The same, keeping the orders; none after a failure.
  std::int32_t GetReports(const Settings& settings, std::vector<service::EbayOrder>& orders);

  // The entries to fetch, each once (by order line item id, or order id for
  // a combined order), in list order: none that lists an imported id; a
  // single one whose transaction is complete or has an accepted paid status;
  // a combined one of which any transaction has an accepted paid status.
  static std::vector<net::OrderTransaction> Select(std::vector<net::OrderTransaction> entries,
                                                   const std::unordered_set<std::string>& imported,
                                                   const std::set<net::PaidStatus>& accepted);

 private:
  // The entries to fetch, chosen as the pages arrive so that the ones left
  // out are not held; `listed` counts every entry read, up to the bound.
  std::deque<net::OrderTransaction> ListSold(std::int32_t duration_days, const Settings& settings,
                                             std::size_t& listed);
  // Moves each entry into its order and hands that on. Returns how many were fetched.
  std::int32_t getOrderDetails(std::deque<net::OrderTransaction> entries, const OrderSink& sink);
  std::optional<service::EbayOrder> FetchSingle(net::OrderTransaction& entry);
  std::optional<service::EbayOrder> FetchCombined(net::OrderTransaction& entry);
  // Runs one detail call; a failure is logged ("what whose: cause") and gives
  // no result. Several transport failures in a row end the import (Error):
  // eBay is not there. The text is made only for a failure.
  template <class Call>
  auto Detail(std::string_view what, const std::string& whose, Call call) -> std::optional<decltype(call())>;
  void LogNotes();

  net::EbayTradingClient& client_;
  const net::EbayApiContext context_;
  IWorker* worker_;
  net::Notes notes_;
  int failed_details_ = 0;
  int failures_in_a_row_ = 0;
  std::exception_ptr sink_failure_;
};

}  // namespace kanvio
