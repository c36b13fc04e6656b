#pragma once
// What the tests of the ePages product operations share: a host and the
// shop simulator on loopback, the host files they hand over, and looks at
// what reached the shop.

#include <gtest/gtest.h>

#include <pugixml.hpp>
#include <string>
#include <vector>

#include "FakeClock.h"
#include "HostFolders.h"
#include "ShopSimulator.h"
#include "ShopTestSupport.h"
#include "TestSupport.h"
#include "config/ConfigFileWriter.h"
#include "shops/epages/ePages.h"

namespace kanvio::test {

inline std::string ExportRow(const std::string& number, const std::string& fields) {
  return "<row><ArtikelnummerWebshop>" + number + "</ArtikelnummerWebshop>" + fields + "</row>";
}

class EpagesProductsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    simulator_.Start();
    StoreConnection("ledgrox", "epages", simulator_.ShopUrl() + "/epages/Store.soap",
                    "/Shops/DemoShop/Users/admin", "demo");
    ConfigFileWriter make_config_file;
    Packages(false);
  }

  void Packages(bool on, int amount = 100) {
    SetGenerellConfig(host_.ProgramData(), "PackageSplitting", on ? "true" : "false");
    SetGenerellConfig(host_.ProgramData(), "PackageSplittingAmount", std::to_string(amount));
  }

  // Writes the host file of the next operation below the test's folder.
  std::filesystem::path HostFile(const std::string& name, const std::string& content) {
    const auto file = dir_ / name;
    UseResultFile(file, content);
    return file;
  }
  std::filesystem::path ArticleFile(const std::string& rows) {
    return HostFile("Artikelexport.xml",
                    "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Artikelexport>" + rows + "</Artikelexport>");
  }

  // The protocols appended to a file, as "status/total/successful".
  static std::vector<std::string> Protocols(const std::filesystem::path& file) {
    pugi::xml_document document;
    EXPECT_TRUE(document.load_file(file.c_str())) << file;
    std::vector<std::string> found;
    for (pugi::xml_node p : document.document_element().children("Exportprotokoll"))
      found.push_back(std::string(p.child_value("Export_Status")) + "/" +
                      p.child_value("Anzahl_Datensaetze_Gesamt") + "/" +
                      p.child_value("Anzahl_Datensaetze_Erfolgreich_Uebergeben"));
    return found;
  }

  // The number of records of each request to target, in order.
  std::vector<std::size_t> RecordsPerRequest(const std::string& target, const std::string& item_type) const {
    std::vector<std::size_t> counts;
    for (const auto& request : simulator_.Requests()) {
      if (request.target != target) continue;
      std::size_t count = 0;
      for (auto pos = request.body.find(item_type); pos != std::string::npos;
           pos = request.body.find(item_type, pos + 1))
        ++count;
      counts.push_back(count);
    }
    return counts;
  }

  bool Shows(const std::string& message) const {
    for (const auto& shown : worker_.messages)
      if (shown.rfind(message + "|", 0) == 0) return true;
    return false;
  }

  shopsim::EpagesProducts& Shop() { return simulator_.Epages().Products(); }
  std::optional<shopsim::EpagesProduct> Product(const std::string& alias) {
    return Shop().Product("/Shops/DemoShop/Products/" + alias);
  }

  FakeClock clock_;  // 2026-03-02 09:30:00 UTC
  HostFolders host_;
  TempDir dir_;
  shopsim::ShopSimulator simulator_{{.port = 0,
                                     .base_path = "/shop",
                                     .password = "",
                                     .articles_import_limit = 0,
                                     .state_file = {},
                                     .demo_data = true}};
  RecordingWorker worker_;
  ePages shop_{&worker_};
  std::string error_;
};

}  // namespace kanvio::test
