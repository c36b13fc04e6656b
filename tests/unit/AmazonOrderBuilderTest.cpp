#include <gtest/gtest.h>

#include "FakeClock.h"
#include "shops/amazon/AmazonOrderBuilder.h"

namespace kanvio::amazon_orders {
namespace {

net::MwsMoney Eur(const char* amount) { return {"EUR", amount}; }

TEST(AmazonOrderBuilderTest, NamesSplitIntoFirstAndLastName) {
  const std::tuple<const char*, const char*, const char*> cases[] = {
      {"Max Mustermann", "Max", "Mustermann"},
      {"Max  Mustermann ", "Max", "Mustermann"},
      {"  Hans Peter   Maier", "Hans Peter", "Maier"},
      {"Cher", "", "Cher"},
      {"", "", ""},
      {"   ", "", ""},
      {"\tAnna\t Maria  Schmidt\t", "Anna Maria", "Schmidt"},
  };
  for (const auto& [name, first, last] : cases) {
    const auto person = SplitName(name);
    EXPECT_EQ(person.first, first) << name;
    EXPECT_EQ(person.last, last) << name;
  }
}

TEST(AmazonOrderBuilderTest, SecondAddressLineMakesTheFirstACompanyOrAPackstationNumber) {
  const std::tuple<const char*, const char*, const char*, const char*, bool> cases[] = {
      {"Domstraße 1", "", "", "Domstraße 1", false},
      {"Müller & Söhne GmbH", "Domstraße 1", "Müller & Söhne GmbH", "Domstraße 1", false},
      {"1234567", "Packstation 105", "1234567", "Packstation 105", true},
      {"1234567", "PACKSTATION 105", "1234567", "PACKSTATION 105", true},
      {" Firma ", "   ", "", "Firma", false},
  };
  for (const auto& [line1, line2, company, street, packstation] : cases) {
    const auto lines = SplitAddressLines(line1, line2);
    EXPECT_EQ(lines.company, company) << line1 << " / " << line2;
    EXPECT_EQ(lines.street, street) << line1 << " / " << line2;
    EXPECT_EQ(lines.packstation, packstation) << line1 << " / " << line2;
  }
}

TEST(AmazonOrderBuilderTest, OrderDatesBecomeLocalTime) {
  test::FakeClock clock({2026, 3, 2, 9, 30, 0}, std::chrono::minutes(60));
  const std::pair<const char*, const char*> cases[] = {
      {"2015-03-24T13:59:43+00:00", "24.03.2015 14:59:43"},
      {"2015-03-24T13:59:43Z", "24.03.2015 14:59:43"},
      {"2017-02-05T18:12:21.687Z", "05.02.2017 19:12:21"},
      {"2026-03-01T20:30:00-08:00", "02.03.2026 05:30:00"},
      {"2026-03-01T20:30:00+0130", "01.03.2026 20:00:00"},
      {" 2013-01-17T05:51:50+00:00 ", "17.01.2013 06:51:50"},
      {"0007-01-02T03:04:05Z", "02.01.0007 04:04:05"},
      {"", ""},
  };
  for (const auto& [iso, local] : cases) EXPECT_EQ(LocalOrderDate(iso), local) << iso;
  for (const char* bad : {"2015-02-30T10:00:00Z", "24.03.2015 13:59", "2015-03-24T13:59:43+25:00", "gestern"})
    EXPECT_THROW(LocalOrderDate(bad), Error) << bad;
}

TEST(AmazonOrderBuilderTest, CostsAreSummedExactlyOverTheLines) {
  net::MwsOrderItem a, b;
  a.ShippingPrice = Eur("4.90");
  a.ShippingDiscount = Eur("0.10");
  b.ShippingPrice = Eur("0.1");
  b.ShippingDiscount = Eur("");  // sent without amount: not set
  a.GiftWrapPrice = Eur("2.50");
  a.GiftWrapTax = Eur("0.48");
  b.GiftWrapTax = Eur("9.99");  // without a gift-wrap price the tax does not count
  a.CODFee = Eur("10.00");
  a.CODFeeDiscount = Eur("1.00");
  a.PromotionDiscount = Eur("3.00");
  b.PromotionDiscount = Eur("2.00");
  const auto costs = SumCosts({a, b});
  EXPECT_EQ(costs.freight, "4.9");
  EXPECT_EQ(costs.gift_wrap, "2.98");
  EXPECT_EQ(costs.cash_on_delivery, "9");
  EXPECT_EQ(costs.promotion, "-5");

  const auto none = SumCosts({net::MwsOrderItem{}});
  EXPECT_EQ(none.freight, "0");
  EXPECT_EQ(none.promotion, "0");
  net::MwsOrderItem negative;
  negative.PromotionDiscount = Eur("-1.50");
  EXPECT_EQ(SumCosts({negative}).promotion, "-1.5");
  // Binary floating point would give 0.30000000000000004.
  net::MwsOrderItem tenth, fifth;
  tenth.ShippingPrice = Eur("0.1");
  fifth.ShippingPrice = Eur("0.2");
  EXPECT_EQ(SumCosts({tenth, fifth}).freight, "0.3");
}

TEST(AmazonOrderBuilderTest, AmountsThatDoNotReadFailTheOrder) {
  for (const char* bad : {"abc", "1.2.3", "-", "1,50", "1234567890123456789"})
    EXPECT_THROW(Decimal::Parse(bad), Error) << bad;
  EXPECT_EQ(Decimal::Parse("-0.00").ToText(), "0");
  EXPECT_EQ(Decimal::Parse("+007.50").ToText(), "7.5");
  EXPECT_EQ(Decimal::Parse(".5").ToText(), "0.5");
  EXPECT_THROW(Decimal::Parse("900000000000000000") + Decimal::Parse("0.05"), Error);
  // The text names the amount as read, without its blanks.
  const auto message = [](std::string_view amount) {
    try {
      Decimal::Parse(amount);
    } catch (const Error& e) {
      return std::string(e.what());
    }
    return std::string();
  };
  EXPECT_EQ(message("  1,50 "), "\"1,50\" ist kein Betrag.");
  EXPECT_EQ(message(" 12345678901234567890123 "),
            "Der Betrag \"12345678901234567890123\" hat zu viele Stellen.");
}

TEST(AmazonOrderBuilderTest, UnitPricesPerSourceAndLinesWithoutQuantityLeftOut) {
  net::MwsOrderItem item, nothing;
  item.SellerSKU = "KV-1";
  item.ASIN = "B0001";
  item.Title = "Tasse";
  item.QuantityOrdered = "2";
  item.ItemPrice = Eur("20.00");
  item.ItemTax = Eur("3.80");
  nothing.QuantityOrdered = "0";
  const auto report_lines = Lines({item, nothing}, Source::kOrderReport);
  ASSERT_EQ(report_lines.size(), 1u);
  EXPECT_EQ(*report_lines[0].ArticleDiffPriceGross, "10");
  EXPECT_EQ(*report_lines[0].Amount, "2");
  EXPECT_EQ(*report_lines[0].AmazonAsin, "B0001");
  EXPECT_EQ(*report_lines[0].ArticleNumberShop, "KV-1");
  EXPECT_EQ(*report_lines[0].ArticleText, "Tasse");
  EXPECT_EQ(*Lines({item}, Source::kShipmentReport)[0].ArticleDiffPriceGross, "11.9");
  item.QuantityOrdered = "3";
  EXPECT_EQ(*Lines({item}, Source::kOrderReport)[0].ArticleDiffPriceGross, "6.666666666666667");
  item.QuantityOrdered = "";
  EXPECT_THROW(Lines({item}, Source::kOrderReport), Error);
}

net::MwsOrder ApiOrder(const char* id) {
  net::MwsOrder order;
  order.AmazonOrderId = id;
  order.OrderStatus = "Unshipped";
  order.BuyerEmail = "kunde@marketplace.amazon.de";
  order.OrderTotal = Eur("25.00");
  return order;
}

std::vector<net::MwsOrderItem> OneLine() {
  net::MwsOrderItem item;
  item.QuantityOrdered = "1";
  item.ItemPrice = Eur("20.00");
  item.ShippingPrice = Eur("5.00");
  return {item};
}

TEST(AmazonOrderBuilderTest, ReportWithoutBillingAddressTakesTheCustomerFromTheShippingAddress) {
  test::FakeClock clock;
  OrderReportEntry entry;
  entry.AmazonOrderID = "104-2391705-5555555";
  entry.OrderDate = "2026-03-01T20:30:00-08:00";
  entry.has_billing_data = true;  // BillingData without Address
  entry.has_fulfillment_data = true;
  entry.service_level = "Standard";
  entry.shipping =
      ReportAddress{"John Smith", "John Smith", "1850 Mercer Rd", "Lexington", "40511", "US", "555"};
  const auto order = ReportOrder(entry, ApiOrder(entry.AmazonOrderID.c_str()), OneLine());
  const auto& customer = *order.CustomerData.Customer;
  EXPECT_EQ(*customer.FirstName, "John");
  EXPECT_EQ(*customer.Name, "Smith");
  EXPECT_EQ(*customer.CompanyName, "John Smith");
  EXPECT_EQ(*customer.Street, "1850 Mercer Rd");
  EXPECT_EQ(*customer.Location, "Lexington");
  EXPECT_EQ(*customer.Mail, "kunde@marketplace.amazon.de");
  EXPECT_EQ(*order.CustomerData.DeliveryData->Street, "1850 Mercer Rd");
  // The billing block holds only what there is: the buyer's email.
  ASSERT_TRUE(order.CustomerData.PaymentData);
  EXPECT_EQ(*order.CustomerData.PaymentData->Name, "");
  EXPECT_EQ(*order.CustomerData.PaymentData->Mail, "kunde@marketplace.amazon.de");
  EXPECT_EQ(*order.FulfilledByAmazon, "0");
  EXPECT_EQ(*order.OrderTotalGross, "25.00");
  EXPECT_EQ(*order.CustomerData.FrieghtCost.FreightCostGross, "5");
  EXPECT_EQ(*order.DeliveryKind, "Standard");

  entry.has_billing_data = false;
  entry.has_fulfillment_data = false;
  entry.shipping.reset();
  const auto bare = ReportOrder(entry, ApiOrder(entry.AmazonOrderID.c_str()), OneLine());
  EXPECT_FALSE(bare.CustomerData.PaymentData);
  EXPECT_FALSE(bare.CustomerData.DeliveryData);
}

TEST(AmazonOrderBuilderTest, ShipmentRowFillsTheThreeAddressBlocks) {
  test::FakeClock clock;
  FbaData row;
  row._amazon_order_id = "302-4444444-4444444";
  row._purchase_date = "2026-02-28T15:00:00+00:00";
  row._buyer_name = "Jürgen  Groß";
  row._buyer_email = "fba@marketplace.amazon.de";
  row._buyer_phone_number = "030 555";
  row._bill_address_1 = "7654321";
  row._bill_address_2 = "Packstation 12";
  row._bill_postal_code = "20095";
  row._recipient_name = "Anna Groß";
  row._ship_address_1 = "Lindenallee 3";
  row._ship_postal_code = "20097";
  row._ship_city = "Hamburg";
  row._ship_country = "DE";
  row._ship_service_level = "Expedited";
  net::MwsOrder order = ApiOrder(row._amazon_order_id.c_str());
  const auto written = ShipmentOrder(row, order, OneLine());
  const auto& customer = *written.CustomerData.Customer;
  EXPECT_EQ(*customer.FirstName, "Jürgen");
  EXPECT_EQ(*customer.CompanyName, "");
  EXPECT_EQ(*customer.AmazonPackstation, "7654321");
  EXPECT_EQ(*customer.Street, "Packstation 12");
  EXPECT_EQ(*customer.PostalCode, "20097");  // the customer's town is the shipping one
  EXPECT_EQ(*customer.Phone, "030 555");
  EXPECT_EQ(*written.CustomerData.DeliveryData->FirstName, "Anna");
  EXPECT_EQ(*written.CustomerData.DeliveryData->Street, "Lindenallee 3");
  // Only the customer moves the Packstation number out of the company.
  EXPECT_EQ(*written.CustomerData.PaymentData->CompanyName, "7654321");
  EXPECT_EQ(*written.CustomerData.PaymentData->PostalCode, "20095");
  EXPECT_EQ(*written.OrderDate, "28.02.2026 16:00:00");
  EXPECT_EQ(*written.FulfilledByAmazon, "1");
  EXPECT_EQ(*written.DeliveryKind, "Expedited");
}

}  // namespace
}  // namespace kanvio::amazon_orders
