// A reference path library: the nine functions a host's Paths.dll exports.
// Each answers from its environment variable when that is set (even to the
// empty text), otherwise from a folder below the software folder it is given.
// The texts are in the narrow code page the variables and the argument come
// in; each function keeps its answer per thread until its next call there.
//
// Built with KANVIO_PATHS_WITHOUT_GETTEMP it lacks getTemp, as some hosts'
// libraries do; the tests use that variant.

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
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

// Each answer lives in a buffer per thread and function. It is a plain array
// on purpose: a thread_local with a destructor makes the MinGW runtime pin the
// DLL once per thread and run the destructors from the process's detach, and
// that detach crashed the host at its exit under Wine. No path of Windows
// (32,767 characters) or Linux (4,096 bytes) is longer; a longer value is cut.
using AnswerBuffer = std::array<char, 32768>;

const char* Keep(AnswerBuffer& buffer, const std::string& text) {
  const std::size_t length = std::min(text.size(), buffer.size() - 1);
  std::memcpy(buffer.data(), text.data(), length);
  buffer[length] = '\0';
  return buffer.data();
}

const char* Answer(AnswerBuffer& buffer, const char* variable, const char* software_folder,
                   const char* below) {
  const char* value = std::getenv(variable);
  return Keep(buffer, value ? std::string(value) : Below(software_folder, below));
}

}  // namespace

extern "C" {

const char* KANVIO_STDCALL getIniPath(const char* software_folder) {
  thread_local AnswerBuffer answer;
  return Answer(answer, "KANVIO_INIPATH", software_folder, "Ini");
}

const char* KANVIO_STDCALL getUserDocs(const char* software_folder) {
  thread_local AnswerBuffer answer;
  return Answer(answer, "KANVIO_USERDOCS", software_folder, "UserDocs");
}

const char* KANVIO_STDCALL getPublicDocs(const char* software_folder) {
  thread_local AnswerBuffer answer;
  return Answer(answer, "KANVIO_PUBLICDOCS", software_folder, "PublicDocs");
}

const char* KANVIO_STDCALL getProgramData(const char* software_folder) {
  thread_local AnswerBuffer answer;
  return Answer(answer, "KANVIO_PROGRAMDATA", software_folder, "ProgramData");
}

#ifndef KANVIO_PATHS_WITHOUT_GETTEMP
const char* KANVIO_STDCALL getTemp() {
  thread_local AnswerBuffer answer;
  if (const char* value = std::getenv("KANVIO_TEMP")) return Keep(answer, value);
  std::error_code ec;
  const auto folder = std::filesystem::temp_directory_path(ec);
  return Keep(answer, kanvio::platform::Utf8ToNarrow(kanvio::platform::PathToUtf8(folder)));
}
#endif

std::int32_t KANVIO_STDCALL isWindowsConform(const char*) {
  const char* value = std::getenv("KANVIO_WINDOWSCONFORM");
  return value ? std::atoi(value) : 1;
}

const char* KANVIO_STDCALL getReportFolder(const char* software_folder) {
  thread_local AnswerBuffer answer;
  return Answer(answer, "KANVIO_REPORTFOLDER", software_folder, "Reports");
}

const char* KANVIO_STDCALL getDocumentsFolder(const char* software_folder) {
  thread_local AnswerBuffer answer;
  return Answer(answer, "KANVIO_DOCUMENTSFOLDER", software_folder, "Documents");
}

const char* KANVIO_STDCALL getDatabaseFolder(const char* software_folder) {
  thread_local AnswerBuffer answer;
  return Answer(answer, "KANVIO_DATABASEFOLDER", software_folder, "Database");
}

}  // extern "C"
