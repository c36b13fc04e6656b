#include "hostfiles/XmlPackages.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "hostfiles/BatchSize.h"
#include "hostfiles/RecordFields.h"
#include "hostfiles/StringXmlWriter.h"

namespace kanvio {
namespace {

// Checked before the constructor's members read the file.
int CheckedAmount(int amount) {
  CheckBatchSize(amount);
  return amount;
}

std::vector<pugi::xml_node> RowsIn(pugi::xml_node document, const char* container, const char* row) {
  std::vector<pugi::xml_node> rows = Descendants(document, row);
  std::erase_if(
      rows, [container](pugi::xml_node node) { return std::strcmp(node.parent().name(), container) != 0; });
  return rows;
}

}  // namespace

XmlPackages::XmlPackages(const std::filesystem::path& file, const char* container, const char* row,
                         std::string package_root, int amount)
    : amount_(static_cast<std::size_t>(CheckedAmount(amount))),
      file_(HostXmlFile::LoadForReading(file)),
      rows_(RowsIn(file_.Document(), container, row)),
      package_root_(std::move(package_root)) {}

std::size_t XmlPackages::size() const { return (rows_.size() + amount_ - 1) / amount_; }

std::string XmlPackages::Text(std::size_t index) const {
  if (index >= size()) throw std::out_of_range("XmlPackages::Text: no such package");
  const std::size_t first = index * amount_;
  const std::size_t last = std::min(first + amount_, rows_.size());
  std::string text = "<" + package_root_ + ">";
  StringXmlWriter writer(text);
  for (std::size_t i = first; i < last; ++i) rows_[i].print(writer, "", pugi::format_raw);
  text += "</" + package_root_ + ">";
  return text;
}

void XmlPackages::ForEach(const std::function<void(std::size_t index, const std::string& text)>& sink) const {
  for (std::size_t index = 0; index < size(); ++index) sink(index, Text(index));
}

}  // namespace kanvio
