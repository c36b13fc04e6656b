#include "shops/amazon/ReportFiles.h"

#include <algorithm>
#include <fstream>
#include <pugixml.hpp>
#include <set>

#include "net/MwsAnswers.h"
#include "platform/FileSystem.h"
#include "support/Text.h"

namespace kanvio {
namespace {

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

bool IsValidUtf8(std::string_view s) {
  for (std::size_t i = 0; i < s.size();) {
    const auto c = static_cast<unsigned char>(s[i]);
    std::size_t length;
    std::uint32_t minimum;
    if (c < 0x80) {
      ++i;
      continue;
    } else if ((c & 0xE0) == 0xC0) {
      length = 2, minimum = 0x80;
    } else if ((c & 0xF0) == 0xE0) {
      length = 3, minimum = 0x800;
    } else if ((c & 0xF8) == 0xF0) {
      length = 4, minimum = 0x10000;
    } else {
      return false;
    }
    if (i + length > s.size()) return false;
    std::uint32_t code = c & (0xFF >> (length + 1));
    for (std::size_t k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(s[i + k]);
      if (!IsContinuation(next)) return false;
      code = code << 6 | (next & 0x3F);
    }
    if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
    i += length;
  }
  return true;
}

std::vector<std::string> SplitTabs(std::string_view line) {
  std::vector<std::string> values;
  // Sized up front: a shipment report row has some forty columns.
  values.reserve(static_cast<std::size_t>(std::count(line.begin(), line.end(), '\t')) + 1);
  std::size_t start = 0;
  for (;;) {
    const std::size_t tab = line.find('\t', start);
    values.emplace_back(line.substr(start, tab == std::string_view::npos ? tab : tab - start));
    if (tab == std::string_view::npos) return values;
    start = tab + 1;
  }
}

// Each reads its element's children in one pass: a report holds thousands.
ReportAddress ReadAddress(pugi::xml_node address) {
  ReportAddress read;
  const std::pair<std::string_view, std::string*> fields[] = {{"Name", &read.Name},
                                                              {"AddressFieldOne", &read.AddressFieldOne},
                                                              {"AddressFieldTwo", &read.AddressFieldTwo},
                                                              {"City", &read.City},
                                                              {"PostalCode", &read.PostalCode},
                                                              {"CountryCode", &read.CountryCode},
                                                              {"PhoneNumber", &read.PhoneNumber}};
  for (pugi::xml_node child = address.first_child(); child; child = child.next_sibling()) {
    const std::string_view name = net::MwsLocalName(child);
    for (const auto& [field_name, field] : fields) {
      if (name != field_name) continue;
      if (field->empty()) field->assign(text::TrimView(child.text().get()));
      break;
    }
  }
  return read;
}

OrderReportEntry ReadEntry(pugi::xml_node report) {
  OrderReportEntry entry;
  for (pugi::xml_node child = report.first_child(); child; child = child.next_sibling()) {
    const std::string_view name = net::MwsLocalName(child);
    if (name == "AmazonOrderID" && entry.AmazonOrderID.empty()) {
      entry.AmazonOrderID.assign(text::TrimView(child.text().get()));
    } else if (name == "OrderDate" && entry.OrderDate.empty()) {
      entry.OrderDate.assign(text::TrimView(child.text().get()));
    } else if (name == "BillingData" && !entry.has_billing_data) {
      entry.has_billing_data = true;
      if (const auto address = net::MwsChild(child, "Address")) entry.billing = ReadAddress(address);
    } else if (name == "FulfillmentData" && !entry.has_fulfillment_data) {
      entry.has_fulfillment_data = true;
      entry.service_level = net::MwsChildText(child, "FulfillmentServiceLevel");
      if (const auto address = net::MwsChild(child, "Address")) entry.shipping = ReadAddress(address);
    }
  }
  return entry;
}

// Every OrderReport element in document order, without descending into one.
// Iterative, so that a deeply nested document cannot exhaust the stack.
std::vector<pugi::xml_node> OrderReportNodes(const pugi::xml_document& document) {
  std::vector<pugi::xml_node> found;
  pugi::xml_node node = document.first_child();
  while (node) {
    const bool is_report = node.type() == pugi::node_element && net::MwsLocalName(node) == "OrderReport";
    if (is_report) found.push_back(node);
    if (!is_report && node.first_child()) {
      node = node.first_child();
      continue;
    }
    while (node && !node.next_sibling()) {
      node = node.parent();
      if (node == document) return found;
    }
    if (node) node = node.next_sibling();
  }
  return found;
}

void CheckDocument(const pugi::xml_document& document, const pugi::xml_parse_result& parsed) {
  if (!parsed)
    throw ReportFormatError(std::string("Der Bestellbericht ist kein gültiges XML: ") + parsed.description() +
                            " (Zeichen " + std::to_string(parsed.offset) + ")");
  if (!document.document_element()) throw ReportFormatError("Der Bestellbericht enthält kein XML-Element.");
}

void LoadDocument(pugi::xml_document& document, std::string_view bytes) {
  CheckDocument(document, document.load_buffer(bytes.data(), bytes.size()));
}

// In the report's own bytes, which must outlive the document: a report runs
// to many megabytes, and a copy for the parser would be one more.
void LoadDocumentInPlace(pugi::xml_document& document, std::string& bytes) {
  CheckDocument(document, document.load_buffer_inplace(bytes.data(), bytes.size()));
}

std::vector<OrderReportEntry> ReadEntries(const pugi::xml_document& document) {
  const std::vector<pugi::xml_node> nodes = OrderReportNodes(document);
  std::vector<OrderReportEntry> entries;
  entries.reserve(nodes.size());
  for (const auto& node : nodes) entries.push_back(ReadEntry(node));
  return entries;
}

struct StringWriter : pugi::xml_writer {
  std::string text;
  void write(const void* data, std::size_t size) override {
    text.append(static_cast<const char*>(data), size);
  }
};

}  // namespace

std::string ReadReportBytes(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::error_code ec;
  const auto size = std::filesystem::file_size(file, ec);
  if (!in || ec) throw Error("Der Bericht " + platform::PathToUtf8(file) + " kann nicht gelesen werden.");
  std::string bytes(static_cast<std::size_t>(size), '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (static_cast<std::size_t>(in.gcount()) != bytes.size())
    throw Error("Der Bericht " + platform::PathToUtf8(file) + " kann nicht gelesen werden.");
  return bytes;
}

FlatFileTable FlatFileTable::Parse(std::string_view bytes) {
  FlatFileTable table;
  if (text::StartsWith(bytes, text::kUtf8Bom)) bytes.remove_prefix(text::kUtf8Bom.size());
  const bool utf8 = IsValidUtf8(bytes);
  const auto decode = [utf8](std::string_view raw) {
    return utf8 ? std::string(raw) : text::Cp1252ToUtf8(raw);
  };
  const std::size_t first_end = bytes.find('\n');
  if (first_end != std::string_view::npos && (first_end == 0 || bytes[first_end - 1] != '\r'))
    table.line_end = "\n";

  bool header_read = false;
  std::size_t line_number = 0;
  for (std::size_t start = 0; start < bytes.size();) {
    std::size_t end = bytes.find('\n', start);
    if (end == std::string_view::npos) end = bytes.size();
    std::string_view raw = bytes.substr(start, end - start);
    start = end + 1;
    ++line_number;
    if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
    if (raw.empty()) continue;
    if (!header_read) {
      header_read = true;
      table.header_raw = std::string(raw);
      table.columns = SplitTabs(decode(raw));
      std::set<std::string_view> names;
      for (const auto& column : table.columns) {
        if (!column.empty() && !names.insert(column).second)
          throw ReportFormatError("Die Spalte \"" + column +
                                  "\" steht zweimal in der Kopfzeile des Berichts.");
      }
      continue;
    }
    Row row{std::string(raw), SplitTabs(decode(raw))};
    // A trailing tab gives an empty value beyond the last column; only
    // values with content make the row longer than the header.
    while (row.values.size() > table.columns.size() && row.values.back().empty()) row.values.pop_back();
    if (row.values.size() > table.columns.size())
      throw ReportFormatError("Zeile " + std::to_string(line_number) + " des Berichts hat " +
                              std::to_string(row.values.size()) + " Werte, die Kopfzeile nur " +
                              std::to_string(table.columns.size()) + " Spalten.");
    table.rows.push_back(std::move(row));
  }
  return table;
}

FlatFileTable FlatFileTable::Read(const std::filesystem::path& file) { return Parse(ReadReportBytes(file)); }

void FlatFileTable::Rewrite(const std::filesystem::path& file, const std::vector<bool>& keep) const {
  std::string out = header_raw + line_end;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (i < keep.size() && keep[i]) out += rows[i].raw + line_end;
  }
  platform::WriteFileAtomically(file, out);
}

std::vector<OrderReportEntry> ParseOrderReport(std::string_view bytes) {
  pugi::xml_document document;
  LoadDocument(document, bytes);
  return ReadEntries(document);
}

std::vector<OrderReportEntry> ParseOrderReportInPlace(std::string& bytes) {
  pugi::xml_document document;
  LoadDocumentInPlace(document, bytes);
  return ReadEntries(document);
}

std::vector<OrderReportEntry> ReadOrderReport(const std::filesystem::path& file) {
  std::string bytes = ReadReportBytes(file);
  return ParseOrderReportInPlace(bytes);
}

void RewriteOrderReport(const std::filesystem::path& file, const std::vector<bool>& keep) {
  pugi::xml_document document;
  LoadDocument(document, ReadReportBytes(file));
  const auto nodes = OrderReportNodes(document);
  for (std::size_t i = 0; i < nodes.size(); ++i) {
    if (i < keep.size() && keep[i]) continue;
    pugi::xml_node gone = nodes[i];
    if (net::MwsLocalName(gone.parent()) == "Message") gone = gone.parent();
    gone.parent().remove_child(gone);
  }
  StringWriter writer;
  document.save(writer, "", pugi::format_raw);
  platform::WriteFileAtomically(file, writer.text);
}

}  // namespace kanvio
