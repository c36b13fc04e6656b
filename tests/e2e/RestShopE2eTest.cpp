// The REST plug-in shops through the C interface and through kanvio, against
// the shop simulator on loopback.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>

#include "E2eSupport.h"
#include "ShopSimulator.h"

namespace kanvio::test {
namespace {

using tool::Answer;

std::string Rows(const char* root, const char* row, int count) {
  std::string xml = std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<") + root + ">\n";
  for (int i = 1; i <= count; ++i)
    xml += std::string("<") + row + "><ArtikelnummerWebshop>R-" + std::to_string(i) +
           "</ArtikelnummerWebshop><LagerBestandAktuell>" + std::to_string(i) + "</LagerBestandAktuell></" +
           row + ">\n";
  return xml + "</" + root + ">\n";
}

class RestShopE2eTest : public E2eTest {
 protected:
  RestShopE2eTest() { shop_.Start(); }

  shopsim::ShopSimulator shop_{{.port = 0,
                                .base_path = "/shop",
                                .password = "Geheim-42",
                                .articles_import_limit = 2,
                                .state_file = {},
                                .demo_data = true}};
};

TEST_F(RestShopE2eTest, FunctionQueriesOfThePlugInSendNothing) {
  ASSERT_EQ(RealLibrary().Init("vd", "Magento 2", shop_.ShopUrl(), "admin", "Geheim-42").code, 1);
  EXPECT_EQ(shop_.Requests().back().path, "/shop/marlix/vardemo/getConnection");
  shop_.ClearRequests();
  EXPECT_EQ(RealLibrary().Call("FunctionSupported", "SetArticles").code, 1);
  EXPECT_TRUE(shop_.Requests().empty());
}

TEST_F(RestShopE2eTest, KanvioRunsAWholeSessionAgainstThePlugIn) {
  WriteFile(dir_ / "articles.xml", Rows("Artikelexport", "row", 25));
  WriteFile(dir_ / "stock.xml", Rows("LagerbestandExport", "Artikel", 3));
  const auto out = dir_ / "out.txt";
  const std::string command =
      KANVIO_BIN_DIR "/kanvio --erp ledgrox --shop 'Shopware 4' --url " + shop_.ShopUrl() +
      " --user admin --password Geheim-42 --pause-ms 0 count-orders get-orders " +
      (dir_ / "orders.xml").string() + " get-articles " + (dir_ / "shop-articles.xml").string() +
      " set-articles " + (dir_ / "articles.xml").string() + " set-stock " + (dir_ / "stock.xml").string() +
      " set-order-states " + (dir_ / "orders.xml").string() + " >" + out.string() + " 2>&1";
  const std::size_t open_orders = shop_.Shop().UnfetchedOrders().size();
  const std::size_t shop_articles = shop_.Shop().ArticleCount();
  ASSERT_GT(open_orders, 0u);
  ASSERT_GT(shop_articles, 2u);
  const int status = std::system(command.c_str());
  const std::string output = ReadFile(out);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << output;
  for (const char* line : {"Init = 1\n", "GetOrders = 1\n", "GetArticles = 1\n", "SetArticles = 1\n",
                           "SetStockValues = 1\n", "SetOrderStatus = 1\n"})
    EXPECT_NE(output.find(line), std::string::npos) << line << output;
  EXPECT_NE(output.find("GetUnimportedOrdersCount = " + std::to_string(open_orders) + "\n"),
            std::string::npos)
      << output;

  // The articles came in deciphered pages of two and were merged into one file.
  const std::string articles = ReadFile(dir_ / "shop-articles.xml");
  EXPECT_EQ(Occurrences(articles, "<row>"), shop_articles);
  EXPECT_EQ(shop_.RequestCount("rest:getArticles"), (shop_articles + 1) / 2);
  EXPECT_FALSE(std::filesystem::exists(dir_ / "shop-articles.error"));

  EXPECT_EQ(Occurrences(ReadFile(dir_ / "articles.xml"), "<Export_Status>SUCCESS</Export_Status>"), 1u);
  EXPECT_EQ(Occurrences(ReadFile(dir_ / "stock.xml"), "<Export_Status>SUCCESS</Export_Status>"), 1u);
  EXPECT_TRUE(shop_.Shop().Article("R-25").has_value());
  EXPECT_TRUE(shop_.Shop().UnfetchedOrders().empty());
  for (const auto& request : shop_.Requests())
    EXPECT_EQ(request.path.rfind("/shop/MarlixKanvio/", 0), 0u) << request.path;
}

}  // namespace
}  // namespace kanvio::test
