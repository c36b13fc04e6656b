#pragma once

#include <filesystem>
#include <string>

namespace kanvio::platform {

// Reads one value with the semantics of the Windows private-profile function:
// section and key compared without regard to case, the value trimmed, the
// default when the file, the section or the key is missing, at most
// kMaxIniValue characters (longer values are cut).
inline constexpr std::size_t kMaxIniValue = 1023;
std::string ReadIniValue(const std::filesystem::path& file, const std::string& section,
                         const std::string& key, const std::string& fallback = "");

}  // namespace kanvio::platform
