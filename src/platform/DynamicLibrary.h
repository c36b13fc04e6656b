#pragma once

#include <filesystem>
#include <string>

namespace kanvio::platform {

// File name of the host's path library, expected in the software folder.
#ifdef _WIN32
inline constexpr const char* kPathLibraryName = "Paths.dll";
#else
inline constexpr const char* kPathLibraryName = "libPaths.so";
#endif

// Full path of the module (shared library or program) that holds this code.
std::filesystem::path OwnModulePath();

// Full path of the running program.
std::filesystem::path ExecutablePath();

// A loaded shared library; unloaded when the object goes.
class DynamicLibrary {
 public:
  // Throws Error naming the path when the library cannot be loaded.
  explicit DynamicLibrary(const std::filesystem::path& path);
  ~DynamicLibrary();
  DynamicLibrary(const DynamicLibrary&) = delete;
  DynamicLibrary& operator=(const DynamicLibrary&) = delete;

  // nullptr when the library does not export the name.
  void* Symbol(const char* name) const;

  template <typename Fn>
  Fn Function(const char* name) const {
    return reinterpret_cast<Fn>(Symbol(name));
  }

 private:
  void* handle_;
};

}  // namespace kanvio::platform
