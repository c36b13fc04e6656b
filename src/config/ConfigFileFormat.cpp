#include "config/ConfigFileFormat.h"

#include <charconv>
#include <fstream>
#include <sstream>

#include "platform/FileSystem.h"
#include "support/Error.h"
#include "support/Text.h"
#include "support/XmlDepth.h"

namespace kanvio::config_file {
namespace {

constexpr const char* kAmazonOrder[][2] = {
    {"canceled", "false"}, {"partiallyShipped", "true"}, {"pending", "false"},
    {"shipped", "false"},  {"unfulfillable", "false"},   {"unshipped", "true"},
};

constexpr const char* kStratoOrder[][2] = {
    {"isViewed", "True"},
    {"isNotViewed", "True"},
    {"isInProcess", "False"},
    {"isPending", "False"},
    {"isReadyForShipping", "False"},
    {"isPartlyDispatched", "False"},
    {"isDispatched", "False"},
    {"isShipped", "False"},
    {"isPartlyPaid", "False"},
    {"isPaid", "True"},
    {"isPartlyInvoiced", "False"},
    {"isInvoiced", "False"},
    {"DoNotImportArchivedOrders", "True"},
    {"DoNotImportClosedOrders", "True"},
    {"DoNotImportCancelledOrders", "True"},
    {"importAttributes", "True"},
};

// White space allowed around a Boolean text; trailing NULs are ignored as well.
constexpr std::string_view kBooleanBlanks{" \t\n\v\f\r\0", 7};

std::string_view TrimView(std::string_view text, std::string_view blanks) {
  const auto begin = text.find_first_not_of(blanks);
  if (begin == std::string_view::npos) return {};
  return text.substr(begin, text.find_last_not_of(blanks) - begin + 1);
}

}  // namespace

pugi::xml_document BasicDocument() {
  pugi::xml_document document;
  auto root = document.append_child(kRoot);
  AppendValue(root.append_child("generell"), "PackageSplitting", "true");
  auto shops = root.append_child("shops");
  auto amazon_order = shops.append_child("amazon").append_child("order");
  for (const auto& [name, value] : kAmazonOrder) AppendValue(amazon_order, name, value);
  auto strato = shops.append_child("strato");
  auto strato_order = strato.append_child("order");
  for (const auto& [name, value] : kStratoOrder) AppendValue(strato_order, name, value);
  AppendValue(strato.append_child("articleimport"), "importAttributes", "true");
  return document;
}

pugi::xml_document Load(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) throw XmlError("Die Datei " + platform::PathToUtf8(file) + " konnte nicht gelesen werden.");
  std::ostringstream bytes;
  bytes << in.rdbuf();
  const std::string content = text::DecodeToUtf8(bytes.str());
  pugi::xml_document document;
  const auto result = document.load_buffer(
      content.data(), content.size(), pugi::parse_default | pugi::parse_declaration | pugi::parse_comments,
      pugi::encoding_utf8);
  if (!result)
    throw XmlError("Die Datei " + platform::PathToUtf8(file) + " ist kein gültiges XML: " +
                   result.description() + " (Zeichen " + std::to_string(result.offset) + ")");
  // The file's own tree is five levels deep; saved indented, a deeper one
  // would grow with the square of its depth.
  if (NestingDepth(document) > kMaxDepth)
    throw XmlError("Die Datei " + platform::PathToUtf8(file) + " ist tiefer als " +
                   std::to_string(kMaxDepth) + " Ebenen verschachtelt.");
  return document;
}

void Save(const pugi::xml_document& document, const std::filesystem::path& file) {
  std::ostringstream out;
  document.save(out, "  ", pugi::format_default, pugi::encoding_utf8);
  platform::WriteFileAtomically(file, out.str());
}

pugi::xml_node AppendValue(pugi::xml_node parent, const char* name, std::string_view text) {
  auto element = parent.append_child(name);
  element.text().set(std::string(text).c_str());
  return element;
}

std::string InnerText(pugi::xml_node node) {
  std::string text;
  for (auto n = node.first_child(); n; n = n.next_sibling()) {
    if (n.type() == pugi::node_pcdata || n.type() == pugi::node_cdata)
      text += n.value();
    else if (n.type() == pugi::node_element)
      text += InnerText(n);
  }
  return text;
}

std::optional<bool> ParseBoolean(std::string_view text) {
  const auto word = TrimView(text, kBooleanBlanks);
  if (text::EqualsIgnoreCase(word, "true")) return true;
  if (text::EqualsIgnoreCase(word, "false")) return false;
  return std::nullopt;
}

std::optional<std::int32_t> ParseInt32(std::string_view text) {
  auto digits = TrimView(text, " \t\n\v\f\r");
  if (!digits.empty() && digits.front() == '+') {
    digits.remove_prefix(1);
    if (!digits.empty() && digits.front() == '-') return std::nullopt;
  }
  std::int32_t value = 0;
  const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (ec != std::errc() || end != digits.data() + digits.size() || digits.empty()) return std::nullopt;
  return value;
}

}  // namespace kanvio::config_file
