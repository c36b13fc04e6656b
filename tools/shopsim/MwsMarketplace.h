#pragma once
// The marketplace behind the simulated marketplace web service: orders with
// their lines, reports with their bodies, report requests, schedules. Every
// member may be called from any thread.

#include <chrono>
#include <cstddef>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace kanvio::shopsim {

struct MwsAddress {
  std::string name, line1, line2, city, postal_code, country_code, phone;
};

struct MwsItemRecord {
  std::string sku, asin, title, quantity = "1";
  // Money amounts ("." as decimal point); absent ones are not sent.
  std::optional<std::string> item_price, item_tax, shipping_price, shipping_discount, gift_wrap_price,
      gift_wrap_tax, cod_fee, cod_fee_discount, promotion_discount;
};

struct MwsOrderRecord {
  std::string id;  // "028-1111111-1111111"
  std::string status = "Unshipped";
  std::string sales_channel = "Amazon.de";
  std::string currency = "EUR";
  std::string buyer_email, buyer_name, buyer_phone;
  std::optional<std::string> total;  // OrderTotal; absent while pending
  std::string purchase_date = "2026-03-01T10:15:00+00:00";
  std::string service_level = "Standard";
  std::optional<MwsAddress> billing;  // reports of the US marketplace have none
  MwsAddress shipping;
  std::vector<MwsItemRecord> items;
};

struct MwsReportRecord {
  std::string id;
  std::string type;
  std::string body;
  std::chrono::sys_seconds available;
  bool acknowledged = false;
  std::string request_id;
};

struct MwsReportRequestRecord {
  std::string id;
  std::string type;
  std::string status = "_DONE_";
  std::string generated_report_id;  // empty while no report was generated
  std::chrono::sys_seconds submitted;
};

class MwsMarketplace {
 public:
  using Now = std::function<std::chrono::sys_seconds()>;

  MwsMarketplace();

  // The secret key requests must be signed with; the library's built-in
  // key unless set. An access key id other than the one set is refused;
  // empty accepts any.
  void SetCredentials(std::string access_key_id, std::string secret);
  std::string Secret() const;
  std::string AccessKeyId() const;
  // The time requests' time stamps are checked against, and reports dated by.
  void SetClock(Now now);
  std::chrono::sys_seconds NowUtc() const;
  // Entries per page of report lists and of order lines.
  void SetPageSizes(std::size_t reports, std::size_t order_items);
  std::size_t ReportPageSize() const;
  std::size_t OrderItemPageSize() const;

  void AddOrder(MwsOrderRecord order);
  std::optional<MwsOrderRecord> Order(const std::string& id) const;
  std::size_t OrderCount() const;

  // Adds a report, available an hour ago; returns its id (numbered from
  // 50001 unless given).
  std::string AddReport(const std::string& type, std::string body, const std::string& id = {});
  std::optional<MwsReportRecord> Report(const std::string& id) const;
  std::vector<MwsReportRecord> Reports() const;
  // False for an unknown id.
  bool Acknowledge(const std::string& id);
  // A finished request of the type; with a generated report when report_id is not empty.
  std::string AddReportRequest(const std::string& type, const std::string& report_id);
  std::vector<MwsReportRequestRecord> ReportRequests() const;

  // The schedules set, per report type; a refused type is answered with Count 0.
  std::map<std::string, std::string> Schedules() const;
  bool SetSchedule(const std::string& type, const std::string& schedule);
  void RefuseSchedule(const std::string& type);

  // Connections that requests came over ("address:port" of the client).
  void NoteConnection(const std::string& peer);
  std::size_t ConnectionCount() const;

 private:
  mutable std::mutex mutex_;
  // State below is protected by mutex_.
  std::string access_key_id_, secret_;
  Now now_;
  std::size_t report_page_size_ = 10, order_item_page_size_ = 10;
  std::map<std::string, MwsOrderRecord> orders_;
  std::vector<MwsReportRecord> reports_;
  std::vector<MwsReportRequestRecord> requests_;
  std::map<std::string, std::string> schedules_;
  std::set<std::string> refused_schedules_;
  std::set<std::string> connections_;
  long long next_report_id_ = 50001, next_request_id_ = 70001;
};

}  // namespace kanvio::shopsim
