#include "net/SoapWriter.h"

#include <array>
#include <charconv>
#include <cmath>

#include "platform/Crypto.h"

namespace kanvio::net {

namespace {

// What a character becomes: nullptr when it stays as it is, "" when it goes.
constexpr const char* Replacement(char c) {
  switch (c) {
    case '&':
      return "&amp;";
    case '<':
      return "&lt;";
    case '>':
      return "&gt;";
    case '"':
      return "&quot;";
    // A carriage return would reach the server as a line feed otherwise.
    case '\r':
      return "&#13;";
    case '\t':
    case '\n':
      return nullptr;
    default:
      // XML has no place for the other control characters, not even as
      // references: one of them in an article text would make the server
      // refuse the whole request.
      return static_cast<unsigned char>(c) < 0x20 ? "" : nullptr;
  }
}

constexpr auto kSpecial = [] {
  std::array<bool, 256> special{};
  for (int c = 0; c < 256; ++c) special[c] = Replacement(static_cast<char>(c)) != nullptr;
  return special;
}();

}  // namespace

// Runs of plain characters are copied whole: requests carry texts of
// megabytes.
void AppendEscaped(std::string& out, std::string_view text) {
  std::size_t plain = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (!kSpecial[static_cast<unsigned char>(text[i])]) continue;
    const char* replacement = Replacement(text[i]);
    if (replacement == nullptr) continue;
    out.append(text.data() + plain, i - plain);
    out += replacement;
    plain = i + 1;
  }
  out.append(text.data() + plain, text.size() - plain);
}

void SoapWriter::DeclareNamespace(std::string prefix, std::string uri) {
  for (const auto& [known, _] : namespaces_) {
    if (known == prefix) return;
  }
  namespaces_.emplace_back(std::move(prefix), std::move(uri));
}

void SoapWriter::Scalar(std::string_view name, std::string_view type, std::string_view text) {
  xml_.reserve(xml_.size() + 2 * name.size() + type.size() + text.size() + 20);
  xml_ += '<';
  xml_ += name;
  xml_ += " xsi:type=\"";
  xml_ += type;
  xml_ += "\">";
  AppendEscaped(xml_, text);
  xml_ += "</";
  xml_ += name;
  xml_ += '>';
}

void SoapWriter::String(std::string_view name, std::string_view value) { Scalar(name, "xsd:string", value); }

void SoapWriter::Boolean(std::string_view name, bool value) {
  Scalar(name, "xsd:boolean", value ? "true" : "false");
}

void SoapWriter::Float(std::string_view name, float value) {
  if (std::isnan(value)) return Scalar(name, "xsd:float", "NaN");
  if (std::isinf(value)) return Scalar(name, "xsd:float", value > 0 ? "INF" : "-INF");
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  Scalar(name, "xsd:float", std::string_view(buffer, result.ptr - buffer));
}

void SoapWriter::Integer(std::string_view name, std::int64_t value) {
  Scalar(name, "xsd:int", std::to_string(value));
}

void SoapWriter::DateTime(std::string_view name, const LocalDateTime& value) {
  Scalar(name, "xsd:dateTime", value.ToIso());
}

void SoapWriter::DateTimeUtc(std::string_view name, const LocalDateTime& utc) {
  Scalar(name, "xsd:dateTime", utc.ToIso() + "Z");
}

void SoapWriter::Base64Binary(std::string_view name, const platform::Bytes& bytes) {
  Scalar(name, "xsd:base64Binary", platform::Base64Encode(bytes));
}

void SoapWriter::Nil(std::string_view name) {
  xml_ += '<';
  xml_ += name;
  xml_ += " xsi:nil=\"true\"/>";
}

void SoapWriter::StringArray(std::string_view name, std::span<const std::string> items) {
  BeginArray(name, "xsd:string", items.size());
  for (const auto& item : items) String("item", item);
  EndArray();
}

void SoapWriter::BeginArray(std::string_view name, std::string_view item_type, std::size_t count) {
  char digits[24];
  const auto end = std::to_chars(digits, digits + sizeof digits, count).ptr;
  xml_ += '<';
  open_.emplace_back(xml_.size(), name.size());
  xml_ += name;
  xml_ += " xsi:type=\"soapenc:Array\" soapenc:arrayType=\"";
  xml_ += item_type;
  xml_ += '[';
  xml_.append(digits, end);
  xml_ += "]\">";
}

void SoapWriter::EndArray() { EndStruct(); }

void SoapWriter::BeginStruct(std::string_view name, std::string_view type) {
  xml_ += '<';
  open_.emplace_back(xml_.size(), name.size());
  xml_ += name;
  xml_ += " xsi:type=\"";
  xml_ += type;
  xml_ += "\">";
}

void SoapWriter::EndStruct() {
  const auto [position, length] = open_.back();
  open_.pop_back();
  // Reserved first: the name is copied from the document itself.
  xml_.reserve(xml_.size() + length + 3);
  xml_ += "</";
  xml_.append(xml_, position, length);
  xml_ += '>';
}

}  // namespace kanvio::net
