#pragma once
// Checks shared by the tests of the orders file writers.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <pugixml.hpp>
#include <string>
#include <vector>

namespace kanvio::orders::test_support {

// Whether libxml2's checker accepts the file as well-formed.
inline bool PassesXmllint(const std::filesystem::path& file) {
  const std::string command = "xmllint --noout '" + file.string() + "' 2>/dev/null";
  return std::system(command.c_str()) == 0;
}

inline std::unique_ptr<pugi::xml_document> ParseFile(const std::filesystem::path& file) {
  auto document = std::make_unique<pugi::xml_document>();
  const pugi::xml_parse_result result = document->load_file(file.c_str());
  EXPECT_TRUE(result) << file << ": " << result.description() << " at " << result.offset;
  return document;
}

inline std::vector<std::string> ChildNames(const pugi::xml_node& node) {
  std::vector<std::string> names;
  for (const pugi::xml_node& child : node.children()) names.emplace_back(child.name());
  return names;
}

inline std::vector<std::string> Numbered(const std::string& stem, int first, int last) {
  std::vector<std::string> names;
  for (int i = first; i <= last; ++i) names.push_back(stem + std::to_string(i));
  return names;
}

inline std::vector<std::string> Concat(std::initializer_list<std::vector<std::string>> parts) {
  std::vector<std::string> all;
  for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

}  // namespace kanvio::orders::test_support
