#pragma once
// The Amazon account a test connects, and a deployment file that points the
// marketplace addresses of every marketplace at a loopback server.

#include <filesystem>
#include <string>

#include "TestSupport.h"
#include "config/Settings.h"
#include "support/DateTime.h"

namespace kanvio::test {

inline const char* const kMarketplaceKeys[] = {"de", "com", "es", "fr", "jp", "cn", "it", "uk", "ca"};

// Writes the deployment file into `dir` and points KANVIO_DEPLOYMENT_CONFIG
// at it for the object's lifetime: Reports at root_url + "/",  Orders at
// root_url + "/Orders/2013-09-01" (root_url without trailing slash).
class MwsDeployment {
 public:
  MwsDeployment(const std::filesystem::path& dir, const std::string& root_url)
      : file_(dir / "marlixKanvio.config"), env_("KANVIO_DEPLOYMENT_CONFIG", file_.string()) {
    std::string xml = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<settings>\n";
    for (const char* key : kMarketplaceKeys) {
      xml +=
          std::string("<setting name=\"amazon_reportServiceURL_") + key + "\">" + root_url + "/</setting>\n";
      xml += std::string("<setting name=\"amazon_orderServiceURL_") + key + "\">" + root_url +
             "/Orders/2013-09-01</setting>\n";
    }
    WriteFile(file_, xml + "</settings>\n");
  }

 private:
  std::filesystem::path file_;
  ScopedEnv env_;
};

// What InitAmazon stores.
inline void StoreAmazonAccount(const std::string& merchant, const std::string& language = "de",
                               const LocalDateTime& date_from = {2026, 1, 1, 0, 0, 0},
                               const std::string& parameter = "") {
  Settings settings;
  settings.set_amazon_merchantId(merchant);
  settings.set_amazon_merchant_kind("sc");
  settings.set_amazon_language(language);
  settings.set_amazon_dateFrom(date_from);
  settings.set_amazon_parameter(parameter);
  settings.Save();
}

}  // namespace kanvio::test
