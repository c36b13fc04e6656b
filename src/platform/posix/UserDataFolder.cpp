#include "platform/UserDataFolder.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

namespace kanvio::platform {

std::filesystem::path UserDataFolder() {
  if (const char* dir = std::getenv("KANVIO_USER_CONFIG_DIR"); dir && *dir) return dir;
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg)
    return std::filesystem::path(xdg) / "marlixKanvio";
  const char* home = std::getenv("HOME");
  if (!home || !*home) {
    if (const passwd* pw = getpwuid(getuid())) home = pw->pw_dir;
  }
  return std::filesystem::path(home ? home : ".") / ".config" / "marlixKanvio";
}

}  // namespace kanvio::platform
