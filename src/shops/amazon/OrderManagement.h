#pragma once
// The order import: two passes over the Amazon report folder that look each
// order of the downloaded reports up in the Orders API and write it into
// the open orders file. The shipment pass reads the tab-separated
// fulfilled-shipments reports (".txt"), the order-report pass the XML order
// reports (".xml").
//
// Report files change only in FinishReports, once the orders file is
// closed: a report is deleted when every entry of it was written or needs
// no import, rewritten with the rest when some entries could not be
// resolved (their lookups gave nothing, the service went out of reach, the
// order did not convert), so that those come again in the next run. A
// report that cannot be read is renamed "<name>.bad" at once and logged.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "orders/OrderXmlWriter.h"
#include "shops/IWorker.h"
#include "shops/amazon/OrderCaller.h"
#include "shops/amazon/ReportFiles.h"

namespace kanvio {

class OrderManagement {
 public:
  // After this many written orders every ListOrderItems call waits first,
  // which keeps within the service's restore rate.
  static constexpr int kThrottleAfter = 30;
  static constexpr std::chrono::seconds kThrottleWait{2};

  // worker may be absent (no status lines).
  OrderManagement(IWorker* worker, OrderCaller& caller, orders::OrderXmlWriter& writer,
                  std::filesystem::path folder);

  // Each pass: 1 when it wrote at least one order, 0 when none, -1 when it
  // failed or could not resolve entries without writing any (failure() says why). total counts the
  // orders of both passes and feeds the status line.
  std::int32_t getOrdersForFBA(int& total);
  std::int32_t getOrdersByXML(int& total);

  // Call once the orders file is closed. Failures are logged.
  void FinishReports();

  const std::string& failure() const { return failure_; }

 private:
  struct Report {
    std::filesystem::path file;
    bool flat = false;
    std::vector<bool> consumed;  // per row or OrderReport entry
  };
  using OrderMap = std::unordered_map<std::string, net::MwsOrder>;

  // Takes the table's values over.
  void ShipmentReport(Report& report, FlatFileTable&& table, int& total, int& written);
  OrderMap FetchOrders(const std::vector<std::string>& ids);
  // Writes the order when everything needed is at hand; true when the
  // entry is done with (written, or needing no import).
  template <class Build>
  bool Import(const std::string& id, const OrderMap& orders, int throttle_count, int& total, int& written,
              Build build);
  // 1 with orders written; -1 (failure() says why) after a failure, or when
  // entries of the pass's reports wait for the next run; else 0.
  std::int32_t PassResult(const char* pass, std::size_t first_report, int written,
                          const std::exception* failure);
  void ShowTotal(int total);
  static std::vector<std::filesystem::path> ReportFiles(const std::filesystem::path& folder,
                                                        const char* ending);
  static void SetAside(const std::filesystem::path& file, const std::exception& why);

  IWorker* worker_;
  OrderCaller& caller_;
  orders::OrderXmlWriter& writer_;
  std::filesystem::path folder_;
  std::vector<Report> reports_;
  std::unordered_set<std::string> written_ids_;  // of this run: an order goes into the file once
  std::string failure_;
};

}  // namespace kanvio
