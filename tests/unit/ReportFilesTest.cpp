#include <gtest/gtest.h>

#include <algorithm>

#include "TestSupport.h"
#include "shops/amazon/FbaData.h"
#include "shops/amazon/ReportFiles.h"

namespace kanvio {
namespace {

TEST(ReportFilesTest, ShipmentRowsAreReadByTheHeadersNames) {
  // Columns in another order, one unknown column, one of the 48 missing.
  const auto table = FlatFileTable::Parse(
      "points-granted\tbuyer-name\tamazon-order-id\tpurchase-date\r\n"
      "5\tMax Mustermann\t302-1\t2026-02-28T15:00:00+00:00\r\n"
      "\r\n"
      "\t\t302-2\t\t\r\n");
  const FbaData::Layout layout(table.columns);
  EXPECT_TRUE(layout.HasColumn("amazon-order-id"));
  EXPECT_FALSE(layout.HasColumn("sales-channel"));
  ASSERT_EQ(table.rows.size(), 2u);
  const auto first = FbaData::FromRow(layout, table.rows[0].values);
  EXPECT_EQ(first._amazon_order_id, "302-1");
  EXPECT_EQ(first._buyer_name, "Max Mustermann");
  EXPECT_EQ(first._sales_channel, "");
  EXPECT_EQ(FbaData::FromRow(layout, table.rows[1].values)._amazon_order_id, "302-2");
  // Taken over rather than copied, a row reads alike.
  auto values = table.rows[0].values;
  const auto taken = FbaData::FromRow(layout, std::move(values));
  EXPECT_EQ(taken._amazon_order_id, "302-1");
  EXPECT_EQ(taken._buyer_name, "Max Mustermann");
  EXPECT_EQ(taken._purchase_date, first._purchase_date);
  EXPECT_EQ(taken._sales_channel, "");
  EXPECT_EQ(FbaData::ColumnNames().size(), 48u);
  EXPECT_EQ(FbaData::ColumnNames().front(), "amazon-order-id");
  EXPECT_EQ(FbaData::ColumnNames().back(), "sales-channel");
}

TEST(ReportFilesTest, FlatFilesThatAreNotUtf8AreWindows1252) {
  const auto cp1252 = FlatFileTable::Parse("buyer-name\tcurrency\n J\xFCrgen Gro\xDF\t\x80\n");
  EXPECT_EQ(cp1252.rows[0].values[0], " Jürgen Groß");
  EXPECT_EQ(cp1252.rows[0].values[1], "€");
  EXPECT_EQ(cp1252.rows[0].raw, " J\xFCrgen Gro\xDF\t\x80");  // the bytes stay for writing back
  const auto utf8 = FlatFileTable::Parse(
      "\xEF\xBB\xBF"
      "buyer-name\nJürgen Groß\n");
  EXPECT_EQ(utf8.columns[0], "buyer-name");
  EXPECT_EQ(utf8.rows[0].values[0], "Jürgen Groß");
}

TEST(ReportFilesTest, TablesThatCannotBeBuiltAreRefused) {
  const std::pair<const char*, const char*> cases[] = {
      {"a\tb\ta\n1\t2\t3\n", "zweimal"},
      {"a\tb\n1\t2\t3\n", "Zeile 2"},
  };
  for (const auto& [text, message] : cases) {
    try {
      FlatFileTable::Parse(text);
      ADD_FAILURE() << text;
    } catch (const ReportFormatError& e) {
      EXPECT_NE(std::string(e.what()).find(message), std::string::npos) << e.what();
    }
  }
  // A trailing tab is no extra value; ten thousand columns are just columns; NUL bytes are text.
  EXPECT_EQ(FlatFileTable::Parse(std::string("a\tb\n1\0\t\0\n", 9)).rows[0].values[1], std::string(1, '\0'));
  EXPECT_EQ(FlatFileTable::Parse("a\tb\n1\t2\t\n").rows[0].values.size(), 2u);
  std::string wide;
  for (int i = 0; i < 10000; ++i) wide += "c" + std::to_string(i) + "\t";
  EXPECT_EQ(FlatFileTable::Parse(wide + "\n1\n").columns.size(), 10001u);
}

TEST(ReportFilesTest, RewritingKeepsTheHeaderAndTheMarkedRowsByteForByte) {
  test::TempDir dir;
  const auto file = dir / "6001.txt";
  test::WriteFile(file, "amazon-order-id\tbuyer-name\nA\tM\xFC\nB\tx\nC\ty\n");
  const auto table = FlatFileTable::Read(file);
  table.Rewrite(file, {false, true, false});
  EXPECT_EQ(test::ReadFile(file), "amazon-order-id\tbuyer-name\nB\tx\n");
}

constexpr const char* kReport = R"(<?xml version="1.0" encoding="UTF-8"?>
<AmazonEnvelope><Header><MerchantIdentifier>M_1</MerchantIdentifier></Header><MessageType>OrderReport</MessageType>
<Message><MessageID>1</MessageID><OrderReport><AmazonOrderID>028-1</AmazonOrderID>
  <OrderDate>2015-03-24T13:59:43+00:00</OrderDate>
  <BillingData><BuyerName>Pinco Pallino</BuyerName><Address><Name>Pinco Pallino</Name>
    <AddressFieldOne>Via del Piff 3</AddressFieldOne><City>Trieste</City><PostalCode>34100</PostalCode>
    <CountryCode>IT</CountryCode><PhoneNumber>0777</PhoneNumber></Address></BillingData>
  <FulfillmentData><FulfillmentMethod>Ship</FulfillmentMethod><FulfillmentServiceLevel>Standard</FulfillmentServiceLevel>
    <Address><Name>Pinco Pallino</Name><AddressFieldOne>Via del Piff 3</AddressFieldOne><City>Trieste</City>
    <PostalCode>34120</PostalCode><CountryCode>IT</CountryCode></Address></FulfillmentData></OrderReport></Message>
<Message><MessageID>2</MessageID><OrderReport><AmazonOrderID>104-2</AmazonOrderID>
  <BillingData><BuyerName>John Smith</BuyerName></BillingData>
  <FulfillmentData><FulfillmentMethod>Ship</FulfillmentMethod><FulfillmentCenterID>LEJ1</FulfillmentCenterID>
  </FulfillmentData></OrderReport></Message>
</AmazonEnvelope>)";

TEST(ReportFilesTest, OrderReportEntriesWithAndWithoutAddresses) {
  const auto entries = ParseOrderReport(kReport);
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].AmazonOrderID, "028-1");
  EXPECT_EQ(entries[0].OrderDate, "2015-03-24T13:59:43+00:00");
  ASSERT_TRUE(entries[0].billing);
  EXPECT_EQ(entries[0].billing->PhoneNumber, "0777");
  EXPECT_EQ(entries[0].service_level, "Standard");
  EXPECT_EQ(entries[0].shipping->PostalCode, "34120");
  EXPECT_TRUE(entries[1].has_billing_data);
  EXPECT_FALSE(entries[1].billing);
  EXPECT_TRUE(entries[1].has_fulfillment_data);
  EXPECT_EQ(entries[1].service_level, "");
  EXPECT_FALSE(entries[1].shipping);
}

TEST(ReportFilesTest, RewritingAnOrderReportLeavesOnlyTheMarkedMessages) {
  test::TempDir dir;
  const auto file = dir / "5001.xml";
  test::WriteFile(file, kReport);
  RewriteOrderReport(file, {false, true});
  const auto entries = ReadOrderReport(file);
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].AmazonOrderID, "104-2");
  const std::string text = test::ReadFile(file);
  EXPECT_NE(text.find("<MerchantIdentifier>M_1</MerchantIdentifier>"), std::string::npos);
  EXPECT_EQ(text.find("<MessageID>1</MessageID>"), std::string::npos);
}

TEST(ReportFilesTest, HostileOrderReportsFailOrReadWithoutCrashing) {
  for (const std::string& bad :
       {std::string("kein XML"), std::string("<a><b></a>"), std::string("\0<a/>", 5), std::string()}) {
    EXPECT_THROW(ParseOrderReport(bad), ReportFormatError) << bad;
  }
  std::string deep;
  for (int i = 0; i < 200000; ++i) deep += "<x>";
  deep += "<OrderReport><AmazonOrderID>1</AmazonOrderID></OrderReport>";
  for (int i = 0; i < 200000; ++i) deep += "</x>";
  EXPECT_EQ(ParseOrderReport(deep).size(), 1u);
}

}  // namespace
}  // namespace kanvio
