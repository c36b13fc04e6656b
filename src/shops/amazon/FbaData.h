#pragma once
// One row of a fulfilled-shipments report, its fields found by the header's
// column names (a report may add columns or order them differently).

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kanvio {

struct FbaData {
#define KANVIO_FBA_COLUMN(member, name) std::string member;
#include "shops/amazon/FbaColumns.def"
#undef KANVIO_FBA_COLUMN

  // Where each field's value sits in a row of a report with this header;
  // columns of no field are ignored, fields without column stay empty.
  class Layout {
   public:
    explicit Layout(const std::vector<std::string>& header);
    // Whether the header has the column (e.g. "amazon-order-id").
    bool HasColumn(std::string_view column) const;

   private:
    friend struct FbaData;
    std::vector<std::optional<std::size_t>> positions_;  // per field, in the order of FbaColumns.def
    bool shared_ = false;                                // a column feeds more than one field
  };

  static FbaData FromRow(const Layout& layout, const std::vector<std::string>& values);
  // Takes the values over instead of copying them.
  static FbaData FromRow(const Layout& layout, std::vector<std::string>&& values);
  // The same into a fresh record in place (a report's rows, without moving
  // each record once more).
  static void FromRow(const Layout& layout, std::vector<std::string>&& values, FbaData& into);

  // The 48 column names in the report's order.
  static const std::vector<std::string_view>& ColumnNames();
};

}  // namespace kanvio
