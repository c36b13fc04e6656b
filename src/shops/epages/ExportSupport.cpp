#include "shops/epages/ExportSupport.h"

#include "config/Logger.h"
#include "platform/FileSystem.h"

namespace kanvio::epages {
namespace {

constexpr const char* kNoConnection =
    "Es konnte keine Verbindung zum Webshop hergestellt werden, bitte kontrollieren Sie Ihre Daten.";

void AppendQuietly(const std::filesystem::path& file, const std::string& root,
                   const ExportProtocol& protocol) {
  try {
    ResultProtocol::Write(file, root, protocol);
  } catch (const std::exception& failure) {
    Logger::LogError(failure);
  }
}

}  // namespace

std::int32_t FailToConnect(const std::exception& failure, const std::filesystem::path& file,
                           const std::string& root, std::string& error) {
  Logger::LogError(failure);
  AppendQuietly(file, root, ExportProtocol{});
  error = kNoConnection;
  return -1;
}

std::int32_t FailToRead(const std::exception& failure, std::string& error) {
  Logger::LogError(failure);
  error = failure.what();
  return -1;
}

std::int32_t RefuseFile(const std::filesystem::path& file, const std::string& root, std::size_t read,
                        const std::string& read_error, std::string& error) {
  AppendQuietly(file, root, {"ROLLBACK", std::to_string(read), "0"});
  error = read_error;
  return -2;
}

bool WriteProtocols(const std::filesystem::path& file, const std::string& root,
                    const std::vector<ExportProtocol>& protocols, std::string& error) {
  if (protocols.empty()) return true;
  try {
    ResultProtocol::Write(file, root, protocols);
    return true;
  } catch (const std::exception& failure) {
    Logger::LogError(failure);
    error = "Das Ergebnisprotokoll konnte nicht in die Datei " + platform::PathToUtf8(file) +
            " geschrieben werden: " + failure.what();
    return false;
  }
}

}  // namespace kanvio::epages
