#pragma once
// Writes records as elements through an XmlStreamWriter, member by member as
// the records state them: a text member with a value gives an element, one
// without a value none; a nested record gives an element around its members.

#include <string_view>

#include "orders/XmlRecord.h"
#include "orders/XmlStreamWriter.h"

namespace kanvio::orders {

class RecordElementWriter : public RecordVisitor {
 public:
  // With `type_attributes`, a nested record of a type derived from its
  // member's type carries xsi:type with its type name.
  RecordElementWriter(XmlStreamWriter& xml, OrderVariant variant, bool type_attributes);

  // <element> members </element>; throws what the XmlStreamWriter throws.
  void Write(std::string_view element, const XmlRecord& record);

 protected:
  void OnText(std::string_view element, const NullableText& value) override;
  void OnRecord(std::string_view element, const XmlRecord& record, std::string_view declared_type) override;

 private:
  XmlStreamWriter& xml_;
  bool type_attributes_;
};

}  // namespace kanvio::orders
