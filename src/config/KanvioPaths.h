#pragma once
// Places of the library's own files, derived from the host's program data
// folder. Nothing is cached: every call asks the path library anew.

#include <filesystem>
#include <optional>
#include <string>

namespace kanvio {

class KanvioPaths {
 public:
  // ProgramData of the path library; the host executable's folder when the lookup fails.
  static std::filesystem::path programmDataPath();
  // "Ledgrox.ini" below programmDataPath ("VD.ini" when ERP_SYSTEM is "vd").
  static std::optional<std::filesystem::path> SoftwareIni();
  // The first file called name below programmDataPath.
  static std::optional<std::filesystem::path> DesignDll(const std::string& name);
  // ProgramData/Logs/kvxError.log; never logs a failed lookup.
  static std::filesystem::path LogFileName();
  // ProgramData joined with amazon_report_file_path; the setting alone when the lookup fails.
  static std::filesystem::path AmazonPath();
};

}  // namespace kanvio
