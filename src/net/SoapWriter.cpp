#include "net/SoapWriter.h"

#include <charconv>
#include <cmath>

#include "platform/Crypto.h"

namespace kanvio::net {

void AppendEscaped(std::string& out, std::string_view text) {
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      // A carriage return would reach the server as a line feed otherwise.
      case '\r':
        out += "&#13;";
        break;
      case '\t':
      case '\n':
        out += c;
        break;
      default:
        // XML has no place for the other control characters, not even as
        // references: one of them in an article text would make the server
        // refuse the whole request.
        if (static_cast<unsigned char>(c) >= 0x20) out += c;
    }
  }
}

void SoapWriter::DeclareNamespace(std::string prefix, std::string uri) {
  for (const auto& [known, _] : namespaces_) {
    if (known == prefix) return;
  }
  namespaces_.emplace_back(std::move(prefix), std::move(uri));
}

void SoapWriter::Scalar(std::string_view name, std::string_view type, std::string_view text) {
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
  xml_ += '<';
  xml_ += name;
  xml_ += " xsi:type=\"soapenc:Array\" soapenc:arrayType=\"";
  xml_ += item_type;
  xml_ += '[';
  xml_ += std::to_string(count);
  xml_ += "]\">";
  open_.emplace_back(name);
}

void SoapWriter::EndArray() { EndStruct(); }

void SoapWriter::BeginStruct(std::string_view name, std::string_view type) {
  xml_ += '<';
  xml_ += name;
  xml_ += " xsi:type=\"";
  xml_ += type;
  xml_ += "\">";
  open_.emplace_back(name);
}

void SoapWriter::EndStruct() {
  xml_ += "</";
  xml_ += open_.back();
  xml_ += '>';
  open_.pop_back();
}

}  // namespace kanvio::net
