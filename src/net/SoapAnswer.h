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

// The text of an element, nullopt when it is nil; and the same read as
// xs:float (nullopt also for a text that is no finite number).
std::optional<std::string> ElementText(const pugi::xml_node& element);
// As ElementText, pointing into the document.
std::optional<std::string_view> ElementView(const pugi::xml_node& element);
std::optional<float> ElementFloat(const pugi::xml_node& element);
// A text read as xs:float, as ElementFloat reads it.
std::optional<float> FloatValue(std::string_view text);

// Calls visit(local_name, child) for every element child: one pass for
// records whose members are read by name.
template <class Visit>
void ForEachMember(const pugi::xml_node& record, Visit&& visit) {
  for (pugi::xml_node child = record.first_child(); child; child = child.next_sibling()) {
    if (child.type() == pugi::node_element) visit(LocalName(child), child);
  }
}

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
  // document may point into buffer, which the answer then keeps.
  SoapAnswer(std::shared_ptr<const pugi::xml_document> document, pugi::xml_node response,
             std::shared_ptr<const std::string> buffer = {})
      : buffer_(std::move(buffer)), document_(std::move(document)), response_(response) {}

  const pugi::xml_node& response() const { return response_; }
  // The accessor of an output part; a null node when it is missing or nil.
  pugi::xml_node Part(std::string_view name) const;

 private:
  std::shared_ptr<const std::string> buffer_;
  std::shared_ptr<const pugi::xml_document> document_;
  pugi::xml_node response_;
};

}  // namespace kanvio::net
