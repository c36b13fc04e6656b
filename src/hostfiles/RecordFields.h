#pragma once
// Access to the records of a host file: a record is every element of its
// name anywhere in the document; a field is the first element of its name
// anywhere inside the record.

#include <array>
#include <cstddef>
#include <initializer_list>
#include <pugixml.hpp>
#include <string>
#include <vector>

namespace kanvio {

// All text inside the element, CDATA sections included, in document order.
std::string InnerText(pugi::xml_node element);

// The elements called name below root (root itself excluded), in document order.
std::vector<pugi::xml_node> Descendants(pugi::xml_node root, const char* name);

// The fields of one record, found in a single pass over its elements.
class RecordFields {
 public:
  static constexpr std::size_t kMaxFields = 16;

  // names must outlive the object; at most kMaxFields of them.
  RecordFields(pugi::xml_node record, std::initializer_list<const char*> names);

  // The field's element; a null node when the record has none (or the name was not asked for).
  pugi::xml_node operator[](const char* name) const;

 private:
  std::array<const char*, kMaxFields> names_{};
  std::array<pugi::xml_node, kMaxFields> nodes_{};
  std::size_t count_ = 0;
};

}  // namespace kanvio
