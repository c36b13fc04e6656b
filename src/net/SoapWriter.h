#pragma once
// Writes the parameters of one SOAP 1.1 call in remote-procedure style with
// SOAP encoding: every accessor unqualified, every scalar with its xsi:type,
// lists as soapenc:Array with item type and count. Values are written in the
// order of the calls; nothing is sent for a value that is not written, so an
// optional field that is not set stays out of the request.
//
//   SoapWriter parameters;
//   parameters.DeclareNamespace("ot", "urn://epages.de/WebService/OrderTypes/2011/01");
//   parameters.BeginArray("Orders", "ot:TUpdate_Input", 1);
//   parameters.BeginStruct("item", "ot:TUpdate_Input");
//   parameters.String("Path", path);
//   parameters.EndStruct();
//   parameters.EndArray();

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/Crypto.h"
#include "support/DateTime.h"

namespace kanvio::net {

class SoapWriter {
 public:
  // A prefix for the record and array item types of the call, declared on
  // the operation element. "soapenc", "xsd" and "xsi" are always declared.
  void DeclareNamespace(std::string prefix, std::string uri);

  void String(std::string_view name, std::string_view value);
  void Boolean(std::string_view name, bool value);
  void Float(std::string_view name, float value);
  void Integer(std::string_view name, std::int64_t value);
  // Without zone, as "yyyy-MM-ddTHH:mm:ss".
  void DateTime(std::string_view name, const LocalDateTime& value);
  // A UTC calendar time with its zone: "yyyy-MM-ddTHH:mm:ssZ".
  void DateTimeUtc(std::string_view name, const LocalDateTime& utc);
  void Base64Binary(std::string_view name, const platform::Bytes& bytes);
  // xsi:nil="true": the server clears the field.
  void Nil(std::string_view name);

  // Writes the value only when it is present.
  template <class T>
  void Optional(std::string_view name, const std::optional<T>& value) {
    if (value) Write(name, *value);
  }

  // An array of strings, "[0]" for an empty one.
  void StringArray(std::string_view name, std::span<const std::string> items);
  // Any other array: count items follow, each a BeginStruct("item", type).
  void BeginArray(std::string_view name, std::string_view item_type, std::size_t count);
  void EndArray();
  void BeginStruct(std::string_view name, std::string_view type);
  void EndStruct();

  const std::string& xml() const { return xml_; }
  const std::vector<std::pair<std::string, std::string>>& namespaces() const { return namespaces_; }

 private:
  void Write(std::string_view name, std::string_view value) { String(name, value); }
  void Write(std::string_view name, const std::string& value) { String(name, value); }
  void Write(std::string_view name, bool value) { Boolean(name, value); }
  void Write(std::string_view name, float value) { Float(name, value); }
  void Write(std::string_view name, std::int64_t value) { Integer(name, value); }
  void Write(std::string_view name, const LocalDateTime& value) { DateTime(name, value); }
  void Scalar(std::string_view name, std::string_view type, std::string_view text);

  std::string xml_;
  // Where the names of the open elements stand in xml_: no copy of each name.
  std::vector<std::pair<std::size_t, std::size_t>> open_;
  std::vector<std::pair<std::string, std::string>> namespaces_;
};

// Escapes &, <, > and, for attribute values, the double quote; drops the
// control characters that XML cannot carry (all below U+0020 but tab, line
// feed and carriage return).
void AppendEscaped(std::string& out, std::string_view text);

}  // namespace kanvio::net
