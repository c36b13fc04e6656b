// The PHP protocol's corner cases of HTTP 501 against scripts that answer
// 501 however they are asked: a failure is logged and never reaches the host
// as success, and a failed side check leaves no text behind.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <mutex>

#include "FakeServer.h"
#include "HostFolders.h"
#include "ShopTestSupport.h"
#include "TestSupport.h"
#include "config/ConfigFileWriter.h"
#include "shops/ShopRequests.h"
#include "shops/php/PHPShop.h"

namespace kanvio {
namespace {

struct Reply {
  int status;
  std::string body;
};

// The check and sync scripts of a shop. Each reply is chosen by "val:<function>" or
// "sync:<sync value>"; the check script offers every function but paging,
// the sync script answers 404 to what no case names.
class ScriptServer {
 public:
  explicit ScriptServer(std::map<std::string, Reply> replies)
      : replies_(std::move(replies)), server_([this](httplib::Server& s) {
          auto val = [this](const httplib::Request& req, httplib::Response& res) {
            const std::string function = req.get_param_value("function_name");
            Answer("val:" + function, Reply{200, function == "paging_informationen" ? "0" : "1"}, res);
          };
          auto sync = [this](const httplib::Request& req, httplib::Response& res) {
            Answer("sync:" + req.get_param_value("sync"), Reply{404, ""}, res);
          };
          s.Get("/shop/ledgrox_osc_val.php", val);
          s.Post("/shop/ledgrox_osc_val.php", val);
          s.Get("/shop/ledgrox_osc_sync.php", sync);
          s.Post("/shop/ledgrox_osc_sync.php", sync);
        }) {}

  std::string url() const { return server_.url() + "/shop"; }
  int Count(const std::string& target) {
    std::lock_guard lock(mutex_);
    return counts_[target];
  }

 private:
  void Answer(const std::string& target, const Reply& fallback, httplib::Response& res) {
    std::lock_guard lock(mutex_);
    ++counts_[target];
    auto reply = replies_.find(target);
    const Reply& r = reply != replies_.end() ? reply->second : fallback;
    res.status = r.status;
    res.set_content(r.body, "text/html; charset=UTF-8");
  }

  std::map<std::string, Reply> replies_;
  std::mutex mutex_;
  std::map<std::string, int> counts_;  // guarded by mutex_
  test::FakeServer server_;
};

const Reply k501Page{501, "<html><body><h1>501 Not Implemented</h1></body></html>"};
const std::string kArticles =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Artikelexport><row>"
    "<ArtikelnummerWebshop>A-1</ArtikelnummerWebshop></row></Artikelexport>\n";
const std::string kStock =
    "<LagerbestandExport><Artikel><ArtikelnummerWebshop>A-1</ArtikelnummerWebshop>"
    "<LagerBestandAktuell>5</LagerBestandAktuell></Artikel></LagerbestandExport>";

TEST(PhpStatusCornersTest, A501IsAFailureThatIsLoggedAndNeverASuccess) {
  using Operation = std::function<std::int32_t(PHPShop&, std::string&)>;
  struct Case {
    std::string label;
    std::map<std::string, Reply> replies;
    std::string host_file;  // written before the operation
    bool packages;
    Operation run;
    std::int32_t result;
    std::string error;
    bool logged;             // the 501 is in the error log
    std::string retried;     // target asked twice: with and without Content-Encoding
    std::string file_after;  // the host file afterwards
  };
  const std::string status501 = HttpStatusMessage(501);
  const auto check = [](PHPShop& s, std::string& e) { return s.KontrolliereVerbindungZumShop(e, false); };
  const auto articles_in = [](PHPShop& s, std::string& e) { return s.ExportArtikelZumShop(e, false); };
  const auto articles_out = [](PHPShop& s, std::string& e) { return s.HoleArtikelVomShop(e, false); };
  const std::string page =
      "<Artikelimport><row><ArtikelnummerWebshop>A-1</ArtikelnummerWebshop></row></Artikelimport>";
  const Case cases[] = {
      // A web page in a 501 is not a page instead of the script: Init goes on with the text.
      {"connection check, web page in a 501",
       {{"val:daten_holen", k501Page}},
       "",
       false,
       check,
       -2,
       status501,
       true,
       "",
       ""},
      {"connection check, web page in a 500",
       {{"val:daten_holen", {500, "<html><body>Fehler</body></html>"}}},
       "",
       false,
       check,
       -1,
       "",
       false,
       "",
       ""},
      {"stock upload",
       {{"sync:stockvalue_to_shop", k501Page}},
       kStock,
       false,
       [](PHPShop& s, std::string& e) { return s.SetzeLagerbestand(e, false); },
       -1,
       status501,
       true,
       "sync:stockvalue_to_shop",
       kStock},
      {"article upload in one piece",
       {{"sync:lqx_to_shop", k501Page}},
       kArticles,
       false,
       articles_in,
       -1,
       "",
       true,
       "sync:lqx_to_shop",
       kArticles},
      {"article upload in packages",
       {{"sync:lqx_to_shop", k501Page}},
       kArticles,
       true,
       articles_in,
       -1,
       "",
       true,
       "sync:lqx_to_shop",
       kArticles},
      {"article download",
       {{"sync:shop_to_lqx", k501Page}},
       "alt",
       false,
       articles_out,
       -1,
       "",
       true,
       "sync:shop_to_lqx",
       "alt"},
      {"article list",
       {{"sync:articlelist_from_shop", k501Page}},
       "alt",
       false,
       [](PHPShop& s, std::string& e) { return s.HoleArtikellisteVomShop(e, false); },
       -1,
       "",
       true,
       "sync:articlelist_from_shop",
       "alt"},
      // The paging check fails; the download goes on unpaged and succeeds.
      {"article download after a failed paging check",
       {{"val:paging_informationen", k501Page}, {"sync:shop_to_lqx", {200, page}}},
       "alt",
       true,
       articles_out,
       1,
       "",
       true,
       "val:paging_informationen",
       page + "\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    test::HostFolders host;
    host.EnableLogging();
    ConfigFileWriter{};
    test::SetGenerellConfig(host.ProgramData(), "PackageSplitting", c.packages ? "true" : "false");
    ScriptServer scripts(c.replies);
    test::StoreConnection("ledgrox", "gambio", scripts.url(), "kanvio-test", "");
    test::TempDir dir;
    test::UseResultFile(dir / "host.xml", c.host_file);

    PHPShop shop("gambio", nullptr);
    std::string error;
    EXPECT_EQ(c.run(shop, error), c.result);
    EXPECT_EQ(error, c.error);
    EXPECT_EQ(host.Log().find(status501) != std::string::npos, c.logged) << host.Log();
    if (!c.retried.empty()) {
      EXPECT_EQ(scripts.Count(c.retried), 2);
    }
    if (!c.host_file.empty()) {
      EXPECT_EQ(test::ReadFile(dir / "host.xml"), c.file_after);
    }
  }
}

}  // namespace
}  // namespace kanvio
