#pragma once

#include <filesystem>

namespace kanvio::platform {

// Per-user folder of the settings store: KANVIO_USER_CONFIG_DIR when set,
// otherwise the platform's per-user configuration folder. Not created here.
std::filesystem::path UserDataFolder();

}  // namespace kanvio::platform
