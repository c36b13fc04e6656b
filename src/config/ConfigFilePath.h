#pragma once
// The host's path library and the place of the shop configuration file.
//
// The path library is found in the software folder (the parent of the folder
// that holds this library) as platform::kPathLibraryName, or wherever the
// environment variable KANVIO_PATHS_LIBRARY points when it is set and not
// empty. Every lookup loads it anew, calls its nine functions and releases it;
// nothing is cached. Any thread may call these functions.

#include <filesystem>
#include <optional>
#include <string>

#include "config/Paths.h"

namespace kanvio {

class ConfigFilePath {
 public:
  // The host's folders. Throws Error (FileNotFoundError when the path library
  // is missing); logs nothing.
  static Paths LoadPaths();
  // The same, but a failure is logged and yields nullopt (only a failure of
  // the logger itself reaches the caller).
  static std::optional<Paths> GetPaths();

  // ProgramData joined with the setting CONFIG_PATH, UTF-8; the folders on the
  // way are created. The empty text (and "Paths.dll not found!" logged) when
  // the host's folders are unavailable. Throws Error when the folders cannot be made.
  static std::string GetConfigFilePath();

  // The path library this process would load.
  static std::filesystem::path PathLibraryFile();
};

}  // namespace kanvio
