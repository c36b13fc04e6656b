#include "config/ConfigFilePath.h"

#include <cstdint>
#include <cstdlib>

#include "config/Logger.h"
#include "config/Settings.h"
#include "platform/CallingConvention.h"
#include "platform/CodePage.h"
#include "platform/DynamicLibrary.h"
#include "platform/FileSystem.h"
#include "support/Error.h"

namespace kanvio {
namespace {

using TextFunction = const char*(KANVIO_STDCALL*)(const char* software_folder);
using TempFunction = const char*(KANVIO_STDCALL*)();
using FlagFunction = std::int32_t(KANVIO_STDCALL*)(const char* software_folder);

std::filesystem::path SoftwareFolder() { return platform::OwnModulePath().parent_path().parent_path(); }

// The path library owns the returned memory and may reuse it on the next
// call, so the text is copied before anything else is called.
std::string Copy(const char* narrow) { return narrow ? platform::NarrowToUtf8(narrow) : std::string(); }

class PathFunctions {
 public:
  PathFunctions(const platform::DynamicLibrary& library, std::string software_folder)
      : library_(library), software_folder_(std::move(software_folder)) {}

  std::string Text(const char* name) const {
    auto fn = library_.Function<TextFunction>(name);
    return fn ? Copy(fn(software_folder_.c_str())) : std::string();
  }
  std::string Temp() const {
    auto fn = library_.Function<TempFunction>("getTemp");
    return fn ? Copy(fn()) : std::string();
  }
  bool Flag(const char* name) const {
    auto fn = library_.Function<FlagFunction>(name);
    return fn && fn(software_folder_.c_str()) == 1;
  }

 private:
  const platform::DynamicLibrary& library_;
  std::string software_folder_;
};

}  // namespace

std::filesystem::path ConfigFilePath::PathLibraryFile() {
  if (const char* file = std::getenv("KANVIO_PATHS_LIBRARY"); file && *file)
    return platform::PathFromUtf8(platform::NarrowToUtf8(file));
  return SoftwareFolder() / platform::kPathLibraryName;
}

Paths ConfigFilePath::LoadPaths() {
  const auto file = PathLibraryFile();
  std::error_code ec;
  if (!std::filesystem::is_regular_file(file, ec))
    throw FileNotFoundError("Die Pfadbibliothek " + platform::PathToUtf8(file) + " wurde nicht gefunden.");
  const platform::DynamicLibrary library(file);
  const PathFunctions call(library, platform::Utf8ToNarrow(platform::PathToUtf8(SoftwareFolder())));
  Paths paths;
  paths.IniPath = call.Text("getIniPath");
  paths.UserDocs = call.Text("getUserDocs");
  paths.PublicDocs = call.Text("getPublicDocs");
  paths.ProgramData = call.Text("getProgramData");
  paths.TempDir = call.Temp();
  paths.IsWindowsConform = call.Flag("isWindowsConform");
  paths.ReportFolder = call.Text("getReportFolder");
  paths.DocumentsFolder = call.Text("getDocumentsFolder");
  paths.DatabaseFolder = call.Text("getDatabaseFolder");
  return paths;
}

std::optional<Paths> ConfigFilePath::GetPaths() {
  try {
    return LoadPaths();
  } catch (const std::exception& failure) {
    Logger::LogError(failure);
    return std::nullopt;
  }
}

std::string ConfigFilePath::GetConfigFilePath() {
  const auto paths = GetPaths();
  if (!paths) {
    Logger::LogError("Paths.dll not found!");
    return {};
  }
  const auto file =
      platform::PathFromUtf8(paths->ProgramData) / platform::PathFromUtf8(Settings().CONFIG_PATH());
  std::error_code ec;
  if (file.has_parent_path()) std::filesystem::create_directories(file.parent_path(), ec);
  if (ec)
    throw Error("Der Ordner " + platform::PathToUtf8(file.parent_path()) +
                " konnte nicht angelegt werden: " + ec.message());
  return platform::PathToUtf8(file);
}

}  // namespace kanvio
