// The Amazon order import against the simulated marketplace: the reports in
// the report folder become the orders file, and only what was written leaves
// the folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <pugixml.hpp>

#include "MwsDemoData.h"
#include "MwsLoopback.h"
#include "MwsReportBodies.h"
#include "ShopTestSupport.h"
#include "shops/amazon/amazon.h"

namespace kanvio {
namespace {

using namespace std::chrono_literals;
using shopsim::Failure;
using shopsim::MwsDemoData;
namespace reports = shopsim::mws_reports;

class AmazonOrdersTest : public ::testing::Test {
 protected:
  AmazonOrdersTest() {
    test::UseResultFile(orders_file_);
    std::filesystem::create_directories(loopback_.ReportFolder());
  }

  std::int32_t GetOrders() {
    error_.clear();
    return shop_.HoleBestellungenVomShop(error_, false);
  }
  void PutReport(const std::string& name, const std::string& body) {
    test::WriteFile(loopback_.ReportFolder() / name, body);
  }
  std::vector<std::string> ReportFiles() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(loopback_.ReportFolder()))
      names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  // The orders file, parsed.
  const pugi::xml_document& Orders() {
    document_.reset();
    EXPECT_TRUE(document_.load_file(orders_file_.c_str())) << test::ReadFile(orders_file_);
    return document_;
  }
  std::string Text(const std::string& order, const std::string& path) {
    const auto node = Orders().select_node(
        ("/OrderNotification/Bestellvorgang[BestellnummerShop='" + order + "']/" + path).c_str());
    return node ? node.node().text().as_string() : "<fehlt>";
  }
  std::vector<std::string> OrderNumbers() {
    std::vector<std::string> numbers;
    for (const auto& node : Orders().select_nodes("/OrderNotification/Bestellvorgang/BestellnummerShop"))
      numbers.push_back(node.node().text().as_string());
    return numbers;
  }
  std::size_t Waits(std::chrono::milliseconds length) const {
    const auto& sleeps = loopback_.clock().sleeps;
    return static_cast<std::size_t>(std::count(sleeps.begin(), sleeps.end(), length));
  }
  shopsim::MwsOrderRecord AddOrder(int n, bool shipped) {
    auto order = MwsDemoData::Generated(n, shipped);
    loopback_.marketplace().AddOrder(order);
    return order;
  }

  test::MwsLoopback loopback_;
  test::RecordingWorker worker_;
  amazon shop_{worker_};
  std::filesystem::path orders_file_ = loopback_.dir() / "Bestellungen.xml";
  pugi::xml_document document_;
  std::string error_;
};

TEST_F(AmazonOrdersTest, EmptyFolderGivesAnEmptyOrdersFileAndZero) {
  EXPECT_EQ(GetOrders(), 0);
  EXPECT_EQ(error_, "");
  const std::string file = test::ReadFile(orders_file_);
  EXPECT_TRUE(
      file.starts_with("\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"utf-8\" standalone=\"yes\"?><!--"));
  EXPECT_NE(file.find(" - Amazon Bestellungen--><OrderNotification />"), std::string::npos) << file;
}

TEST_F(AmazonOrdersTest, TheDemoMarketplaceArrivesWhole) {
  MwsDemoData::Fill(loopback_.marketplace());
  loopback_.marketplace().SetPageSizes(10, 2);  // order lines come in pages of two
  std::string ignored;
  ASSERT_EQ(shop_.HoleBerichteVonAmazon(ignored), 1) << ignored;
  EXPECT_EQ(ReportFiles().size(), 3u);
  ASSERT_EQ(GetOrders(), 1) << error_;
  EXPECT_EQ(error_, "");
  // Shipments first, then the order reports, each order once.
  EXPECT_EQ(OrderNumbers(),
            (std::vector<std::string>{"302-4444444-4444444", "302-5555555-5555555", "028-1111111-1111111",
                                      "028-2222222-2222222", "028-3333333-3333333", "104-2391705-5555555"}));
  EXPECT_TRUE(ReportFiles().empty());
  EXPECT_EQ(worker_.messages.back(), "6 Bestellung(en) abgeholt ...|-1");

  // A shipment report in windows-1252 over two rows for one order.
  const std::string fba = "302-4444444-4444444";
  EXPECT_EQ(Text(fba, "Amazon-FBA"), "1");
  EXPECT_EQ(Text(fba, "Kundendaten/Kunde/PersonVorname"), "Jürgen");
  EXPECT_EQ(Text(fba, "Kundendaten/Kunde/PersonNachname"), "Groß");
  EXPECT_EQ(Orders()
                .select_nodes(("//Bestellvorgang[BestellnummerShop='" + fba + "']/BestellArtikel").c_str())
                .size(),
            2u);
  EXPECT_EQ(Text(fba, "BestellArtikel[ArtikelnummerShop='KV-4002']/abweichenderEinzelpreisBrutto"), "15");
  EXPECT_EQ(Text(fba, "Bestelldatum"), "28.02.2026 16:00:00");

  // The EU report: a bare ampersand repaired, names on runs of blanks, costs summed.
  const std::string eu = "028-1111111-1111111";
  EXPECT_EQ(Text(eu, "Amazon-FBA"), "0");
  EXPECT_EQ(Text(eu, "BestellwertBrutto"), "64.80");
  EXPECT_EQ(Text(eu, "Kundendaten/Kunde/Firmenname"), "Müller & Söhne GmbH");
  EXPECT_EQ(Text(eu, "Kundendaten/Kunde/PersonVorname"), "Max");
  EXPECT_EQ(Text(eu, "Kundendaten/Kunde/PersonNachname"), "Mustermann");
  EXPECT_EQ(Text(eu, "Kundendaten/Kunde/Strasse"), "Domstraße 1");
  EXPECT_EQ(Text(eu, "Kundendaten/Frachtkosten/FrachtkostenBrutto"), "4.9");
  EXPECT_EQ(Text(eu, "Zuschlagkosten/ZuschlagkostenBrutto3"), "-5");
  EXPECT_EQ(Text(eu, "BestellArtikel[ArtikelnummerShop='KV-1001']/abweichenderEinzelpreisBrutto"), "14.95");
  EXPECT_EQ(Text(eu, "BestellArtikel[ArtikelnummerShop='KV-1001']/Menge"), "2");
  EXPECT_EQ(Text(eu, "BestellArtikel[ArtikelnummerShop='KV-1001']/AmazonASIN"), "B000KV1001");

  const std::string packstation = "028-2222222-2222222";
  EXPECT_EQ(Text(packstation, "Kundendaten/Kunde/Strasse"), "Hauptweg 5");
  EXPECT_EQ(Text(packstation, "Kundendaten/AbweichendLieferung/abweichendLieferungStrasse"),
            "Packstation 105");
  EXPECT_EQ(Text(packstation, "Kundendaten/AbweichendLieferung/abweichendLieferungFirmenname"), "1234567");
  EXPECT_EQ(Text(packstation, "Zuschlagkosten/ZuschlagkostenBrutto1"), "2.98");
  EXPECT_EQ(Text(packstation, "Lieferart"), "Expedited");

  EXPECT_EQ(Orders()
                .select_nodes("//Bestellvorgang[BestellnummerShop='028-3333333-3333333']/BestellArtikel")
                .size(),
            5u);

  // The US report has no billing address: the customer is the recipient.
  const std::string us = "104-2391705-5555555";
  EXPECT_EQ(Text(us, "Kundendaten/Kunde/PersonNachname"), "Smith");
  EXPECT_EQ(Text(us, "Kundendaten/Kunde/Strasse"), "1850 Mercer Rd");
  EXPECT_EQ(Text(us, "Kundendaten/Kunde/Ort"), "Lexington");
  EXPECT_EQ(Text(us, "Kundendaten/AbweichendRechnung/abweichendRechnungEmail"),
            "jsmith@marketplace.amazon.com");
  EXPECT_EQ(Text(us, "Kundendaten/AbweichendRechnung/abweichendRechnungPersNachname"), "");
}

TEST_F(AmazonOrdersTest, APackstationCustomerCarriesTheNumberInItsOwnElement) {
  auto order = AddOrder(1, false);
  order.billing->line1 = "7654321";
  order.billing->line2 = "packstation 12";
  loopback_.marketplace().AddOrder(order);
  PutReport("1.xml", reports::XmlOrderReport({order}));
  ASSERT_EQ(GetOrders(), 1) << error_;
  const std::string file = test::ReadFile(orders_file_);
  EXPECT_NE(file.find("<Firmenname /><Amazon-Packstation>7654321</Amazon-Packstation><PersonAnrede />"),
            std::string::npos)
      << file;
  EXPECT_NE(file.find("<Strasse>packstation 12</Strasse>"), std::string::npos);
}

TEST_F(AmazonOrdersTest, OrdersWhoseLinesDoNotComeWaitInTheirReportForTheNextRun) {
  const auto a = AddOrder(1, false), b = AddOrder(2, false), c = AddOrder(3, false);
  PutReport("5001.xml", reports::XmlOrderReport({a, b, c}));
  loopback_.host().EnableLogging();
  loopback_.simulator().Failures().Set("mws:ListOrderItems:" + b.id, Failure::Status503());
  EXPECT_EQ(GetOrders(), 1);
  EXPECT_EQ(OrderNumbers(), (std::vector<std::string>{a.id, c.id}));
  // Five attempts, each after the client's own four retries, with 2 s after each.
  EXPECT_EQ(loopback_.Requests("ListOrderItems").size(), 2u + 5u * 5u);
  EXPECT_EQ(Waits(2s), 5u);
  EXPECT_NE(loopback_.host().Log().find("ListOrderItems für " + b.id), std::string::npos);
  EXPECT_EQ(ReportFiles(), std::vector<std::string>{"5001.xml"});
  const std::string rest = test::ReadFile(loopback_.ReportFolder() / "5001.xml");
  EXPECT_NE(rest.find(b.id), std::string::npos);
  EXPECT_EQ(rest.find(a.id), std::string::npos);

  loopback_.simulator().Failures().ClearAll();
  EXPECT_EQ(GetOrders(), 1);
  EXPECT_EQ(OrderNumbers(), std::vector<std::string>{b.id});
  EXPECT_TRUE(ReportFiles().empty());
}

TEST_F(AmazonOrdersTest, ShipmentRowsOfUnresolvedOrdersAreWrittenBackWithTheirHeader) {
  const auto a = AddOrder(1, true), b = AddOrder(2, true);
  auto cancelled = AddOrder(3, true);
  cancelled.status = "Canceled";
  loopback_.marketplace().AddOrder(cancelled);
  PutReport("6001.txt", reports::ShipmentReport({a, b, cancelled}));
  loopback_.simulator().Failures().Set("mws:ListOrderItems:" + b.id, Failure::Status500("kaputt"));
  EXPECT_EQ(GetOrders(), 1);
  EXPECT_EQ(OrderNumbers(), std::vector<std::string>{a.id});
  const std::string rest = test::ReadFile(loopback_.ReportFolder() / "6001.txt");
  const std::string header = rest.substr(0, rest.find("\r\n"));
  EXPECT_TRUE(header.starts_with("amazon-order-id\tmerchant-order-id")) << header;
  // Both rows (two lines) of the unresolved order, nothing of the others.
  EXPECT_EQ(std::count(rest.begin(), rest.end(), '\n'), 3);
  EXPECT_EQ(rest.find(a.id), std::string::npos);
  EXPECT_EQ(rest.find(cancelled.id), std::string::npos);
}

TEST_F(AmazonOrdersTest, AnOrderInTwoReportsIsWrittenOnceAndBothReportsGo) {
  const auto a = AddOrder(1, false), b = AddOrder(2, false);
  PutReport("5001.xml", reports::XmlOrderReport({a}));
  PutReport("5002.xml", reports::XmlOrderReport({a, b}));
  EXPECT_EQ(GetOrders(), 1);
  EXPECT_EQ(OrderNumbers(), (std::vector<std::string>{a.id, b.id}));
  EXPECT_TRUE(ReportFiles().empty());
  EXPECT_EQ(loopback_.Requests("GetOrder").size(), 1u);
}

TEST_F(AmazonOrdersTest, UnreadableReportsAreSetAsideAndTheOthersImported) {
  const auto a = AddOrder(1, false), b = AddOrder(2, true);
  PutReport("5001.xml", "<AmazonEnvelope><Message><OrderReport>");
  PutReport("5002.xml", reports::XmlOrderReport({a}));
  PutReport("5003.xml", "");
  PutReport("5004.xml", "<AmazonEnvelope><MessageType>OrderReport</MessageType></AmazonEnvelope>");
  PutReport("6001.txt", "amazon-order-id\tbuyer-name\n1\t2\t3\n");
  PutReport("6002.txt", "buyer-name\tsku\nMax\tX\n");
  PutReport("6003.txt", reports::ShipmentReport({b}));
  loopback_.host().EnableLogging();
  EXPECT_EQ(GetOrders(), 1);
  EXPECT_EQ(OrderNumbers(), (std::vector<std::string>{b.id, a.id}));
  EXPECT_EQ(ReportFiles(), (std::vector<std::string>{"5001.xml.bad", "6001.txt.bad", "6002.txt.bad"}));
  EXPECT_NE(loopback_.host().Log().find("5001.xml.bad"), std::string::npos);
}

TEST_F(AmazonOrdersTest, ListOrderItemsSlowsDownAfterThirtyOrders) {
  std::vector<shopsim::MwsOrderRecord> orders;
  for (int n = 1; n <= 35; ++n) orders.push_back(AddOrder(n, false));
  PutReport("5001.xml", reports::XmlOrderReport(orders));
  EXPECT_EQ(GetOrders(), 1);
  EXPECT_EQ(OrderNumbers().size(), 35u);
  EXPECT_EQ(Waits(2s), 5u);
  EXPECT_EQ(loopback_.Requests("GetOrder").size(), 1u);
  EXPECT_EQ(loopback_.marketplace().ConnectionCount(), 1u);
}

TEST_F(AmazonOrdersTest, OrdersTheServiceDoesNotKnowStayAndTheHostIsTold) {
  const auto a = AddOrder(1, false);
  auto unknown = MwsDemoData::Generated(99, false);
  PutReport("5001.xml", reports::XmlOrderReport({a, unknown}));
  EXPECT_EQ(GetOrders(), 1);
  EXPECT_EQ(error_, "");
  // Now only the unknown one is left: nothing new, but something stuck.
  EXPECT_EQ(GetOrders(), -1);
  EXPECT_NE(error_.find("nicht vollständig"), std::string::npos) << error_;
  EXPECT_EQ(ReportFiles(), std::vector<std::string>{"5001.xml"});
  // Three GetOrder attempts per run for the batch that found nothing.
  EXPECT_EQ(loopback_.Requests("GetOrder").size(), 1u + 3u);
}

TEST_F(AmazonOrdersTest, GetOrderServiceErrorsWaitAMinuteAfterEachAttempt) {
  const auto a = AddOrder(1, false);
  PutReport("5001.xml", reports::XmlOrderReport({a}));
  loopback_.host().EnableLogging();
  loopback_.simulator().Failures().Set("mws:GetOrder", Failure::Status503());
  EXPECT_EQ(GetOrders(), -1);
  EXPECT_EQ(Waits(65s), 3u);
  EXPECT_NE(loopback_.host().Log().find("GetOrder für 1 Bestellungen"), std::string::npos);
  EXPECT_EQ(loopback_.Requests("GetOrder").size(), 3u * 5u);
  EXPECT_EQ(ReportFiles(), std::vector<std::string>{"5001.xml"});
}

TEST_F(AmazonOrdersTest, AServiceOutOfReachLeavesEveryReportAsItWas) {
  const auto a = AddOrder(1, false), b = AddOrder(2, true);
  const std::string xml = reports::XmlOrderReport({a}), flat = reports::ShipmentReport({b});
  PutReport("5001.xml", xml);
  PutReport("6001.txt", flat);
  loopback_.simulator().Failures().Set("mws", Failure::Drop());
  EXPECT_EQ(GetOrders(), -1);
  EXPECT_NE(error_.find("nicht erreichbar"), std::string::npos) << error_;
  EXPECT_TRUE(OrderNumbers().empty());
  EXPECT_EQ(test::ReadFile(loopback_.ReportFolder() / "6001.txt"), flat);
  EXPECT_EQ(test::ReadFile(loopback_.ReportFolder() / "5001.xml"), xml);
}

TEST_F(AmazonOrdersTest, NoReportGoesWhenTheOrdersFileCannotBeWritten) {
  const auto a = AddOrder(1, false);
  PutReport("5001.xml", reports::XmlOrderReport({a}));
  test::UseResultFile(loopback_.dir() / "fehlt" / "Bestellungen.xml");
  EXPECT_EQ(GetOrders(), -1);
  EXPECT_NE(error_, "");
  EXPECT_EQ(ReportFiles(), std::vector<std::string>{"5001.xml"});
}

}  // namespace
}  // namespace kanvio
