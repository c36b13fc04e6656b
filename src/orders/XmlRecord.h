#pragma once
// How a record of the orders file states its members: once, in file order, to
// a RecordVisitor. Both writers of the file and the tests walk a record through
// this one statement, so the element tree lives in one place.

#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace kanvio::orders {

// A text member: a text, possibly empty (written as an element without
// content), or no value (no element at all). Starts as the empty text.
class NullableText : public std::optional<std::string> {
 public:
  NullableText() : std::optional<std::string>(std::in_place) {}
  using std::optional<std::string>::optional;
  using std::optional<std::string>::operator=;
};

// Elements that only one variant of the streaming writer adds to the tree.
enum class OrderVariant { kPlain, kAmazon, kEpages };

class RecordVisitor;

class XmlRecord {
 public:
  virtual ~XmlRecord() = default;
  // States every member, in file order: inherited members first, then the
  // derived record's own.
  virtual void VisitMembers(RecordVisitor& visitor) const = 0;
  // The record's class name, as type attributes show it.
  virtual std::string_view XmlTypeName() const = 0;

 protected:
  XmlRecord() = default;
  XmlRecord(const XmlRecord&) = default;
  XmlRecord& operator=(const XmlRecord&) = default;
};

class RecordVisitor {
 public:
  explicit RecordVisitor(OrderVariant variant) : variant_(variant) {}
  virtual ~RecordVisitor() = default;

  OrderVariant variant() const { return variant_; }

  // A text member of the tree.
  void Text(std::string_view element, const NullableText& value) { OnText(element, value); }
  // A text member that only the given variant writes.
  void Text(std::string_view element, const NullableText& value, OrderVariant only) {
    if (variant_ == only) OnText(element, value);
  }
  // A nested record; `declared_type` is the member's type, which a derived
  // record differs from.
  void Record(std::string_view element, const XmlRecord& record, std::string_view declared_type) {
    OnRecord(element, record, declared_type);
  }

 protected:
  virtual void OnText(std::string_view element, const NullableText& value) = 0;
  virtual void OnRecord(std::string_view element, const XmlRecord& record,
                        std::string_view declared_type) = 0;

 private:
  OrderVariant variant_;
};

}  // namespace kanvio::orders
