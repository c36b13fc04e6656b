#include "config/ConfigFileReader.h"

#include <optional>

#include "config/ConfigFileFormat.h"
#include "config/ConfigFilePath.h"
#include "config/Logger.h"
#include "platform/FileSystem.h"
#include "support/Error.h"

namespace kanvio {
namespace {

using namespace config_file;

constexpr std::int32_t kIntFallback = 10;

// The file's place; nullopt when unknown, which GetConfigFilePath has logged.
std::optional<std::filesystem::path> ConfigFile() {
  const std::string place = ConfigFilePath::GetConfigFilePath();
  if (place.empty()) return std::nullopt;
  return platform::PathFromUtf8(place);
}

// The inner text of the first element the path selects, the basic file
// created first when the file is missing. nullopt when there is no such
// element or no file place; throws on every other failure.
std::optional<std::string> Lookup(const std::string& xpath) {
  const auto file = ConfigFile();
  if (!file) return std::nullopt;
  std::error_code ec;
  if (!std::filesystem::exists(*file, ec)) Save(BasicDocument(), *file);
  const auto document = Load(*file);
  const auto node = document.select_node(xpath.c_str()).node();
  if (!node) return std::nullopt;
  return InnerText(node);
}

template <typename T, typename Parse>
T Read(const std::string& xpath, T fallback, Parse parse, const char* kind) {
  try {
    const auto text = Lookup(xpath);
    if (!text) return fallback;
    const auto value = parse(*text);
    if (!value) throw Error("Der Wert \"" + *text + "\" von " + xpath + " ist kein " + kind + ".");
    return *value;
  } catch (const std::exception& failure) {
    Logger::LogError(failure);
    return fallback;
  }
}

std::string GenerellPath(const std::string& key) { return std::string(kRoot) + "//generell//" + key; }

bool HasPath(pugi::xml_node node, const std::vector<std::string>& names, std::size_t depth) {
  if (depth == names.size()) return true;
  for (auto child = node.child(names[depth].c_str()); child;
       child = child.next_sibling(names[depth].c_str())) {
    if (HasPath(child, names, depth + 1)) return true;
  }
  return false;
}

}  // namespace

bool ConfigFileReader::GetValueFromShop(const std::string& shop, const std::string& action,
                                        const std::string& key) {
  const std::string xpath = std::string(kRoot) + "//shops//" + shop + "//" + action + "//" + key;
  return Read(xpath, false, ParseBoolean, "Wahrheitswert");
}

bool ConfigFileReader::GetValueFromGenerellConfig(const std::string& key) {
  return Read(GenerellPath(key), false, ParseBoolean, "Wahrheitswert");
}

int ConfigFileReader::getValueFromGenerellConfig_Int(const std::string& key) {
  return Read(GenerellPath(key), kIntFallback, ParseInt32, "ganzzahliger Wert");
}

std::string ConfigFileReader::getValueFromGenerellConfig_String(const std::string& key) {
  return Read(
      GenerellPath(key), std::string(), [](const std::string& text) { return std::optional(text); }, "Text");
}

bool ConfigFileReader::DoesConfigValueExisits(const std::vector<std::string>& path) {
  try {
    const auto file = ConfigFile();
    std::error_code ec;
    if (!file || !std::filesystem::exists(*file, ec)) return false;
    const auto document = Load(*file);
    const auto root = document.child(kRoot);
    return root && HasPath(root, path, 0);
  } catch (const std::exception& failure) {
    Logger::LogError(failure);
    return false;
  }
}

}  // namespace kanvio
