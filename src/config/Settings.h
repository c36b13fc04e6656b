#pragma once
// The persistent store of named, typed values. A Settings object is a view:
// it reads the store when it is made; setters change only the view; Save()
// writes the keys this view set into the store. Two views (or two processes)
// that save different keys never undo each other, and a crash during Save()
// leaves the old or the new store, never a broken one.
//
// Accessors: `std::string WEBSERVICE_URL() const` and
// `void set_WEBSERVICE_URL(const std::string&)` (setters for user scope only).

#include <cstdint>
#include <filesystem>
#include <map>
#include <set>
#include <string>

#include "support/DeploymentDefaults.h"
#include "support/DateTime.h"

namespace kanvio {

class Settings {
 public:
  using Text = std::string;
  using Bool = bool;
  using Int = std::int32_t;
  using Float = float;
  using DateTime = LocalDateTime;

  // Reads the user store and the deployment file. A store that cannot be
  // parsed is moved aside (with a time stamp), logged, and the defaults apply.
  Settings();

#define KANVIO_SETTING(scope, type, name, def) KANVIO_SETTING_##scope(type, name)
#define KANVIO_SETTING_User(type, name) \
  type name() const;                    \
  void set_##name(const type& value);
#define KANVIO_SETTING_Application(type, name) type name() const;
#include "config/SettingsKeys.def"
#undef KANVIO_SETTING_Application
#undef KANVIO_SETTING_User
#undef KANVIO_SETTING

  // Merges the keys set through this view into the store on disk under an
  // inter-process lock; throws Error when the store cannot be written.
  void Save();

  // The file of the user store and of the deployment overrides.
  static std::filesystem::path StoreFile();
  static std::filesystem::path DeploymentFile();

 private:
  const std::string* Find(const char* name) const;

  std::map<std::string, std::string> values_;    // stored texts of user and deployment values
  std::map<std::string, std::string> changed_;   // keys set through this view, to be saved
};

}  // namespace kanvio
