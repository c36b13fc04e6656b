// The shop configuration file as a user may have edited it: the first byte
// says whether the upgrade runs before the values are read, the rest is the
// file. The upgrade leaves the file as it was or well-formed, and completes
// every file it can read.
#include <pugixml.hpp>

#include "FuzzSupport.h"
#include "config/ConfigFileFormat.h"
#include "config/ConfigFilePath.h"
#include "config/ConfigFileReader.h"
#include "config/ConfigFileWriter.h"
#include "platform/FileSystem.h"
#include "support/Error.h"
#include "support/Text.h"

namespace {

using namespace kanvio;

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

bool Upgradable(const pugi::xml_document& document) {
  auto root = document.child("marlixKanvioConfig");
  return root && root == document.document_element() && root.child("generell") && root.child("shops");
}

void ReadEveryValue() {
  ConfigFileReader::GetValueFromGenerellConfig("PackageSplitting");
  ConfigFileReader::getValueFromGenerellConfig_Int("PackageSplittingAmount");
  ConfigFileReader::getValueFromGenerellConfig_String("SecurityProtocols");
  ConfigFileReader::GetValueFromShop("strato", "order", "isViewed");
  ConfigFileReader::GetValueFromShop("strato", "articleimport", "importAttributes");
  ConfigFileReader::DoesConfigValueExisits({"shops", "ebay", "formatting"});
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::UseOwnHost();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  static const auto file = platform::PathFromUtf8(ConfigFilePath::GetConfigFilePath());
  const std::string content(fuzz::AsText(data + 1, size - 1));
  platform::WriteFileAtomically(file, content);
  if (data[0] & 1) {
    // The old line format begins with a section line; it is converted, not upgraded.
    bool upgradable = !text::DecodeToUtf8(content).starts_with("[");
    try {
      upgradable = upgradable && Upgradable(config_file::Load(file));
    } catch (const Error&) {
      upgradable = false;
    }
    ConfigFileWriter writer;
    const std::string after = fuzz::ReadAll(file);
    pugi::xml_document written;
    Check(after == content || written.load_buffer(after.data(), after.size()));
    if (upgradable) {
      Check(ConfigFileReader::DoesConfigValueExisits({"generell", "PackageSplittingAmount"}));
      Check(ConfigFileReader::DoesConfigValueExisits({"generell", "SecurityProtocols"}));
      Check(ConfigFileReader::DoesConfigValueExisits(
          {"shops", "ebay", "formatting", "useShippingAsMainAdress"}));
    }
  }
  ReadEveryValue();
  return 0;
}
