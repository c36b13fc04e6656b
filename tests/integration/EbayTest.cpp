// The eBay connector against the simulated Trading API on loopback: the
// token and its sign-in (InitEbay), and the order import.
#include <gtest/gtest.h>

#include <pugixml.hpp>
#include <set>

#include "EbayTestSupport.h"
#include "FakeClock.h"
#include "HostFolders.h"
#include "ShopSimulator.h"
#include "ShopTestSupport.h"
#include "config/ParameterValidator.h"
#include "config/Settings.h"
#include "entry/ShopService.h"
#include "platform/Clock.h"
#include "shops/ebay/Ebay.h"
#include "support/DeploymentDefaults.h"
#include "support/Error.h"
#include "support/Resources.h"

namespace kanvio {
namespace {

using shopsim::Failure;
using test::EbaySignInDouble;

const std::string kConnectionFailed =
    "Es konnte keine Verbindung zu eBay hergestellt werden, bitte kontrollieren Sie Ihre Daten.";
const std::string kTokenFailed = "Fehler beim Abholen des Tokens.";

std::string Key(const char* enciphered) { return ParameterValidator::CalcKey(enciphered); }

class EbayTest : public ::testing::Test {
 protected:
  explicit EbayTest(shopsim::SimulatorOptions options = {}) : sim_(std::move(options)) {
    sim_.Start();
    test::WriteFile(dir_ / "deployment.config", test::EbayDeploymentConfig(sim_.Port()));
    host_.EnableLogging();
  }
  ~EbayTest() override {
    std::string ignored;
    ShopService::DeInit(ignored);
  }

  std::vector<shopsim::RecordedRequest> Calls(const std::string& call) const {
    std::vector<shopsim::RecordedRequest> found;
    for (const auto& request : sim_.Requests())
      if (request.Header("X-EBAY-API-CALL-NAME") == call) found.push_back(request);
    return found;
  }

  test::HostFolders host_;
  test::TempDir dir_;
  test::ScopedEnv deployment_{"KANVIO_DEPLOYMENT_CONFIG", (dir_ / "deployment.config").string()};
  shopsim::ShopSimulator sim_;
};

// InitEbay: the stored token, the sign-in, and what the host gets back.
class EbayTokenTest : public EbayTest {
 protected:
  std::int32_t InitEbay(std::string& token, const std::string& site = "77",
                        const std::string& sandbox = "False") {
    return ShopService::InitEbay("ledgrox", "haendler", site, "", sandbox, "/Paid=1", error_, token);
  }

  std::string error_;
};

TEST_F(EbayTokenTest, WithoutTokenSignsInAndHandsTheNewTokenBack) {
  EbaySignInDouble sign_in;
  std::string token;
  ASSERT_EQ(ShopService::InitEbay("LEDGROX", "haendler", "", "", "False", "/Paid=1", error_, token), 1)
      << error_;
  EXPECT_EQ(error_, "");
  EXPECT_EQ(sim_.Ebay().TokenStatus(token), "Active");
  const Settings settings;
  EXPECT_EQ(settings.ebay_token(), token);
  EXPECT_EQ(settings.ebay_site(), 77);
  EXPECT_EQ(settings.ebay_parameter(), "/paid=1");

  // The session was signed in on the German site's page, as the user in the settings.
  ASSERT_EQ(sign_in.pages.size(), 1u);
  const auto& page = sign_in.pages[0];
  const std::string session = sim_.Ebay().Sessions().at(0);
  EXPECT_EQ(page.url, "http://127.0.0.1:" + std::to_string(sim_.Port()) +
                          "/signin/de/ws/eBayISAPI.dll?SignIn&runame=" +
                          Key(KANVIO_EBAY_KEY_RUNAME_PRODUCTION) + "&SessID=" + "SimSession%2B1%2FAuth%3D");
  EXPECT_EQ(sim_.Ebay().SignedInUser(session), "haendler");
  EXPECT_EQ(page.title, "eBay-Identifikation");
  EXPECT_EQ(page.address_label, "Adresse: ");
  EXPECT_EQ(page.button_text, "Authentifizierung abschließen!");
  EXPECT_FALSE(page.sandbox);
  // The probe fetched the token while the page was open; it is not fetched twice.
  EXPECT_EQ(sign_in.probe_answers, std::vector<bool>{true});
  EXPECT_EQ(Calls("FetchToken").size(), 1u);
  EXPECT_TRUE(Calls("GetTokenStatus").empty());

  // The token calls carry the site id and the application keys in the headers.
  for (const char* call : {"GetSessionID", "FetchToken"}) {
    const auto request = Calls(call).at(0);
    EXPECT_EQ(request.Header("X-EBAY-API-SITEID"), "77") << call;
    EXPECT_EQ(request.Header("X-EBAY-API-COMPATIBILITY-LEVEL"), "1081") << call;
    EXPECT_EQ(request.Header("X-EBAY-API-APP-NAME"), Key(KANVIO_EBAY_KEY_APPID_PRODUCTION)) << call;
    EXPECT_EQ(request.Header("X-EBAY-API-DEV-NAME"), Key(KANVIO_EBAY_KEY_DEVID)) << call;
    EXPECT_EQ(request.Header("X-EBAY-API-CERT-NAME"), Key(KANVIO_EBAY_KEY_CERTID_PRODUCTION)) << call;
  }
  // The connection is made: the eBay connector answers for the operations it lacks.
  EXPECT_EQ(ShopService::FunctionSupported("SetArticles", error_), 1);
  EXPECT_EQ(error_, "Diese Funktion wird von eBay derzeitig nicht untersützt.");
}

TEST_F(EbayTokenTest, AnActiveTokenStaysWithoutSignIn) {
  EbaySignInDouble sign_in;
  std::string token = sim_.Ebay().IssueToken();
  const std::string given = token;
  ASSERT_EQ(InitEbay(token), 1) << error_;
  EXPECT_EQ(token, given);
  EXPECT_TRUE(sign_in.pages.empty());
  const auto check = Calls("GetTokenStatus").at(0);
  EXPECT_NE(check.body.find("<eBayAuthToken>" + given + "</eBayAuthToken>"), std::string::npos);
  EXPECT_EQ(check.Header("X-EBAY-API-APP-NAME"), Key(KANVIO_EBAY_KEY_APPID_PRODUCTION));
  EXPECT_TRUE(Calls("GetSessionID").empty());
}

TEST_F(EbayTokenTest, AnInvalidTokenIsReplacedThroughTheSignIn) {
  for (const std::string status : {"Expired", "RevokedByUser", "unknown to eBay"}) {
    EbaySignInDouble sign_in;
    std::string token = "AgAAAA**alt**";
    if (status != "unknown to eBay") sim_.Ebay().SetTokenStatus(token, status);
    ASSERT_EQ(InitEbay(token), 1) << status << ": " << error_;
    EXPECT_NE(token, "AgAAAA**alt**") << status;
    EXPECT_EQ(Settings().ebay_token(), token) << status;
    EXPECT_EQ(sign_in.pages.size(), 1u) << status;
  }
}

TEST_F(EbayTokenTest, ATokenThatCannotBeCheckedStays) {
  EbaySignInDouble sign_in;
  for (const Failure& failure : {Failure::Status500("Wartung"), Failure::Drop(), Failure::HtmlPage()}) {
    sim_.Failures().Set("ebay:GetTokenStatus", failure);
    std::string token = "AgAAAA**gespeichert**";
    EXPECT_EQ(InitEbay(token), -1);
    EXPECT_EQ(error_, kConnectionFailed);
    EXPECT_EQ(token, "AgAAAA**gespeichert**");
    EXPECT_EQ(Settings().ebay_token(), "AgAAAA**gespeichert**");
  }
  EXPECT_TRUE(sign_in.pages.empty());
  EXPECT_TRUE(Calls("GetSessionID").empty());
}

TEST_F(EbayTokenTest, SignInsThatFail) {
  struct Case {
    std::string site;
    EbaySignInDouble::Behaviour behaviour;
    const char* failure_target;
    std::string logged;
  };
  const Case cases[] = {
      // A site id no site has: no sign-in page opens.
      {"78", EbaySignInDouble::Behaviour::kSignIn, nullptr, "Die eBay-Site 78 ist unbekannt"},
      {"77", EbaySignInDouble::Behaviour::kCloseWithoutSignIn, nullptr, "21916017"},
      {"77", EbaySignInDouble::Behaviour::kNoAnswer, nullptr, "Nach 10 Minuten ohne Anmeldung"},
      {"77", EbaySignInDouble::Behaviour::kSignIn, "ebay:GetSessionID", "eBay-Session: "},
      {"77", EbaySignInDouble::Behaviour::kSignIn, "ebay:FetchToken", "eBay-Token abholen: "},
  };
  for (const auto& c : cases) {
    sim_.Failures().ClearAll();
    if (c.failure_target) sim_.Failures().Set(c.failure_target, Failure::Status500("kaputt"));
    EbaySignInDouble sign_in(c.behaviour);
    std::string token;
    EXPECT_EQ(InitEbay(token, c.site), -1) << c.logged;
    EXPECT_EQ(error_, kTokenFailed) << c.logged;
    EXPECT_EQ(token, "") << c.logged;
    EXPECT_EQ(Settings().ebay_token(), "") << c.logged;
    const bool session_failed = c.failure_target && std::string_view(c.failure_target) == "ebay:GetSessionID";
    EXPECT_EQ(sign_in.pages.empty(), c.site == "78" || session_failed) << c.logged;
    EXPECT_NE(host_.Log().find(c.logged), std::string::npos) << c.logged << "\n" << host_.Log();
  }
}

TEST_F(EbayTokenTest, HostTextsAreCheckedBeforeAnythingIsStored) {
  test::FakeClock clock({2024, 3, 2, 9, 30, 0});
  EbaySignInDouble sign_in;
  std::string token;
  EXPECT_EQ(ShopService::InitEbay("ledgrox", "", "77", "", "False", "", error_, token), -1);
  EXPECT_EQ(error_, Resources::EBAY_MISSING_USERNAME());
  EXPECT_EQ(Settings().ebay_username(), "");
  for (const auto& [site, sandbox] : std::vector<std::pair<std::string, std::string>>{
           {"Deutschland", "False"}, {"77a", "False"}, {"99999999999", "False"}, {"77", "ja"}, {"77", "1"}}) {
    EXPECT_THROW(InitEbay(token, site, sandbox), Error) << site << " " << sandbox;
  }
  // Letter case and blanks do not matter; an unreadable date means 31 days back.
  ASSERT_EQ(ShopService::InitEbay("ledgrox", "haendler", " 3 ", "gestern", " tRUE ", "", error_, token), 1)
      << error_;
  const Settings settings;
  EXPECT_EQ(settings.ebay_site(), 3);
  EXPECT_TRUE(settings.ebay_sandbox());
  EXPECT_EQ(settings.ebay_dateFrom(), (LocalDateTime{2024, 1, 31, 10, 30, 0}));
  ASSERT_EQ(sign_in.pages.size(), 1u);
  EXPECT_TRUE(sign_in.pages[0].sandbox);
  EXPECT_TRUE(text::Contains(sign_in.pages[0].url, "/signin-sandbox/co.uk/ws/eBayISAPI.dll?SignIn&runame=" +
                                                       Key(KANVIO_EBAY_KEY_RUNAME_SANDBOX) + "&"));
  EXPECT_EQ(Calls("GetSessionID").at(0).Header("X-EBAY-API-SITEID"), "3");
  EXPECT_EQ(Calls("GetSessionID").at(0).Header("X-EBAY-API-APP-NAME"), Key(KANVIO_EBAY_KEY_APPID_SANDBOX));
}

// The order import of the demo seller.
class EbayImportTest : public EbayTest {
 protected:
  explicit EbayImportTest(shopsim::SimulatorOptions options = {}) : EbayTest(std::move(options)) {
    Settings settings;
    settings.set_ebay_token(sim_.Ebay().IssueToken());
    settings.set_ebay_site(77);
    settings.set_ebay_dateFrom(
        platform::CurrentClock().ToLocal(platform::CurrentClock().NowUtc() - std::chrono::days(10)));
    settings.set_WEBSERVICE_RESULT_FILEPATH(orders_file_.string());
    settings.Save();
  }

  void Configure(const std::string& parameter, const std::string& imported = "") {
    Settings settings;
    settings.set_ebay_parameter(parameter);
    settings.set_ebay_importedOrders(imported);
    settings.Save();
  }

  std::int32_t Import() {
    Ebay ebay(&worker_, platform::CreateHttpClient);
    return ebay.HoleBestellungenVomShop(error_, false);
  }

  // The orders of the file, each as "element=text" of the paths asked for.
  std::vector<pugi::xml_node> Orders() {
    document_.reset();
    EXPECT_TRUE(document_.load_file(orders_file_.c_str()));
    std::vector<pugi::xml_node> orders;
    for (pugi::xml_node order : document_.child("OrderNotification").children("Bestellvorgang"))
      orders.push_back(order);
    return orders;
  }

  static std::string At(pugi::xml_node order, const char* path) {
    return order.first_element_by_path(path).text().get();
  }

  test::RecordingWorker worker_;
  std::string error_;
  std::filesystem::path orders_file_ = dir_ / "orders.xml";
  pugi::xml_document document_;
};

TEST_F(EbayImportTest, WritesTheNewPaidOrdersOfTheSoldList) {
  ASSERT_EQ(Import(), 1) << error_;
  EXPECT_EQ(error_, "");
  const auto orders = Orders();
  // Single orders first (newest first, as eBay lists them), then the combined one;
  // the unpaid one and the one older than the window stay out.
  std::vector<std::string> keys;
  for (const auto& order : orders) keys.push_back(At(order, "EbayOrderLineItem"));
  EXPECT_EQ(keys, (std::vector<std::string>{"110000000006-2000000006", "110000000002-2000000002",
                                            "110000000001-2000000001", "110000000003-2000000003"}));
  ASSERT_EQ(orders.size(), 4u);

  // Paid nothing yet, but its checkout is complete; no shipping service selected.
  const auto& chair = orders[0];
  EXPECT_EQ(At(chair, "Zahlungsart"), "Barzahlung");
  EXPECT_EQ(At(chair, "Lieferart"), "");
  EXPECT_EQ(At(chair, "Kundendaten/Frachtkosten/FrachtkostenBrutto"), "");
  EXPECT_EQ(At(chair, "Kundendaten/Kunde/Strasse"), "Gartenweg 7");

  // A buyer whose email and telephone eBay withholds; a variation; no search-engine address.
  const auto& shirt = orders[1];
  EXPECT_EQ(At(shirt, "BestellArtikel/abweichenderArtikeltext"), "Shirt[red,XL]");
  EXPECT_EQ(At(shirt, "BestellArtikel/EbayTitel"), "Shirt[red,XL]");
  EXPECT_EQ(At(shirt, "BestellArtikel/Menge"), "2");
  EXPECT_EQ(At(shirt, "BestellArtikel/abweichenderEinzelpreisBrutto"), "12.5");
  EXPECT_EQ(At(shirt, "Kundendaten/Kunde/Email"), "");
  EXPECT_EQ(At(shirt, "Kundendaten/Kunde/Telefon"), "");
  EXPECT_EQ(At(shirt, "Kundendaten/Kunde/PersonNachname"), "Ben Schuster");
  EXPECT_EQ(At(shirt, "Kundendaten/Kunde/EbayMitgliedsname"), "kaeufer_ben");
  EXPECT_EQ(At(shirt, "Weblink"), "https://ebay.example/itm/110000000002");
  EXPECT_EQ(At(shirt, "Kundendaten/Frachtkosten/FrachtkostenBrutto"), "3.9");

  const auto& grinder = orders[2];
  EXPECT_EQ(At(grinder, "Kundendaten/Kunde/Strasse"), "Hauptstraße 5");
  EXPECT_EQ(At(grinder, "Kundendaten/AbweichendLieferung/abweichendLieferungStrasse"),
            "Lindenweg 2, Hinterhaus");
  EXPECT_EQ(At(grinder, "Kundendaten/AbweichendRechnung/abweichendRechnungStrasse"), "Hauptstraße 5");
  EXPECT_EQ(At(grinder, "AnmerkungenBestellung"), "Bitte als Geschenk verpacken");
  EXPECT_EQ(At(grinder, "Lieferart"), "DHL Paket");
  EXPECT_EQ(At(grinder, "Kundendaten/Frachtkosten/FrachtkostenBrutto"), "4.99");
  EXPECT_EQ(At(grinder, "Weblink"), "https://ebay.example/itm/artikel/110000000001");
  EXPECT_EQ(At(grinder, "Kundendaten/Kunde/Email"), "anna.berger@example.de");

  // Two lines, the invoice address of GetUser, the order's shipping.
  const auto& combined = orders[3];
  EXPECT_EQ(
      std::distance(combined.children("BestellArtikel").begin(), combined.children("BestellArtikel").end()),
      2);
  EXPECT_EQ(At(combined, "Zahlungsart"), "Vorkasse");
  EXPECT_EQ(At(combined, "Kundendaten/AbweichendRechnung/abweichendRechnungPersNachname"),
            "Dietz & Partner GmbH");
  EXPECT_EQ(At(combined, "Kundendaten/Kunde/PersonNachname"), "Carla Dietz");
  EXPECT_EQ(At(combined, "Kundendaten/Frachtkosten/FrachtkostenBrutto"), "5.9");
  EXPECT_EQ(combined.select_node("BestellArtikel[2]/Menge").node().text().get(), std::string("3"));
  EXPECT_TRUE(At(combined, "EbayKey").starts_with("110000000003_"));

  // The sold list in one page of 200; every call on the German site, only the
  // token calls with the application keys; all on one connection.
  const auto pages = Calls("GetMyeBaySelling");
  ASSERT_EQ(pages.size(), 1u);
  EXPECT_NE(pages[0].body.find("<DurationInDays>11</DurationInDays>"), std::string::npos) << pages[0].body;
  EXPECT_NE(pages[0].body.find("<EntriesPerPage>200</EntriesPerPage><PageNumber>1</PageNumber>"),
            std::string::npos);
  std::set<int> connections;
  for (const auto& request : sim_.Requests()) {
    EXPECT_EQ(request.Header("X-EBAY-API-SITEID"), "77");
    EXPECT_FALSE(request.HasHeader("X-EBAY-API-APP-NAME")) << request.Header("X-EBAY-API-CALL-NAME");
    EXPECT_NE(request.body.find("<RequesterCredentials><eBayAuthToken>AgAAAA**SimToken"), std::string::npos);
    connections.insert(request.remote_port);
  }
  EXPECT_EQ(connections.size(), 1u);
  EXPECT_EQ(Calls("GetItemTransactions").size(), 5u);
  EXPECT_EQ(Calls("GetOrderTransactions").size(), 1u);

  EXPECT_EQ(worker_.max_values, std::vector<std::int32_t>{4});
  EXPECT_EQ(worker_.messages.front(), "Hole eBay-Bestellung 1 von 4|1");
  EXPECT_EQ(worker_.messages.back(), "Verarbeite eBay Bestellung 4 von 4|4");
}

TEST_F(EbayImportTest, SwitchesAndTheImportedList) {
  // The host imported one line of the combined order and the grinder; the
  // byte-order mark and line ends of a Windows file do not hide them.
  test::WriteFile(dir_ / "imported.txt",
                  "\xEF\xBB\xBF"
                  "110000000004-2000000004\r\n110000000001-2000000001\r\n");
  Configure("/adressfomartting=2/notpaid=1", (dir_ / "imported.txt").string());
  ASSERT_EQ(Import(), 1) << error_;
  std::vector<std::string> keys;
  for (const auto& order : Orders()) {
    keys.push_back(At(order, "EbayOrderLineItem"));
    EXPECT_EQ(At(order, "Kundendaten/AbweichendLieferung/abweichendLieferungPersNachname"), "");
    EXPECT_EQ(At(order, "Kundendaten/AbweichendRechnung/abweichendRechnungOrt"), "");
  }
  // "/notpaid=1" admits the lamp; the shirt (PayPal) is no longer accepted.
  EXPECT_EQ(keys, (std::vector<std::string>{"110000000006-2000000006", "110000000005-2000000005"}));

  // Everything imported: nothing new, and the host's file stays as it was.
  test::WriteFile(dir_ / "imported.txt",
                  "110000000006-2000000006\n110000000005-2000000005\n110000000001-2000000001\n");
  test::WriteFile(orders_file_, "vorher");
  EXPECT_EQ(Import(), 0);
  EXPECT_EQ(test::ReadFile(orders_file_), "vorher");
}

TEST_F(EbayImportTest, FailuresOfSingleCallsLeaveOutTheirOrder) {
  struct Case {
    std::string target;
    Failure failure;
    std::vector<std::string> keys;  // of the orders written
  };
  const Case cases[] = {
      {"ebay:GetItemTransactions:item=110000000002",
       Failure::Status500("kaputt"),
       {"110000000006-2000000006", "110000000001-2000000001", "110000000003-2000000003"}},
      {"ebay:GetItemTransactions:item=110000000004",
       Failure::HtmlPage(),
       {"110000000006-2000000006", "110000000002-2000000002", "110000000001-2000000001"}},
      {"ebay:GetOrderTransactions",
       Failure::Drop(),
       {"110000000006-2000000006", "110000000002-2000000002", "110000000001-2000000001"}},
  };
  for (const auto& c : cases) {
    sim_.Failures().ClearAll();
    sim_.Failures().Set(c.target, c.failure);
    ASSERT_EQ(Import(), 1) << c.target << ": " << error_;
    std::vector<std::string> keys;
    for (const auto& order : Orders()) keys.push_back(At(order, "EbayOrderLineItem"));
    EXPECT_EQ(keys, c.keys) << c.target;
  }
  // Without the invoice address of GetUser the combined order takes the registration address.
  sim_.Failures().ClearAll();
  sim_.Failures().Set("ebay:GetUser", Failure::Status500("kaputt"));
  ASSERT_EQ(Import(), 1) << error_;
  EXPECT_EQ(At(Orders().at(3), "Kundendaten/AbweichendRechnung/abweichendRechnungPersNachname"),
            "Carla Dietz");
}

TEST_F(EbayImportTest, FailuresOfTheWholeImportWriteNothing) {
  const std::pair<std::string, Failure> cases[] = {
      {"ebay:GetMyeBaySelling", Failure::Status500("kaputt")},
      {"ebay:GetMyeBaySelling", Failure::HtmlPage()},
      {"ebay:GetMyeBaySelling", Failure::Drop()},
      // eBay stops answering after the sold list: the import ends rather than
      // waiting for every order, and does not report "nothing new".
      {"ebay:GetItemTransactions", Failure::Drop()},
  };
  for (const auto& [target, failure] : cases) {
    sim_.Failures().ClearAll();
    sim_.Failures().Set(target, failure);
    test::WriteFile(orders_file_, "vorher");
    error_.clear();
    EXPECT_EQ(Import(), -1) << target;
    EXPECT_EQ(error_, Resources::ORDER_GETINFO_ERROR()) << target;
    EXPECT_EQ(test::ReadFile(orders_file_), "vorher") << target;
  }
  EXPECT_TRUE(text::Contains(host_.Log(), "eBay antwortet nicht mehr")) << host_.Log();

  // A file that cannot be written is a failure with a text, not a success.
  sim_.Failures().ClearAll();
  test::UseResultFile(dir_ / "fehlt" / "orders.xml");
  EXPECT_EQ(Import(), -1);
  EXPECT_TRUE(text::Contains(error_, "konnten nicht in die Datei")) << error_;
  EXPECT_FALSE(std::filesystem::exists(dir_ / "fehlt"));
}

TEST_F(EbayImportTest, OrdersAreWrittenAsFetchedAndKeptBackUntilTheEnd) {
  ASSERT_EQ(Import(), 1) << error_;
  // Each order is converted as soon as its calls are answered, under the
  // conversion's heading shown once.
  ASSERT_GE(worker_.messages.size(), 5u);
  EXPECT_EQ(
      std::vector(worker_.messages.begin(), worker_.messages.begin() + 5),
      (std::vector<std::string>{"Hole eBay-Bestellung 1 von 4|1", "Verarbeite eBay Bestellungen...|-1",
                                "Verarbeite eBay Bestellung 1 von 4|1", "Hole eBay-Bestellung 2 von 4|2",
                                "Verarbeite eBay Bestellung 2 von 4|2"}));

  // eBay goes away after three orders reached the file being written: the
  // host's file stays as it was.
  sim_.Failures().Set("ebay:GetUser", Failure::Drop());
  sim_.Failures().Set("ebay:GetItemTransactions:item=110000000003", Failure::Drop());
  sim_.Failures().Set("ebay:GetItemTransactions:item=110000000004", Failure::Drop());
  test::WriteFile(orders_file_, "vorher");
  const auto names = [&] {
    std::set<std::filesystem::path> found;
    for (const auto& entry : std::filesystem::directory_iterator(dir_.path())) found.insert(entry.path());
    return found;
  };
  const auto before = names();
  worker_.messages.clear();
  error_.clear();
  EXPECT_EQ(Import(), -1);
  EXPECT_EQ(error_, Resources::ORDER_GETINFO_ERROR());
  EXPECT_EQ(test::ReadFile(orders_file_), "vorher");
  EXPECT_EQ(names(), before);  // no temporary file left behind
  ASSERT_GE(worker_.messages.size(), 2u);
  EXPECT_EQ(worker_.messages.end()[-2], "Verarbeite eBay Bestellung 3 von 4|3");
  EXPECT_EQ(worker_.messages.back(), "Hole eBay-Bestellung 4 von 4|4");
}

TEST_F(EbayImportTest, TokenProblemsDuringTheImport) {
  // An expired token: eBay refuses the sold list.
  const std::string token = Settings().ebay_token();
  sim_.Ebay().SetTokenStatus(token, "Expired");
  EXPECT_EQ(Import(), -1);
  EXPECT_EQ(error_, Resources::ORDER_GETINFO_ERROR());
  const std::string log = host_.Log();
  EXPECT_TRUE(text::Contains(log, "932 Auth token is hard expired.")) << log;
  // Failures are logged by code and message: never the token, the keys or a request.
  EXPECT_FALSE(text::Contains(log, "SimToken")) << log;
  EXPECT_FALSE(text::Contains(log, Key(KANVIO_EBAY_KEY_APPID_PRODUCTION))) << log;
  EXPECT_FALSE(text::Contains(log, "RequesterCredentials")) << log;

  // No token: the import signs in first, or fails with the catalogue's text.
  Settings settings;
  settings.set_ebay_token("");
  settings.Save();
  {
    EbaySignInDouble no_answer(EbaySignInDouble::Behaviour::kNoAnswer);
    EXPECT_EQ(Import(), -1);
    EXPECT_EQ(error_, Resources::EBAY_MISSING_TOKEN());
  }
  EbaySignInDouble sign_in;
  error_.clear();
  EXPECT_EQ(Import(), 1) << error_;
  EXPECT_EQ(sim_.Ebay().TokenStatus(Settings().ebay_token()), "Active");
  EXPECT_EQ(worker_.messages.front(), "eBay-Token nicht gefunden. Stelle Verbindung her.|-1");
}

class EbayManyPagesTest : public EbayImportTest {
 protected:
  EbayManyPagesTest()
      : EbayImportTest({.port = 0,
                        .base_path = "",
                        .password = "",
                        .state_file = {},
                        .demo_data = false,
                        .ebay_generated_orders = 1201}) {}
};

TEST_F(EbayManyPagesTest, ReadsEveryPageOfTheSoldList) {
  ASSERT_EQ(Import(), 1) << error_;
  const auto pages = Calls("GetMyeBaySelling");
  ASSERT_EQ(pages.size(), 7u);
  for (std::size_t i = 0; i < pages.size(); ++i)
    EXPECT_NE(pages[i].body.find("<PageNumber>" + std::to_string(i + 1) + "</PageNumber>"),
              std::string::npos);
  EXPECT_EQ(Orders().size(), 1201u);
}

}  // namespace
}  // namespace kanvio
