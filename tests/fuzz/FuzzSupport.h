#pragma once
// Helpers for the fuzz targets: most readers take a file, so the input is
// written to one file in a folder of this process's own.

#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

namespace kanvio::fuzz {

inline const std::filesystem::path& FuzzFolder() {
  static const std::filesystem::path folder = [] {
    auto path = std::filesystem::temp_directory_path() / ("kanvio-fuzz-" + std::to_string(getpid()));
    std::filesystem::create_directories(path);
    return path;
  }();
  return folder;
}

// Writes the input to FuzzFolder()/name and returns the path.
inline std::filesystem::path InputFile(const std::uint8_t* data, std::size_t size,
                                       const std::string& name = "input.xml") {
  const auto path = FuzzFolder() / name;
  std::ofstream(path, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  return path;
}

inline std::string_view AsText(const std::uint8_t* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

// Points the settings store, the host's program data folder, the path library
// and the deployment file at folders of this process: the targets that run
// whole operations read all of them, and must never touch a user's own.
inline void UseOwnHost() {
  const auto& folder = FuzzFolder();
  setenv("KANVIO_USER_CONFIG_DIR", (folder / "store").c_str(), 1);
  setenv("KANVIO_PROGRAMDATA", (folder / "programdata").c_str(), 1);
  setenv("KANVIO_DEPLOYMENT_CONFIG", (folder / "deployment.config").c_str(), 1);
#ifdef KANVIO_FUZZ_PATHS_LIBRARY
  setenv("KANVIO_PATHS_LIBRARY", KANVIO_FUZZ_PATHS_LIBRARY, 1);
#endif
}

// The input cut at every marker: several answers or pages in one input.
inline std::vector<std::string> Parts(std::string_view input, std::string_view marker = "|||") {
  std::vector<std::string> parts;
  for (std::size_t start = 0;;) {
    const std::size_t end = input.find(marker, start);
    parts.emplace_back(
        input.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
    if (end == std::string_view::npos) return parts;
    start = end + marker.size();
  }
}

inline std::string ReadAll(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace kanvio::fuzz
