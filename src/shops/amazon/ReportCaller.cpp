#include "shops/amazon/ReportCaller.h"

#include <algorithm>

#include "config/KanvioPaths.h"
#include "config/Logger.h"
#include "support/Error.h"

namespace kanvio {
namespace {

// Report ids are numbers; a longer text is no id of the service.
constexpr std::size_t kMaxReportIdLength = 40;

void AddList(net::MwsParameters& parameters, const std::string& prefix,
             const std::vector<std::string>& values) {
  for (std::size_t i = 0; i < values.size(); ++i)
    parameters.emplace_back(prefix + std::to_string(i + 1), values[i]);
}

}  // namespace

ReportCaller::ReportCaller(const platform::HttpClientFactory& http)
    : folder_(KanvioPaths::AmazonPath()), client_(getAmazonReportConfig(), http) {
  std::filesystem::create_directories(folder_);
}

bool ReportCaller::IsReportId(std::string_view id) {
  return !id.empty() && id.size() <= kMaxReportIdLength &&
         std::all_of(id.begin(), id.end(), [](char c) { return c >= '0' && c <= '9'; });
}

long long ReportCaller::Schedule(std::string_view type, std::string_view schedule) {
  const auto answer = client_.Call("ManageReportSchedule",
                                   {{"ReportType", std::string(type)}, {"Schedule", std::string(schedule)}});
  return net::ParseCount(answer.result).value_or(0);
}

long long ReportCaller::ManageReportSchedule() { return Schedule(kOrderReport, "_30_MINUTES_"); }

long long ReportCaller::ManageReportScheduleFBA() { return Schedule(kShipmentReport, "_1_DAY_"); }

std::vector<net::ReportInfo> ReportCaller::ReportList(std::string_view type,
                                                      const std::vector<std::string>& requestIds) {
  net::MwsParameters parameters = {{"AvailableFromDate", net::MwsTimestamp(DateFromUtc())},
                                   {"ReportTypeList.Type.1", std::string(type)},
                                   {"Acknowledged", "false"}};
  AddList(parameters, "ReportRequestIdList.Id.", requestIds);
  std::vector<net::ReportInfo> reports;
  client_.ForEachPage("GetReportList", parameters, "GetReportListByNextToken", [&](pugi::xml_node result) {
    auto page = net::ParseReportInfoPage(result);
    reports.insert(reports.end(), page.entries.begin(), page.entries.end());
    return page.next_token;
  });
  return reports;
}

std::vector<net::ReportInfo> ReportCaller::getReportList() { return ReportList(kOrderReport, {}); }

std::vector<net::ReportInfo> ReportCaller::getFBAReportList(const std::vector<std::string>& requestIds) {
  return ReportList(kShipmentReport, requestIds);
}

std::vector<net::ReportRequestInfo> ReportCaller::RequestReportFBA() {
  const net::MwsParameters parameters = {{"RequestedFromDate", net::MwsTimestamp(DateFromUtc())},
                                         {"ReportTypeList.Type.1", std::string(kShipmentReport)},
                                         {"ReportProcessingStatusList.Status.1", "_DONE_"}};
  std::vector<net::ReportRequestInfo> requests;
  client_.ForEachPage("GetReportRequestList", parameters, "GetReportRequestListByNextToken",
                      [&](pugi::xml_node result) {
                        auto page = net::ParseReportRequestInfoPage(result);
                        requests.insert(requests.end(), page.entries.begin(), page.entries.end());
                        return page.next_token;
                      });
  return requests;
}

std::filesystem::path ReportCaller::Download(const std::string& reportID, std::string_view extension) {
  if (!IsReportId(reportID))
    throw Error("Amazon MWS nennt einen Bericht mit der ungültigen Kennung \"" + reportID +
                "\"; er wird übergangen.");
  const auto file = folder_ / (reportID + std::string(extension));
  client_.Download("GetReport", {{"ReportId", reportID}}, file);
  return file;
}

std::filesystem::path ReportCaller::getReport(const std::string& reportID) {
  return Download(reportID, Amazon_merchant_kind() == "sc" ? ".xml" : ".txt");
}

std::filesystem::path ReportCaller::getFBAReport(const std::string& reportID) {
  return Download(reportID, ".txt");
}

std::size_t ReportCaller::UpdateReportAknowledge(const std::vector<std::string>& ids) {
  std::size_t confirmed = 0;
  for (std::size_t start = 0; start < ids.size(); start += kMaxIdsPerCall) {
    const std::vector<std::string> batch(
        ids.begin() + static_cast<std::ptrdiff_t>(start),
        ids.begin() + static_cast<std::ptrdiff_t>(std::min(ids.size(), start + kMaxIdsPerCall)));
    net::MwsParameters parameters = {{"Acknowledged", "true"}};
    AddList(parameters, "ReportIdList.Id.", batch);
    try {
      const auto answer = client_.Call("UpdateReportAcknowledgements", parameters);
      const long long count = net::ParseCount(answer.result).value_or(0);
      confirmed += static_cast<std::size_t>(std::max(0LL, count));
      if (count != static_cast<long long>(batch.size()))
        Logger::LogWarning("UpdateReportAcknowledgements: Amazon hat " + std::to_string(count) + " von " +
                           std::to_string(batch.size()) + " Berichten als abgeholt bestätigt.");
    } catch (const std::exception& e) {
      Logger::LogError(std::string(e.what()) + " - Bestätigung von " + std::to_string(batch.size()) +
                       " Berichten");
    }
  }
  return confirmed;
}

}  // namespace kanvio
