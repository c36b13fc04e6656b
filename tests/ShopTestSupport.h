#pragma once
// What the tests of the shop families share: a worker that records what a
// connector shows, the hand edits a shop operator makes to the shop
// configuration file, and the settings an Init and the host leave.

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <cstdint>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "config/Settings.h"
#include "shops/IWorker.h"

namespace kanvio::test {

class RecordingWorker : public IWorker {
 public:
  void setUserStatusMessage(const std::string& msg, std::int32_t value) override {
    std::lock_guard lock(mutex_);
    messages.push_back(msg + "|" + std::to_string(value));
  }
  void SetMaxValue(std::int32_t value) override {
    std::lock_guard lock(mutex_);
    max_values.push_back(value);
  }
  std::vector<std::string> messages;  // "text|value"
  std::vector<std::int32_t> max_values;

 private:
  std::mutex mutex_;
};

// Sets generell/element of the shop configuration file below program_data.
inline void SetGenerellConfig(const std::filesystem::path& program_data, const std::string& element,
                              const std::string& value) {
  const auto file = program_data / "Webshop/Config/kvx.config";
  pugi::xml_document doc;
  ASSERT_TRUE(doc.load_file(file.c_str())) << file;
  auto generell = doc.child("marlixKanvioConfig").child("generell");
  auto node = generell.child(element.c_str());
  if (!node) node = generell.append_child(element.c_str());
  node.text() = value.c_str();
  ASSERT_TRUE(doc.save_file(file.c_str()));
}

// The connection an Init stores, which a shop's operations read.
inline void StoreConnection(const std::string& erp, const std::string& shop, const std::string& url,
                            const std::string& login, const std::string& password) {
  Settings settings;
  settings.set_ERP_SYSTEM(erp);
  settings.set_WEBSERVICE_SHOP(shop);
  settings.set_WEBSERVICE_URL(url);
  settings.set_WEBSERVICE_LOGIN(login);
  settings.set_WEBSERVICE_PASSWORD(password);
  settings.Save();
}

// Names the host file of the next operation; writes content into it first
// unless content is empty.
inline void UseResultFile(const std::filesystem::path& file, const std::string& content = "") {
  if (!content.empty()) WriteFile(file, content);
  Settings settings;
  settings.set_WEBSERVICE_RESULT_FILEPATH(file.string());
  settings.Save();
}

}  // namespace kanvio::test
