// A reference path library: the nine functions a host's Paths.dll exports.
// Each answers from its environment variable when that is set (even to the
// empty text), otherwise from a folder below the software folder it is given.
// The texts are in the narrow code page the variables and the argument come
// in; each function keeps its answer per thread until its next call there.
//
// Built with KANVIO_PATHS_WITHOUT_GETTEMP it lacks getTemp, as some hosts'
// libraries do; the tests use that variant.

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include "platform/CallingConvention.h"
#include "platform/CodePage.h"
#include "platform/FileSystem.h"

namespace {

// Joined as bytes: the folder comes in the narrow code page and goes back in
// it, which a detour through std::filesystem::path would not keep on Windows.
std::string Below(const char* software_folder, const char* below) {
  std::string folder = software_folder ? software_folder : "";
  const char separator = static_cast<char>(std::filesystem::path::preferred_separator);
  if (!folder.empty() && folder.back() != separator && folder.back() != '/') folder += separator;
  return folder + below;
}

const char* Answer(std::string& storage, const char* variable, const char* software_folder,
                   const char* below) {
  const char* value = std::getenv(variable);
  storage = value ? value : Below(software_folder, below);
  return storage.c_str();
}

}  // namespace

extern "C" {

const char* KANVIO_STDCALL getIniPath(const char* software_folder) {
  thread_local std::string answer;
  return Answer(answer, "KANVIO_INIPATH", software_folder, "Ini");
}

const char* KANVIO_STDCALL getUserDocs(const char* software_folder) {
  thread_local std::string answer;
  return Answer(answer, "KANVIO_USERDOCS", software_folder, "UserDocs");
}

const char* KANVIO_STDCALL getPublicDocs(const char* software_folder) {
  thread_local std::string answer;
  return Answer(answer, "KANVIO_PUBLICDOCS", software_folder, "PublicDocs");
}

const char* KANVIO_STDCALL getProgramData(const char* software_folder) {
  thread_local std::string answer;
  return Answer(answer, "KANVIO_PROGRAMDATA", software_folder, "ProgramData");
}

#ifndef KANVIO_PATHS_WITHOUT_GETTEMP
const char* KANVIO_STDCALL getTemp() {
  thread_local std::string answer;
  if (const char* value = std::getenv("KANVIO_TEMP")) {
    answer = value;
  } else {
    std::error_code ec;
    const auto folder = std::filesystem::temp_directory_path(ec);
    answer = kanvio::platform::Utf8ToNarrow(kanvio::platform::PathToUtf8(folder));
  }
  return answer.c_str();
}
#endif

std::int32_t KANVIO_STDCALL isWindowsConform(const char*) {
  const char* value = std::getenv("KANVIO_WINDOWSCONFORM");
  return value ? std::atoi(value) : 1;
}

const char* KANVIO_STDCALL getReportFolder(const char* software_folder) {
  thread_local std::string answer;
  return Answer(answer, "KANVIO_REPORTFOLDER", software_folder, "Reports");
}

const char* KANVIO_STDCALL getDocumentsFolder(const char* software_folder) {
  thread_local std::string answer;
  return Answer(answer, "KANVIO_DOCUMENTSFOLDER", software_folder, "Documents");
}

const char* KANVIO_STDCALL getDatabaseFolder(const char* software_folder) {
  thread_local std::string answer;
  return Answer(answer, "KANVIO_DATABASEFOLDER", software_folder, "Database");
}

}  // extern "C"
