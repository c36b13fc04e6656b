#pragma once
// What the targets that run whole shop operations share: a connection in the
// settings store, the shop configuration file, the host's file, and the
// checks every operation must pass whatever the shop answered.

#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "config/ConfigFileFormat.h"
#include "config/ConfigFilePath.h"
#include "config/Settings.h"
#include "hostfiles/HostXmlFile.h"
#include "platform/FileSystem.h"
#include "shops/IWorker.h"
#include "support/Error.h"
#include "support/Text.h"

namespace kanvio::fuzz {

class SilentWorker : public IWorker {
 public:
  void setUserStatusMessage(const std::string&, std::int32_t) override {}
  void SetMaxValue(std::int32_t) override {}
};

inline void Check(bool condition) {
  if (!condition) __builtin_trap();
}

inline std::filesystem::path HostFile() { return FuzzFolder() / "host.xml"; }

// The connection an Init leaves; the store and the configuration file are
// written only when they change, as a run rarely changes them.
class ShopSetup {
 public:
  void Use(const std::string& erp, const std::string& shop, bool password, bool packages) {
    if (!stored_ || erp != erp_ || shop != shop_ || password != password_) {
      Settings settings;
      settings.set_ERP_SYSTEM(erp);
      settings.set_WEBSERVICE_SHOP(shop);
      settings.set_WEBSERVICE_URL("http://127.0.0.1:9/shop");
      settings.set_WEBSERVICE_LOGIN("fuzz");
      settings.set_WEBSERVICE_PASSWORD(password ? "geheim" : "");
      settings.set_WEBSERVICE_RESULT_FILEPATH(platform::PathToUtf8(HostFile()));
      settings.Save();
      erp_ = erp, shop_ = shop, password_ = password;
    }
    if (!stored_ || packages != packages_) {
      pugi::xml_document config = config_file::BasicDocument();
      auto generell = config.document_element().child("generell");
      generell.child("PackageSplitting").text() = packages ? "true" : "false";
      config_file::AppendValue(generell, "PackageSplittingAmount", "2");
      config_file::Save(config, platform::PathFromUtf8(ConfigFilePath::GetConfigFilePath()));
      packages_ = packages;
    }
    stored_ = true;
  }

 private:
  bool stored_ = false;
  std::string erp_, shop_;
  bool password_ = false, packages_ = false;
};

// Three records, so that packages of two leave a short last one.
inline void WriteUploadFile(const char* root, const char* row) {
  std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<" + std::string(root) + ">";
  for (int i = 1; i <= 3; ++i)
    xml += "<" + std::string(row) + "><ArtikelnummerWebshop>A-" + std::to_string(i) +
           "</ArtikelnummerWebshop></" + row + ">";
  platform::WriteFileAtomically(HostFile(), xml + "</" + root + ">\r\n");
}

inline void WriteOrderList() {
  platform::WriteFileAtomically(HostFile(),
                                "<OrderList><Bestellvorgang><BestellnummerShop>1001</BestellnummerShop>"
                                "</Bestellvorgang><Bestellvorgang><BestellnummerShop>10 02"
                                "</BestellnummerShop></Bestellvorgang></OrderList>");
}

// The host reads the file it handed over after every upload: protocols may
// have been appended, but it must stay a document.
inline void CheckHostFileReadable() {
  try {
    HostXmlFile::LoadForReading(HostFile());
  } catch (const Error&) {
    __builtin_trap();
  }
}

// The error text becomes a COM string for the host: it must be UTF-8.
inline void CheckErrorText(const std::string& error) {
  Check(text::FindInvalidUtf8(error) == std::string::npos);
}

}  // namespace kanvio::fuzz
