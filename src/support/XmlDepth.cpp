#include "support/XmlDepth.h"

#include <algorithm>

namespace kanvio {

std::size_t NestingDepth(pugi::xml_node node) {
  std::size_t depth = 0, deepest = 0;
  pugi::xml_node current = node.first_child();
  while (current && current != node) {
    if (current.type() == pugi::node_element) deepest = std::max(deepest, depth + 1);
    if (current.first_child()) {
      current = current.first_child();
      ++depth;
      continue;
    }
    while (current != node && !current.next_sibling()) {
      current = current.parent();
      --depth;
    }
    if (current != node) current = current.next_sibling();
  }
  return deepest;
}

}  // namespace kanvio
