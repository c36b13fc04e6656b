#include "config/Settings.h"

#include <fmt/format.h>

#include <charconv>
#include <cstdlib>
#include <optional>
#include <string_view>

#include "config/Logger.h"
#include "config/SettingsFile.h"
#include "platform/DynamicLibrary.h"
#include "platform/UserDataFolder.h"
#include "support/Text.h"

namespace kanvio {
namespace {

constexpr Settings::Key kKeys[] = {
#define KANVIO_SETTING(scope, type, name, def) {#name, Settings::Scope::scope, Settings::Type::type},
#include "config/SettingsKeys.def"
#undef KANVIO_SETTING
};

bool HasScope(std::string_view name, Settings::Scope scope) {
  for (const auto& key : kKeys)
    if (name == key.name) return key.scope == scope;
  return false;
}

// Copies the entries of from whose name is a key of the given scope; the
// files may hold keys of the other scope or of other versions of the library.
void Adopt(std::map<std::string, std::string>& into, const SettingsFile::Values& from,
           Settings::Scope scope) {
  for (const auto& [name, text] : from)
    if (HasScope(name, scope)) into.insert_or_assign(name, text);
}

std::string ToText(const std::string& value) { return value; }
std::string ToText(bool value) { return value ? "True" : "False"; }
std::string ToText(std::int32_t value) { return std::to_string(value); }
std::string ToText(const LocalDateTime& value) { return value.ToIso(); }
std::string ToText(float value) {
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

template <typename T>
std::optional<T> FromChars(std::string_view text) {
  T value{};
  const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  if (result.ec != std::errc() || result.ptr != text.data() + text.size()) return std::nullopt;
  return value;
}

template <typename T>
std::optional<T> FromText(std::string_view text);

template <>
std::optional<std::string> FromText(std::string_view text) {
  return std::string(text);
}
template <>
std::optional<bool> FromText(std::string_view text) {
  const auto word = text::Trim(text);
  if (text::EqualsIgnoreCase(word, "true")) return true;
  if (text::EqualsIgnoreCase(word, "false")) return false;
  return std::nullopt;
}
template <>
std::optional<std::int32_t> FromText(std::string_view text) {
  return FromChars<std::int32_t>(text::Trim(text));
}
template <>
std::optional<float> FromText(std::string_view text) {
  return FromChars<float>(text::Trim(text));
}
template <>
std::optional<LocalDateTime> FromText(std::string_view text) {
  return LocalDateTime::FromIso(text::Trim(text));
}

template <typename T>
T ValueOr(const std::string* stored, const char* name, const T& fallback) {
  if (stored == nullptr) return fallback;
  if (auto value = FromText<T>(*stored)) return *value;
  // The store keeps working when the error log does not.
  try {
    Logger::LogWarning(fmt::format(
        "Die Einstellung {} hat den ungültigen Wert \"{}\"; es gilt der Standardwert.", name, *stored));
  } catch (...) {
  }
  return fallback;
}

}  // namespace

std::span<const Settings::Key> Settings::Keys() { return kKeys; }

Settings::Settings() {
  Adopt(values_, SettingsFile(DeploymentFile()).Read(), Scope::Application);
  Adopt(values_, SettingsFile(StoreFile()).Load(), Scope::User);
}

void Settings::Save() {
  if (changed_.empty()) return;
  const auto stored = SettingsFile(StoreFile()).Merge(changed_);
  std::erase_if(values_, [](const auto& entry) { return HasScope(entry.first, Scope::User); });
  Adopt(values_, stored, Scope::User);
  changed_.clear();
}

std::filesystem::path Settings::StoreFile() { return platform::UserDataFolder() / "user.config"; }

std::filesystem::path Settings::DeploymentFile() {
  if (const char* file = std::getenv("KANVIO_DEPLOYMENT_CONFIG"); file && *file) return file;
  return platform::OwnModulePath().parent_path() / "marlixKanvio.config";
}

const std::string* Settings::Find(const char* name) const {
  const auto found = values_.find(name);
  return found == values_.end() ? nullptr : &found->second;
}

#define KANVIO_SETTING(scope, type, name, def)                                             \
  Settings::type Settings::name() const { return ValueOr<type>(Find(#name), #name, def); } \
  KANVIO_SETTING_SETTER_##scope(type, name)
#define KANVIO_SETTING_SETTER_User(type, name)   \
  void Settings::set_##name(const type& value) { \
    const auto text = ToText(value);             \
    changed_.insert_or_assign(#name, text);      \
    values_.insert_or_assign(#name, text);       \
  }
#define KANVIO_SETTING_SETTER_Application(type, name)
#include "config/SettingsKeys.def"
#undef KANVIO_SETTING_SETTER_Application
#undef KANVIO_SETTING_SETTER_User
#undef KANVIO_SETTING

}  // namespace kanvio
