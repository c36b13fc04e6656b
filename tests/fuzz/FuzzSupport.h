#pragma once
// Helpers for the fuzz targets: most readers take a file, so the input is
// written to one file in a folder of this process's own.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

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

}  // namespace kanvio::fuzz
