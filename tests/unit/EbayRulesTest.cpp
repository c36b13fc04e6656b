// The rules of the eBay import, one table each: sites and the sign-in
// address, the host's switches, the import window, which orders are fetched,
// the imported-orders file, and how an order becomes a record of the orders
// file (addresses, payment texts, keys, article names).
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "FakeClock.h"
#include "HostFolders.h"
#include "TestSupport.h"
#include "config/Settings.h"
#include "net/EbayTradingClient.h"
#include "orders/XmlSaver.h"
#include "platform/HttpClient.h"
#include "shops/ebay/EbayParameter.h"
#include "shops/ebay/EbaySites.h"
#include "shops/ebay/ImportedOrders.h"
#include "shops/ebay/OrderManagement.h"
#include "shops/ebay/ReportManagement.h"
#include "shops/ebay/TokenCaller.h"
#include "support/Error.h"
#include "support/InvariantNumber.h"

namespace kanvio {
namespace {

using net::PaidStatus;
using orders::CustomerFormatting;

TEST(EbayRulesTest, SitesGiveTheSignInDomain) {
  test::HostFolders host;
  struct Case {
    std::int32_t site;
    bool sandbox;
    std::optional<std::string> address;
  };
  const std::string query = "?SignIn&runame=Firma-App-1&SessID=S%2Bb%2Fc%3D%20d";
  const Case cases[] = {
      {77, false, "https://signin.ebay.de/ws/eBayISAPI.dll" + query},
      {77, true, "https://signin.sandbox.ebay.de/ws/eBayISAPI.dll" + query},
      {3, false, "https://signin.ebay.co.uk/ws/eBayISAPI.dll" + query},
      {100, false, "https://signin.ebay.com/ws/eBayISAPI.dll" + query},
      {23, false, "https://signin.ebay.be/ws/eBayISAPI.dll" + query},
      {78, false, std::nullopt},
  };
  for (const auto& c : cases) {
    Settings settings;
    settings.set_ebay_site(c.site);
    settings.set_ebay_sandbox(c.sandbox);
    EXPECT_EQ(TokenCaller::SignInAddress(settings, "Firma-App-1", "S+b/c= d"), c.address) << c.site;
  }
  // Every id is found as itself; the domains shared by two sites stay apart by id.
  for (const EbaySite& site : EbaySites::All()) EXPECT_EQ(EbaySites::BySiteId(site.SiteId), &site);
  EXPECT_EQ(EbaySites::All().size(), 26u);
  EXPECT_EQ(EbaySites::BySiteId(210)->TopLevelDomain, "ca");
}

TEST(EbayRulesTest, PaidStatusSwitches) {
  using Set = std::set<PaidStatus>;
  const Set fallback = {PaidStatus::Paid, PaidStatus::MarkedAsPaid, PaidStatus::PaidWithPayPal};
  const std::pair<std::string, Set> cases[] = {
      {"", fallback},
      {"/adressfomartting=1", fallback},
      {"/paid=0", fallback},
      {"/notpaid=1", {PaidStatus::NotPaid}},
      // "/paid=1" is not found inside "/paidwithpaypal=1" or "/notpaid=1".
      {"/paidwithpaypal=1", {PaidStatus::PaidWithPayPal}},
      {"/notpaid=1/paid=1", {PaidStatus::NotPaid, PaidStatus::Paid}},
      {"/paymentpending=1/paymentpendingwithpaypal=1",
       {PaidStatus::PaymentPending, PaidStatus::PaymentPendingWithPayPal}},
      {"/customcode=1/refunded=1/paidcod=1",
       {PaidStatus::CustomCode, PaidStatus::Refunded, PaidStatus::PaidCOD}},
  };
  for (const auto& [parameter, expected] : cases)
    EXPECT_EQ(EbayParameter::AcceptedPaidStatuses(parameter), expected) << parameter;
}

TEST(EbayRulesTest, AddressFormattingSwitches) {
  const std::pair<std::string, CustomerFormatting> cases[] = {
      {"", CustomerFormatting::Default},
      {"/adressfomartting=2", CustomerFormatting::ShippingOnly},
      {"/adressfomartting=1", CustomerFormatting::ShippingAsPaymentAdress},
      {"/adressfomartting=2/adressfomartting=1", CustomerFormatting::ShippingAsPaymentAdress},
      {"/adressformatting=1", CustomerFormatting::Default},
  };
  for (const auto& [parameter, expected] : cases)
    EXPECT_EQ(EbayParameter::Formatting(parameter), expected) << parameter;
}

TEST(EbayRulesTest, ImportWindowInDays) {
  const LocalDateTime today{2024, 3, 2, 0, 5, 0};
  const std::pair<LocalDateTime, std::int32_t> cases[] = {
      {{2024, 3, 2, 23, 59, 0}, 1},  // today, later in the day
      {{2024, 3, 1, 0, 0, 0}, 2},
      {{2024, 1, 3, 12, 0, 0}, 60},
      {{2024, 1, 4, 12, 0, 0}, 59},
      {{2023, 11, 23, 0, 0, 0}, 60},  // 100 days ago
      {{2024, 3, 9, 0, 0, 0}, 1},     // in the future
      {{}, 31},                       // never set
  };
  for (const auto& [from, days] : cases)
    EXPECT_EQ(EbayParameter::CalculateDuration(from, today), days) << from.ToIso();
}

TEST(EbayRulesTest, ImportedOrdersFileLines) {
  const std::pair<std::string, std::unordered_set<std::string>> cases[] = {
      {"1-1\r\n2-2\r\n", {"1-1", "2-2"}},
      {"1-1\n2-2", {"1-1", "2-2"}},
      {"1-1\r2-2\r", {"1-1", "2-2"}},
      {"\xEF\xBB\xBF"
       "1-1\r\n\r\n2-2 \r\n",
       {"1-1", "2-2 "}},
      {std::string("\xFF\xFE"
                   "1\0-\0"
                   "1\0\r\0\n\0",
                   12),
       {"1-1"}},
      {"", {}},
  };
  for (const auto& [bytes, ids] : cases) EXPECT_EQ(ImportedOrders::Parse(bytes), ids) << bytes;

  test::TempDir dir;
  EXPECT_TRUE(ImportedOrders::Read("").empty());
  EXPECT_TRUE(ImportedOrders::Read("\"\"").empty());
  EXPECT_TRUE(ImportedOrders::Read((dir / "fehlt.txt").string()).empty());
  EXPECT_THROW(ImportedOrders::Read(dir.path().string()), Error);  // a folder, not a list
}

net::Transaction Line(const std::string& item, std::optional<PaidStatus> paid,
                      std::optional<net::CompleteStatus> complete = std::nullopt) {
  net::Transaction t;
  t.item_id = item;
  t.transaction_id = "9";
  t.order_line_item_id = item + "-9";
  t.seller_paid_status = paid;
  t.complete_status = complete;
  return t;
}

net::OrderTransaction Single(net::Transaction t) { return {std::move(t), std::nullopt}; }
net::OrderTransaction Combined(const std::string& id, std::vector<net::Transaction> lines) {
  return {std::nullopt, net::Order{id, std::move(lines), std::nullopt}};
}

std::vector<std::string> Keys(const std::vector<net::OrderTransaction>& entries) {
  std::vector<std::string> keys;
  for (const auto& e : entries) keys.push_back(e.transaction ? e.transaction->item_id : e.order->order_id);
  return keys;
}

TEST(EbayRulesTest, WhichSoldEntriesAreFetched) {
  const std::set<PaidStatus> accepted = {PaidStatus::Paid, PaidStatus::MarkedAsPaid,
                                         PaidStatus::PaidWithPayPal};
  const std::vector<net::OrderTransaction> sold = {
      Single(Line("paid", PaidStatus::Paid)),
      Single(Line("paypal-incomplete", PaidStatus::PaidWithPayPal, net::CompleteStatus::Incomplete)),
      Single(Line("notpaid-incomplete", PaidStatus::NotPaid, net::CompleteStatus::Incomplete)),
      Single(Line("notpaid-complete", PaidStatus::NotPaid, net::CompleteStatus::Complete)),
      Single(Line("pending", PaidStatus::PaymentPending, net::CompleteStatus::Pending)),
      Single(Line("unknown-status", std::nullopt)),
      Single(Line("imported", PaidStatus::Paid)),
      Combined("O-paid", {Line("a", PaidStatus::NotPaid), Line("b", PaidStatus::MarkedAsPaid)}),
      // One of its lines is imported: the whole combined order stays out.
      Combined("O-imported", {Line("c", PaidStatus::Paid), Line("imported2", PaidStatus::Paid)}),
      Combined("O-unpaid", {Line("d", PaidStatus::NotPaid, net::CompleteStatus::Complete)}),
      Combined("O-empty", {}),
      {std::nullopt, std::nullopt},
      // Entries that moved to the next page while orders arrived come twice.
      Single(Line("paid", PaidStatus::Paid)),
      Combined("O-paid", {Line("a", PaidStatus::NotPaid), Line("b", PaidStatus::MarkedAsPaid)}),
  };
  const auto selected = ReportManagement::Select(sold, {"imported-9", "imported2-9"}, accepted);
  EXPECT_EQ(Keys(selected),
            (std::vector<std::string>{"paid", "paypal-incomplete", "notpaid-complete", "O-paid"}));
}

class EbayConversionTest : public ::testing::Test {
 protected:
  net::Address Address(const std::string& name) {
    return {name, name + "-Straße 1", "", "12345", name + "-Stadt", "DE", "Deutschland", name + "-Telefon"};
  }

  service::EbayOrder Order(bool registration, bool shipping, bool payment) {
    net::Transaction t = Line("123", PaidStatus::Paid);
    t.created_date = platform::FromUtcCalendar({2024, 3, 2, 14, 4, 5});  // 15:04:05 in the host's zone
    t.buyer.user_id = "kaeufer";
    t.buyer.email = "k@example.de";
    if (registration) t.buyer.registration_address = Address("R");
    if (shipping) t.buyer.shipping_address = Address("S");
    t.quantity_purchased = 2;
    t.transaction_price = net::Amount{12.5, "EUR"};
    t.payment_method_used = "PayPal";
    net::ItemTransactions item{{"123", "Shirt", "https://v/123", ""}, {t}};
    return {Single(t), {t}, {item}, payment ? std::optional(Address("P")) : std::nullopt};
  }

  static std::string Names(const orders::EbayOrder& record) {
    const auto& data = record.CustomerData;
    return *data.Customer->Name + "|" + *data.DeliveryData->Name + "|" + *data.PaymentData->Name;
  }

  test::FakeClock clock_;
};

TEST_F(EbayConversionTest, AddressRules) {
  struct Case {
    CustomerFormatting formatting;
    bool registration, shipping, payment;
    std::string names;  // Kunde|AbweichendLieferung|AbweichendRechnung
  };
  const Case cases[] = {
      {CustomerFormatting::Default, true, true, true, "R|S|P"},
      {CustomerFormatting::Default, false, true, false, "S|S|S"},
      {CustomerFormatting::Default, true, false, false, "R|R|R"},
      {CustomerFormatting::Default, false, true, true, "S|S|P"},
      {CustomerFormatting::ShippingOnly, true, true, true, "S||"},
      {CustomerFormatting::ShippingOnly, true, false, true, "R||"},
      {CustomerFormatting::ShippingAsPaymentAdress, true, true, true, "S|S|S"},
      {CustomerFormatting::ShippingAsPaymentAdress, true, false, true, "R|R|P"},
  };
  for (const auto& c : cases) {
    const auto record =
        OrderManagement::ConvertOrder(Order(c.registration, c.shipping, c.payment), c.formatting);
    ASSERT_TRUE(record);
    EXPECT_EQ(Names(*record), c.names) << int(c.formatting) << c.registration << c.shipping << c.payment;
  }
  // A buyer with neither a registration nor a shipping address is left out.
  EXPECT_FALSE(OrderManagement::ConvertOrder(Order(false, false, true), CustomerFormatting::Default));
}

TEST_F(EbayConversionTest, RecordOfOneOrder) {
  service::EbayOrder order = Order(true, true, true);
  net::Transaction& t = order.Transaction[0];
  t.buyer.email = "Invalid Request";
  t.buyer.shipping_address->phone = "Invalid Request";
  t.buyer.shipping_address->street2 = "Hinterhaus";
  t.shipping_service_selected = net::ShippingServiceSelected{"DHL Paket", net::Amount{4.99, "EUR"}};
  t.buyer_checkout_message = "Bitte klingeln";

  const auto record = OrderManagement::ConvertOrder(order, CustomerFormatting::Default).value();
  EXPECT_EQ(record.OrderDate, "2024-03-02 15:04:05");
  EXPECT_EQ(record.EbayKey, "123_20240302030405");
  EXPECT_EQ(record.Weblink, "https://v/123");
  EXPECT_EQ(record.EbayOrderLineItem, "123-9");
  EXPECT_EQ(record.DeliveryKind, "DHL Paket");
  EXPECT_EQ(record.PaymentKind, "PayPal");
  EXPECT_EQ(record.OrderMessage, "Bitte klingeln");
  EXPECT_EQ(record.CustomerData.FrieghtCost.FreightCostGross, "4.99");
  const auto& customer = dynamic_cast<const orders::EbayCustomer&>(*record.CustomerData.Customer);
  EXPECT_EQ(customer.EbayMemberName, "kaeufer");
  EXPECT_EQ(customer.Mail, "");
  EXPECT_EQ(customer.Phone, "R-Telefon");
  EXPECT_EQ(record.CustomerData.DeliveryData->Street, "S-Straße 1, Hinterhaus");
  EXPECT_EQ(record.CustomerData.DeliveryData->Phone, "");
  // The invoice block carries no telephone number.
  EXPECT_EQ(record.CustomerData.PaymentData->Phone, "");
  ASSERT_EQ(record.Article.size(), 1u);
  const auto& article = dynamic_cast<const orders::EbayArticle&>(*record.Article[0]);
  EXPECT_EQ(article.Amount, "2");
  EXPECT_EQ(article.ArticleDiffPriceGross, "12.5");
  EXPECT_EQ(article.EbayTitle, "Shirt");

  // A combined order whose line result is missing cannot be converted.
  order.Item.push_back(std::nullopt);
  EXPECT_THROW(OrderManagement::ConvertOrder(order, CustomerFormatting::Default), Error);
}

// Orders left out or failing halfway leave nothing in the records that
// follow them.
TEST_F(EbayConversionTest, BatchSkipsWhatCannotBeConverted) {
  test::HostFolders host;  // the skipped orders go to the log
  service::EbayOrder failing = Order(true, true, true);
  failing.Transaction[0].buyer_checkout_message = "vom Abbruch";
  failing.Item.push_back(std::nullopt);
  service::EbayOrder undated = Order(true, true, true);
  undated.Transaction[0].created_date.reset();
  service::EbayOrder good = Order(false, true, false);
  good.Transaction[0].buyer_checkout_message = "Danke";
  const std::vector<service::EbayOrder> orders = {Order(false, false, true), failing, undated, good,
                                                  Order(true, true, true)};
  std::vector<orders::EbayOrder> records;
  EXPECT_EQ(
      OrderManagement::ConvertOrders(nullptr, orders, CustomerFormatting::Default,
                                     [&](const orders::EbayOrder& record) { records.push_back(record); }),
      2);
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].OrderMessage, "Danke");
  EXPECT_EQ(Names(records[0]), "S|S|S");
  EXPECT_EQ(records[1].OrderMessage, "");
  EXPECT_EQ(Names(records[1]), "R|S|P");
}

// The import fills one record over and over: each record written must be
// the one a fresh record gives, whatever the order before it held.
TEST_F(EbayConversionTest, AReusedRecordHoldsNothingOfTheOrderBefore) {
  test::HostFolders host;  // the failing order goes to the log
  service::EbayOrder rich = Order(true, true, true);
  net::Transaction& sale = rich.Transaction[0];
  sale.buyer_checkout_message = "Bitte schnell";
  sale.shipping_service_selected = net::ShippingServiceSelected{"DE_DHLPaket", net::Amount{4.9, "EUR"}};
  sale.order_line_item_id = "123-456";
  sale.payment_method_used = "VisaMC";
  rich.Item[0]->item.view_item_url_for_natural_search = "https://v/natural/123";
  rich.Item[0]->transactions[0].variation = {{"Farbe", {"Rot"}}, {"Größe", {"XL"}}};
  rich.Transaction[0].buyer.registration_address->street2 = "Hinterhaus";
  rich.Item.push_back(rich.Item[0]);
  rich.Item[1]->item.title = "Hose mit einem langen Namen, der nicht in den kurzen Speicher passt";
  service::EbayOrder sparse = Order(false, true, false);
  sparse.Transaction[0].buyer.email = "Invalid Request";
  sparse.Transaction[0].buyer.shipping_address->phone = "Invalid Request";
  sparse.Item[0]->transactions[0].quantity_purchased.reset();
  sparse.Item[0]->transactions[0].transaction_price.reset();
  service::EbayOrder failing = rich;
  failing.Item.push_back(std::nullopt);
  const std::pair<const service::EbayOrder*, CustomerFormatting> sequence[] = {
      {&rich, CustomerFormatting::Default},      {&sparse, CustomerFormatting::Default},
      {&rich, CustomerFormatting::ShippingOnly}, {&rich, CustomerFormatting::ShippingAsPaymentAdress},
      {&failing, CustomerFormatting::Default},   {&sparse, CustomerFormatting::ShippingAsPaymentAdress},
      {&rich, CustomerFormatting::Default},      {&sparse, CustomerFormatting::ShippingOnly},
  };
  std::vector<orders::EbayOrder> reused, fresh;
  std::optional<orders::EbayOrder> slot;
  for (const auto& [order, formatting] : sequence) {
    const bool converted = OrderManagement::ConvertOrderTo(
        *order, formatting, [&](const orders::EbayOrder& record) { reused.push_back(record); }, slot);
    EXPECT_EQ(converted, order != &failing);
    EXPECT_EQ(converted, slot.has_value());
    if (converted) fresh.push_back(*OrderManagement::ConvertOrder(*order, formatting));
  }
  ASSERT_EQ(reused.size(), 7u);
  test::TempDir dir;
  for (std::size_t i = 0; i < reused.size(); ++i) {
    orders::XmlSaver<orders::EbayOrder>::Write({reused[i]}, dir / "reused.xml", "OrderNotification", true);
    orders::XmlSaver<orders::EbayOrder>::Write({fresh[i]}, dir / "fresh.xml", "OrderNotification", true);
    EXPECT_EQ(test::ReadFile(dir / "reused.xml"), test::ReadFile(dir / "fresh.xml")) << i;
  }
  EXPECT_EQ(reused[5].Article.size(), 2u);
  EXPECT_EQ(reused[6].Article.size(), 1u);
}

TEST(EbayRulesTest, PaymentTexts) {
  const std::pair<std::string, std::string> cases[] = {
      {"MOCC", "Scheck/Vorkasse"},
      {"AmEx", "American Express"},
      {"CCAccepted", "Kreditkarte"},
      {"COD", "Nachnahme"},
      {"VisaMC", "Kreditkarte International"},
      {"PaisaPayAccepted", "PaisaPay"},
      {"PayPal", "PayPal"},
      {"Discover", "Kreditkarte International"},
      {"CashOnPickup", "Barzahlung"},
      {"MoneyXferAccepted", "Vorkasse"},
      {"MoneyXferAcceptedInCheckout", "Vorkasse"},
      {"ELV", "Bankeinzug/Lastschrift"},
      {"IntegratedMerchantCreditCard", "Kreditkarte"},
      {"Moneybookers", "Moneybookers.com"},
      {"Paymate", "PayMate"},
      {"ProPay", "ProPay"},
      {"PayOnPickup", "Barzahlung"},
      {"Diners", "Diners"},
      {"None", ""},
      {"PayUponInvoice", ""},
      {"paypal", ""},
      {"", ""},
  };
  for (const auto& [method, text] : cases) EXPECT_EQ(OrderManagement::PaymentText(method), text) << method;
}

// The cents shortcut must give General15's text wherever it applies, and
// leave everything else to it.
TEST(EbayRulesTest, AmountTextsAreGeneral15) {
  const std::pair<double, std::string> cases[] = {
      {19.99, "19.99"},
      {19.9, "19.9"},
      {19.0, "19"},
      {0.01, "0.01"},
      {0.5, "0.5"},
      {-4.05, "-4.05"},
      {0.0, "0"},
      {-0.0, "0"},
      {100.1, "100.1"},
      {999999999.99, "999999999.99"},
      {1e9, "1000000000"},
      {0.005, "0.005"},
      {1.0 / 3, "0.333333333333333"},
  };
  for (const auto& [value, text] : cases) EXPECT_EQ(OrderManagement::AmountText(value), text) << text;
  std::uint64_t state = 12345;
  long long scale = 1;
  for (int i = 0; i < 60000; ++i) {
    state = state * 6364136223846793005ULL + 1442695040888963407ULL;
    scale = i % 12 == 0 ? 10 : scale * 10;  // every size up to 10^12 cents
    const auto cents = static_cast<long long>(state >> 20) % (2 * scale) - scale;
    for (const double value : {double(cents) / 100, double(cents) / 1000, double(cents) * 1.1 / 100}) {
      ASSERT_EQ(OrderManagement::AmountText(value), invariant::General15(value)) << cents;
    }
  }
}

TEST(EbayRulesTest, KeysNamesAndStreets) {
  // The key keeps the 12-hour clock without a marker.
  const std::pair<LocalDateTime, std::string> keys[] = {
      {{2024, 3, 2, 15, 4, 5}, "123_20240302030405"},     {{2024, 3, 2, 3, 4, 5}, "123_20240302030405"},
      {{2024, 3, 2, 0, 0, 9}, "123_20240302120009"},      {{2024, 3, 2, 12, 30, 0}, "123_20240302123000"},
      {{2024, 12, 31, 23, 59, 59}, "123_20241231115959"}, {{7, 1, 1, 0, 0, 0}, "123_00070101120000"},
  };
  for (const auto& [time, key] : keys) EXPECT_EQ(OrderManagement::EbayKey("123", time), key) << key;

  using Specifics = std::vector<net::VariationSpecific>;
  const std::pair<Specifics, std::string> names[] = {
      {{}, "Shirt"},
      {{{"Farbe", {"red"}}, {"Größe", {"XL"}}}, "Shirt[red,XL]"},
      {{{"Farbe", {"red", "rot"}}}, "Shirt[red]"},
      {{{"Farbe", {}}, {"Größe", {}}}, "Shirt"},
      {{{"Farbe", {}}, {"Größe", {"XL"}}}, "Shirt[,XL]"},
  };
  for (const auto& [variation, name] : names)
    EXPECT_EQ(OrderManagement::ArticleName("Shirt", variation), name);

  const std::pair<std::pair<std::string, std::string>, std::string> streets[] = {
      {{"Weg 1", ""}, "Weg 1"},
      {{"Weg 1", "Hinterhaus"}, "Weg 1, Hinterhaus"},
      {{"Weg 1", "Weg 1"}, "Weg 1"},
      {{"", "Postfach 5"}, "Postfach 5"},
      {{"", ""}, ""},
  };
  for (const auto& [lines, street] : streets) {
    net::Address address;
    address.street1 = lines.first;
    address.street2 = lines.second;
    EXPECT_EQ(OrderManagement::Street(address), street);
  }
}

}  // namespace
}  // namespace kanvio

namespace kanvio {
namespace {

// Answers every call with one canned sold-list page and records the requests.
class SoldListServer : public platform::HttpClient {
 public:
  explicit SoldListServer(std::string body) : body_(std::move(body)) {}
  platform::HttpResponse Send(const platform::HttpRequest& request) override {
    bodies.push_back(request.body);
    platform::HttpResponse response;
    response.status = 200;
    response.body = body_;
    return response;
  }
  std::vector<std::string> bodies;

 private:
  std::string body_;
};

// The part of a request that repeats is made once; it must follow the token
// and the language of each call all the same.
TEST(EbayReportsTest, EachRequestCarriesItsOwnTokenAndLanguage) {
  auto server = std::make_unique<SoldListServer>(
      "<GetMyeBaySellingResponse><Ack>Success</Ack></GetMyeBaySellingResponse>");
  const std::vector<std::string>& bodies = server->bodies;
  net::EbayTradingClient client(std::move(server));
  net::EbayApiContext context;
  context.token = "A&B";
  net::Notes notes;
  client.GetMyeBaySelling(context, 30, 1, 200, notes);
  context.token = "C<D";
  context.error_language = "en_US";
  client.GetMyeBaySelling(context, 30, 2, 200, notes);
  EXPECT_THROW(client.GetSessionID(context), XmlError);
  client.GetMyeBaySelling(context, 30, 3, 200, notes);
  context.token.clear();
  client.GetMyeBaySelling(context, 30, 4, 200, notes);
  ASSERT_EQ(bodies.size(), 5u);
  const auto has = [&](std::size_t at, const std::string& text) {
    return bodies[at].find(text) != std::string::npos;
  };
  EXPECT_TRUE(has(0, "<eBayAuthToken>A&amp;B</eBayAuthToken></RequesterCredentials><ErrorLanguage>de_DE<"));
  EXPECT_TRUE(has(1, "<eBayAuthToken>C&lt;D</eBayAuthToken></RequesterCredentials><ErrorLanguage>en_US<"));
  EXPECT_FALSE(has(2, "eBayAuthToken"));
  EXPECT_TRUE(has(2, "<ErrorLanguage>en_US</ErrorLanguage><WarningLevel>High</WarningLevel><RuName>"));
  EXPECT_TRUE(has(3, "<eBayAuthToken>C&lt;D</eBayAuthToken>"));
  EXPECT_TRUE(has(3, "<PageNumber>3</PageNumber>"));
  EXPECT_TRUE(has(4, "<eBayAuthToken></eBayAuthToken>"));
}

TEST(EbayReportsTest, TheSoldListIsReadAtMostTo125Pages) {
  test::HostFolders host;
  const std::string page =
      "<GetMyeBaySellingResponse><Ack>Success</Ack><SoldList><OrderTransactionArray /><PaginationResult>"
      "<TotalNumberOfPages>100000</TotalNumberOfPages></PaginationResult></SoldList></"
      "GetMyeBaySellingResponse>";
  auto server = std::make_unique<SoldListServer>(page);
  SoldListServer& calls = *server;
  net::EbayTradingClient client(std::move(server));
  const Settings settings;  // ebay_dateFrom never set
  std::vector<service::EbayOrder> orders;
  EXPECT_EQ(ReportManagement(client, {}, nullptr).GetReports(settings, orders), 0);
  ASSERT_EQ(calls.bodies.size(), 125u);
  EXPECT_NE(calls.bodies.back().find("<PageNumber>125</PageNumber>"), std::string::npos);
  EXPECT_NE(calls.bodies.front().find("<DurationInDays>31</DurationInDays>"), std::string::npos);
}

// A sold list of two pages whose second repeats the first one's last entry
// (it moved while orders arrived), and the detail calls of every line.
class ShiftingSoldList : public platform::HttpClient {
 public:
  platform::HttpResponse Send(const platform::HttpRequest& request) override {
    const auto field = [&](const std::string& name) {
      const auto from = request.body.find("<" + name + ">") + name.size() + 2;
      return request.body.substr(from, request.body.find("</" + name + ">") - from);
    };
    platform::HttpResponse response;
    response.status = 200;
    if (request.body.find("<GetMyeBaySellingRequest") != std::string::npos) {
      const bool first = field("PageNumber") == "1";
      response.body = "<GetMyeBaySellingResponse><Ack>Success</Ack><SoldList><OrderTransactionArray>" +
                      (first ? Entry("A") + Entry("B") : Entry("B") + Entry("C")) +
                      "</OrderTransactionArray><PaginationResult><TotalNumberOfPages>2</TotalNumberOfPages>"
                      "</PaginationResult></SoldList></GetMyeBaySellingResponse>";
    } else if (request.body.find("<GetItemTransactionsRequest") != std::string::npos) {
      items.push_back(field("ItemID"));
      response.body = "<GetItemTransactionsResponse><Ack>Success</Ack><Item><ItemID>" + items.back() +
                      "</ItemID><Title>T</Title></Item><TransactionArray>" + Line(items.back()) +
                      "</TransactionArray></GetItemTransactionsResponse>";
    } else {
      response.body = "<GetUserResponse><Ack>Success</Ack><User /></GetUserResponse>";
    }
    return response;
  }
  std::vector<std::string> items;

 private:
  static std::string Line(const std::string& id) {
    return "<Transaction><Buyer><UserID>u" + id + "</UserID></Buyer><Item><ItemID>" + id +
           "</ItemID></Item><TransactionID>1</TransactionID><OrderLineItemID>" + id +
           "-1</OrderLineItemID><SellerPaidStatus>Paid</SellerPaidStatus></Transaction>";
  }
  static std::string Entry(const std::string& id) {
    return "<OrderTransaction>" + Line(id) + "</OrderTransaction>";
  }
};

TEST(EbayReportsTest, AnEntryThatMovedToTheNextPageIsFetchedOnce) {
  test::HostFolders host;
  auto server = std::make_unique<ShiftingSoldList>();
  ShiftingSoldList& calls = *server;
  net::EbayTradingClient client(std::move(server));
  std::vector<std::string> handed;
  const auto result =
      ReportManagement(client, {}, nullptr)
          .GetReports(Settings(), [&](service::EbayOrder& order, std::int32_t number, std::int32_t total) {
            handed.push_back(order.Transaction.at(0).order_line_item_id + " " + std::to_string(number) + "/" +
                             std::to_string(total));
          });
  EXPECT_EQ(result, 1);
  EXPECT_EQ(calls.items, (std::vector<std::string>{"A", "B", "C"}));
  EXPECT_EQ(handed, (std::vector<std::string>{"A-1 1/3", "B-1 2/3", "C-1 3/3"}));
}

}  // namespace
}  // namespace kanvio
