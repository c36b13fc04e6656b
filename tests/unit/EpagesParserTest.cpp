// Reading ePages answer items and the host's order-state file.
#include <gtest/gtest.h>

#include "shops/epages/OrderTypes.h"
#include "shops/epages/ProductTypes.h"
#include "shops/epages/Status.h"
#include "support/Error.h"

namespace kanvio::epages {
namespace {

pugi::xml_document Parse(const std::string& xml) {
  pugi::xml_document document;
  EXPECT_TRUE(document.load_string(xml.c_str())) << xml;
  return document;
}

TEST(EpagesParserTest, OrderItemWithOddPrefixesNilsAndMissingLists) {
  const auto document = Parse(
      "<Order xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" xmlns:n9=\"urn:x\">"
      "<n9:Path>/Shops/S/Customers/1/Orders/7</n9:Path><Alias>7</Alias><Customer>/Shops/S/Customers/1</"
      "Customer>"
      "<CreationDate xsi:nil=\"true\"/>"
      "<Attributes><A><Name>CustomerComment</Name><Value>Hallo &amp; Tschüss</Value></A></Attributes>"
      "<BillingAddress><Gender>2</Gender><Street>Weg 1</Street></BillingAddress>"
      "<ShippingAddress xsi:nil=\"1\"/>"
      "<LineItemContainer><TaxModel>net</TaxModel><GrandTotal>abc</GrandTotal>"
      "<ProductLineItems><x><SKU>A</SKU><Quantity>2</Quantity><LineItemPrice>3.5</LineItemPrice></x></"
      "ProductLineItems>"
      "<CouponLineItems/><PaymentLineItem><PaymentMethod>/P/PaymentMethods/X</PaymentMethod></"
      "PaymentLineItem>"
      "</LineItemContainer></Order>");
  const OrderInfo order = ReadOrderInfo(document.first_child());
  EXPECT_EQ(order.Path, "/Shops/S/Customers/1/Orders/7");
  EXPECT_EQ(order.Error, std::nullopt);
  EXPECT_EQ(order.CreationDate, std::nullopt);
  ASSERT_EQ(order.Attributes.size(), 1u);
  EXPECT_EQ(order.Attributes[0].Value, "Hallo & Tschüss");
  ASSERT_TRUE(order.BillingAddress);
  EXPECT_EQ(order.BillingAddress->Gender, "2");
  EXPECT_EQ(order.BillingAddress->Street, "Weg 1");
  EXPECT_FALSE(order.ShippingAddress);
  ASSERT_TRUE(order.LineItemContainer);
  const LineItemContainer& items = *order.LineItemContainer;
  EXPECT_EQ(items.GrandTotal, 0);  // not a number: read as nothing
  ASSERT_EQ(items.ProductLineItems.size(), 1u);
  EXPECT_EQ(items.ProductLineItems[0].Quantity, 2);
  EXPECT_EQ(items.ProductLineItems[0].LineItemPrice, 3.5f);
  ASSERT_TRUE(items.CouponLineItems);
  EXPECT_TRUE(items.CouponLineItems->empty());
  EXPECT_FALSE(items.GlobalValueDiscountLineItems);
  EXPECT_FALSE(items.ShippingLineItem);
  EXPECT_EQ(items.PaymentLineItem->PaymentMethod, "/P/PaymentMethods/X");
}

// The import reads each answer's orders into the records of the answer before:
// whatever a record held, it must read as a fresh one, repeated and nil members included.
TEST(EpagesParserTest, RecordsReadAgainMatchFreshOnes) {
  const std::string nil = " xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" ";
  const std::string products = "<ProductLineItems><i><SKU>A</SKU></i></ProductLineItems>";
  const std::string address = "<Company>Firma</Company><Gender>1</Gender><Street>Lange Strasse 1</Street>";
  const std::string line = "<Name>Ein langer Artikelname</Name><SKU>B</SKU><Quantity>2</Quantity>";
  const std::string full =
      "<Path>/Shops/S/Customers/9/Orders/99</Path><Alias>99</Alias><Customer>/C/9</Customer>"
      "<CreationDate>2026-01-02T03:04:05Z</CreationDate><Attributes><a><Name>N</Name></a></Attributes>"
      "<BillingAddress>" +
      address + "</BillingAddress><ShippingAddress>" + address +
      "</ShippingAddress>"
      "<LineItemContainer><TaxModel>gross</TaxModel><GrandTotal>12.5</GrandTotal><ProductLineItems>"
      "<i>" +
      line + "</i><i>" + line + "</i><i>" + line +
      "</i></ProductLineItems>"
      "<ShippingLineItem>" +
      line + "</ShippingLineItem><PaymentLineItem>" + line +
      "</PaymentLineItem>"
      "<PaymentDiscountLineItems><i>" +
      line + "</i></PaymentDiscountLineItems><CouponLineItems><i>" + line +
      "</i></CouponLineItems><GlobalValueDiscountLineItems/><ShippingOptionLineItems><i>" + line +
      "</i></ShippingOptionLineItems></LineItemContainer>";
  struct Case {
    std::string members;
    bool has_products;
  };
  const Case cases[] = {
      {"<Customer>/C/1</Customer><LineItemContainer>" + products + "</LineItemContainer>", true},
      {"<Customer>/C/1</Customer><LineItemContainer><ProductLineItems/></LineItemContainer>", false},
      {"<Customer>/C/1</Customer>", false},
      {"<Customer>/C/1</Customer><LineItemContainer>" + products + "</LineItemContainer>" +
           "<LineItemContainer xsi:nil=\"true\"/>",
       true},
      {"<LineItemContainer>" + products + "</LineItemContainer><LineItemContainer/><Customer>/C/2</Customer>",
       false},
      {"<Customer xsi:nil=\"true\"/><LineItemContainer>" + products +
           "<ProductLineItems xsi:nil=\"true\"/></LineItemContainer>",
       true},
      {"<Customer>/C/1</Customer><Customer>/C/3</Customer><LineItemContainer>" + products +
           "<ProductLineItems>text</ProductLineItems></LineItemContainer>",
       false},
      {"<Error><Message>weg</Message></Error><Customer>/C/1</Customer><LineItemContainer>" + products +
           "</LineItemContainer>",
       false},
      {"<BillingAddress><City>Ort</City></BillingAddress><BillingAddress xsi:nil=\"true\"/>"
       "<LineItemContainer><PaymentLineItem><SKU>P</SKU></PaymentLineItem>" +
           products + "<CouponLineItems xsi:nil=\"true\"/></LineItemContainer>",
       true},
      {full, true},
  };
  for (const Case& c : cases) {
    const auto document = Parse("<Order" + nil + ">" + c.members + "</Order>");
    const OrderInfo fresh = ReadOrderInfo(document.first_child());
    EXPECT_EQ(fresh.LineItemContainer && !fresh.LineItemContainer->ProductLineItems.empty(), c.has_products)
        << c.members;
    for (const Case& before : cases) {
      const auto earlier = Parse("<Order" + nil + ">" + before.members + "</Order>");
      OrderInfo reused;
      ReadOrderInfo(earlier.first_child(), reused);
      ReadOrderInfo(document.first_child(), reused);
      EXPECT_TRUE(reused == fresh) << before.members << "\nthen\n" << c.members;
    }
  }
}

TEST(EpagesParserTest, ItemErrorsAreReadEvenWithoutMessage) {
  const auto failed = Parse(
      "<Order><Path>/o/1</Path><Error><Message>Object with path /o/1 was not found.</Message>"
      "</Error></Order>");
  EXPECT_EQ(ReadOrderInfo(failed.first_child()).Error, "Object with path /o/1 was not found.");
  const auto bare = Parse("<Product><Path>/p/1</Path><Error/></Product>");
  EXPECT_TRUE(ReadProductInfo(bare.first_child()).Error);
  const auto nil = Parse(
      "<Product xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\"><Path>/p/1</Path>"
      "<Error xsi:nil=\"true\"/><DepositPrices><P><Price xsi:nil=\"true\"/><CurrencyID>EUR"
      "</CurrencyID></P></DepositPrices></Product>");
  const ProductInfo product = ReadProductInfo(nil.first_child());
  EXPECT_FALSE(product.Error);
  ASSERT_EQ(product.DepositPrices.size(), 1u);
  EXPECT_FALSE(product.DepositPrices[0].Price);
}

TEST(EpagesParserTest, OrderStatesPairInsideEachOrder) {
  struct Case {
    const char* name;
    const char* xml;
    std::vector<std::string> expected;  // "order/customer"
  };
  const Case cases[] = {
      {"orders file",
       "<OrderNotification><Bestellvorgang><BestellnummerShop>1</BestellnummerShop><Kundendaten><Kunde>"
       "<KundennummerWebshop>K1</KundennummerWebshop></Kunde></Kundendaten></Bestellvorgang>"
       "<Bestellvorgang><BestellnummerShop>2</BestellnummerShop></Bestellvorgang>"
       "<Bestellvorgang><BestellnummerShop>3</BestellnummerShop><KundennummerWebshop>K3</KundennummerWebshop>"
       "<KundennummerWebshop>X</KundennummerWebshop></Bestellvorgang></OrderNotification>",
       {"1/K1", "3/K3"}},
      {"flat file paired by position",
       "<R><BestellnummerShop>1</BestellnummerShop><BestellnummerShop>2</BestellnummerShop>"
       "<KundennummerWebshop>K1</KundennummerWebshop><KundennummerWebshop>K2</KundennummerWebshop></R>",
       {"1/K1", "2/K2"}},
      {"no orders", "<OrderNotification/>", {}},
  };
  for (const Case& c : cases) {
    const auto document = Parse(c.xml);
    std::vector<std::string> pairs;
    for (const auto& record : Status::ReadOrderStates(document))
      pairs.push_back(record.order_number + "/" + record.customer_number);
    EXPECT_EQ(pairs, c.expected) << c.name;
  }
  const auto short_of_customers = Parse(
      "<R><BestellnummerShop>1</BestellnummerShop><BestellnummerShop>2"
      "</BestellnummerShop><KundennummerWebshop>K</KundennummerWebshop></R>");
  EXPECT_THROW(Status::ReadOrderStates(short_of_customers), Error);
}

}  // namespace
}  // namespace kanvio::epages
