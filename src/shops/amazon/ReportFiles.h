#pragma once
// Reading the report files the connector downloaded, and writing back the
// part of one that must come again in the next run.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "support/Error.h"

namespace kanvio {

// A report that cannot be read as its kind (no table, no XML document).
class ReportFormatError : public Error {
 public:
  using Error::Error;
};

// A tab-separated report: the header's column names and the rows' values,
// each row also as its bytes in the file. Files that are not valid UTF-8 are
// read as windows-1252, as the EU marketplaces deliver them.
struct FlatFileTable {
  struct Row {
    std::string raw;  // as in the file, without the line end
    std::vector<std::string> values;
  };
  std::string header_raw;
  std::vector<std::string> columns;
  std::vector<Row> rows;
  std::string line_end = "\r\n";  // of the file, for writing it back

  // Throws ReportFormatError for a repeated column name or a row with more
  // (non-empty) values than the header has columns.
  static FlatFileTable Parse(std::string_view bytes);
  // Throws Error when the file cannot be read, or as Parse does.
  static FlatFileTable Read(const std::filesystem::path& file);
  // Writes the header and the rows marked in `keep`, unchanged, over `file`.
  void Rewrite(const std::filesystem::path& file, const std::vector<bool>& keep) const;
};

// An address of an XML order report.
struct ReportAddress {
  std::string Name, AddressFieldOne, AddressFieldTwo, City, PostalCode, CountryCode, PhoneNumber;
};

// One OrderReport of an XML order report, as far as the import reads it.
struct OrderReportEntry {
  std::string AmazonOrderID;
  std::string OrderDate;
  bool has_billing_data = false;
  std::optional<ReportAddress> billing;  // the Address of BillingData
  bool has_fulfillment_data = false;
  std::string service_level;              // FulfillmentServiceLevel
  std::optional<ReportAddress> shipping;  // the Address of FulfillmentData
};

// The OrderReport elements of an XML order report, in document order;
// elements matched by local name. Throws ReportFormatError for bytes that
// are not an XML document.
std::vector<OrderReportEntry> ParseOrderReport(std::string_view bytes);
// The same, parsed in the caller's bytes, which it changes: a report runs to
// many megabytes, and a copy for the parser would be one more.
std::vector<OrderReportEntry> ParseOrderReportInPlace(std::string& bytes);
std::vector<OrderReportEntry> ReadOrderReport(const std::filesystem::path& file);
// Writes the report back with only the OrderReport entries marked in `keep`
// (each removed with its Message); the rest of the document stays.
void RewriteOrderReport(const std::filesystem::path& file, const std::vector<bool>& keep);

// The whole file; throws Error when it cannot be read.
std::string ReadReportBytes(const std::filesystem::path& file);

}  // namespace kanvio
