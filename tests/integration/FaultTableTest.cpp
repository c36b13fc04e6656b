// Every operation of the PHP and REST families against every fault a shop
// server can show, through the entry layer as the host calls it: the result
// and text the host reads, and its file afterwards, unchanged or a
// well-formed document. The table below is the documentation of that
// behaviour; KANVIO_PRINT_FAULT_TABLE=1 prints what the code does now in
// the table's own form.
#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <cstdlib>
#include <iostream>
#include <map>
#include <pugixml.hpp>

#include "FakeServer.h"
#include "HostFolders.h"
#include "SelfSignedCertificate.h"
#include "ShopSimulator.h"
#include "TestSupport.h"
#include "config/Settings.h"
#include "entry/ShopService.h"
#include "shops/ShopCaller.h"
#include "shops/php/PHPShop.h"
#include "shops/rest/shopware4.h"

namespace kanvio {
namespace {

using shopsim::Failure;
using S = ShopService;

enum Fault { kNone, kRefused, kTimeout, k500, k501, kHtml, kTruncated, kGarbage, kDropMidBody, kCertificate };
constexpr Fault kFaults[] = {kNone, kRefused,   kTimeout, k500,         k501,
                             kHtml, kTruncated, kGarbage, kDropMidBody, kCertificate};
constexpr const char* kFaultNames[] = {"kNone", "kRefused",   "kTimeout", "k500",         "k501",
                                       "kHtml", "kTruncated", "kGarbage", "kDropMidBody", "kCertificate"};

// The shop's time-outs run to an hour; while a time-out is the fault, every
// request is cut short so that the case takes a moment.
std::atomic<bool> g_short_timeouts = false;

class CutTimeouts : public platform::HttpClient {
 public:
  platform::HttpResponse Send(const platform::HttpRequest& request) override {
    platform::HttpRequest cut = request;
    if (g_short_timeouts) cut.total_timeout = std::chrono::milliseconds(500);
    return inner_->Send(cut);
  }

 private:
  std::unique_ptr<platform::HttpClient> inner_ = platform::CreateHttpClient();
};

std::unique_ptr<platform::HttpClient> MakeClient() { return std::make_unique<CutTimeouts>(); }

// The connector families under their factory keys, built with that client.
class CuttableFamilies {
 public:
  CuttableFamilies() {
    php_ = ShopCaller::Register(
        "gambio", [](IWorker& worker) { return std::make_unique<PHPShop>("gambio", &worker, MakeClient); });
    rest_ = ShopCaller::Register(
        "shopware4", [](IWorker& worker) { return std::make_unique<shopware4>(&worker, MakeClient); });
  }
  ~CuttableFamilies() {
    ShopCaller::Register("gambio", std::move(php_));
    ShopCaller::Register("shopware4", std::move(rest_));
  }

 private:
  ShopCaller::Factory php_, rest_;
};

const std::string kOrders =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<OrderNotification><Bestellvorgang>"
    "<BestellnummerShop>1001</BestellnummerShop></Bestellvorgang></OrderNotification>\r\n";

std::string UploadFile(const std::string& root, const std::string& row) {
  std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<" + root + ">";
  for (const char* number : {"A-100", "A-200", "A-300"})
    xml += "<" + row + "><ArtikelnummerWebshop>" + number + "</ArtikelnummerWebshop></" + row + ">";
  return xml + "</" + root + ">\r\n";
}

struct Operation {
  std::string name;
  std::string php_target;  // the script whose answers fail; the plug-in fails as a whole
  std::string before;      // the host's file before the operation
  std::int32_t (*call)(const std::string& file, std::string& error);
};

const Operation kOperations[] = {
    {"GetOrders", "orders", kOrders, [](const std::string& f, std::string& e) { return S::GetOrders(f, e); }},
    {"GetUnimportedOrdersCount", "sync", "",
     [](const std::string&, std::string& e) { return S::GetUnimportedOrdersCount(e); }},
    {"GetWebshopArticleList", "sync", kOrders,
     [](const std::string& f, std::string& e) { return S::GetWebshopArticleList(f, e); }},
    {"GetArticles", "sync", kOrders,
     [](const std::string& f, std::string& e) { return S::GetArticles(f, e); }},
    {"SetArticles", "sync", UploadFile("Artikelexport", "row"),
     [](const std::string& f, std::string& e) { return S::SetArticles(f, e); }},
    {"SetArticlePrices", "sync", UploadFile("Artikelpreisexport", "row"),
     [](const std::string& f, std::string& e) { return S::SetArticlePrices(f, e); }},
    {"SetStockValues", "sync", UploadFile("LagerbestandExport", "Artikel"),
     [](const std::string& f, std::string& e) { return S::SetStockValues(f, e); }},
    {"SetOrderStatus", "del", kOrders,
     [](const std::string& f, std::string& e) { return S::SetOrderStatus(f, e); }},
};

// What the host reads: the export's result and a part of its text ("" for none).
struct Outcome {
  std::int32_t result;
  std::string text;
};

// Parts of the texts the table expects: the rest names addresses and ports.
const std::string kRefusedText = "konnte nicht hergestellt werden";
const std::string kTimeoutText = "Zeitüberschreitung bei der Anfrage";
const std::string kInterrupted = "wurde unterbrochen";
const std::string kCertificateText = "Das Zertifikat des Servers";
const std::string kNotXml = "kein vollständiges XML-Dokument";
const std::string kWebPage = "eine Webseite statt der erwarteten Daten";
const std::string kUnknownAnswer = "weder SUCCESS noch ROLLBACK";
const std::string kPagingNotXml = "Die Paging-Informationen des Shops sind kein gültiges XML.";
const std::string kPagingNoCount = "Die Paging-Informationen des Shops enthalten keine ArticleCount.";
const std::string kStatus500 = "mit dem HTTP-Status 500";
const std::string kOrdersError = "Es wurden keine Bestellungen aus dem Shop abgeholt...";
const std::string kCountError = "Die Anzahl der offenen Bestellungen konnte nicht ermittelt werden.";
const std::string kListError = "Es wurde keine Artikelliste aus dem Shop abgeholt...";
const std::string kArticlesError = "Es wurden keine Artikel aus dem Shop abgeholt...";
const std::string kExportError = "Beim exportieren der Artikel trat ein Fehler auf...";
const std::string kPricesError = "Die Artikelpreise konnten nicht aktualisiert werden.";
const std::string kStockError = "Die Lagerbestände konnten nicht aktualisiert werden.";
const std::string kStatesError = "Der Status der Bestellungen konnte nicht geändert werden...";
const std::string kStatus501 = "mit dem HTTP-Status 501";

class FaultTableTest : public ::testing::Test {
 protected:
  void SetUp() override {
    sim_.Start();
    refused_.Start();
    refused_url_ = refused_.ShopUrl();
    refused_.Stop();
    ShopService::DeInit(error_);
  }
  void TearDown() override { ShopService::DeInit(error_); }

  // A connection stays until DeInit, whatever a later Init names.
  void Connect(const std::string& shop) {
    ShopService::DeInit(error_);
    ASSERT_EQ(ShopService::InitShop("Ledgrox", shop, sim_.ShopUrl(), "kanvio-test", "", error_), 1) << error_;
  }

  void SetUrl(const std::string& url) {
    Settings settings;
    settings.set_WEBSERVICE_URL(url);
    settings.Save();
  }

  // Switches the fault on for the operation, runs it, and switches it off.
  Outcome Run(const Operation& operation, bool php, Fault fault, const std::filesystem::path& file) {
    const std::string target = php ? operation.php_target : "rest";
    switch (fault) {
      case kRefused:
        SetUrl(refused_url_);
        break;
      case kCertificate:
        SetUrl(https_.url() + "/shop");
        break;
      case kTimeout:
        g_short_timeouts = true;
        sim_.Failures().Set(target, Failure::Slow());
        break;
      case k500:
        sim_.Failures().Set(target, Failure::Status500("Interner Fehler"));
        break;
      case k501:
        sim_.Failures().Set(target, Failure::Status501("Not Implemented"));
        break;
      case kHtml:
        sim_.Failures().Set(target, Failure::HtmlPage());
        break;
      case kTruncated:
        sim_.Failures().Set(target, Failure::Truncated());
        break;
      case kGarbage:
        sim_.Failures().Set(target, Failure::Garbage());
        break;
      case kDropMidBody:
        sim_.Failures().Set(target, Failure::DropMidBody());
        break;
      case kNone:
        break;
    }
    std::string error = "vom Aufrufer";
    const std::int32_t result = operation.call(file.string(), error);
    g_short_timeouts = false;
    sim_.ReleaseSlowAnswers();
    sim_.Failures().ClearAll();
    SetUrl(sim_.ShopUrl());
    return {result, error};
  }

  test::HostFolders host_;
  test::TempDir dir_;
  test::ScopedEnv pause_{"KANVIO_WORKER_PAUSE_MS", "0"};
  test::ScopedEnv status_{"KANVIO_STATUS_LOG", std::nullopt};
  CuttableFamilies families_;
  shopsim::ShopSimulator sim_{
      {.port = 0, .base_path = "/shop", .password = "", .state_file = {}, .demo_data = true}};
  shopsim::ShopSimulator refused_{
      {.port = 0, .base_path = "/shop", .password = "", .state_file = {}, .demo_data = false}};
  std::string refused_url_;
  test::SelfSigned identity_;
  test::FakeServer https_{std::make_unique<httplib::SSLServer>(identity_.cert.get(), identity_.key.get()),
                          [](httplib::Server&) {}};
  std::string error_;
};

bool WellFormed(const std::filesystem::path& file) {
  pugi::xml_document document;
  return static_cast<bool>(document.load_file(file.c_str()));
}

using Row = std::vector<Outcome>;
const std::map<std::pair<std::string, std::string>, Row>& Expected();

TEST_F(FaultTableTest, EveryOperationAgainstEveryFault) {
  const bool print = std::getenv("KANVIO_PRINT_FAULT_TABLE") != nullptr;
  int cases = 0;
  for (const bool php : {true, false}) {
    const std::string family = php ? "gambio" : "shopware4";
    Connect(family);
    for (const auto& operation : kOperations) {
      if (print) std::cout << "    {{\"" << family << "\", \"" << operation.name << "\"}, {\n";
      for (const Fault fault : kFaults) {
        const std::string label = family + " " + operation.name + " " + kFaultNames[fault];
        SCOPED_TRACE(label);
        const auto file = dir_ / (family + "-" + operation.name + "-" + kFaultNames[fault] + ".xml");
        if (!operation.before.empty()) test::WriteFile(file, operation.before);
        const Outcome outcome = Run(operation, php, fault, file);
        ++cases;
        if (!operation.before.empty()) {
          const std::string after = test::ReadFile(file);
          EXPECT_TRUE(after == operation.before || WellFormed(file)) << after;
        } else if (std::filesystem::exists(file)) {
          EXPECT_TRUE(WellFormed(file));
        }
        if (print) {
          std::cout << "        {" << kFaultNames[fault] << ", {" << outcome.result << ", \""
                    << outcome.text.substr(0, 60) << "\"}},\n";
          continue;
        }
        const auto& expected = Expected().at({family, operation.name})[fault];
        EXPECT_EQ(outcome.result, expected.result);
        EXPECT_TRUE(expected.text.empty() ? outcome.text.empty()
                                          : outcome.text.find(expected.text) != std::string::npos)
            << "text: " << outcome.text << "\nexpected: " << expected.text;
      }
      if (print) std::cout << "    }},\n";
    }
  }
  EXPECT_EQ(cases, 2 * 8 * 10);
}

// What the host reads, per family and operation, in the order of kFaults:
//   none, refused, timeout, 500, 501, html, truncated, garbage, drop-mid-body, certificate.
// A text of the window ("...") stands where the connector failed without one.
// Left without a text on purpose: a count that cannot read the answer is 0;
// an upload answer cut short that still says SUCCESS counts as one; the
// answers to order states are not read.
const std::map<std::pair<std::string, std::string>, Row>& Expected() {
  static const std::map<std::pair<std::string, std::string>, Row> table = {
      {{"gambio", "GetOrders"},
       {{1, ""},
        {1, kOrdersError},
        {1, kOrdersError},
        {1, kNotXml},
        {1, kOrdersError},
        {1, kWebPage},
        {1, kNotXml},
        {1, kNotXml},
        {1, kOrdersError},
        {1, kOrdersError}}},
      {{"gambio", "GetUnimportedOrdersCount"},
       {{2, ""},
        {-1, kCountError},
        {-1, kCountError},
        {0, ""},
        {-1, kCountError},
        {0, ""},
        {0, ""},
        {0, ""},
        {-1, kCountError},
        {-1, kCountError}}},
      {{"gambio", "GetWebshopArticleList"},
       {{1, ""},
        {1, kRefusedText},
        {1, kListError},
        {1, kListError},
        {1, kListError},
        {1, kListError},
        {1, kListError},
        {1, kListError},
        {1, kListError},
        {1, kCertificateText}}},
      {{"gambio", "GetArticles"},
       {{1, ""},
        {1, kArticlesError},
        {1, kArticlesError},
        {1, kPagingNotXml},
        {1, kArticlesError},
        {1, kPagingNoCount},
        {1, kPagingNotXml},
        {1, kPagingNotXml},
        {1, kArticlesError},
        {1, kArticlesError}}},
      {{"gambio", "SetArticles"},
       {{1, ""},
        {1, kExportError},
        {1, kExportError},
        {1, kUnknownAnswer},
        {1, kExportError},
        {1, kExportError},
        {1, ""},
        {1, kExportError},
        {1, kExportError},
        {1, kExportError}}},
      {{"gambio", "SetArticlePrices"},
       {{1, ""},
        {1, kPricesError},
        {1, kPricesError},
        {1, kUnknownAnswer},
        {1, kPricesError},
        {1, kPricesError},
        {1, ""},
        {1, kPricesError},
        {1, kPricesError},
        {1, kPricesError}}},
      {{"gambio", "SetStockValues"},
       {{1, ""},
        {1, kRefusedText},
        {1, kTimeoutText},
        {1, kUnknownAnswer},
        {1, kStatus501},
        {1, kUnknownAnswer},
        {1, ""},
        {1, kUnknownAnswer},
        {1, kInterrupted},
        {1, kCertificateText}}},
      {{"gambio", "SetOrderStatus"},
       {{1, ""},
        {1, kStatesError},
        {1, kStatesError},
        {1, ""},
        {1, kStatesError},
        {1, ""},
        {1, ""},
        {1, ""},
        {1, kStatesError},
        {1, kStatesError}}},
      {{"shopware4", "GetOrders"},
       {{1, ""},
        {1, kRefusedText},
        {1, kTimeoutText},
        {1, kStatus500},
        {1, kStatus501},
        {1, kWebPage},
        {1, kNotXml},
        {1, kNotXml},
        {1, kInterrupted},
        {1, kCertificateText}}},
      {{"shopware4", "GetUnimportedOrdersCount"},
       {{2, ""},
        {-1, kCountError},
        {-1, kCountError},
        {-1, kCountError},
        {-1, kCountError},
        {0, ""},
        {0, ""},
        {0, ""},
        {-1, kCountError},
        {-1, kCountError}}},
      {{"shopware4", "GetWebshopArticleList"},
       {{1, ""},
        {1, kRefusedText},
        {1, kTimeoutText},
        {1, kStatus500},
        {1, kStatus501},
        {1, kWebPage},
        {1, kNotXml},
        {1, kNotXml},
        {1, kInterrupted},
        {1, kCertificateText}}},
      {{"shopware4", "GetArticles"},
       {{1, ""},
        {1, kRefusedText},
        {1, kTimeoutText},
        {1, kStatus500},
        {1, kStatus501},
        {1, kWebPage},
        {1, kNotXml},
        {1, kNotXml},
        {1, kInterrupted},
        {1, kCertificateText}}},
      {{"shopware4", "SetArticles"},
       {{1, ""},
        {1, kRefusedText},
        {1, kTimeoutText},
        {1, kExportError},
        {1, kExportError},
        {1, kExportError},
        {1, ""},
        {1, kExportError},
        {1, kInterrupted},
        {1, kCertificateText}}},
      {{"shopware4", "SetArticlePrices"},
       {{1, ""},
        {1, kPricesError},
        {1, kPricesError},
        {1, kUnknownAnswer},
        {1, kUnknownAnswer},
        {1, kUnknownAnswer},
        {1, ""},
        {1, kUnknownAnswer},
        {1, kPricesError},
        {1, kPricesError}}},
      {{"shopware4", "SetStockValues"},
       {{1, ""},
        {1, kStockError},
        {1, kStockError},
        {1, kStockError},
        {1, kStockError},
        {1, kStockError},
        {1, ""},
        {1, kStockError},
        {1, kStockError},
        {1, kStockError}}},
      {{"shopware4", "SetOrderStatus"},
       {{1, ""},
        {1, kStatesError},
        {1, kStatesError},
        {1, kStatesError},
        {1, kStatesError},
        {1, ""},
        {1, ""},
        {1, ""},
        {1, kStatesError},
        {1, kStatesError}}},
  };
  return table;
}

}  // namespace
}  // namespace kanvio
