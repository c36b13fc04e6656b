#include "shops/epages/EpagesTypes.h"

#include "net/SoapAnswer.h"

namespace kanvio::epages {

std::optional<std::string> ReadError(const pugi::xml_node& item) {
  const pugi::xml_node error = net::Child(item, "Error");
  if (!error || net::IsNil(error)) return std::nullopt;
  std::string message = net::Text(error, "Message");
  if (message.empty()) message = "Fehler ohne Beschreibung";
  return message;
}

std::vector<Attribute> ReadAttributes(const pugi::xml_node& list) {
  std::vector<Attribute> attributes;
  net::ForEachItem(list, [&](const pugi::xml_node& item) {
    attributes.push_back({net::Text(item, "Name"), net::OptionalText(item, "Value")});
  });
  return attributes;
}

std::vector<LocalizedValue> ReadLocalizedValues(const pugi::xml_node& list) {
  std::vector<LocalizedValue> values;
  net::ForEachItem(list, [&](const pugi::xml_node& item) {
    values.push_back({net::Text(item, "LanguageCode"), net::Text(item, "Value")});
  });
  return values;
}

std::string FirstValue(const std::vector<LocalizedValue>& values) {
  return values.empty() ? std::string() : values.front().Value;
}

void WriteLocalizedValues(net::SoapWriter& writer, std::string_view name,
                          const std::vector<LocalizedValue>& values) {
  writer.BeginArray(name, "et:TLocalizedValue", values.size());
  for (const LocalizedValue& value : values) {
    writer.BeginStruct("item", "et:TLocalizedValue");
    writer.String("LanguageCode", value.LanguageCode);
    writer.String("Value", value.Value);
    writer.EndStruct();
  }
  writer.EndArray();
}

std::vector<std::string> ReadStrings(const pugi::xml_node& list) {
  std::vector<std::string> strings;
  net::ForEachItem(list, [&](const pugi::xml_node& item) {
    if (!net::IsNil(item)) strings.emplace_back(item.child_value());
  });
  return strings;
}

}  // namespace kanvio::epages
