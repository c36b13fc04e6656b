#pragma once
// Answers of the simulated ePages services, shaped as the shop's SOAP server
// writes them: the response wrapper unqualified, every value typed with
// generated prefixes, array items named after their record.

#include <string>
#include <string_view>
#include <vector>

namespace kanvio::shopsim {

// A whole envelope with a SOAP Fault.
std::string SoapFaultEnvelope(std::string_view code, std::string_view text);

class EpagesAnswer {
 public:
  // Starts the envelope and the `<operation>Response` element, which declares
  // the prefix namesp2 for the service's record types.
  EpagesAnswer(std::string_view operation, std::string_view types_urn);

  void String(std::string_view name, std::string_view value);
  void Float(std::string_view name, float value);
  void Boolean(std::string_view name, bool value);
  void BeginArray(std::string_view name, std::string_view item_type, std::size_t count);
  void BeginRecord(std::string_view name, std::string_view type);
  void End();
  void Error(std::string_view message);  // an item's Error/Message

  // Closes everything and returns the document.
  std::string Finish();

 private:
  std::string operation_;
  std::string xml_;
  std::vector<std::string> open_;
};

}  // namespace kanvio::shopsim
