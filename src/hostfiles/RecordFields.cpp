#include "hostfiles/RecordFields.h"

#include <bit>
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

// As NextInside, but past node's own subtree.
pugi::xml_node NextAfter(pugi::xml_node node, pugi::xml_node root) {
  for (; node && node != root; node = node.parent())
    if (pugi::xml_node sibling = node.next_sibling()) return sibling;
  return {};
}

bool IsText(pugi::xml_node node) {
  return node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata;
}

bool SameName(const char* name, std::size_t length, const char* wanted, std::size_t wanted_length) {
  return length == wanted_length && std::memcmp(name, wanted, length) == 0;
}

}  // namespace

// The parser's own walk: a call per node instead of the several a walk
// through the node interface costs.
class RecordFields::FieldFinder : public pugi::xml_tree_walker {
 public:
  FieldFinder(RecordFields& fields, const char* nested_record)
      : fields_(fields),
        nested_record_(nested_record),
        nested_length_(nested_record ? std::strlen(nested_record) : 0),
        missing_(fields.count_) {
    for (std::size_t i = 0; i < fields.count_; ++i)
      if (fields.lengths_[i] < kShortNames) by_length_[fields.lengths_[i]] |= 1u << i;
  }

  bool for_each(pugi::xml_node& node) override {
    const char* name = node.name();
    const std::size_t length = std::strlen(name);
    if (length == 0) return true;  // text
    if (nested_record_ && SameName(name, length, nested_record_, nested_length_) && IsElement(node))
      fields_.nested_ = true;
    // Only the fields whose names have this length are compared.
    for (unsigned candidates = length < kShortNames ? by_length_[length] & ~found_ : LongNames();
         candidates != 0; candidates &= candidates - 1) {
      const int i = std::countr_zero(candidates);
      if (SameName(name, length, fields_.names_[i], fields_.lengths_[i]) && IsElement(node)) {
        fields_.nodes_[i] = node;
        found_ |= 1u << i;
        --missing_;
        break;
      }
    }
    return missing_ > 0 || nested_record_ != nullptr;
  }

 private:
  static constexpr std::size_t kShortNames = 64;

  static bool IsElement(pugi::xml_node node) { return node.type() == pugi::node_element; }
  unsigned LongNames() const {
    unsigned mask = 0;
    for (std::size_t i = 0; i < fields_.count_; ++i)
      if (fields_.lengths_[i] >= kShortNames) mask |= 1u << i;
    return mask & ~found_;
  }

  RecordFields& fields_;
  const char* nested_record_;
  std::size_t nested_length_;
  std::size_t missing_;
  std::array<unsigned, kShortNames> by_length_{};  // bit i: field i has this length
  unsigned found_ = 0;                             // bit i: field i is found
};

std::string InnerText(pugi::xml_node element) {
  // An element's first text may be stored in the element itself.
  std::string text = element.value();
  for (pugi::xml_node node = NextInside(element, element); node; node = NextInside(node, element))
    if (IsText(node)) text += node.value();
  return text;
}

std::string_view InnerTextView(pugi::xml_node element, std::string& storage) {
  if (!element.first_child()) return element.value();
  storage = InnerText(element);
  return storage;
}

std::vector<pugi::xml_node> Descendants(pugi::xml_node root, const char* name) {
  std::vector<pugi::xml_node> found;
  for (pugi::xml_node node = NextInside(root, root); node; node = NextInside(node, root))
    if (node.type() == pugi::node_element && std::strcmp(node.name(), name) == 0) found.push_back(node);
  return found;
}

RecordFields::RecordFields(pugi::xml_node record, std::initializer_list<const char*> names)
    : RecordFields(record, names, nullptr) {}

// Most element names differ in length from most field names: comparing
// lengths first spares nearly every string comparison.
RecordFields::RecordFields(pugi::xml_node record, std::initializer_list<const char*> names,
                           const char* nested_record) {
  if (names.size() > kMaxFields) throw std::logic_error("RecordFields: too many field names");
  for (const char* name : names) {
    names_[count_] = name;
    lengths_[count_++] = std::strlen(name);
  }
  FieldFinder finder(*this, nested_record);
  record.traverse(finder);
}

pugi::xml_node RecordFields::operator[](const char* name) const {
  for (std::size_t i = 0; i < count_; ++i)
    if (names_[i] == name) return nodes_[i];
  for (std::size_t i = 0; i < count_; ++i)
    if (std::strcmp(names_[i], name) == 0) return nodes_[i];
  return {};
}

void ForEachRecord(pugi::xml_node root, const char* name, std::initializer_list<const char*> field_names,
                   const std::function<bool(const RecordFields&)>& on_record) {
  const std::size_t length = std::strlen(name);
  for (pugi::xml_node node = NextInside(root, root); node;) {
    if (node.type() != pugi::node_element || !SameName(node.name(), std::strlen(node.name()), name, length)) {
      node = NextInside(node, root);
      continue;
    }
    const RecordFields fields(node, field_names, name);
    if (!on_record(fields)) return;
    // A record inside a record is a record of its own, found by walking on into it.
    node = fields.nested_ ? NextInside(node, root) : NextAfter(node, root);
  }
}

}  // namespace kanvio
