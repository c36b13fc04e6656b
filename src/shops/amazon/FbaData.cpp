#include "shops/amazon/FbaData.h"

#include <algorithm>
#include <utility>

namespace kanvio {
namespace {

using Field = std::string FbaData::*;

struct Column {
  std::string_view name;
  Field field;
};

constexpr Column kColumns[] = {
#define KANVIO_FBA_COLUMN(member, name) {name, &FbaData::member},
#include "shops/amazon/FbaColumns.def"
#undef KANVIO_FBA_COLUMN
};

}  // namespace

FbaData::Layout::Layout(const std::vector<std::string>& header) {
  positions_.resize(std::size(kColumns));
  for (std::size_t field = 0; field < std::size(kColumns); ++field) {
    const auto found = std::find(header.begin(), header.end(), kColumns[field].name);
    if (found != header.end()) positions_[field] = static_cast<std::size_t>(found - header.begin());
  }
  std::vector<bool> used(header.size(), false);
  for (const auto& position : positions_) {
    if (!position) continue;
    if (used[*position]) shared_ = true;
    used[*position] = true;
  }
}

bool FbaData::Layout::HasColumn(std::string_view column) const {
  for (std::size_t field = 0; field < std::size(kColumns); ++field) {
    if (kColumns[field].name == column) return positions_[field].has_value();
  }
  return false;
}

FbaData FbaData::FromRow(const Layout& layout, const std::vector<std::string>& values) {
  FbaData data;
  for (std::size_t field = 0; field < std::size(kColumns); ++field) {
    const auto& position = layout.positions_[field];
    if (position && *position < values.size()) data.*kColumns[field].field = values[*position];
  }
  return data;
}

FbaData FbaData::FromRow(const Layout& layout, std::vector<std::string>&& values) {
  FbaData data;
  FromRow(layout, std::move(values), data);
  return data;
}

void FbaData::FromRow(const Layout& layout, std::vector<std::string>&& values, FbaData& into) {
  for (std::size_t field = 0; field < std::size(kColumns); ++field) {
    const auto& position = layout.positions_[field];
    if (!position || *position >= values.size()) continue;
    // A column that feeds more than one field is copied, not taken.
    if (layout.shared_)
      into.*kColumns[field].field = values[*position];
    else
      into.*kColumns[field].field = std::move(values[*position]);
  }
}

const std::vector<std::string_view>& FbaData::ColumnNames() {
  static const std::vector<std::string_view> names = [] {
    std::vector<std::string_view> list;
    for (const auto& column : kColumns) list.push_back(column.name);
    return list;
  }();
  return names;
}

}  // namespace kanvio
