#include "orders/RecordElementWriter.h"

namespace kanvio::orders {

RecordElementWriter::RecordElementWriter(XmlStreamWriter& xml, OrderVariant variant, bool type_attributes)
    : RecordVisitor(variant), xml_(xml), type_attributes_(type_attributes) {}

void RecordElementWriter::Write(std::string_view element, const XmlRecord& record) {
  OnRecord(element, record, record.XmlTypeName());
}

void RecordElementWriter::OnText(std::string_view element, const NullableText& value) {
  if (value) xml_.WriteElementString(element, *value);
}

void RecordElementWriter::OnRecord(std::string_view element, const XmlRecord& record,
                                   std::string_view declared_type) {
  xml_.StartElement(element);
  if (type_attributes_ && record.XmlTypeName() != declared_type)
    xml_.WriteAttribute("xsi:type", record.XmlTypeName());
  record.VisitMembers(*this);
  xml_.EndElement();
}

}  // namespace kanvio::orders
