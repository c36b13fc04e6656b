#pragma once
// A host installation for one test: the reference path library (tests get its
// file as KANVIO_PATHS_LIBRARY_FILE) answering with a fresh program data
// folder, and a fresh per-user settings store. Include only from test programs.

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "TestSupport.h"

namespace kanvio::test {

class HostFolders {
 public:
  HostFolders()
      : library_env_("KANVIO_PATHS_LIBRARY", KANVIO_PATHS_LIBRARY_FILE),
        program_data_env_("KANVIO_PROGRAMDATA", program_data_.path().string()),
        user_config_env_("KANVIO_USER_CONFIG_DIR", user_config_.path().string()) {}

  const std::filesystem::path& ProgramData() const { return program_data_.path(); }
  std::filesystem::path ConfigFile() const { return ProgramData() / "Webshop" / "Config" / "kvx.config"; }
  std::filesystem::path LogFile() const { return ProgramData() / "Logs" / "kvxError.log"; }

  // Writes the host ini file (below ProgramData, in folder) with LOG_EXCEPTIONS = value.
  void WriteHostIni(const std::string& value, const std::string& folder = "Ledgrox",
                    const std::string& name = "Ledgrox.ini") const {
    WriteFile(ProgramData() / folder / name,
              "[Allgemein]\r\nTHEME=dark\r\n[System Configuration]\r\nLOG_EXCEPTIONS=" + value + "\r\n");
  }
  void EnableLogging() const { WriteHostIni("true"); }

  // The log's lines without their line ends; none when there is no log.
  std::vector<std::string> LogLines() const {
    std::vector<std::string> lines;
    std::ifstream in(LogFile(), std::ios::binary);
    for (std::string line; std::getline(in, line);) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      lines.push_back(line);
    }
    return lines;
  }
  std::string Log() const { return std::filesystem::exists(LogFile()) ? ReadFile(LogFile()) : std::string(); }

 private:
  TempDir program_data_;
  TempDir user_config_;
  ScopedEnv library_env_;
  ScopedEnv program_data_env_;
  ScopedEnv user_config_env_;
};

}  // namespace kanvio::test
