// The SOAP envelope the client sends and how it reads answers.
#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "net/SoapClient.h"
#include "support/Error.h"

namespace kanvio::net {
namespace {

constexpr const char* kUrn = "urn://epages.de/WebService/OrderService/2011/01";

std::string Answer(const std::string& body_child,
                   const std::string& envelope_ns = "http://schemas.xmlsoap.org/soap/envelope/") {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><soap:Envelope xmlns:soap=\"" + envelope_ns +
         "\" xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
         "xmlns:soapenc=\"http://schemas.xmlsoap.org/soap/encoding/\"><soap:Body>" +
         body_child + "</soap:Body></soap:Envelope>";
}

TEST(SoapClientTest, EnvelopeCarriesTypedValuesArraysAndOnlyThePresentFields) {
  SoapWriter parameters;
  parameters.DeclareNamespace("ot", "urn://epages.de/WebService/OrderTypes/2011/01");
  parameters.StringArray("Orders", std::vector<std::string>{"/Shops/S/Customers/1/Orders/1 & <2>"});
  parameters.StringArray("AddressAttributes", {});
  parameters.BeginStruct("SearchParameters", "ns1:TFind_Input");
  parameters.Optional("NotInProcess", std::optional<bool>(true));
  parameters.Optional("NotArchived", std::optional<bool>());
  parameters.Optional("Alias", std::optional<std::string>("Müller \"Q\""));
  parameters.Float("Price", 19.99f);
  parameters.DateTime("InProcessOn", LocalDateTime{2024, 5, 2, 9, 30, 0});
  parameters.Nil("AvailabilityDate");
  parameters.EndStruct();

  const std::string xml = SoapClient::Envelope(kUrn, "getInfo", parameters);
  EXPECT_EQ(
      xml,
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?><soapenv:Envelope "
      "xmlns:soapenv=\"http://schemas.xmlsoap.org/soap/envelope/\" "
      "xmlns:soapenc=\"http://schemas.xmlsoap.org/soap/encoding/\" "
      "xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\" "
      "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\"><soapenv:Body><ns1:getInfo "
      "soapenv:encodingStyle=\"http://schemas.xmlsoap.org/soap/encoding/\" "
      "xmlns:ns1=\"urn://epages.de/WebService/OrderService/2011/01\" "
      "xmlns:ot=\"urn://epages.de/WebService/OrderTypes/2011/01\">"
      "<Orders xsi:type=\"soapenc:Array\" soapenc:arrayType=\"xsd:string[1]\"><item "
      "xsi:type=\"xsd:string\">/Shops/S/Customers/1/Orders/1 &amp; &lt;2&gt;</item></Orders>"
      "<AddressAttributes xsi:type=\"soapenc:Array\" soapenc:arrayType=\"xsd:string[0]\"></AddressAttributes>"
      "<SearchParameters xsi:type=\"ns1:TFind_Input\"><NotInProcess "
      "xsi:type=\"xsd:boolean\">true</NotInProcess>"
      "<Alias xsi:type=\"xsd:string\">Müller &quot;Q&quot;</Alias><Price xsi:type=\"xsd:float\">19.99</Price>"
      "<InProcessOn xsi:type=\"xsd:dateTime\">2024-05-02T09:30:00</InProcessOn>"
      "<AvailabilityDate "
      "xsi:nil=\"true\"/></SearchParameters></ns1:getInfo></soapenv:Body></soapenv:Envelope>");
}

struct AnswerCase {
  const char* name;
  int status;
  std::string body;
  // Empty: the answer is read; otherwise the kind of failure and a part of its message.
  std::string failure;
  std::string message_part;
};

TEST(SoapClientTest, AnswersAreReadOrRejectedByKind) {
  const std::string fault =
      "<soap:Fault><faultcode>soap:Server</faultcode><faultstring>WebService doesn't exist</faultstring>"
      "<detail><ErrorDetails><Code>NoResults_WebServiceByURI</Code></ErrorDetails></detail></soap:Fault>";
  const std::vector<AnswerCase> cases = {
      {"unqualified wrapper", 200, Answer("<findResponse><Orders/></findResponse>"), "", ""},
      {"qualified wrapper", 200, Answer("<x:findResponse xmlns:x=\"" + std::string(kUrn) + "\"/>"), "", ""},
      {"fault with 500", 500, Answer(fault), "fault", "WebService doesn't exist"},
      {"fault with 200", 200, Answer(fault), "fault", "soap:Server"},
      {"401 without body", 401, "", "status", "401"},
      {"500 with a web page", 500, "<html><body>Internal Server Error</body></html>", "status", "500"},
      {"500 with an envelope but no fault", 500, Answer("<findResponse/>"), "status", "500"},
      {"200 with a web page", 200, "<html><body>Wartung</body></html>", "xml", "keine SOAP-Nachricht"},
      {"200 truncated", 200, Answer("<findResponse><Orders>").substr(0, 120), "xml", "kein gültiges XML"},
      {"200 empty", 200, "", "xml", "kein gültiges XML"},
      {"envelope in another namespace", 200, Answer("<findResponse/>", "urn:other"), "xml", "keine SOAP"},
      {"answer of another operation", 200, Answer("<getInfoResponse/>"), "xml", "findResponse"},
      {"empty body", 200, Answer(""), "xml", "findResponse"},
  };
  for (const AnswerCase& c : cases) {
    std::string kind, message;
    try {
      SoapClient::ReadAnswer(c.body, c.status, "find");
    } catch (const SoapFault& e) {
      kind = "fault";
      message = e.what();
    } catch (const HttpStatusError& e) {
      kind = "status";
      message = e.what();
    } catch (const XmlError& e) {
      kind = "xml";
      message = e.what();
    }
    EXPECT_EQ(kind, c.failure) << c.name << ": " << message;
    EXPECT_NE(message.find(c.message_part), std::string::npos) << c.name << ": " << message;
  }
}

TEST(SoapClientTest, FaultKeepsCodeTextAndDetailCode) {
  try {
    SoapClient::ReadAnswer(
        Answer("<soap:Fault><faultcode>soap:Client</faultcode><faultstring>kaputt</faultstring>"
               "<detail><E><Code xsi:type=\"xsd:string\">X_1</Code></E></detail></soap:Fault>"),
        500, "find");
    FAIL() << "no fault";
  } catch (const SoapFault& fault) {
    EXPECT_EQ(fault.code(), "soap:Client");
    EXPECT_EQ(fault.text(), "kaputt");
    EXPECT_EQ(fault.detail_code(), "X_1");
  }
}

TEST(SoapClientTest, ValuesReadByLocalNameWithNilAndBadNumbersAsAbsent) {
  const SoapAnswer answer = SoapClient::ReadAnswer(
      Answer("<getInfoResponse xmlns:n7=\"urn:t\"><n7:Orders soapenc:arrayType=\"n7:T[3]\">"
             "<Order><Price>19.99</Price><Quantity xsi:nil=\"true\">3</Quantity><Tax>INF</Tax><Name/>"
             "<Flag>1</Flag></Order><item/><!-- a comment --><n7:Other/></n7:Orders></getInfoResponse>"),
      200, "getInfo");
  const pugi::xml_node orders = answer.Part("Orders");
  ASSERT_TRUE(orders);
  std::vector<std::string> names;
  ForEachItem(orders, [&](const pugi::xml_node& item) { names.emplace_back(LocalName(item)); });
  EXPECT_EQ(names, (std::vector<std::string>{"Order", "item", "Other"}));
  const pugi::xml_node order = orders.first_child();
  EXPECT_EQ(OptionalFloat(order, "Price"), 19.99f);
  EXPECT_EQ(OptionalFloat(order, "Quantity"), std::nullopt);
  EXPECT_EQ(OptionalFloat(order, "Tax"), std::nullopt);
  EXPECT_EQ(OptionalText(order, "Name"), "");
  EXPECT_EQ(OptionalText(order, "Missing"), std::nullopt);
  EXPECT_EQ(OptionalBoolean(order, "Flag"), true);
  EXPECT_FALSE(answer.Part("Nothing"));
}

// Short decimals take a quicker path than the general parser: both must give the same float,
// bit for bit, and the same refusals.
TEST(SoapClientTest, FloatsReadAsTheGeneralParserReadsThem) {
  const auto general = [](std::string_view text) -> std::optional<float> {
    float value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
      return std::nullopt;
    return value;
  };
  std::vector<std::string> texts = {"0",        "-0",        "0.0",     "-0.000",   "1",         "9999999",
                                    "9999.999", "0.000001",  "1234567", "12345678", "0.1234567", "-5",
                                    "1.",       ".5",        "-.5",     "1e3",      "",          "-",
                                    "--1",      "1.2.3",     "0x10",    "nan",      "inf",       "1,5",
                                    "00000001", "0000000.5", "3.4e39",  "19.99",    "-19.99",    "0.19"};
  for (std::uint32_t i = 0; i < 200'000; ++i) {
    // Every amount with cents up to 2,000.00 and a spread of seven-digit mantissas at each scale.
    texts.push_back(std::to_string(i / 100) + "." + std::to_string(i % 100 / 10) + std::to_string(i % 10));
    const std::string digits = std::to_string(1'000'000 + (i * 2'654'435'761u) % 9'000'000);
    const std::size_t point = 1 + i % 7;
    texts.push_back(digits.substr(0, point) + (point < 7 ? "." + digits.substr(point) : ""));
  }
  for (const std::string& text : texts) {
    const auto expected = general(text);
    const auto read = FloatValue(text);
    ASSERT_EQ(read.has_value(), expected.has_value()) << text;
    if (read) {
      ASSERT_EQ(std::bit_cast<std::uint32_t>(*read), std::bit_cast<std::uint32_t>(*expected)) << text;
    }
    if (text.empty() || text[0] == '-') continue;
    const auto negative = FloatValue("-" + text);
    const auto signed_plus = FloatValue("+" + text);
    ASSERT_EQ(signed_plus.has_value(), read.has_value()) << text;
    if (read) {
      ASSERT_EQ(std::bit_cast<std::uint32_t>(*signed_plus), std::bit_cast<std::uint32_t>(*read)) << text;
      ASSERT_TRUE(negative) << text;
      ASSERT_EQ(std::bit_cast<std::uint32_t>(*negative), std::bit_cast<std::uint32_t>(-*read)) << text;
    }
  }
  EXPECT_EQ(FloatValue(" 2.5\n"), 2.5f);
}

TEST(SoapClientTest, EntitiesOfADocumentTypeAreNeverExpanded) {
  const std::string answer =
      "<?xml version=\"1.0\"?><!DOCTYPE e [<!ENTITY xxe SYSTEM \"file:///etc/passwd\"><!ENTITY a "
      "\"aaaaaaaa\">"
      "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;\">]>" +
      Answer("<findResponse><Orders><o>&xxe;&b;</o></Orders></findResponse>").substr(38);
  const SoapAnswer read = SoapClient::ReadAnswer(answer, 200, "find");
  EXPECT_EQ(Text(read.Part("Orders"), "o"), "&xxe;&b;");
}

TEST(SoapClientTest, DeeplyNestedAnswerIsReadWithoutExhaustingTheStack) {
  std::string deep;
  for (int i = 0; i < 200'000; ++i) deep += "<a>";
  for (int i = 0; i < 200'000; ++i) deep += "</a>";
  const SoapAnswer answer = SoapClient::ReadAnswer(
      Answer("<findResponse><Orders>" + deep + "</Orders></findResponse>"), 200, "find");
  EXPECT_TRUE(answer.Part("Orders"));
}

}  // namespace
}  // namespace kanvio::net
