#pragma once
// Every call of the Reports API the connector makes. Failures are thrown
// (net::MwsError, TransportError, XmlError, Error); the report management
// decides what they mean for the operation.

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "net/MwsAnswers.h"
#include "net/MwsClient.h"
#include "platform/HttpClient.h"
#include "shops/amazon/AmazonSettings.h"

namespace kanvio {

class ReportCaller : public AmazonSettings {
 public:
  static constexpr std::string_view kOrderReport = "_GET_ORDERS_DATA_";
  static constexpr std::string_view kShipmentReport = "_GET_AMAZON_FULFILLED_SHIPMENTS_DATA_";
  static constexpr std::size_t kMaxIdsPerCall = 100;

  // Creates the Amazon report folder when it is missing. All calls share one
  // connection.
  explicit ReportCaller(const platform::HttpClientFactory& http = platform::CreateHttpClient);

  // The number of schedules Amazon confirmed: the order report every 30
  // minutes, the shipment report every day.
  long long ManageReportSchedule();
  long long ManageReportScheduleFBA();

  // Unacknowledged order reports available since amazon_dateFrom, all pages.
  std::vector<net::ReportInfo> getReportList();
  // Shipment report requests since amazon_dateFrom that are done, all pages.
  std::vector<net::ReportRequestInfo> RequestReportFBA();
  // Unacknowledged shipment reports of these requests (at most 100), all pages.
  std::vector<net::ReportInfo> getFBAReportList(const std::vector<std::string>& requestIds);

  // Downloads a report into the report folder, named by its id: ".xml" for
  // order reports of a Seller Central account, ".txt" otherwise. Returns the
  // file. Throws Error for an id that is not a number (never used as a path).
  std::filesystem::path getReport(const std::string& reportID);
  std::filesystem::path getFBAReport(const std::string& reportID);

  // Acknowledges the reports in calls of at most 100 ids; returns how many
  // Amazon confirmed. A failed or short call is logged; the others still run.
  std::size_t UpdateReportAknowledge(const std::vector<std::string>& ids);

  static bool IsReportId(std::string_view id);
  const std::filesystem::path& folder() const { return folder_; }
  const net::MwsClient& client() const { return client_; }

 private:
  long long Schedule(std::string_view type, std::string_view schedule);
  std::vector<net::ReportInfo> ReportList(std::string_view type, const std::vector<std::string>& requestIds);
  std::filesystem::path Download(const std::string& reportID, std::string_view extension);

  std::filesystem::path folder_;
  net::MwsClient client_;
};

}  // namespace kanvio
