#pragma once
// Downloading new reports into the Amazon report folder and acknowledging
// them, so that Amazon does not list them again.

#include <cstdint>
#include <string>

#include "shops/amazon/ReportCaller.h"

namespace kanvio {

class ReportManagement {
 public:
  // Order reports. 1 when at least one was downloaded (those are
  // acknowledged), 0 when none is listed, -1 when the list failed or every
  // download did; failure then holds the reason.
  static std::int32_t getReports(ReportCaller& caller, std::string& failure);
  // Shipment reports of the finished report requests, as above.
  static std::int32_t getFBAReports(ReportCaller& caller, std::string& failure);

 private:
  using Download = std::filesystem::path (ReportCaller::*)(const std::string&);
  static std::int32_t DownloadAll(ReportCaller& caller, const std::vector<std::string>& ids,
                                  Download download, const char* kind, std::string& failure);
};

}  // namespace kanvio
