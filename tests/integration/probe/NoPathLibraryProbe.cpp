// A program that the tests copy into a temporary folder and run there with
// KANVIO_PATHS_LIBRARY pointing nowhere. Without a path library the library
// falls back to the folder of the running program, so the host ini file and
// the log the tests look at stay inside that temporary folder.
//
//   probe config-path   prints GetConfigFilePath (empty expected)
//   probe writer        constructs ConfigFileWriter; exit 0 when it throws Error
//   probe paths         prints programmDataPath, LogFileName and AmazonPath, one a line
//   probe lookup        prints "none" when GetPaths yields no record
//   probe log TEXT      logs TEXT as an error
// Exit 0 on the expected outcome, 1 otherwise, 2 on an unexpected failure.

#include <iostream>
#include <string>

#include "config/ConfigFilePath.h"
#include "config/ConfigFileWriter.h"
#include "config/KanvioPaths.h"
#include "config/Logger.h"
#include "support/Error.h"

using namespace kanvio;

namespace {

int Run(const std::string& scenario, int argc, char** argv) {
  if (scenario == "config-path") {
    const auto place = ConfigFilePath::GetConfigFilePath();
    std::cout << place << '\n';
    return place.empty() ? 0 : 1;
  }
  if (scenario == "writer") {
    try {
      ConfigFileWriter writer;
    } catch (const Error&) {
      return 0;
    }
    return 1;
  }
  if (scenario == "paths") {
    std::cout << KanvioPaths::programmDataPath().string() << '\n'
              << KanvioPaths::LogFileName().string() << '\n'
              << KanvioPaths::AmazonPath().string() << '\n';
    return 0;
  }
  if (scenario == "lookup") {
    const bool none = !ConfigFilePath::GetPaths();
    std::cout << (none ? "none" : "record") << '\n';
    return none ? 0 : 1;
  }
  if (scenario == "log" && argc > 2) {
    Logger::LogError(std::string(argv[2]));
    return 0;
  }
  std::cerr << "unknown scenario " << scenario << '\n';
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  try {
    return Run(argv[1], argc, argv);
  } catch (const std::exception& failure) {
    std::cerr << failure.what() << '\n';
    return 2;
  }
}
