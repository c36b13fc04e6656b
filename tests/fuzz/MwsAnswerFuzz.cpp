// The answers of the marketplace web service: the first byte picks the
// parser, the rest is the answer document.
#include <pugixml.hpp>

#include "FuzzSupport.h"
#include "net/MwsAnswers.h"

using namespace kanvio::net;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::uint8_t parser = data[0] % 6;
  pugi::xml_document document;
  if (!document.load_buffer(data + 1, size - 1)) return 0;
  // The <Action>Result element, whatever its name.
  const pugi::xml_node result = document.document_element().first_child();
  switch (parser) {
    case 0:
      for (const auto& info : ParseReportInfoPage(result).entries) (void)info.ReportId.size();
      break;
    case 1:
      for (const auto& info : ParseReportRequestInfoPage(result).entries) (void)info.GeneratedReportId.size();
      break;
    case 2:
      for (const auto& order : ParseOrderPage(result).entries) (void)order.OrderTotal.has_value();
      break;
    case 3:
      for (const auto& item : ParseOrderItemPage(result).entries) (void)item.ItemPrice.has_value();
      break;
    case 4:
      (void)ParseErrorResponse(document);
      break;
    default:
      (void)ParseCount(result);
  }
  return 0;
}
