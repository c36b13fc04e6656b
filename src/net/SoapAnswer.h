#pragma once
// Reading SOAP-encoded answers. Elements are matched by local name whatever
// prefix the server chose; xsi:nil and empty elements read as absent values.
// Every reader tolerates any document: unknown elements are skipped, a value
// that does not parse reads as absent.

#include <cstdint>
#include <memory>
#include <optional>
#include <pugixml.hpp>
#include <string>
#include <string_view>

namespace kanvio::net {

// The name after the prefix.
std::string_view LocalName(const pugi::xml_node& node);
// The first child element with that local name, or a null node.
pugi::xml_node Child(const pugi::xml_node& node, std::string_view local_name);
// The namespace the prefix of node (or its default namespace) stands for.
std::string_view NamespaceUri(const pugi::xml_node& node);
bool IsNil(const pugi::xml_node& node);

// The text of the child, or nullopt when it is missing or nil.
std::optional<std::string> OptionalText(const pugi::xml_node& node, std::string_view child);
// The text of the child, empty when it is missing or nil.
std::string Text(const pugi::xml_node& node, std::string_view child);
// xs:float; nullopt when missing, nil or not a number. "INF" and "NaN" are
// read as not a number too: no amount of a shop may be infinite.
std::optional<float> OptionalFloat(const pugi::xml_node& node, std::string_view child);
// xs:boolean: "true", "false", "1", "0".
std::optional<bool> OptionalBoolean(const pugi::xml_node& node, std::string_view child);

// Calls visit for every element child of an array accessor, whatever the
// items are named.
template <class Visit>
void ForEachItem(const pugi::xml_node& array, Visit&& visit) {
  for (pugi::xml_node item = array.first_child(); item; item = item.next_sibling()) {
    if (item.type() == pugi::node_element) visit(item);
  }
}

// The parsed answer of one call: the `<operation>Response` element and the
// document it lives in.
class SoapAnswer {
 public:
  SoapAnswer(std::shared_ptr<const pugi::xml_document> document, pugi::xml_node response)
      : document_(std::move(document)), response_(response) {}

  const pugi::xml_node& response() const { return response_; }
  // The accessor of an output part; a null node when it is missing or nil.
  pugi::xml_node Part(std::string_view name) const;

 private:
  std::shared_ptr<const pugi::xml_document> document_;
  pugi::xml_node response_;
};

}  // namespace kanvio::net
