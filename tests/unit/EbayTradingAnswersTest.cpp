// Reading the Trading API's answers: the envelope, the fields the import
// relies on, and answers that are hostile or incomplete.
#include <gtest/gtest.h>

#include <string>

#include "net/EbayTradingAnswers.h"
#include "platform/Clock.h"

namespace kanvio::net {
namespace {

std::string Answer(const std::string& call, const std::string& ack, const std::string& body,
                   const std::string& prefix = "") {
  const std::string root = prefix + call + "Response";
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><" + root +
         " xmlns=\"urn:ebay:apis:eBLBaseComponents\"><Timestamp>2024-03-02T14:04:05.000Z</Timestamp><Ack>" +
         ack + "</Ack>" + body + "</" + root + ">";
}

std::string Error(const std::string& code, const std::string& severity, const std::string& classification) {
  return "<Errors><ShortMessage>kurz</ShortMessage><LongMessage>Meldung " + code +
         "</LongMessage><ErrorCode>" + code + "</ErrorCode><SeverityCode>" + severity +
         "</SeverityCode><ErrorClassification>" + classification + "</ErrorClassification></Errors>";
}

TEST(EbayAnswerTest, EnvelopeDecidesBetweenDataAndFailure) {
  // Warning with data is a success and keeps the warning.
  const EbayAnswer warned = EbayAnswer::Read(
      "GetSessionID", Answer("GetSessionID", "Warning",
                             Error("21917", "Warning", "RequestError") + "<SessionID>S1</SessionID>"));
  EXPECT_EQ(ReadSessionId(warned), "S1");
  ASSERT_EQ(warned.warnings().size(), 1u);
  EXPECT_EQ(warned.warnings()[0].code, "21917");

  struct Case {
    std::string ack, errors;
    bool system_error;
  };
  const Case failures[] = {
      {"Failure", Error("931", "Error", "RequestError"), false},
      {"Failure", Error("10007", "Error", "SystemError"), true},
      {"PartialFailure", Error("1", "Error", "RequestError"), false},
      {"", "", false},
      {"Erfolg", "", false},
  };
  for (const auto& c : failures) {
    try {
      EbayAnswer::Read("GetTokenStatus", Answer("GetTokenStatus", c.ack, c.errors));
      ADD_FAILURE() << "accepted Ack " << c.ack;
    } catch (const EbayApiError& e) {
      EXPECT_EQ(e.IsSystemError(), c.system_error) << c.ack;
      EXPECT_NE(std::string(e.what()).find("GetTokenStatus"), std::string::npos) << e.what();
      if (!c.errors.empty()) {
        EXPECT_EQ(e.errors().size(), 1u);
        EXPECT_NE(std::string(e.what()).find(e.errors()[0].code), std::string::npos) << e.what();
      }
    }
  }
}

TEST(EbayAnswerTest, ForeignDocumentsAreNoAnswer) {
  for (const std::string& text :
       {std::string("<html><body>Wartung</body></html>"), std::string("kein XML <"), std::string(),
        Answer("FetchToken", "Success", "<eBayAuthToken>T</eBayAuthToken>")}) {
    EXPECT_THROW(EbayAnswer::Read("GetSessionID", text), XmlError) << text;
  }
  // A namespace prefix does not hide the elements.
  const std::string prefixed =
      "<e:GetSessionIDResponse xmlns:e=\"urn:ebay:apis:eBLBaseComponents\"><e:Ack>Success"
      "</e:Ack><e:SessionID>P</e:SessionID></e:GetSessionIDResponse>";
  EXPECT_EQ(ReadSessionId(EbayAnswer::Read("GetSessionID", prefixed)), "P");
  EXPECT_THROW(ReadSessionId(EbayAnswer::Read("GetSessionID", Answer("GetSessionID", "Success", ""))),
               XmlError);
  EXPECT_THROW(ReadToken(EbayAnswer::Read("FetchToken", Answer("FetchToken", "Success", ""))), XmlError);
}

TEST(EbayAnswerTest, TokenStatusNames) {
  const std::pair<std::string, TokenStatus> cases[] = {
      {"Active", TokenStatus::Active},
      {"Expired", TokenStatus::Expired},
      {"RevokedByUser", TokenStatus::RevokedByUser},
      {"RevokedByeBay", TokenStatus::RevokedByeBay},
      {"CustomCode", TokenStatus::Other},
      {"active", TokenStatus::Other},
  };
  for (const auto& [name, status] : cases) {
    const auto answer = EbayAnswer::Read(
        "GetTokenStatus",
        Answer("GetTokenStatus", "Success", "<TokenStatus><Status>" + name + "</Status></TokenStatus>"));
    EXPECT_EQ(ReadTokenStatus(answer), status) << name;
  }
  EXPECT_THROW(ReadTokenStatus(EbayAnswer::Read("GetTokenStatus", Answer("GetTokenStatus", "Success", ""))),
               XmlError);
}

TEST(EbayAnswerTest, Dates) {
  using platform::FromUtcCalendar;
  const auto at = FromUtcCalendar({2024, 3, 2, 14, 4, 5});
  const std::pair<std::string, std::optional<platform::UtcTime>> cases[] = {
      {"2024-03-02T14:04:05.000Z", at},
      {" 2024-03-02T14:04:05Z ", at},
      {"2024-03-02T14:04:05", at},
      {"2024-03-02T15:04:05.5+01:00", at},
      {"2024-03-02T13:04:05-01:00", at},
      {"2024-02-30T14:04:05.000Z", std::nullopt},
      {"2024-03-02T24:00:00.000Z", std::nullopt},
      {"2024-03-02T14:04:05.Z", std::nullopt},
      {"2024-03-02T14:04:05.000Zx", std::nullopt},
      {"02.03.2024 14:04:05", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(ParseEbayDate(text), expected) << text;
}

const std::string kSoldList =
    "<SoldList><OrderTransactionArray>"
    "<OrderTransaction><Transaction><Buyer><UserID>anna</UserID></Buyer><Item><ItemID>11</ItemID></Item>"
    "<TransactionID>21</TransactionID><OrderLineItemID>11-21</OrderLineItemID>"
    "<Status><CompleteStatus>Complete</CompleteStatus></Status><SellerPaidStatus>Paid</SellerPaidStatus>"
    "</Transaction></OrderTransaction>"
    "<OrderTransaction><Order><OrderID>O1</OrderID><TransactionArray>"
    "<Transaction><Item><ItemID>12</ItemID></Item><TransactionID>22</TransactionID>"
    "<SellerPaidStatus>PayUponInvoice</SellerPaidStatus><Status><CompleteStatus>Unterwegs</CompleteStatus></"
    "Status>"
    "</Transaction>"
    "<Transaction><Item><ItemID>13</ItemID></Item><TransactionID>23</TransactionID></Transaction>"
    "</TransactionArray></Order></OrderTransaction>"
    "</OrderTransactionArray><PaginationResult><TotalNumberOfPages>7</TotalNumberOfPages>"
    "<TotalNumberOfEntries>1301</TotalNumberOfEntries></PaginationResult></SoldList>";

TEST(EbayAnswerTest, SoldListHoldsSingleLinesAndCombinedOrders) {
  Notes notes;
  const SoldListPage page = ReadSoldList(
      EbayAnswer::Read("GetMyeBaySelling", Answer("GetMyeBaySelling", "Success", kSoldList)), notes);
  ASSERT_TRUE(page.has_sold_list);
  EXPECT_EQ(page.total_pages, 7);
  ASSERT_EQ(page.entries.size(), 2u);
  const Transaction& single = page.entries[0].transaction.value();
  EXPECT_FALSE(page.entries[0].order);
  EXPECT_EQ(single.item_id, "11");
  EXPECT_EQ(single.order_line_item_id, "11-21");
  EXPECT_EQ(single.buyer.user_id, "anna");
  EXPECT_EQ(single.seller_paid_status, PaidStatus::Paid);
  EXPECT_EQ(single.complete_status, CompleteStatus::Complete);

  const Order& order = page.entries[1].order.value();
  EXPECT_EQ(order.order_id, "O1");
  ASSERT_EQ(order.transactions.size(), 2u);
  // Names this library does not know read as no value, and are noted.
  EXPECT_FALSE(order.transactions[0].seller_paid_status);
  EXPECT_FALSE(order.transactions[0].complete_status);
  EXPECT_EQ(notes.size(), 2u);

  notes.clear();
  const SoldListPage none =
      ReadSoldList(EbayAnswer::Read("GetMyeBaySelling", Answer("GetMyeBaySelling", "Success", "")), notes);
  EXPECT_FALSE(none.has_sold_list);
  EXPECT_TRUE(none.entries.empty());
}

TEST(EbayAnswerTest, ItemTransactionsCarryWhatTheOrdersFileNeeds) {
  const std::string body =
      "<Item><ItemID>123</ItemID><Title>Shirt &amp; "
      "Co</Title><ListingDetails><ViewItemURL>https://v/123</ViewItemURL>"
      "</ListingDetails></Item><TransactionArray><Transaction>"
      "<Buyer><UserID>ben</UserID><Email>Invalid Request</Email><BuyerInfo><ShippingAddress><Name>Ben</Name>"
      "<Street1>Am Markt "
      "1</Street1><CityName>München</CityName><PostalCode>80331</PostalCode><Country>DE</Country>"
      "<CountryName>Deutschland</CountryName><Phone>Invalid "
      "Request</Phone></ShippingAddress></BuyerInfo></Buyer>"
      "<ShippingServiceSelected><ShippingService>Hermes</ShippingService><ShippingServiceCost "
      "currencyID=\"EUR\">"
      "3.9</ShippingServiceCost></ShippingServiceSelected><CreatedDate>2024-03-02T14:04:05.000Z</CreatedDate>"
      "<QuantityPurchased>2</QuantityPurchased><Status><PaymentMethodUsed>PayPal</PaymentMethodUsed></Status>"
      "<TransactionPrice "
      "currencyID=\"GBP\">12.50</TransactionPrice><BuyerCheckoutMessage>Danke</BuyerCheckoutMessage>"
      "<Variation><VariationSpecifics><NameValueList><Name>Farbe</Name><Value>red</Value><Value>rot</Value>"
      "</NameValueList><NameValueList><Name>Größe</Name><Value>XL</Value></NameValueList></"
      "VariationSpecifics>"
      "</Variation><OrderLineItemID>123-9</OrderLineItemID></Transaction></TransactionArray>";
  Notes notes;
  const ItemTransactions result = ReadItemTransactions(
      EbayAnswer::Read("GetItemTransactions", Answer("GetItemTransactions", "Success", body)), notes);
  EXPECT_EQ(result.item.title, "Shirt & Co");
  EXPECT_EQ(result.item.view_item_url, "https://v/123");
  EXPECT_EQ(result.item.view_item_url_for_natural_search, "");
  ASSERT_EQ(result.transactions.size(), 1u);
  const Transaction& t = result.transactions[0];
  EXPECT_EQ(t.quantity_purchased, 2);
  ASSERT_TRUE(t.transaction_price);
  EXPECT_DOUBLE_EQ(t.transaction_price->value, 12.5);
  EXPECT_EQ(t.transaction_price->currency, "GBP");
  EXPECT_EQ(t.shipping_service_selected->service, "Hermes");
  EXPECT_DOUBLE_EQ(t.shipping_service_selected->cost->value, 3.9);
  EXPECT_EQ(t.payment_method_used, "PayPal");
  EXPECT_EQ(t.buyer_checkout_message, "Danke");
  EXPECT_EQ(t.created_date, platform::FromUtcCalendar({2024, 3, 2, 14, 4, 5}));
  EXPECT_FALSE(t.buyer.registration_address);
  EXPECT_EQ(t.buyer.shipping_address->city_name, "München");
  ASSERT_EQ(t.variation.size(), 2u);
  EXPECT_EQ(t.variation[0].second, (std::vector<std::string>{"red", "rot"}));
  EXPECT_TRUE(notes.empty());
}

TEST(EbayAnswerTest, HostileFieldsAreLeftOutAndNoted) {
  std::string specifics;
  for (int i = 0; i < 10'000; ++i)
    specifics += "<NameValueList><Name>N" + std::to_string(i) + "</Name><Value>v</Value></NameValueList>";
  const std::string body =
      "<Item><ItemID>1</ItemID></Item><TransactionArray><Transaction>"
      "<QuantityPurchased>zwei</QuantityPurchased><TransactionPrice>12,50</TransactionPrice>"
      "<CreatedDate>gestern</CreatedDate><Variation><VariationSpecifics>" +
      specifics + "</VariationSpecifics></Variation></Transaction></TransactionArray>";
  Notes notes;
  const ItemTransactions result = ReadItemTransactions(
      EbayAnswer::Read("GetItemTransactions", Answer("GetItemTransactions", "Success", body)), notes);
  const Transaction& t = result.transactions.at(0);
  EXPECT_FALSE(t.quantity_purchased);
  EXPECT_FALSE(t.transaction_price);
  EXPECT_FALSE(t.created_date);
  EXPECT_EQ(t.variation.size(), 100u);
  EXPECT_EQ(notes.size(), 4u);
}

// A transaction read in one pass over its children keeps what reading each
// field by name gave: the first of repeated fields, the last of plain texts.
TEST(EbayAnswerTest, RepeatedTransactionFieldsKeepTheirOrderOfPrecedence) {
  const std::string body =
      "<Item><ItemID>1</ItemID></Item><TransactionArray><Transaction>"
      "<CreatedDate>gestern</CreatedDate><CreatedDate>2024-03-02T14:04:05Z</CreatedDate>"
      "<QuantityPurchased>2</QuantityPurchased><QuantityPurchased>3</QuantityPurchased>"
      "<TransactionPrice currencyID=\"EUR\">1.5</TransactionPrice><TransactionPrice>9</TransactionPrice>"
      "<SellerPaidStatus>Paid</SellerPaidStatus><SellerPaidStatus>NotPaid</SellerPaidStatus>"
      "<ShippingServiceSelected><ShippingService>DHL</ShippingService></ShippingServiceSelected>"
      "<ShippingServiceSelected><ShippingService>Hermes</ShippingService></ShippingServiceSelected>"
      "<Variation><VariationSpecifics><NameValueList><Name>Farbe</Name></NameValueList>"
      "</VariationSpecifics></Variation><Variation/>"
      "<TransactionID>7</TransactionID><TransactionID>8</TransactionID>"
      "</Transaction></TransactionArray>";
  Notes notes;
  const ItemTransactions result = ReadItemTransactions(
      EbayAnswer::Read("GetItemTransactions", Answer("GetItemTransactions", "Success", body)), notes);
  const Transaction& t = result.transactions.at(0);
  EXPECT_FALSE(t.created_date);
  EXPECT_EQ(t.quantity_purchased, 2);
  EXPECT_EQ(t.transaction_price->currency, "EUR");
  EXPECT_EQ(t.seller_paid_status, PaidStatus::Paid);
  EXPECT_EQ(t.shipping_service_selected->service, "DHL");
  ASSERT_EQ(t.variation.size(), 1u);
  EXPECT_EQ(t.variation[0].first, "Farbe");
  EXPECT_EQ(t.transaction_id, "8");
  EXPECT_EQ(notes.size(), 1u);
}

TEST(EbayAnswerTest, PrefixedAndRepeatedElementsReadTheFirstOfEach) {
  const std::string body =
      "<e:Item><ebayapis0:ItemID>1</ebayapis0:ItemID><e:ItemID>2</e:ItemID>"
      "<urn-ebay-apis-x:Title>Shirt</urn-ebay-apis-x:Title>"
      "<e:ListingDetails><e:ViewItemURL>u1</e:ViewItemURL><e:ViewItemURL>u2</e:ViewItemURL>"
      "<e:ViewItemURLForNaturalSearch>n1</e:ViewItemURLForNaturalSearch></e:ListingDetails>"
      "<e:ListingDetails><e:ViewItemURL>u3</e:ViewItemURL></e:ListingDetails></e:Item>"
      "<e:Item><e:ItemID>3</e:ItemID><e:Title>Hose</e:Title></e:Item>"
      "<e:TransactionArray><e:Transaction><e:Status><e:PaymentMethodUsed> PayPal </e:PaymentMethodUsed>"
      "<e:CompleteStatus>Complete</e:CompleteStatus><e:CompleteStatus>Pending</e:CompleteStatus></e:Status>"
      "<e:ShippingServiceSelected><e:ShippingServiceCost currencyID=\"EUR\">4.9</e:ShippingServiceCost>"
      "<e:ShippingService>DHL</e:ShippingService><e:ShippingService>UPS</e:ShippingService>"
      "</e:ShippingServiceSelected></e:Transaction></e:TransactionArray>"
      "<e:TransactionArray><e:Transaction /></e:TransactionArray>";
  Notes notes;
  const ItemTransactions result = ReadItemTransactions(
      EbayAnswer::Read("GetItemTransactions", Answer("GetItemTransactions", "Success", body, "e:")), notes);
  EXPECT_EQ(result.item.item_id, "1");
  EXPECT_EQ(result.item.title, "Shirt");
  EXPECT_EQ(result.item.view_item_url, "u1");
  EXPECT_EQ(result.item.view_item_url_for_natural_search, "n1");
  ASSERT_EQ(result.transactions.size(), 1u);
  const Transaction& t = result.transactions[0];
  EXPECT_EQ(t.complete_status, CompleteStatus::Complete);
  EXPECT_EQ(t.payment_method_used, "PayPal");
  ASSERT_TRUE(t.shipping_service_selected);
  EXPECT_EQ(t.shipping_service_selected->service, "DHL");
  EXPECT_EQ(t.shipping_service_selected->cost->value, 4.9);
  EXPECT_EQ(t.shipping_service_selected->cost->currency, "EUR");
  EXPECT_TRUE(notes.empty());
}

TEST(EbayAnswerTest, UserAndOrderAnswers) {
  Notes notes;
  const auto user = [&](const std::string& body) {
    return ReadSellerPaymentAddress(EbayAnswer::Read("GetUser", Answer("GetUser", "Success", body)), notes);
  };
  EXPECT_FALSE(user("<User><UserID>carla</UserID></User>"));
  EXPECT_EQ(user("<User><SellerInfo><SellerPaymentAddress><Name>Dietz GmbH</Name></SellerPaymentAddress>"
                 "</SellerInfo></User>")
                ->name,
            "Dietz GmbH");

  const auto order = [&](const std::string& body) {
    return ReadFirstOrder(
        EbayAnswer::Read("GetOrderTransactions", Answer("GetOrderTransactions", "Success", body)), notes);
  };
  EXPECT_FALSE(order("<OrderArray />"));
  const auto found = order(
      "<OrderArray><Order><OrderID>O1</OrderID><ShippingServiceSelected><ShippingService>DHL</"
      "ShippingService>"
      "</ShippingServiceSelected><TransactionArray><Transaction><TransactionID>1</TransactionID></"
      "Transaction>"
      "</TransactionArray></Order><Order><OrderID>O2</OrderID></Order></OrderArray>");
  ASSERT_TRUE(found);
  EXPECT_EQ(found->order_id, "O1");
  EXPECT_EQ(found->shipping_service_selected->service, "DHL");
  EXPECT_FALSE(found->shipping_service_selected->cost);
  EXPECT_EQ(found->transactions.size(), 1u);
}

}  // namespace
}  // namespace kanvio::net
