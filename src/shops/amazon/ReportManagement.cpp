#include "shops/amazon/ReportManagement.h"

#include <algorithm>
#include <set>

#include "config/Logger.h"

namespace kanvio {
namespace {

void Fail(std::string& failure, const std::string& text) {
  Logger::LogError(text);
  failure = text;
}

}  // namespace

std::int32_t ReportManagement::DownloadAll(ReportCaller& caller, const std::vector<std::string>& ids,
                                           Download download, const char* kind, std::string& failure) {
  std::vector<std::string> downloaded;
  std::string last_failure;
  for (const auto& id : ids) {
    try {
      (caller.*download)(id);
      downloaded.push_back(id);
    } catch (const std::exception& e) {
      last_failure = e.what();
      Logger::LogError(last_failure + " - " + kind + " : " + id);
    }
  }
  if (downloaded.empty()) {
    failure = "Keiner der " + std::to_string(ids.size()) + " " + kind +
              "e konnte von Amazon geladen werden: " + last_failure;
    return -1;
  }
  caller.UpdateReportAknowledge(downloaded);
  return 1;
}

std::int32_t ReportManagement::getReports(ReportCaller& caller, std::string& failure) {
  std::vector<net::ReportInfo> reports;
  try {
    reports = caller.getReportList();
  } catch (const std::exception& e) {
    Fail(failure,
         std::string("Die Liste der Amazon-Bestellberichte konnte nicht geholt werden: ") + e.what());
    return -1;
  }
  if (reports.empty()) return 0;
  std::vector<std::string> ids;
  for (const auto& report : reports) ids.push_back(report.ReportId);
  return DownloadAll(caller, ids, &ReportCaller::getReport, "Bestellbericht", failure);
}

std::int32_t ReportManagement::getFBAReports(ReportCaller& caller, std::string& failure) {
  std::vector<net::ReportRequestInfo> requests;
  try {
    requests = caller.RequestReportFBA();
  } catch (const std::exception& e) {
    Fail(failure,
         std::string("Die Liste der Amazon-Versandberichte konnte nicht geholt werden: ") + e.what());
    return -1;
  }
  std::vector<std::string> request_ids;
  for (const auto& request : requests) {
    if (!request.GeneratedReportId.empty()) request_ids.push_back(request.ReportRequestId);
  }
  if (request_ids.empty()) return 0;

  std::vector<net::ReportInfo> reports;
  std::size_t failed_groups = 0, groups = 0;
  std::string last_failure;
  for (std::size_t start = 0; start < request_ids.size(); start += ReportCaller::kMaxIdsPerCall, ++groups) {
    const auto end = std::min(request_ids.size(), start + ReportCaller::kMaxIdsPerCall);
    const std::vector<std::string> group(request_ids.begin() + static_cast<std::ptrdiff_t>(start),
                                         request_ids.begin() + static_cast<std::ptrdiff_t>(end));
    try {
      auto found = caller.getFBAReportList(group);
      reports.insert(reports.end(), found.begin(), found.end());
    } catch (const std::exception& e) {
      last_failure = e.what();
      Logger::LogError(last_failure + " - FBA Bestellberichte");
      ++failed_groups;
    }
  }
  std::vector<std::string> ids;
  std::set<std::string> seen;
  for (const auto& report : reports) {
    if (!report.Acknowledged && seen.insert(report.ReportId).second) ids.push_back(report.ReportId);
  }
  if (ids.empty()) {
    if (failed_groups < groups) return 0;
    failure = "Die Liste der Amazon-Versandberichte konnte nicht geholt werden: " + last_failure;
    return -1;
  }
  return DownloadAll(caller, ids, &ReportCaller::getFBAReport, "Versandbericht", failure);
}

}  // namespace kanvio
