#pragma once
// What the tests of the shop families share: a worker that records what a
// connector shows, and the hand edits a shop operator makes to the shop
// configuration file.

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <cstdint>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

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

}  // namespace kanvio::test
