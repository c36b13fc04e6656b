#include "orders/XmlSaver.h"

namespace kanvio::orders {
namespace {

XmlStreamWriter::Format DocumentFormat(bool remove_namespaces) {
  return {.standalone = false,
          .indent = !remove_namespaces,
          .after_failure = XmlStreamWriter::AfterFailure::kDiscard};
}

}  // namespace

XmlSaverDocument::XmlSaverDocument(const std::filesystem::path& path, std::string_view root_name,
                                   bool remove_namespaces)
    : xml_(path, DocumentFormat(remove_namespaces)),
      records_(xml_, OrderVariant::kPlain, !remove_namespaces) {
  xml_.StartElement(root_name);
  if (!remove_namespaces) {
    xml_.WriteAttribute("xmlns:xsi", "http://www.w3.org/2001/XMLSchema-instance");
    xml_.WriteAttribute("xmlns:xsd", "http://www.w3.org/2001/XMLSchema");
  }
}

void XmlSaverDocument::Add(std::string_view element, const XmlRecord& record) {
  records_.Write(element, record);
}

void XmlSaverDocument::Close() { xml_.Close(); }

}  // namespace kanvio::orders
