// The settings store as another version, another process or a damaged disk
// may have left it. The first byte picks the use: the store read and written
// through a view, the deployment file read, or the document alone, whose
// values must come back unchanged when written and read again.
#include <system_error>

#include "FuzzSupport.h"
#include "config/Settings.h"
#include "config/SettingsFile.h"
#include "platform/FileSystem.h"
#include "support/Error.h"

namespace {

using namespace kanvio;

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

void ReadEveryKey(const Settings& settings) {
#define KANVIO_SETTING(scope, type, name, def) static_cast<void>(settings.name());
#include "config/SettingsKeys.def"
#undef KANVIO_SETTING
}

// A store that cannot be read is moved aside and the save starts afresh; the
// store written is readable and holds the value saved.
void ThroughAView(const std::string& bytes) {
  const auto store = Settings::StoreFile();
  std::error_code ignored;
  std::filesystem::remove_all(store.parent_path(), ignored);
  platform::CreateFolders(store.parent_path(), platform::FileAccess::kOwnerOnly);
  platform::WriteFileAtomically(store, bytes);
  Settings settings;
  ReadEveryKey(settings);
  settings.set_WEBSERVICE_METHODE("GET_ORDERS");
  settings.Save();
  const auto values = SettingsFile::Parse(fuzz::ReadAll(store));
  Check(values && values->at("WEBSERVICE_METHODE") == "GET_ORDERS");
  ReadEveryKey(Settings());
}

void AsDeploymentFile(const std::string& bytes) {
  platform::WriteFileAtomically(Settings::DeploymentFile(), bytes);
  ReadEveryKey(Settings());
  std::error_code ignored;
  std::filesystem::remove(Settings::DeploymentFile(), ignored);
}

void RoundTrip(const std::string& bytes) {
  const auto values = SettingsFile::Parse(bytes);
  if (!values) return;
  const auto again = SettingsFile::Parse(SettingsFile::Format(*values));
  Check(again && *again == *values);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::UseOwnHost();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::string bytes(fuzz::AsText(data + 1, size - 1));
  switch (data[0] % 4) {
    case 0:
      ThroughAView(bytes);
      break;
    case 1:
      AsDeploymentFile(bytes);
      break;
    default:
      RoundTrip(bytes);
      break;
  }
  return 0;
}
