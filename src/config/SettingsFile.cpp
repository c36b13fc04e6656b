#include "config/SettingsFile.h"

#include <fmt/format.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <pugixml.hpp>
#include <sstream>
#include <system_error>
#include <vector>

#include "config/Logger.h"
#include "platform/FileSystem.h"
#include "support/DateTime.h"
#include "support/Error.h"

namespace kanvio {
namespace {

// A save takes milliseconds; a temporary file this old belongs to no save.
constexpr std::chrono::minutes kStaleTemporaryAge{1};

// A carriage return inside a value must survive the round trip, so line ends
// are not normalised; a value of nothing but blanks must survive as well.
constexpr unsigned kParseOptions = (pugi::parse_default & ~pugi::parse_eol) | pugi::parse_ws_pcdata_single;

// The store keeps working when the error log does not, so a failing log
// line is dropped.
void Warn(const std::string& message) noexcept {
  try {
    Logger::LogWarning(message);
  } catch (...) {
  }
}

}  // namespace

SettingsFile::SettingsFile(std::filesystem::path path) : path_(std::move(path)) {}

SettingsFile::Values SettingsFile::Read() const {
  try {
    auto bytes = ReadBytes();
    if (!bytes) return {};
    if (auto values = Parse(*bytes)) return std::move(*values);
    Warn(fmt::format("Die Konfigurationsdatei {} ist kein gültiges XML-Dokument und wird nicht beachtet.",
                     path_.string()));
  } catch (const std::exception& failure) {
    Warn(failure.what());
  }
  return {};
}

SettingsFile::Values SettingsFile::Load() const {
  std::optional<std::filesystem::path> moved_to;
  Values values;
  try {
    auto bytes = ReadBytes();
    if (!bytes) return {};
    if (auto parsed = Parse(*bytes)) return std::move(*parsed);
    // Another process may be moving the same broken file aside right now.
    platform::FileLock lock(LockFile());
    values = ReadLocked(moved_to);
  } catch (const std::exception& failure) {
    Warn(fmt::format("Die Einstellungen in {} konnten nicht gelesen werden, es gelten die Standardwerte: {}",
                     path_.string(), failure.what()));
    return {};
  }
  // Logged only after the lock is released: the error log opens a settings view of its own.
  if (moved_to) LogMovedAside(*moved_to);
  return values;
}

SettingsFile::Values SettingsFile::Merge(const Values& changes) const {
  std::optional<std::filesystem::path> moved_to;
  Narrowing narrowing;
  Values values;
  {
    // The store holds the shop password and the marketplace tokens.
    platform::CreateFolders(path_.parent_path(), platform::FileAccess::kOwnerOnly);
    platform::FileLock lock(LockFile());
    values = ReadLocked(moved_to);
    for (const auto& [name, text] : changes) values.insert_or_assign(name, text);
    // With the lock held no save of this store is under way: what a killed one left is litter.
    platform::RemoveStaleTemporaryFiles(path_, kStaleTemporaryAge);
    narrowing = NarrowAccess();
    platform::WriteFileAtomically(path_, Format(values), platform::FileAccess::kOwnerOnly);
  }
  if (moved_to) LogMovedAside(*moved_to);
  // Logged only after the lock is released, as above.
  LogNarrowing(narrowing);
  return values;
}

// A store written before it was protected, or a folder made by hand, may be
// open to every user of the machine. The old store is narrowed too, though
// it is about to be replaced: it must not stay readable should the write fail.
SettingsFile::Narrowing SettingsFile::NarrowAccess() const {
  Narrowing narrowing;
  for (const auto& path : {path_.parent_path(), path_}) {
    try {
      if (platform::RestrictToOwner(path)) narrowing.narrowed.push_back(path);
    } catch (const std::exception& failure) {
      narrowing.failures.emplace_back(failure.what());
    }
  }
  return narrowing;
}

void SettingsFile::LogNarrowing(const Narrowing& narrowing) const {
  for (const auto& failure : narrowing.failures) Warn(failure);
  if (narrowing.narrowed.empty()) return;
  std::string names;
  for (const auto& path : narrowing.narrowed)
    names += (names.empty() ? "" : " und ") + platform::PathToUtf8(path);
  try {
    Logger::LogInfo(
        fmt::format("Die Einstellungen mit dem Shop-Passwort waren für andere Benutzer zugänglich; die "
                    "Zugriffsrechte von {} wurden auf den Eigentümer beschränkt.",
                    names));
  } catch (...) {
  }
}

std::string SettingsFile::Format(const Values& values) {
  pugi::xml_document document;
  auto declaration = document.append_child(pugi::node_declaration);
  declaration.append_attribute("version") = "1.0";
  declaration.append_attribute("encoding") = "utf-8";
  auto root = document.append_child("settings");
  for (const auto& [name, text] : values) {
    auto setting = root.append_child("setting");
    setting.append_attribute("name") = name.c_str();
    if (!text.empty()) setting.text().set(text.c_str());
  }
  std::ostringstream out;
  document.save(out, "  ", pugi::format_indent, pugi::encoding_utf8);
  return out.str();
}

std::optional<SettingsFile::Values> SettingsFile::Parse(std::string_view document) {
  pugi::xml_document parsed;
  if (!parsed.load_buffer(document.data(), document.size(), kParseOptions, pugi::encoding_auto))
    return std::nullopt;
  const auto root = parsed.document_element();
  if (std::string_view(root.name()) != "settings") return std::nullopt;
  Values values;
  for (const auto setting : root.children("setting")) {
    std::string name = setting.attribute("name").value();
    if (!name.empty()) values.insert_or_assign(std::move(name), setting.text().get());
  }
  return values;
}

std::filesystem::path SettingsFile::LockFile() const {
  return path_.parent_path() / (path_.filename().string() + ".lock");
}

std::optional<std::string> SettingsFile::ReadBytes() const {
  std::ifstream in(path_, std::ios::binary);
  if (!in) {
    std::error_code ec;
    if (!std::filesystem::exists(path_, ec) && !ec) return std::nullopt;
    throw Error(fmt::format("Die Datei {} konnte nicht geöffnet werden.", path_.string()));
  }
  std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (in.bad()) throw Error(fmt::format("Die Datei {} konnte nicht gelesen werden.", path_.string()));
  return bytes;
}

SettingsFile::Values SettingsFile::ReadLocked(std::optional<std::filesystem::path>& moved_to) const {
  auto bytes = ReadBytes();
  if (!bytes) return {};
  if (auto values = Parse(*bytes)) return std::move(*values);
  moved_to = MoveAside();
  return {};
}

std::filesystem::path SettingsFile::MoveAside() const {
  const auto now = LocalDateTime::Now();
  const auto base = fmt::format("{}.broken-{:04}{:02}{:02}-{:02}{:02}{:02}", path_.filename().string(),
                                now.year, now.month, now.day, now.hour, now.minute, now.second);
  auto target = path_.parent_path() / base;
  std::error_code ec;
  for (int n = 2; std::filesystem::exists(std::filesystem::symlink_status(target, ec)); ++n)
    target = path_.parent_path() / fmt::format("{}-{}", base, n);
  platform::ReplaceFile(path_, target);
  // It still holds what the store held. A failure is not logged here, with
  // the lock held: the log opens a settings view of its own.
  try {
    platform::RestrictToOwner(target);
  } catch (const std::exception&) {
  }
  return target;
}

void SettingsFile::LogMovedAside(const std::filesystem::path& moved_to) const {
  Warn(
      fmt::format("Die Einstellungsdatei {} war beschädigt und wurde nach {} verschoben; es gelten die "
                  "Standardwerte.",
                  path_.string(), moved_to.string()));
}

}  // namespace kanvio
