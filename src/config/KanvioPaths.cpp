#include "config/KanvioPaths.h"

#include "config/ConfigFilePath.h"
#include "config/IniFileSucher.h"
#include "config/Settings.h"
#include "platform/DynamicLibrary.h"
#include "platform/FileSystem.h"

namespace kanvio {
namespace {

std::filesystem::path ExecutableFolder() { return platform::ExecutablePath().parent_path(); }

// The lookup without logging, for the paths the logger itself needs.
std::optional<std::filesystem::path> ProgramDataQuietly() {
  try {
    return platform::PathFromUtf8(ConfigFilePath::LoadPaths().ProgramData);
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

}  // namespace

std::filesystem::path KanvioPaths::programmDataPath() {
  if (auto paths = ConfigFilePath::GetPaths()) return platform::PathFromUtf8(paths->ProgramData);
  return ExecutableFolder();
}

std::optional<std::filesystem::path> KanvioPaths::SoftwareIni() {
  const std::string erp = Settings().ERP_SYSTEM();
  return IniFileSucher::SucheFile(programmDataPath(), erp == "vd" ? "VD.ini" : "Ledgrox.ini");
}

std::optional<std::filesystem::path> KanvioPaths::DesignDll(const std::string& name) {
  return IniFileSucher::SucheFile(programmDataPath(), name);
}

std::filesystem::path KanvioPaths::LogFileName() {
  const std::filesystem::path relative = std::filesystem::path("Logs") / "kvxError.log";
  return ProgramDataQuietly().value_or(ExecutableFolder()) / relative;
}

std::filesystem::path KanvioPaths::AmazonPath() {
  const auto setting = platform::PathFromUtf8(Settings().amazon_report_file_path());
  if (auto program_data = ProgramDataQuietly()) return *program_data / setting;
  return setting;
}

}  // namespace kanvio
