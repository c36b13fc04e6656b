#pragma once
// Access to the records of a host file: a record is every element of its
// name anywhere in the document; a field is the first element of its name
// anywhere inside the record.

#include <array>
#include <cstddef>
#include <functional>
#include <initializer_list>
#include <pugixml.hpp>
#include <string>
#include <string_view>
#include <vector>

namespace kanvio {

// All text inside the element, CDATA sections included, in document order.
std::string InnerText(pugi::xml_node element);
// The same without a copy where the element holds nothing but one text,
// which is how the host writes its fields; storage holds the text otherwise.
std::string_view InnerTextView(pugi::xml_node element, std::string& storage);

// The elements called name below root (root itself excluded), in document order.
std::vector<pugi::xml_node> Descendants(pugi::xml_node root, const char* name);

// The fields of one record, found in a single pass over its elements.
class RecordFields {
 public:
  static constexpr std::size_t kMaxFields = 16;

  // names must outlive the object; at most kMaxFields of them.
  RecordFields(pugi::xml_node record, std::initializer_list<const char*> names);

  // The field's element; a null node when the record has none (or the name
  // was not asked for). Fastest with the very pointer given to the constructor.
  pugi::xml_node operator[](const char* name) const;

 private:
  friend void ForEachRecord(pugi::xml_node, const char*, std::initializer_list<const char*>,
                            const std::function<bool(const RecordFields&)>&);
  // With nested_record, the whole subtree is walked and nested_ tells
  // whether an element of that name lies inside.
  RecordFields(pugi::xml_node record, std::initializer_list<const char*> names, const char* nested_record);

  class FieldFinder;

  std::array<const char*, kMaxFields> names_{};
  std::array<std::size_t, kMaxFields> lengths_{};
  std::array<pugi::xml_node, kMaxFields> nodes_{};
  std::size_t count_ = 0;
  bool nested_ = false;
};

// Calls on_record with the fields of every element called name below root,
// in document order, until it returns false. Equal to Descendants and one
// RecordFields each, in one walk: a record's elements are visited once, not
// once for the search and again for the fields.
void ForEachRecord(pugi::xml_node root, const char* name, std::initializer_list<const char*> field_names,
                   const std::function<bool(const RecordFields&)>& on_record);

}  // namespace kanvio
