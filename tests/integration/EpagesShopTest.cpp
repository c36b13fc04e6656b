// The ePages connector against the shop simulator's SOAP services on loopback.
#include <gtest/gtest.h>

#include <pugixml.hpp>

#include "FakeClock.h"
#include "FakeServer.h"
#include "HostFolders.h"
#include "ShopSimulator.h"
#include "ShopTestSupport.h"
#include "TestSupport.h"
#include "config/Settings.h"
#include "shops/ShopCaller.h"
#include "shops/epages/ePages.h"
#include "support/Error.h"
#include "support/Resources.h"

namespace kanvio {
namespace {

using shopsim::Failure;

std::vector<std::string> Texts(const std::filesystem::path& file, const char* xpath) {
  pugi::xml_document document;
  EXPECT_TRUE(document.load_file(file.c_str())) << file;
  std::vector<std::string> texts;
  for (const auto& node : document.select_nodes(xpath)) texts.emplace_back(node.node().child_value());
  return texts;
}

shopsim::SimulatorOptions SimulatorOptions() {
  shopsim::SimulatorOptions options;
  options.base_path = "/shop";
  return options;
}

class EpagesShopTest : public ::testing::Test {
 protected:
  void SetUp() override {
    simulator_.Start();
    Connect("/Shops/DemoShop/Users/admin", "demo");
    test::UseResultFile(orders_file_);
  }

  void Connect(const std::string& login, const std::string& password,
               const std::string& path = "/epages/Store.soap") {
    test::StoreConnection("ledgrox", "epages", simulator_.ShopUrl() + path, login, password);
  }

  std::vector<std::string> OrderNumbers() {
    return Texts(orders_file_, "//Bestellvorgang/BestellnummerShop");
  }

  test::FakeClock clock_;  // the host one hour east of UTC
  test::HostFolders host_;
  test::TempDir dir_;
  std::filesystem::path orders_file_ = dir_.path() / "orders.xml";
  shopsim::ShopSimulator simulator_{SimulatorOptions()};
  test::RecordingWorker worker_;
  ePages shop_{&worker_};
  std::string error_;
};

TEST_F(EpagesShopTest, FactoryMakesBothConnectors) {
  test::RecordingWorker worker;
  EXPECT_NE(dynamic_cast<ePages*>(ShopCaller("ePages", worker).GetShop().get()), nullptr);
  EXPECT_NE(dynamic_cast<strato*>(ShopCaller("Strato", worker).GetShop().get()), nullptr);
}

TEST_F(EpagesShopTest, FetchesOpenOrdersIntoTheOrdersFileWithBatchedRequests) {
  EXPECT_EQ(shop_.HoleBestellungenVomShop(error_, false), 1) << error_;
  EXPECT_EQ(error_, "");
  EXPECT_EQ(OrderNumbers(), (std::vector<std::string>{"1001", "1002", "1003"}));
  EXPECT_EQ(Texts(orders_file_, "//Positionsnummer"),
            (std::vector<std::string>{"1", "2", "3", "4", "5", "6", "7"}));
  EXPECT_EQ(Texts(orders_file_, "//BestellArtikel/ArtikelnummerShop"),
            (std::vector<std::string>{"A-100", "W-200", "Pfand", "T-300-M-blau", "GV-1", "A-100", "T-300"}));
  EXPECT_EQ(Texts(orders_file_, "//KundennummerWebshop"), (std::vector<std::string>{"1001", "1002", "1003"}));
  EXPECT_EQ(Texts(orders_file_, "//Lieferart"), (std::vector<std::string>{"DHL", "PostAT"}));
  EXPECT_EQ(Texts(orders_file_, "//Bestellvorgang[BestellnummerShop='1001']/Bestelldatum"),
            (std::vector<std::string>{"01.03.2024 09:12:44"}));
  EXPECT_EQ(Texts(orders_file_, "//abweichendLieferungLand"),
            (std::vector<std::string>{"", "Österreich", ""}));
  EXPECT_EQ(Texts(orders_file_, "//Bestellvorgang[BestellnummerShop='1003']//BankkontoIBAN"),
            (std::vector<std::string>{"DE89370400440532013000"}));
  EXPECT_EQ(test::ReadFile(orders_file_).find("\n"), std::string::npos);
  EXPECT_NE(std::find(worker_.messages.begin(), worker_.messages.end(), "3 Bestellungen gefunden.|-1"),
            worker_.messages.end());

  EXPECT_EQ(simulator_.RequestCount("epages:OrderService:find"), 1u);
  EXPECT_EQ(simulator_.RequestCount("epages:OrderService:getInfo"), 1u);
  EXPECT_EQ(simulator_.RequestCount("epages:CustomerService:getInfo"), 1u);
  const auto requests = simulator_.Requests();
  const auto& find = requests.front();
  EXPECT_EQ(find.Header("SOAPAction"), "\"urn://epages.de/WebService/OrderService/2011/01#find\"");
  EXPECT_EQ(find.Header("Content-Type"), "text/xml; charset=utf-8");
  EXPECT_TRUE(find.HasHeader("Authorization"));  // sent before the server asked
  EXPECT_TRUE(find.HasHeader("Content-Length"));
  EXPECT_FALSE(find.HasHeader("Transfer-Encoding"));
  EXPECT_NE(find.body.find("<NotInProcess xsi:type=\"xsd:boolean\">true</NotInProcess>"), std::string::npos);
}

TEST_F(EpagesShopTest, CountsAndStatesRoundTrip) {
  EXPECT_EQ(shop_.SucheAnzahlOffeneBestellungenImShop(), 1);
  ASSERT_EQ(shop_.HoleBestellungenVomShop(error_, false), 1) << error_;
  EXPECT_EQ(shop_.SetzeBestellstatus(error_, false), 1) << error_;
  EXPECT_EQ(shop_.SucheAnzahlOffeneBestellungenImShop(), 0);

  std::set<std::string> dates;
  for (const auto& order : simulator_.Epages().Orders()) {
    if (order.alias != "1000") dates.insert(order.status_dates.at("InProcessOn"));
  }
  ASSERT_EQ(dates.size(), 1u);  // one time stamp for the whole run, in the invariant form
  EXPECT_EQ(dates.begin()->size(), 19u);
  EXPECT_EQ(dates.begin()->at(10), 'T');

  EXPECT_EQ(shop_.HoleBestellungenVomShop(error_, false), 0);
  EXPECT_EQ(test::ReadFile(orders_file_).substr(3, 5), "<?xml");
  EXPECT_TRUE(OrderNumbers().empty());
}

TEST_F(EpagesShopTest, WrongPasswordFailsTheConnectionCheck) {
  EXPECT_EQ(shop_.KontrolliereVerbindungZumShop(error_, false), 1);
  Connect("/Shops/DemoShop/Users/admin", "falsch");
  EXPECT_EQ(shop_.KontrolliereVerbindungZumShop(error_, true), -1);
  EXPECT_EQ(error_, Resources::ORDER_GETINFO_ERROR());
  EXPECT_EQ(shop_.SucheAnzahlOffeneBestellungenImShop(), -1);
}

TEST_F(EpagesShopTest, FailedOrderRequestLeavesTheExistingFileAlone) {
  for (const Failure& failure :
       {Failure::SoapFault("kaputt"), Failure::Status500("<html/>"), Failure::Drop()}) {
    test::WriteFile(orders_file_, "vorher");
    simulator_.Failures().Set("epages:OrderService:getInfo", failure);
    error_.clear();
    EXPECT_EQ(shop_.HoleBestellungenVomShop(error_, false), -1);
    EXPECT_EQ(error_, Resources::ORDER_GETINFO_ERROR());
    EXPECT_EQ(test::ReadFile(orders_file_), "vorher");
  }
}

TEST_F(EpagesShopTest, OrdersWhoseDetailsOrCustomerFailAreLeftOutAndTheRestWritten) {
  simulator_.Failures().Set("epages:OrderService:getInfo:/Shops/DemoShop/Customers/1002/Orders/1002",
                            Failure::ItemError("gesperrt"));
  simulator_.Failures().Set("epages:CustomerService:getInfo:/Shops/DemoShop/Customers/1001",
                            Failure::ItemError("Object with path Customers/1001 was not found."));
  EXPECT_EQ(shop_.HoleBestellungenVomShop(error_, false), 1);
  EXPECT_EQ(error_, Resources::ORDER_GETINFO_ERROR());
  EXPECT_EQ(OrderNumbers(), (std::vector<std::string>{"1003"}));
  EXPECT_EQ(Texts(orders_file_, "//Positionsnummer"), (std::vector<std::string>{"1", "2"}));
}

TEST_F(EpagesShopTest, DepositLookupFailureCostsOnlyTheDepositPosition) {
  simulator_.Failures().Set("epages:ProductService:find", Failure::SoapFault("Produktsuche gestört"));
  EXPECT_EQ(shop_.HoleBestellungenVomShop(error_, false), 1);
  EXPECT_EQ(error_, "");
  EXPECT_EQ(OrderNumbers(), (std::vector<std::string>{"1001", "1002", "1003"}));
  EXPECT_EQ(Texts(orders_file_, "//BestellArtikel/ArtikelnummerShop"),
            (std::vector<std::string>{"A-100", "W-200", "T-300-M-blau", "GV-1", "A-100", "T-300"}));
}

TEST_F(EpagesShopTest, CustomerServiceDownFailsWithoutTouchingTheFile) {
  test::WriteFile(orders_file_, "vorher");
  simulator_.Failures().Set("epages:CustomerService", Failure::Unauthorized());
  EXPECT_EQ(shop_.HoleBestellungenVomShop(error_, false), -1);
  EXPECT_EQ(test::ReadFile(orders_file_), "vorher");
}

TEST_F(EpagesShopTest, ManyOrdersAreFetchedInBatchesOfFiveHundredInOrder) {
  simulator_.Epages().AddGeneratedOrders(1201, 1);
  EXPECT_EQ(shop_.HoleBestellungenVomShop(error_, false), 1) << error_;
  EXPECT_EQ(simulator_.RequestCount("epages:OrderService:getInfo"), 3u);
  EXPECT_EQ(simulator_.RequestCount("epages:CustomerService:getInfo"), 1u);
  const auto numbers = OrderNumbers();
  ASSERT_EQ(numbers.size(), 1204u);
  EXPECT_EQ(numbers[3], "B1");
  EXPECT_EQ(numbers.back(), "B1201");
  // The product lookups of the deposits are asked once per article.
  EXPECT_LE(simulator_.RequestCount("epages:ProductService"), 2u * 24u);
}

TEST_F(EpagesShopTest, OrdersWithoutProductLinesAreLeftOutWithoutAskingForTheirCustomer) {
  shopsim::EpagesOrder empty;
  empty.alias = "1004";
  empty.customer = "9999";  // unknown to the shop: asking for it would fail the order
  empty.billing.last_name = "Leer";
  empty.shipping_line = shopsim::EpagesLineItem{};
  simulator_.Epages().AddOrder(empty);
  simulator_.Epages().AddGeneratedOrders(1, 1);
  EXPECT_EQ(shop_.HoleBestellungenVomShop(error_, false), 1) << error_;
  EXPECT_EQ(error_, "");
  EXPECT_EQ(OrderNumbers(), (std::vector<std::string>{"1001", "1002", "1003", "B1"}));
  EXPECT_EQ(Texts(orders_file_, "//Positionsnummer"),
            (std::vector<std::string>{"1", "2", "3", "4", "5", "6", "7", "8"}));
  for (const auto& request : simulator_.Requests())
    EXPECT_EQ(request.body.find("Customers/9999<"), std::string::npos);
}

TEST_F(EpagesShopTest, MissingTargetFolderIsAFailureWithItsText) {
  test::UseResultFile(dir_.path() / "gibt-es-nicht" / "orders.xml");
  EXPECT_EQ(shop_.HoleBestellungenVomShop(error_, false), -1);
  EXPECT_EQ(error_, "XML Import-Datei Bestellungen " +
                        (dir_.path() / "gibt-es-nicht" / "orders.xml").string() + ": ungültiger Dateiname.");
}

TEST_F(EpagesShopTest, FailedStateUpdateDoesNotStopTheOthers) {
  test::UseResultFile(
      orders_file_,
      "<OrderNotification><Bestellvorgang><BestellnummerShop>1001</BestellnummerShop>"
      "<KundennummerWebshop>1001</KundennummerWebshop></Bestellvorgang><Bestellvorgang>"
      "<BestellnummerShop>4711</BestellnummerShop><KundennummerWebshop>9</KundennummerWebshop>"
      "</Bestellvorgang><Bestellvorgang><BestellnummerShop>1003</BestellnummerShop>"
      "<KundennummerWebshop>1003</KundennummerWebshop></Bestellvorgang></OrderNotification>");
  Settings settings;
  EXPECT_EQ(shop_.SetzeBestellstatus(error_, false), -1);
  EXPECT_NE(error_.find("Erste fehlgeschlagene Bestellung: 4711"), std::string::npos) << error_;
  EXPECT_EQ(simulator_.RequestCount("epages:OrderService:update"), 3u);
  const auto third = simulator_.Epages().Order("/Shops/DemoShop/Customers/1003/Orders/1003");
  ASSERT_TRUE(third);
  EXPECT_TRUE(third->status_dates.contains("InProcessOn"));
}

TEST_F(EpagesShopTest, StateFileProblemsAndBadLoginsSendNothing) {
  test::UseResultFile(dir_.path() / "fehlt.xml");
  EXPECT_EQ(shop_.SetzeBestellstatus(error_, false), -1);
  EXPECT_NE(error_, "");
  test::UseResultFile(orders_file_, "<OrderNotification><Bestellvorgang>");
  error_.clear();
  EXPECT_EQ(shop_.SetzeBestellstatus(error_, false), -1);
  EXPECT_NE(error_, "");
  test::UseResultFile(orders_file_, "<OrderNotification/>");
  Connect("admin", "demo");
  error_.clear();
  EXPECT_EQ(shop_.SetzeBestellstatus(error_, false), -1);
  EXPECT_NE(error_.find("/Shops/<Shop-ID>/Users/<Benutzername>"), std::string::npos) << error_;
  EXPECT_EQ(simulator_.RequestCount("epages"), 0u);
}

TEST_F(EpagesShopTest, PartnerVariantSignsInWithThePartnerTokens) {
  const auto deployment = dir_.path() / "deployment.config";
  test::WriteFile(deployment,
                  "<settings><setting name=\"strato_partnerDomain\">127.0.0.1</setting></settings>");
  test::ScopedEnv env("KANVIO_DEPLOYMENT_CONFIG", deployment.string());
  Connect("DemoShop", "demo", "/strato/pexa-soap/epages/Store.soap");
  strato shop(&worker_);
  EXPECT_EQ(shop.KontrolliereVerbindungZumShop(error_, false), 1) << error_;
  ASSERT_EQ(shop.HoleBestellungenVomShop(error_, false), 1) << error_;
  EXPECT_EQ(shop.SetzeBestellstatus(error_, false), 1) << error_;
  EXPECT_EQ(shop.SucheAnzahlOffeneBestellungenImShop(), 0);

  // Elsewhere the tokens stay home and the bare shop id is refused.
  test::WriteFile(deployment,
                  "<settings><setting name=\"strato_partnerDomain\">partner.example</setting></settings>");
  EXPECT_EQ(shop.KontrolliereVerbindungZumShop(error_, false), -1);
}

TEST_F(EpagesShopTest, ProbesAnswerWithoutRequests) {
  for (auto operation :
       {&IShop::HoleBestellungenVomShop, &IShop::SetzeBestellstatus, &IShop::HoleArtikelVomShop,
        &IShop::HoleArtikellisteVomShop, &IShop::ExportArtikelZumShop, &IShop::SetzeLagerbestand,
        &IShop::SetzeArtikelPreise, &IShop::ExportierePreisListenzuArtikel})
    EXPECT_EQ((shop_.*operation)(error_, true), 1);
  EXPECT_EQ(simulator_.RequestCount("epages"), 0u);
  EXPECT_THROW(shop_.SetzeBestellstatusVonOrderID(error_, "1", true), Error);
}

// A shop whose answers are hostile: each case answers every request with its body.
TEST_F(EpagesShopTest, HostileAnswersFailWithATextAndLeaveTheFileAlone) {
  std::string deep;
  for (int i = 0; i < 100'000; ++i) deep += "<Order>";
  const std::string envelope =
      "<soap:Envelope xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\"><soap:Body>";
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"100 MB of an unclosed element", envelope + "<findResponse><Orders>" + std::string(100u << 20, 'x')},
      {"deep nesting", envelope + "<findResponse><Orders>" + deep},
      {"wrong namespace",
       "<soap:Envelope xmlns:soap=\"urn:fremd\"><soap:Body><findResponse/></soap:Body>"
       "</soap:Envelope>"},
      {"an answer of another operation", envelope + "<updateResponse/></soap:Body></soap:Envelope>"},
  };
  for (const auto& [name, body] : cases) {
    test::FakeServer server([&body](httplib::Server& s) {
      s.Post(".*", [&body](const httplib::Request&, httplib::Response& res) {
        res.set_content(body, "text/xml; charset=utf-8");
      });
    });
    test::StoreConnection("ledgrox", "epages", server.url() + "/epages/Store.soap",
                          "/Shops/DemoShop/Users/admin", "demo");
    test::WriteFile(orders_file_, "vorher");
    error_.clear();
    EXPECT_EQ(shop_.HoleBestellungenVomShop(error_, false), -1) << name;
    EXPECT_EQ(error_, Resources::ORDER_GETINFO_ERROR()) << name;
    EXPECT_EQ(test::ReadFile(orders_file_), "vorher") << name;
    EXPECT_EQ(shop_.SucheAnzahlOffeneBestellungenImShop(), -1) << name;
  }
}

}  // namespace
}  // namespace kanvio
