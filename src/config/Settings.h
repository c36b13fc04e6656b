#pragma once
// The persistent store of named, typed values. A Settings object is a view:
// it reads the store when it is made; setters change only the view; Save()
// writes the keys this view set into the store. Two views (or two processes)
// that save different keys never undo each other, and a crash during Save()
// leaves the old or the new store, never a broken one.
//
// Accessors: `std::string WEBSERVICE_URL() const` and
// `void set_WEBSERVICE_URL(const std::string&)` (setters for user scope only).
// A getter yields the view's value, or the key's default when the key was
// never stored or its stored text is not of the key's type (logged).
// Store file: user.config in platform::UserDataFolder(). Deployment file:
// marlixKanvio.config beside the library. Both are XML documents of the form
// <settings><setting name="KEY">text</setting>...</settings>.
//
// A view belongs to one thread at a time; any number of views may exist on
// any threads and in any processes.

#include <cstdint>
#include <filesystem>
#include <map>
#include <span>
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

  enum class Scope { User, Application };
  enum class Type { Text, Bool, Int, Float, DateTime };
  struct Key {
    const char* name;
    Scope scope;
    Type type;
  };

  // Every key of the store, in the order of SettingsKeys.def.
  static std::span<const Key> Keys();

  // Reads the user store and the deployment file; never throws. A store that
  // cannot be parsed is moved aside (with a time stamp), logged, and the
  // defaults apply. The deployment file overrides application-scope values
  // only; user-scope keys in it are ignored.
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

  // Merges the keys set through this view since its last Save() into the
  // store on disk under an inter-process lock (nothing happens when none was
  // set); afterwards the view shows the store as written. Throws Error when
  // the store cannot be written; the view then keeps its unsaved keys.
  void Save();

  // The file of the user store, and of the deployment overrides (beside the
  // library, or KANVIO_DEPLOYMENT_CONFIG when set, for tests).
  static std::filesystem::path StoreFile();
  static std::filesystem::path DeploymentFile();

 private:
  const std::string* Find(const char* name) const;

  std::map<std::string, std::string> values_;   // stored texts of user and deployment values
  std::map<std::string, std::string> changed_;  // keys set through this view since the last Save()
};

}  // namespace kanvio
