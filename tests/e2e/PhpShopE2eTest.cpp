// A PHP shop through the C interface and through kanvio, against the shop
// simulator on loopback.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>

#include "E2eSupport.h"
#include "ShopSimulator.h"

namespace kanvio::test {
namespace {

using tool::Answer;

std::string ArticleExport(int rows) {
  std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Artikelexport>\n";
  for (int i = 1; i <= rows; ++i)
    xml += "<row><ArtikelnummerWebshop>E-" + std::to_string(i) + "</ArtikelnummerWebshop></row>\n";
  return xml + "</Artikelexport>\n";
}

class PhpShopE2eTest : public E2eTest {
 protected:
  PhpShopE2eTest() { shop_.Start(); }

  Answer InitGambio() const { return RealLibrary().Init("ledgrox", "Gambio GX 4", shop_.ShopUrl(), "admin", "x"); }

  shopsim::ShopSimulator shop_{{.port = 0, .base_path = "/shop", .password = "", .state_file = {}, .demo_data = true}};
};

TEST_F(PhpShopE2eTest, InitThenGetOrdersWritesTheOrdersFile) {
  const Answer init = InitGambio();
  EXPECT_EQ(init.code, 1);
  EXPECT_EQ(init.text, "");
  const auto orders = dir_ / "Bestellungen.xml";
  const Answer get = RealLibrary().Call("GetOrders", orders.string());
  EXPECT_EQ(get.code, 1);
  EXPECT_EQ(get.text, "");
  EXPECT_EQ(Occurrences(ReadFile(orders), "<Bestellvorgang"), shop_.Shop().UnfetchedOrders().size());
  EXPECT_EQ(shop_.Requests().back().Param("shp_system"), "gambio");
  EXPECT_NE(ReadFile(dir_ / "status.log").find("Neue Bestellungen abgeholt..."), std::string::npos);
}

TEST_F(PhpShopE2eTest, SetArticlesSendsPackagesAndAppendsTheirProtocols) {
  ASSERT_EQ(InitGambio().code, 1);
  const auto file = dir_ / "Artikelexport.xml";
  WriteFile(file, ArticleExport(250));
  const Answer set = RealLibrary().Call("SetArticles", file.string());
  EXPECT_EQ(set.code, 1);
  EXPECT_EQ(set.text, "");
  EXPECT_EQ(shop_.RequestCount("sync:lqx_to_shop"), 3u);
  EXPECT_EQ(Occurrences(ReadFile(file), "<Export_Status>SUCCESS</Export_Status>"), 3u);
  const std::string status = ReadFile(dir_ / "status.log");
  EXPECT_NE(status.find("Artikelexport - Upload von Paket: 3 von 3"), std::string::npos) << status;
  EXPECT_NE(status.find("Artikel erfolgreich exportiert..."), std::string::npos) << status;
}

TEST_F(PhpShopE2eTest, FunctionSupportedSendsExactlyOneCheckRequest) {
  ASSERT_EQ(InitGambio().code, 1);
  shop_.ClearRequests();
  const Answer supported = RealLibrary().Call("FunctionSupported", "SetArticles");
  EXPECT_EQ(supported.code, 1);
  EXPECT_EQ(supported.text, "");
  ASSERT_EQ(shop_.Requests().size(), 1u);
  EXPECT_EQ(shop_.Requests().front().Param("function_name"), "artikeldaten_ledgrox_zu_shop");
}

TEST_F(PhpShopE2eTest, KanvioRunsAWholeSessionAgainstTheShop) {
  WriteFile(dir_ / "articles.xml", ArticleExport(120));
  const auto out = dir_ / "out.txt";
  const std::string command = KANVIO_BIN_DIR "/kanvio --erp vd --shop 'xt:Commerce' --url " + shop_.ShopUrl() +
                              " --user admin --password x --pause-ms 0 count-orders get-orders " +
                              (dir_ / "orders.xml").string() + " set-articles " + (dir_ / "articles.xml").string() +
                              " set-order-states " + (dir_ / "orders.xml").string() + " >" + out.string() + " 2>&1";
  const int status = std::system(command.c_str());
  const std::string output = ReadFile(out);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << output;
  EXPECT_NE(output.find("Init = 1\n"), std::string::npos) << output;
  EXPECT_NE(output.find("GetOrders = 1\n"), std::string::npos) << output;
  EXPECT_NE(output.find("SetArticles = 1\n"), std::string::npos) << output;
  EXPECT_NE(output.find("SetOrderStatus = 1\n"), std::string::npos) << output;
  EXPECT_TRUE(shop_.Shop().UnfetchedOrders().empty());
  for (const auto& request : shop_.Requests()) EXPECT_EQ(request.path.rfind("/shop/vd_osc", 0), 0u) << request.path;
}

}  // namespace
}  // namespace kanvio::test
