#include <gtest/gtest.h>

#include "net/MwsAnswers.h"

namespace kanvio::net {
namespace {

pugi::xml_node Result(pugi::xml_document& document, const char* xml, const char* result) {
  EXPECT_TRUE(document.load_string(xml));
  return MwsChild(document.document_element(), result);
}

TEST(MwsAnswersTest, ReportListPagesFollowHasNextNotTheToken) {
  pugi::xml_document first, last;
  const auto page = ParseReportInfoPage(Result(first, R"(
<GetReportListResponse xmlns="http://mws.amazonservices.com/doc/2009-01-01/">
  <GetReportListResult>
    <NextToken>2YgYW55IPQhvu5hbCBwbGVhc3VyZS4=</NextToken><HasNext>true</HasNext>
    <ReportInfo><ReportId>898899473</ReportId><ReportType>_GET_ORDERS_DATA_</ReportType>
      <ReportRequestId>2278662938</ReportRequestId><Acknowledged>false</Acknowledged></ReportInfo>
    <ReportInfo><ReportId> 898899474 </ReportId><Acknowledged>true</Acknowledged></ReportInfo>
  </GetReportListResult>
</GetReportListResponse>)",
                                               "GetReportListResult"));
  ASSERT_EQ(page.entries.size(), 2u);
  EXPECT_EQ(page.entries[0].ReportId, "898899473");
  EXPECT_EQ(page.entries[0].ReportRequestId, "2278662938");
  EXPECT_FALSE(page.entries[0].Acknowledged);
  EXPECT_EQ(page.entries[1].ReportId, "898899474");
  EXPECT_TRUE(page.entries[1].Acknowledged);
  EXPECT_EQ(page.next_token, "2YgYW55IPQhvu5hbCBwbGVhc3VyZS4=");

  const auto end = ParseReportInfoPage(Result(last, R"(<GetReportListByNextTokenResponse>
      <GetReportListByNextTokenResult><NextToken>none</NextToken><HasNext>false</HasNext>
      </GetReportListByNextTokenResult></GetReportListByNextTokenResponse>)",
                                              "GetReportListByNextTokenResult"));
  EXPECT_TRUE(end.entries.empty());
  EXPECT_FALSE(end.next_token);
}

TEST(MwsAnswersTest, ElementsMatchByLocalNameWhateverTheNamespace) {
  pugi::xml_document document;
  const auto page = ParseReportRequestInfoPage(Result(document, R"(
<m:GetReportRequestListResponse xmlns:m="http://mws.amazonaws.com/doc/2009-01-01/">
  <m:GetReportRequestListResult><m:HasNext>false</m:HasNext>
    <m:ReportRequestInfo><m:ReportRequestId>2291326454</m:ReportRequestId>
      <m:ReportProcessingStatus>
          _DONE_
      </m:ReportProcessingStatus><m:GeneratedReportId>3538561173</m:GeneratedReportId></m:ReportRequestInfo>
    <m:ReportRequestInfo><m:ReportRequestId>2291326455</m:ReportRequestId></m:ReportRequestInfo>
  </m:GetReportRequestListResult></m:GetReportRequestListResponse>)",
                                                      "GetReportRequestListResult"));
  ASSERT_EQ(page.entries.size(), 2u);
  EXPECT_EQ(page.entries[0].ReportProcessingStatus, "_DONE_");
  EXPECT_EQ(page.entries[0].GeneratedReportId, "3538561173");
  EXPECT_EQ(page.entries[1].GeneratedReportId, "");
}

TEST(MwsAnswersTest, OrderItemsKeepWhichMoneyValuesWereSent) {
  pugi::xml_document document;
  const auto page = ParseOrderItemPage(Result(document, R"(
<ListOrderItemsResponse xmlns="https://mws.amazonservices.com/Orders/2013-09-01"><ListOrderItemsResult>
  <NextToken>MRgZW55IGNhcm5hbCBwbGVhc3VyZS6=</NextToken><AmazonOrderId>058-1233752-8214740</AmazonOrderId>
  <OrderItems>
    <OrderItem><ASIN>BT0093TELA</ASIN><SellerSKU>CBA_OTF_1</SellerSKU><Title>Example item name</Title>
      <QuantityOrdered>1</QuantityOrdered>
      <ItemPrice><CurrencyCode>JPY</CurrencyCode><Amount>25.99</Amount></ItemPrice>
      <CODFee><CurrencyCode>JPY</CurrencyCode><Amount>10.00</Amount></CODFee></OrderItem>
    <OrderItem><ASIN>BCTU1104UEFB</ASIN><QuantityOrdered>2</QuantityOrdered></OrderItem>
  </OrderItems></ListOrderItemsResult></ListOrderItemsResponse>)",
                                              "ListOrderItemsResult"));
  ASSERT_EQ(page.entries.size(), 2u);
  const auto& first = page.entries[0];
  EXPECT_EQ(first.SellerSKU, "CBA_OTF_1");
  ASSERT_TRUE(first.ItemPrice);
  EXPECT_EQ(first.ItemPrice->Amount, "25.99");
  EXPECT_EQ(first.CODFee->CurrencyCode, "JPY");
  EXPECT_FALSE(first.ShippingPrice);
  EXPECT_FALSE(page.entries[1].ItemPrice);
  // ListOrderItems has no HasNext: a token means there is more.
  EXPECT_EQ(page.next_token, "MRgZW55IGNhcm5hbCBwbGVhc3VyZS6=");
}

TEST(MwsAnswersTest, ErrorResponsesGiveCodeMessageAndEitherSpellingOfTheRequestId) {
  struct Case {
    const char* xml;
    const char* request_id;
  };
  const Case cases[] = {
      {R"(<ErrorResponse xmlns="http://mws.amazonservices.com/doc/2009-01-01/"><Error><Type>Sender</Type>
          <Code>InvalidClientTokenId</Code><Message> The AWS Access Key Id you provided does not exist. </Message>
          </Error><RequestID>b7afc6c3</RequestID></ErrorResponse>)",
       "b7afc6c3"},
      {R"(<ErrorResponse><Error><Type>Sender</Type><Code>InvalidClientTokenId</Code>
          <Message>The AWS Access Key Id you provided does not exist.</Message></Error>
          <RequestId>88faca76</RequestId></ErrorResponse>)",
       "88faca76"},
  };
  for (const auto& c : cases) {
    pugi::xml_document document;
    ASSERT_TRUE(document.load_string(c.xml));
    const auto error = ParseErrorResponse(document);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->code, "InvalidClientTokenId");
    EXPECT_EQ(error->message, "The AWS Access Key Id you provided does not exist.");
    EXPECT_EQ(error->request_id, c.request_id);
  }
  pugi::xml_document other;
  ASSERT_TRUE(other.load_string("<GetOrderResponse/>"));
  EXPECT_FALSE(ParseErrorResponse(other));
}

TEST(MwsAnswersTest, CountIsANumberOrNothing) {
  const std::pair<const char*, std::optional<long long>> cases[] = {
      {"<R><Count>3</Count></R>", 3},
      {"<R><Count> 0 </Count></R>", 0},
      {"<R><Count>drei</Count></R>", std::nullopt},
      {"<R/>", std::nullopt}};
  for (const auto& [xml, count] : cases) {
    pugi::xml_document document;
    ASSERT_TRUE(document.load_string(xml));
    EXPECT_EQ(ParseCount(document.document_element()), count) << xml;
  }
}

}  // namespace
}  // namespace kanvio::net
