// The ePages connector through the C interface and through kanvio, against
// the shop simulator's SOAP services on loopback.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>

#include "E2eSupport.h"
#include "ShopSimulator.h"

namespace kanvio::test {
namespace {

class EpagesE2eTest : public E2eTest {
 protected:
  EpagesE2eTest() { shop_.Start(); }

  std::string Url() const { return shop_.ShopUrl() + "/epages/Store.soap"; }

  shopsim::ShopSimulator shop_{{.port = 0,
                                .base_path = "/shop",
                                .password = "",
                                .articles_import_limit = 0,
                                .state_file = {},
                                .demo_data = true}};
};

TEST_F(EpagesE2eTest, HostSessionThroughTheExports) {
  const auto& library = RealLibrary();
  EXPECT_EQ(library.Init("ledgrox", "ePages", Url(), "/Shops/DemoShop/Users/admin", "falsch").text,
            "Es konnte keine Verbindung zum Webshop hergestellt werden. Bitte kontrollieren Sie Ihre "
            "Einstellungen");
  library.DeInit();
  const auto init = library.Init("ledgrox", "EPAGES", Url(), "/Shops/DemoShop/Users/admin", "demo");
  ASSERT_EQ(init.code, 1) << init.text;
  EXPECT_EQ(library.Call("GetUnimportedOrdersCount").code, 1);
  const auto orders = dir_ / "orders.xml";
  const auto fetched = library.Call("GetOrders", orders.string());
  EXPECT_EQ(fetched.code, 1);
  EXPECT_EQ(fetched.text, "");
  EXPECT_EQ(Occurrences(ReadFile(orders), "<Bestellvorgang>"), 3u);
  const auto states = library.Call("SetOrderStatus", orders.string());
  EXPECT_EQ(states.code, 1);
  EXPECT_EQ(states.text, "");
  EXPECT_EQ(library.Call("GetUnimportedOrdersCount").code, 0);
  EXPECT_EQ(library.Call("FunctionSupported", "SetStockValues").code, 1);
  const std::string status = ReadFile(dir_ / "status.log");
  EXPECT_NE(status.find("3 Bestellungen gefunden."), std::string::npos) << status;
  EXPECT_NE(status.find("Bestellung 3 von 3 wird abgeholt..."), std::string::npos) << status;
}

TEST_F(EpagesE2eTest, FailedFetchLeavesAGermanTextForTheHost) {
  ASSERT_EQ(RealLibrary().Init("ledgrox", "Strato", Url(), "/Shops/DemoShop/Users/admin", "demo").code, 1);
  shop_.Failures().Set("epages:OrderService:getInfo",
                       shopsim::Failure::SoapFault("Datenbank nicht erreichbar"));
  WriteFile(dir_ / "orders.xml", "vorher");
  const auto fetched = RealLibrary().Call("GetOrders", (dir_ / "orders.xml").string());
  EXPECT_EQ(fetched.code, 1);  // the export answers 1 once the window closed
  EXPECT_NE(fetched.text.find("Beim Abholen der Bestellungen ist ein Fehler aufgetreten."), std::string::npos)
      << fetched.text;
  EXPECT_EQ(ReadFile(dir_ / "orders.xml"), "vorher");
}

TEST_F(EpagesE2eTest, KanvioRunsAWholeSession) {
  const auto out = dir_ / "out.txt";
  const auto orders = (dir_ / "orders.xml").string();
  const std::string command = KANVIO_BIN_DIR "/kanvio --erp ledgrox --shop ePages --url " + Url() +
                              " --user /Shops/DemoShop/Users/admin --password demo --pause-ms 0 count-orders "
                              "get-orders " +
                              orders + " set-order-states " + orders + " count-orders >" + out.string() +
                              " 2>&1";
  const int status = std::system(command.c_str());
  const std::string output = ReadFile(out);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << output;
  for (const char* line : {"Init = 1\n", "GetUnimportedOrdersCount = 1\n", "GetOrders = 1\n",
                           "SetOrderStatus = 1\n", "GetUnimportedOrdersCount = 0\n"})
    EXPECT_NE(output.find(line), std::string::npos) << line << output;
  EXPECT_EQ(Occurrences(ReadFile(dir_ / "orders.xml"), "<Bestellvorgang>"), 3u);
}

}  // namespace
}  // namespace kanvio::test
