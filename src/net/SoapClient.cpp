#include "net/SoapClient.h"

#include <utility>

#include "support/Text.h"

namespace kanvio::net {
namespace {

constexpr std::string_view kEnvelopeNamespace = "http://schemas.xmlsoap.org/soap/envelope/";
constexpr std::string_view kEncodingNamespace = "http://schemas.xmlsoap.org/soap/encoding/";
// A value's text is kept in its element rather than in a child node: half
// the nodes to make and to walk in answers of tens of megabytes.
constexpr unsigned kParseOptions = pugi::parse_default | pugi::parse_embed_pcdata;

std::string StatusMessage(int status) {
  if (status == 401)
    return "Der Shop hat die Anmeldung abgelehnt (HTTP-Status 401). Bitte kontrollieren Sie Benutzer und "
           "Passwort.";
  return "Der SOAP-Server hat mit dem HTTP-Status " + std::to_string(status) + " geantwortet.";
}

bool IsEnvelopeElement(const pugi::xml_node& node, std::string_view local_name) {
  return node && node.type() == pugi::node_element && LocalName(node) == local_name &&
         NamespaceUri(node) == kEnvelopeNamespace;
}

pugi::xml_node FirstElement(const pugi::xml_node& node) {
  for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) {
    if (child.type() == pugi::node_element) return child;
  }
  return {};
}

SoapFault ReadFault(const pugi::xml_node& fault) {
  std::string detail_code;
  if (const pugi::xml_node detail = Child(fault, "detail")) {
    for (const pugi::xml_node entry : detail.children()) {
      if (const auto code = OptionalText(entry, "Code")) {
        detail_code = *code;
        break;
      }
    }
  }
  return SoapFault(Text(fault, "faultcode"), Text(fault, "faultstring"), detail_code);
}

std::string FaultMessage(const std::string& code, const std::string& text) {
  std::string message = "Der Shop meldet einen SOAP-Fehler";
  if (!code.empty()) message += " (" + code + ")";
  return message + ": " + (text.empty() ? "ohne Beschreibung" : text);
}

// Asked for every answer, so the usual form is recognised without
// lower-casing a copy.
bool IsUtf8ContentType(const std::string& content_type) {
  if (content_type == "text/xml; charset=utf-8") return true;
  const std::string lower = text::ToLower(content_type);
  return !text::Contains(lower, "charset") || text::Contains(lower, "charset=utf-8") ||
         text::Contains(lower, "charset=\"utf-8\"");
}

}  // namespace

SoapFault::SoapFault(std::string code, std::string text, std::string detail_code)
    : Error(FaultMessage(code, text)),
      code_(std::move(code)),
      text_(std::move(text)),
      detail_code_(std::move(detail_code)) {}

SoapClient::SoapClient(SoapEndpoint endpoint, const platform::HttpClientFactory& http)
    : endpoint_(std::move(endpoint)), http_(http()) {}

std::string SoapClient::Envelope(std::string_view service_namespace, std::string_view operation,
                                 const SoapWriter& parameters) {
  std::string xml;
  xml.reserve(parameters.xml().size() + 1024);
  xml += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";
  xml += "<soapenv:Envelope xmlns:soapenv=\"";
  xml += kEnvelopeNamespace;
  xml += "\" xmlns:soapenc=\"";
  xml += kEncodingNamespace;
  xml +=
      "\" xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\" xmlns:xsi=\"http://www.w3.org/2001/"
      "XMLSchema-instance\"><soapenv:Body><ns1:";
  xml += operation;
  xml += " soapenv:encodingStyle=\"";
  xml += kEncodingNamespace;
  xml += "\" xmlns:ns1=\"";
  AppendEscaped(xml, service_namespace);
  xml += '"';
  for (const auto& [prefix, uri] : parameters.namespaces()) {
    xml += " xmlns:" + prefix + "=\"";
    AppendEscaped(xml, uri);
    xml += '"';
  }
  xml += '>';
  xml += parameters.xml();
  xml += "</ns1:";
  xml += operation;
  xml += "></soapenv:Body></soapenv:Envelope>";
  return xml;
}

SoapAnswer SoapClient::ReadAnswer(std::string body, int status, std::string_view operation) {
  if (status == 401) throw HttpStatusError(status, StatusMessage(status));
  if (body.size() > kMaxAnswerBytes)
    throw XmlError("Die Antwort des Shops ist zu groß (" + std::to_string(body.size() >> 20) + " MB).");
  // Parsed in place: a large answer is not copied once more.
  auto buffer = std::make_shared<std::string>(std::move(body));
  auto document = std::make_shared<pugi::xml_document>();
  const pugi::xml_parse_result parsed =
      document->load_buffer_inplace(buffer->data(), buffer->size(), kParseOptions, pugi::encoding_utf8);
  const bool success_status = status >= 200 && status <= 299;
  const pugi::xml_node envelope = parsed ? FirstElement(*document) : pugi::xml_node();
  const pugi::xml_node soap_body =
      IsEnvelopeElement(envelope, "Envelope") ? Child(envelope, "Body") : pugi::xml_node();
  if (!IsEnvelopeElement(soap_body, "Body")) {
    if (!success_status) throw HttpStatusError(status, StatusMessage(status));
    if (!parsed)
      throw XmlError(std::string("Die Antwort des Shops ist kein gültiges XML: ") + parsed.description());
    throw XmlError("Die Antwort des Shops ist keine SOAP-Nachricht.");
  }
  const pugi::xml_node first = FirstElement(soap_body);
  if (IsEnvelopeElement(first, "Fault")) throw ReadFault(first);
  if (!success_status) throw HttpStatusError(status, StatusMessage(status));
  const std::string expected = std::string(operation) + "Response";
  if (!first || LocalName(first) != expected)
    throw XmlError("Die Antwort des Shops enthält nicht das erwartete Element " + expected + ".");
  return SoapAnswer(std::move(document), first, std::move(buffer));
}

SoapAnswer SoapClient::Call(std::string_view service_namespace, std::string_view operation,
                            const SoapWriter& parameters) {
  platform::HttpRequest request;
  request.method = platform::HttpMethod::kPost;
  request.url = endpoint_.url;
  request.headers = {
      {"Content-Type", "text/xml; charset=utf-8"},
      {"SOAPAction", "\"" + std::string(service_namespace) + "#" + std::string(operation) + "\""}};
  request.body = Envelope(service_namespace, operation, parameters);
  request.total_timeout = endpoint_.timeout;
  request.inactivity_timeout = endpoint_.timeout;
  request.basic_auth = endpoint_.credentials;
  ++requests_sent_;
  platform::HttpResponse response = http_->Send(request);
  const int status = response.status;
  // Text() honours a byte-order mark and the content type's charset; a plain
  // UTF-8 answer, the usual one, is handed on without copying it.
  const bool plain = !text::HasByteOrderMark(response.body) && IsUtf8ContentType(response.content_type);
  return ReadAnswer(plain ? std::move(response.body) : response.Text(), status, operation);
}

}  // namespace kanvio::net
