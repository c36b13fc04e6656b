#include "EpagesAnswers.h"

#include <charconv>

namespace kanvio::shopsim {
namespace {

constexpr std::string_view kEnvelopeStart =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?><soap:Envelope "
    "soap:encodingStyle=\"http://schemas.xmlsoap.org/soap/encoding/\" "
    "xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\" "
    "xmlns:soapenc=\"http://schemas.xmlsoap.org/soap/encoding/\" "
    "xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\" xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
    "xmlns:namesp1=\"urn://epages.de/WebService/EpagesTypes/2005/01\"><soap:Body>";

void Escape(std::string& out, std::string_view text) {
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
}

}  // namespace

std::string SoapFaultEnvelope(std::string_view code, std::string_view text) {
  std::string xml(kEnvelopeStart);
  xml += "<soap:Fault><faultcode>";
  Escape(xml, code);
  xml += "</faultcode><faultstring>";
  Escape(xml, text);
  xml +=
      "</faultstring><detail><ErrorDetails><Code xsi:type=\"xsd:string\">Simulated</Code></ErrorDetails>"
      "</detail></soap:Fault></soap:Body></soap:Envelope>";
  return xml;
}

EpagesAnswer::EpagesAnswer(std::string_view operation, std::string_view types_urn)
    : operation_(operation), xml_(kEnvelopeStart) {
  xml_ += '<' + operation_ + "Response xmlns:namesp2=\"";
  Escape(xml_, types_urn);
  xml_ += "\">";
}

void EpagesAnswer::String(std::string_view name, std::string_view value) {
  xml_ += '<';
  xml_ += name;
  xml_ += " xsi:type=\"xsd:string\">";
  Escape(xml_, value);
  xml_ += "</";
  xml_ += name;
  xml_ += '>';
}

void EpagesAnswer::Float(std::string_view name, float value) {
  char buffer[32];
  const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
  xml_ += '<';
  xml_ += name;
  xml_ += " xsi:type=\"xsd:float\">";
  xml_.append(buffer, end);
  xml_ += "</";
  xml_ += name;
  xml_ += '>';
}

void EpagesAnswer::Boolean(std::string_view name, bool value) {
  xml_ += '<';
  xml_ += name;
  xml_ += " xsi:type=\"xsd:boolean\">";
  xml_ += value ? "1" : "0";
  xml_ += "</";
  xml_ += name;
  xml_ += '>';
}

void EpagesAnswer::BeginArray(std::string_view name, std::string_view item_type, std::size_t count) {
  xml_ += '<';
  xml_ += name;
  xml_ += " soapenc:arrayType=\"";
  xml_ += item_type;
  xml_ += '[' + std::to_string(count) + "]\" xsi:type=\"soapenc:Array\">";
  open_.emplace_back(name);
}

void EpagesAnswer::BeginRecord(std::string_view name, std::string_view type) {
  xml_ += '<';
  xml_ += name;
  xml_ += " xsi:type=\"";
  xml_ += type;
  xml_ += "\">";
  open_.emplace_back(name);
}

void EpagesAnswer::End() {
  xml_ += "</" + open_.back() + '>';
  open_.pop_back();
}

void EpagesAnswer::Error(std::string_view message) {
  BeginRecord("Error", "namesp1:TError");
  String("Message", message);
  End();
}

std::string EpagesAnswer::Finish() {
  while (!open_.empty()) End();
  xml_ += "</" + operation_ + "Response></soap:Body></soap:Envelope>";
  return std::move(xml_);
}

}  // namespace kanvio::shopsim
