#pragma once
// One file of the settings store, an XML document of the form
//   <?xml version="1.0" encoding="utf-8"?>
//   <settings><setting name="KEY">text</setting>...</settings>
// The user store is only ever replaced whole (temporary file, then rename)
// and only under a lock file beside it ("user.config.lock"), so readers need
// no lock and writers merge into the current file instead of overwriting it.

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kanvio {

class SettingsFile {
 public:
  using Values = std::map<std::string, std::string>;

  explicit SettingsFile(std::filesystem::path path);

  // The values of a file the library only reads (the deployment file). A
  // missing file has none; an unreadable or unparsable one is logged and has
  // none. Never throws.
  Values Read() const;

  // The values of the user store; none when it is missing. A store that
  // cannot be parsed is moved aside under the lock ("<name>.broken-
  // YYYYMMDD-HHMMSS", made unique with "-2", "-3", ...), logged, and has
  // none. Never throws.
  Values Load() const;

  // Under the lock: reads the store as it is on disk (moving a broken one
  // aside), sets changes into it and replaces it atomically. Creates the
  // folder when needed. The store and its temporary file are its owner's
  // only (POSIX: 0600, the folder 0700); a store or folder found open to
  // others is narrowed, with one Info line. Temporary files that killed
  // saves left are removed once they are a minute old. Returns the values
  // as written. Throws Error; the store on disk is then the one before.
  Values Merge(const Values& changes) const;

  // The document holding values; and the values of a document, nullopt when
  // it is not a well-formed document with the root element "settings".
  static std::string Format(const Values& values);
  static std::optional<Values> Parse(std::string_view document);

 private:
  std::filesystem::path LockFile() const;
  // nullopt when the file does not exist; throws Error when it cannot be read.
  std::optional<std::string> ReadBytes() const;
  // With the lock held: the values on disk; a broken store is moved aside
  // first and its new name put in moved_to.
  Values ReadLocked(std::optional<std::filesystem::path>& moved_to) const;
  std::filesystem::path MoveAside() const;
  // With the lock held: narrows the folder and the store.
  struct Narrowing {
    std::vector<std::filesystem::path> narrowed;
    std::vector<std::string> failures;
  };
  Narrowing NarrowAccess() const;
  // Without the lock: the log opens a settings view of its own.
  void LogNarrowing(const Narrowing& narrowing) const;
  void LogMovedAside(const std::filesystem::path& moved_to) const;

  std::filesystem::path path_;
};

}  // namespace kanvio
