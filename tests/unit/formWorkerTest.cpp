#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "FakeShop.h"
#include "HostFolders.h"
#include "TestSupport.h"
#include "config/Settings.h"
#include "platform/HeadlessProgressView.h"
#include "support/UserMessages.h"
#include "worker/formWorker.h"

namespace kanvio::test {
namespace {

using M = UserMessages;
using std::chrono::milliseconds;

// Records what the window is asked to do, in the order its thread does it.
class RecordingView : public platform::HeadlessProgressView {
 public:
  std::vector<std::string> events;  // window thread; read after ShowDialog returned
  bool shown_visible = false;
  std::string missing_window_reason;

  std::string MissingWindowReason() const override { return missing_window_reason; }

  void RunModal(bool visible, const platform::ViewColors& colors) override {
    shown_visible = visible;
    HeadlessProgressView::RunModal(visible, colors);
  }
  void SetStatusText(const std::string& text) override { events.push_back(S(text)); }
  void SetProgressMaximum(std::int32_t maximum) override {
    events.push_back("maximum " + std::to_string(maximum));
  }
  void SetProgressValue(std::int32_t value) override {
    events.push_back("progress " + std::to_string(value));
  }
  void Close() override {
    events.push_back("close");
    HeadlessProgressView::Close();
  }

  static std::string S(const std::string& text) { return "status " + text; }
};

const std::string kPause = "pause 1500";
const std::string kClose = "close";
std::string S(const std::string& text) { return RecordingView::S(text); }

class formWorkerTest : public ::testing::Test {
 protected:
  HostFolders host_;
  TempDir dir_;
  ScopedEnv pause_{"KANVIO_WORKER_PAUSE_MS", std::nullopt};
  ShopScript script_;
  ScopedFamily<FakeShop> shop_family_{"fake", script_};
  ScopedFamily<FakeAmazonShop> amazon_family_{"fakeamazon", script_};
  RecordingView* view_ = nullptr;

  // The pause posts a marker, so that it shows up among the window's events
  // in the order the task reached it.
  std::unique_ptr<formWorker> MakeWorker(bool visible = true) {
    auto view = std::make_unique<RecordingView>();
    RecordingView* v = view_ = view.get();
    return std::make_unique<formWorker>(visible, std::move(view), [v](milliseconds length) {
      v->Post([v, length] { v->events.push_back("pause " + std::to_string(length.count())); });
    });
  }

  std::unique_ptr<formWorker> Connected(const std::string& shop, bool visible = true) {
    auto worker = MakeWorker(visible);
    EXPECT_NE(worker->InitShop("ledgrox", shop, "https://shop.example/", "admin", "Kennwort-7"), nullptr);
    return worker;
  }

  std::vector<std::string> Run(formWorker& worker, const std::string& methode, const std::string& file = "") {
    Settings settings;
    settings.set_WEBSERVICE_METHODE(methode);
    settings.set_WEBSERVICE_RESULT_FILEPATH(file);
    settings.set_WEBSERVICE_INPUTORDERS_FILEPATH(file);
    settings.Save();
    worker.ShowDialog();
    return std::exchange(view_->events, {});
  }
};

struct OperationCase {
  std::string methode;
  std::string operation;
  std::int32_t result;
  std::vector<std::string> expected;  // status texts and pauses before the final pause and close
};

TEST_F(formWorkerTest, ShowsTheMessagesOfEachOperationByResult) {
  const std::vector<std::string> warning = {kPause, S(M::ARTICLES_MAY_MISS()), kPause};
  auto with_warning = [&](std::vector<std::string> v) {
    v.insert(v.end(), warning.begin(), warning.end());
    return v;
  };
  const OperationCase cases[] = {
      {"GET_ORDERS", "HoleBestellungenVomShop", 1, {S(M::ORDERS_GET()), S(M::ORDERS_GET_SUCCESS())}},
      {"GET_ORDERS", "HoleBestellungenVomShop", 0, {S(M::ORDERS_GET()), S(M::ORDERS_GET_NOTHING_NEW())}},
      {"GET_ORDERS", "HoleBestellungenVomShop", -1, {S(M::ORDERS_GET()), S(M::ORDERS_GET_ERROR())}},
      {"GET_ORDERS", "HoleBestellungenVomShop", 3, {S(M::ORDERS_GET()), S(M::ORDERS_GET_NOTHING_NEW())}},
      {"GET_WEBSHOPARTICLELIST",
       "HoleArtikellisteVomShop",
       1,
       {S(M::ARTICLELIST_GET()), S(M::ARTICLELIST_GET_SUCCESS())}},
      {"GET_WEBSHOPARTICLELIST", "HoleArtikellisteVomShop", 0, {S(M::ARTICLELIST_GET()), S(M::NO_ARTICLE())}},
      {"GET_WEBSHOPARTICLELIST",
       "HoleArtikellisteVomShop",
       -1,
       {S(M::ARTICLELIST_GET()), S(M::ARTICLELIST_GET_ERROR())}},
      {"GET_WEBSHOPARTICLELIST", "HoleArtikellisteVomShop", -2, {S(M::ARTICLELIST_GET())}},
      {"GET_ARTICLES", "HoleArtikelVomShop", 1, {S(M::ARTICLE_GET()), S(M::ARTICLE_GET_SUCCESS())}},
      {"GET_ARTICLES", "HoleArtikelVomShop", 0, {S(M::ARTICLE_GET()), S(M::NO_ARTICLE())}},
      {"GET_ARTICLES", "HoleArtikelVomShop", -1, {S(M::ARTICLE_GET()), S(M::ARTICLE_GET_ERROR())}},
      {"GET_ARTICLES", "HoleArtikelVomShop", -2, {S(M::ARTICLE_GET())}},
      {"SET_ARTICLES", "ExportArtikelZumShop", 1, {S(M::ARTICLE_EXPORT()), S(M::ARTICLE_EXPORT_SUCCESS())}},
      {"SET_ARTICLES",
       "ExportArtikelZumShop",
       0,
       {S(M::ARTICLE_EXPORT()), S(M::ARTICLE_EXPORT_NO_ARTICLE())}},
      {"SET_ARTICLES", "ExportArtikelZumShop", -2, {S(M::ARTICLE_EXPORT()), S(M::ARTICLE_EXPORT_ERROR())}},
      {"SET_ARTICLEPRICES",
       "SetzeArtikelPreise",
       1,
       {S(M::ARTICLEPRICE_EXPORT()), S(M::ARTICLEPRICE_EXPORT_SUCCESS())}},
      {"SET_ARTICLEPRICES", "SetzeArtikelPreise", -1,
       with_warning({S(M::ARTICLEPRICE_EXPORT()), S(M::ARTICLEPRICE_EXPORT_ERROR())})},
      {"SET_ARTICLEPRICES", "SetzeArtikelPreise", 0, {S(M::ARTICLEPRICE_EXPORT())}},
      {"SET_STOCKVALUES",
       "SetzeLagerbestand",
       1,
       {S(M::ARTICLESTOCK_EXPORT()), S(M::ARTICLESTOCK_EXPORT_SUCCESS())}},
      {"SET_STOCKVALUES", "SetzeLagerbestand", -1,
       with_warning({S(M::ARTICLESTOCK_EXPORT()), S(M::ARTICLESTOCK_EXPORT_ERROR())})},
      {"SET_STOCKVALUES", "SetzeLagerbestand", -2, {S(M::ARTICLESTOCK_EXPORT())}},
      {"SET_PRICELISTS",
       "ExportierePreisListenzuArtikel",
       1,
       {S(M::ARTICLE_PRICE_LIST_EXPORT()), S(M::ARTICLE_PRICE_LIST_EXPORT_SUCCESS())}},
      {"SET_PRICELISTS", "ExportierePreisListenzuArtikel", 0,
       with_warning({S(M::ARTICLE_PRICE_LIST_EXPORT()), S(M::ARTICLE_PRICE_LIST_EXPORT_NO_MAPPING())})},
      {"SET_PRICELISTS", "ExportierePreisListenzuArtikel", -1,
       with_warning({S(M::ARTICLE_PRICE_LIST_EXPORT()), S(M::ARTICLE_PRICE_LIST_EXPORT_ERROR())})},
      {"SET_PRICELISTS", "ExportierePreisListenzuArtikel", -2,
       with_warning({S(M::ARTICLE_PRICE_LIST_EXPORT()), S(M::ARTICLE_PRICE_LIST_EXPORT_NO_MAPPING())})},
      {"SET_ORDERSTATESFROMFILE",
       "SetzeBestellstatus",
       1,
       {S(M::ORDER_CHANGE_STATES()), S(M::ORDER_CHANGE_STATES_SUCCESS())}},
      {"SET_ORDERSTATESFROMFILE",
       "SetzeBestellstatus",
       0,
       {S(M::ORDER_CHANGE_STATES()), S(M::ORDER_CHANGE_STATES_ERROR())}},
      {"FIND_ORDERS", "SucheAnzahlOffeneBestellungenImShop", 4, {S(M::GET_OPEN_ORDERS_COUNT())}},
  };
  auto worker = Connected("fake");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.methode + " -> " + std::to_string(c.result));
    script_.results = {{c.operation, c.result}};
    script_.calls.clear();
    auto expected = c.expected;
    expected.insert(expected.end(), {kPause, kClose});
    EXPECT_EQ(Run(*worker, c.methode), expected);
    EXPECT_EQ(script_.calls, std::vector<std::string>{c.operation});
  }
}

TEST_F(formWorkerTest, AmazonOperationsReachTheAmazonConnector) {
  const OperationCase cases[] = {
      {"MANAGE_FBA_REPORTS_SCHEDULE",
       "AktiviereAutoFbaReportErzeugung",
       1,
       {S(M::AMAZON_SET_FBA_REPORTS()), S(M::AMAZON_SET_FBA_REPORTS_SUCCESS())}},
      {"MANAGE_FBA_REPORTS_SCHEDULE",
       "AktiviereAutoFbaReportErzeugung",
       0,
       {S(M::AMAZON_SET_FBA_REPORTS()), S(M::AMAZON_SET_FBA_REPORTS_ERROR())}},
      {"MANAGE_REPORTS_SCHEDULE",
       "AktiviereAutoReportErzeugung",
       1,
       {S(M::AMAZON_SET_REPORTS()), S(M::AMAZON_SET_REPORTS_SUCCESS())}},
      {"MANAGE_REPORTS_SCHEDULE",
       "AktiviereAutoReportErzeugung",
       -1,
       {S(M::AMAZON_SET_REPORTS()), S(M::AMAZON_SET_REPORTS_ERROR())}},
      {"GET_REPORTS",
       "HoleBerichteVonAmazon",
       1,
       {S(M::AMAZON_GET_REPORTS()), S(M::AMAZON_GET_REPORTS_SUCCESS())}},
      {"GET_REPORTS", "HoleBerichteVonAmazon", -1, {S(M::AMAZON_GET_REPORTS())}},
  };
  auto worker = Connected("FakeAmazon");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.methode + " -> " + std::to_string(c.result));
    script_.results = {{c.operation, c.result}};
    script_.calls.clear();
    auto expected = c.expected;
    expected.insert(expected.end(), {kPause, kClose});
    EXPECT_EQ(Run(*worker, c.methode), expected);
    EXPECT_EQ(script_.calls, std::vector<std::string>{c.operation});
  }
}

TEST_F(formWorkerTest, AmazonOperationOnAnotherConnectorClosesTheWindow) {
  host_.EnableLogging();
  auto worker = Connected("fake");
  EXPECT_EQ(Run(*worker, "GET_REPORTS"), (std::vector<std::string>{S(M::AMAZON_GET_REPORTS()), kClose}));
  EXPECT_TRUE(script_.calls.empty());
  EXPECT_NE(host_.Log().find("Error - Diese Operation erfordert den Amazon-Connector."), std::string::npos);
}

TEST_F(formWorkerTest, ConnectorThatThrowsStillClosesTheWindow) {
  host_.EnableLogging();
  auto worker = Connected("fake");
  script_.throws = {"HoleBestellungenVomShop"};
  script_.texts = {{"HoleBestellungenVomShop", "Der Shop antwortet nicht."}};
  EXPECT_EQ(Run(*worker, "GET_ORDERS"), (std::vector<std::string>{S(M::ORDERS_GET()), kClose}));
  EXPECT_EQ(worker->getError(), "Der Shop antwortet nicht.");
  EXPECT_EQ(worker->getOpenOrders(), formWorker::kOpenOrdersSentinel);
  EXPECT_NE(host_.Log().find("Error - HoleBestellungenVomShop ist fehlgeschlagen"), std::string::npos);
}

TEST_F(formWorkerTest, FailureWithoutATextReachesTheHostAsItsMessage) {
  auto worker = Connected("fake");
  script_.throws = {"ExportArtikelZumShop"};
  EXPECT_EQ(Run(*worker, "SET_ARTICLES"), (std::vector<std::string>{S(M::ARTICLE_EXPORT()), kClose}));
  EXPECT_EQ(worker->getError(), "ExportArtikelZumShop ist fehlgeschlagen");
}

TEST_F(formWorkerTest, WithoutConnectorShowsShopNotFound) {
  auto worker = MakeWorker();
  EXPECT_EQ(worker->InitShop("LEDGROX", "unbekannt", "https://shop.example//", "admin", "Kennwort-7"),
            nullptr);
  EXPECT_EQ(Run(*worker, "GET_ORDERS"), (std::vector<std::string>{S(M::SHOP_NOT_FOUND()), kPause, kClose}));
  EXPECT_EQ(worker->getOpenOrders(), formWorker::kOpenOrdersSentinel);

  Settings settings;  // stored all the same
  EXPECT_EQ(settings.ERP_SYSTEM(), "ledgrox");
  EXPECT_EQ(settings.WEBSERVICE_SHOP(), "unbekannt");
  EXPECT_EQ(settings.WEBSERVICE_URL(), "https://shop.example");
}

TEST_F(formWorkerTest, HiddenWorkerRunsTheSameSequence) {
  auto worker = Connected("fake", /*visible=*/false);
  script_.results = {{"ExportierePreisListenzuArtikel", 0}};
  EXPECT_EQ(Run(*worker, "SET_PRICELISTS"),
            (std::vector<std::string>{S(M::ARTICLE_PRICE_LIST_EXPORT()),
                                      S(M::ARTICLE_PRICE_LIST_EXPORT_NO_MAPPING()), kPause,
                                      S(M::ARTICLES_MAY_MISS()), kPause, kPause, kClose}));
  EXPECT_FALSE(view_->shown_visible);
}

TEST_F(formWorkerTest, MissingWindowIsLoggedOnceAndTheOperationRunsAllTheSame) {
  host_.EnableLogging();
  auto worker = Connected("fake");
  view_->missing_window_reason = "kein Desktop";
  const std::vector<std::string> expected = {S(M::ORDERS_GET()), S(M::ORDERS_GET_SUCCESS()), kPause, kClose};
  EXPECT_EQ(Run(*worker, "GET_ORDERS"), expected);
  EXPECT_EQ(Run(*worker, "GET_ORDERS"), expected);
  const std::string line =
      "Warning - Das Fortschrittsfenster konnte nicht angezeigt werden, der Vorgang läuft ohne Fenster: kein "
      "Desktop";
  const auto lines = host_.LogLines();
  EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                          [&](const std::string& logged) { return logged.find(line) != std::string::npos; }),
            1)
      << host_.Log();
}

TEST_F(formWorkerTest, FindOrdersStoresTheCountUntilTheNextOperation) {
  auto worker = Connected("fake");
  script_.results = {{"SucheAnzahlOffeneBestellungenImShop", 0}};
  Run(*worker, "FIND_ORDERS");
  EXPECT_EQ(worker->getOpenOrders(), 0);
  Run(*worker, "GET_ORDERS");
  EXPECT_EQ(worker->getOpenOrders(), formWorker::kOpenOrdersSentinel);
}

TEST_F(formWorkerTest, ErrorTextOfAnEarlierOperationIsNotReportedAgain) {
  auto worker = Connected("fake");
  script_.texts = {{"HoleBestellungenVomShop", "Zeitüberschreitung"}};
  Run(*worker, "GET_ORDERS");
  EXPECT_EQ(worker->getError(), "Zeitüberschreitung");
  Run(*worker, "SET_STOCKVALUES");
  EXPECT_EQ(worker->getError(), "");
}

TEST_F(formWorkerTest, MissingInputFileOfOrderStatesIsLoggedAndTheConnectorCalled) {
  host_.EnableLogging();
  auto worker = Connected("fake");
  const std::string missing = (dir_ / "fehlt.xml").string();
  Run(*worker, "SET_ORDERSTATESFROMFILE", missing);
  EXPECT_EQ(script_.calls, std::vector<std::string>{"SetzeBestellstatus"});
  EXPECT_NE(host_.Log().find("SET_ORDERSTATESFROMFILE: Die Eingabedatei " + missing + " existiert nicht."),
            std::string::npos)
      << host_.Log();
}

TEST_F(formWorkerTest, ProgressFromAnotherThreadArrivesInOrder) {
  auto worker = Connected("fake");
  script_.during = [](IWorker& w) {
    std::thread reporter([&w] {
      w.SetMaxValue(3);
      for (int i = 1; i <= 3; ++i) w.setUserStatusMessage("Artikel " + std::to_string(i), i);
      w.setUserStatusMessage("zu weit", 4);  // above the maximum: text only
      w.SetMaxValue(-1);                     // ignored
      w.setUserStatusMessage("nur Text", -1);
    });
    reporter.join();
  };
  EXPECT_EQ(
      Run(*worker, "SET_ARTICLES"),
      (std::vector<std::string>{S(M::ARTICLE_EXPORT()), "maximum 3", S("Artikel 1"), "progress 1",
                                S("Artikel 2"), "progress 2", S("Artikel 3"), "progress 3", S("zu weit"),
                                S("nur Text"), S(M::ARTICLE_EXPORT_SUCCESS()), kPause, kClose}));
}

TEST_F(formWorkerTest, StatusPostedWhileNoWindowRunsWaitsForTheNextShowing) {
  auto worker = Connected("fake");
  // Would block forever if posting waited for the window's thread.
  worker->setUserStatusMessage("Kontrolliere Verbindung...", -1);
  EXPECT_EQ(Run(*worker, "GET_ORDERS").front(), S("Kontrolliere Verbindung..."));
}

TEST_F(formWorkerTest, PauseComesFromTheEnvironment) {
  const std::pair<std::optional<std::string>, milliseconds> cases[] = {
      {std::nullopt, milliseconds(1500)}, {"0", milliseconds(0)},      {"25", milliseconds(25)},
      {"-5", milliseconds(1500)},         {"abc", milliseconds(1500)}, {"", milliseconds(1500)},
  };
  for (const auto& [value, expected] : cases) {
    ScopedEnv env("KANVIO_WORKER_PAUSE_MS", value);
    EXPECT_EQ(formWorker::PauseFromEnvironment(), expected) << value.value_or("(unset)");
  }
  ScopedEnv env("KANVIO_WORKER_PAUSE_MS", "25");
  auto worker = Connected("fake");
  EXPECT_EQ(Run(*worker, "GET_ORDERS"),
            (std::vector<std::string>{S(M::ORDERS_GET()), S(M::ORDERS_GET_SUCCESS()), "pause 25", kClose}));
}

TEST_F(formWorkerTest, EveryShowingStartsWithTheBarOfAFreshWindow) {
  auto worker = Connected("fake");
  script_.during = [](IWorker& w) { w.SetMaxValue(3); };
  Run(*worker, "SET_ARTICLES");
  // The next operation's bar is the marquee of maximum 101 again.
  script_.during = [](IWorker& w) { w.setUserStatusMessage("Seite 50", 50); };
  EXPECT_EQ(Run(*worker, "GET_ARTICLES"),
            (std::vector<std::string>{S(M::ARTICLE_GET()), S("Seite 50"), "progress 50",
                                      S(M::ARTICLE_GET_SUCCESS()), kPause, kClose}));
}

}  // namespace
}  // namespace kanvio::test
