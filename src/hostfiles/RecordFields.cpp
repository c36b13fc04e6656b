#include "hostfiles/RecordFields.h"

#include <cstring>
#include <stdexcept>

namespace kanvio {
namespace {

// The node after node in document order, staying inside root's subtree.
pugi::xml_node NextInside(pugi::xml_node node, pugi::xml_node root) {
  if (pugi::xml_node child = node.first_child()) return child;
  for (; node && node != root; node = node.parent())
    if (pugi::xml_node sibling = node.next_sibling()) return sibling;
  return {};
}

bool IsText(pugi::xml_node node) {
  return node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata;
}

}  // namespace

std::string InnerText(pugi::xml_node element) {
  // An element's first text may be stored in the element itself.
  std::string text = element.value();
  for (pugi::xml_node node = NextInside(element, element); node; node = NextInside(node, element))
    if (IsText(node)) text += node.value();
  return text;
}

std::vector<pugi::xml_node> Descendants(pugi::xml_node root, const char* name) {
  std::vector<pugi::xml_node> found;
  for (pugi::xml_node node = NextInside(root, root); node; node = NextInside(node, root))
    if (node.type() == pugi::node_element && std::strcmp(node.name(), name) == 0) found.push_back(node);
  return found;
}

RecordFields::RecordFields(pugi::xml_node record, std::initializer_list<const char*> names) {
  if (names.size() > kMaxFields) throw std::logic_error("RecordFields: too many field names");
  for (const char* name : names) names_[count_++] = name;
  std::size_t missing = count_;
  for (pugi::xml_node node = NextInside(record, record); node && missing > 0;
       node = NextInside(node, record)) {
    if (node.type() != pugi::node_element) continue;
    for (std::size_t i = 0; i < count_; ++i) {
      if (!nodes_[i] && std::strcmp(node.name(), names_[i]) == 0) {
        nodes_[i] = node;
        --missing;
        break;
      }
    }
  }
}

pugi::xml_node RecordFields::operator[](const char* name) const {
  for (std::size_t i = 0; i < count_; ++i)
    if (std::strcmp(names_[i], name) == 0) return nodes_[i];
  return {};
}

}  // namespace kanvio
