// The value rules of the ePages orders file and the credential and path rules.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

#include "FakeClock.h"
#include "HostFolders.h"
#include "ShopTestSupport.h"
#include "TestSupport.h"
#include "config/Settings.h"
#include "shops/epages/CredentialBuilder.h"
#include "shops/epages/OrderRules.h"
#include "shops/epages/Orders.h"
#include "support/Error.h"

namespace kanvio::epages {
namespace {

TEST(EpagesRulesTest, CountryTableTakesCodesWithAndWithoutLeadingZeros) {
  struct Case {
    const char* id;
    const char* code;
    const char* name;
  };
  const Case cases[] = {
      {"40", "A", "Österreich"},
      {"040", "A", "Österreich"},
      {"4", "AFG", "Afghanistan"},
      {"004", "AFG", "Afghanistan"},
      {"276", "DE", "Deutschland"},
      {" 756 ", "CH", "Schweiz"},
      {"826", "GB", "Vereiniges Königreich Großbritannien und Nordirland"},
      {"688", "RS", "Serbien"},
      {"999", "", ""},
      {"0040", "", ""},
      {"0100", "", ""},
      {"04", "", ""},
      {"", "", ""},
      {"DE", "", ""},
      {"-40", "", ""},
      {"4O", "", ""},
  };
  for (const Case& c : cases) {
    const Country country = CountryOf(c.id);
    EXPECT_EQ(country.code, c.code) << c.id;
    EXPECT_EQ(country.name, c.name) << c.id;
  }
}

TEST(EpagesRulesTest, GenderStreetAndMethodNames) {
  EXPECT_EQ(GenderOf(std::string("1")), "m");
  EXPECT_EQ(GenderOf(std::string("2")), "w");
  for (auto unknown : {std::optional<std::string>(), std::optional<std::string>(""),
                       std::optional<std::string>("0"), std::optional<std::string>("3")})
    EXPECT_EQ(GenderOf(unknown), "");

  EXPECT_EQ(StreetOf({"Hauptstraße 12", "", "Hinterhaus"}), "Hauptstraße 12, Hinterhaus");
  EXPECT_EQ(StreetOf({"", ""}), "");

  struct Case {
    const char* path;
    const char* expected;
  };
  const Case methods[] = {
      {"/Shops/S/ShippingMethods/Express", "Express"},
      {"/Shops/S/ShippingMethods/\"Express\"", "Express"},
      {"/Shops/S/ShippingMethods/", ""},
      {"/Shops/S/ShippingMethods", ""},
      {"/Shops/S/Versand/Express", "Linienname"},  // no marker: the line item's name
      {"", "Linienname"},
  };
  for (const Case& c : methods)
    EXPECT_EQ(MethodNameOf(c.path, "ShippingMethods", "Linienname"), c.expected) << c.path;
}

TEST(EpagesRulesTest, BankValuesGoToAccountFieldsOnlyWhenBothAreWholeNumbers) {
  struct Case {
    const char* code;
    const char* account;
    BankFields expected;
  };
  const Case cases[] = {
      {"37040044", "2147483647", {"2147483647", "37040044", "", ""}},
      {"37040044", "2147483648", {"", "", "37040044", "2147483648"}},
      {" 37040044 ", "-2147483648", {"-2147483648", " 37040044 ", "", ""}},
      {"COBADEFFXXX", "DE89370400440532013000", {"", "", "COBADEFFXXX", "DE89370400440532013000"}},
      {"", "", {"", "", "", ""}},
      {"+1", "12 3", {"", "", "+1", "12 3"}},
  };
  for (const Case& c : cases) {
    const BankFields bank = BankOf(c.code, c.account);
    EXPECT_EQ(bank.account_number, c.expected.account_number) << c.code << "/" << c.account;
    EXPECT_EQ(bank.bank_code, c.expected.bank_code) << c.code << "/" << c.account;
    EXPECT_EQ(bank.bic, c.expected.bic) << c.code << "/" << c.account;
    EXPECT_EQ(bank.iban, c.expected.iban) << c.code << "/" << c.account;
  }
}

TEST(EpagesRulesTest, CreationDatesWithZoneBecomeLocalTime) {
  test::FakeClock clock({2024, 1, 1, 0, 0, 0}, std::chrono::minutes(60));
  struct Case {
    const char* text;
    std::optional<LocalDateTime> expected;
  };
  const Case cases[] = {
      {"2024-03-01T08:12:44Z", LocalDateTime{2024, 3, 1, 9, 12, 44}},
      {"2024-03-01T08:12:44.123Z", LocalDateTime{2024, 3, 1, 9, 12, 44}},
      {"2024-03-01T08:12:44 GMT", LocalDateTime{2024, 3, 1, 9, 12, 44}},
      {"2024-03-01T08:12:44+02:00", LocalDateTime{2024, 3, 1, 7, 12, 44}},
      {"2024-03-01T23:30:00-0100", LocalDateTime{2024, 3, 2, 1, 30, 0}},
      {"2024-03-01T08:12:44", LocalDateTime{2024, 3, 1, 8, 12, 44}},
      {"2024-03-01", LocalDateTime{2024, 3, 1, 0, 0, 0}},
      {"2024-02-30T08:12:44", std::nullopt},
      {"2024-03-01T25:00:00", std::nullopt},
      {"2024-03-01T08:12:44+99:00", std::nullopt},
      {"01.03.2024 08:12:44", std::nullopt},
      {"", std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(CreationDateOf(c.text), c.expected) << c.text;
}

TEST(EpagesRulesTest, PartnerTokensGoOnlyToHostsOfThePartnerDomain) {
  const std::string domain = "partner.example";
  struct Case {
    const char* url;
    bool partner;
  };
  const Case cases[] = {
      {"https://pexa-soap.partner.example/epages/Store.soap", true},
      {"https://partner.example/pexa-soap/Store.soap", true},
      {"HTTPS://PEXA-SOAP.PARTNER.EXAMPLE./epages/Store.soap", true},
      {"https://pexa-soap.partner.example:8443/epages/Store.soap", true},
      {"https://partner.example/epages/Store.soap", false},  // no "pexa-soap"
      {"https://evil.example/pexa-soap.partner.example/Store.soap", false},
      {"https://evil.example/Store.soap?pexa-soap=partner.example", false},
      {"https://pexa-soap.partner.example.evil.example/Store.soap", false},
      {"https://notpartner.example/pexa-soap/Store.soap", false},
      {"https://pexa-soap.partner.example@evil.example/Store.soap", false},
      {"pexa-soap.partner.example", false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(CredentialBuilder::IsPartnerEndpoint(c.url, domain), c.partner) << c.url;
  EXPECT_FALSE(CredentialBuilder::IsPartnerEndpoint("https://pexa-soap.partner.example/", ""));
}

class EpagesConnectionTest : public ::testing::Test {
 protected:
  test::HostFolders host_;
  test::TempDir dir_;
  test::ScopedEnv deployment_{"KANVIO_DEPLOYMENT_CONFIG", (dir_.path() / "deployment.config").string()};

  void SetUp() override {
    test::WriteFile(dir_.path() / "deployment.config",
                    "<settings><setting name=\"strato_partnerDomain\">strato-partner.example</setting>"
                    "<setting name=\"SecurityTokenPart1\">Token_Eins_abcdefghijklmn1</setting>"
                    "<setting name=\"SecurityTokenPart2\">Token_Zwei12</setting></settings>");
  }
};

TEST_F(EpagesConnectionTest, CredentialAndShopPathFollowTheAddress) {
  test::StoreConnection("ledgrox", "strato", "https://pexa-soap.strato-partner.example/epages/Store.soap",
                        "DemoShop", "geheim");
  platform::BasicCredentials credential = CredentialBuilder::GetCredential(Settings());
  EXPECT_EQ(credential.user, "/Shops/DemoShop/Users/DemoShop\x01Token_Eins_abcdefghijklmn1");
  EXPECT_EQ(credential.password, "geheim\x01Token_Zwei12");
  EXPECT_EQ(ShopPath(Settings()), "/Shops/DemoShop");

  // The variant without "pexa-soap": partner paths, the plain credential.
  test::StoreConnection("ledgrox", "strato", "https://pexa.strato-partner.example/epages/Store.soap",
                        "DemoShop", "geheim");
  credential = CredentialBuilder::GetCredential(Settings());
  EXPECT_EQ(credential.user, "DemoShop");
  EXPECT_EQ(credential.password, "geheim");
  EXPECT_EQ(ShopPath(Settings()), "/Shops/DemoShop");

  test::StoreConnection("ledgrox", "epages", "https://shop.example/epages/Store.soap",
                        "/Shops/DemoShop/Users/admin", "geheim");
  credential = CredentialBuilder::GetCredential(Settings());
  EXPECT_EQ(credential.user, "/Shops/DemoShop/Users/admin");
  EXPECT_EQ(ShopPath(Settings()), "/Shops/DemoShop");
}

TEST_F(EpagesConnectionTest, LoginOfAnotherFormGivesAGermanTextNotAnIndexError) {
  for (const char* login : {"admin", "/Shops/DemoShop", "Shops/DemoShop/Users/admin", "/Shops//Users/admin",
                            "/Shops/DemoShop/Users/", "/Products/x/Users/admin", ""}) {
    test::StoreConnection("ledgrox", "epages", "https://shop.example/epages/Store.soap", login, "pw");
    try {
      ShopPath(Settings());
      ADD_FAILURE() << "accepted " << login;
    } catch (const Error& e) {
      EXPECT_NE(std::string(e.what()).find("/Shops/<Shop-ID>/Users/<Benutzername>"), std::string::npos)
          << login;
    }
  }
  test::StoreConnection("ledgrox", "strato", "https://pexa-soap.strato-partner.example/", "/Shops/X", "pw");
  EXPECT_THROW(ShopPath(Settings()), Error);
}

// The shop configuration file decides which orders the search leaves out; a
// switch it lacks is off, and without the file the stored switches hold.
TEST_F(EpagesConnectionTest, OrderSearchLeavesOutWhatTheConfigurationExcludes) {
  struct Case {
    const char* switches;  // the children of shops/strato/order
    std::optional<bool> archived, cancelled, closed;
  };
  const Case cases[] = {
      {"<DoNotImportArchivedOrders>True</DoNotImportArchivedOrders>"
       "<DoNotImportCancelledOrders>True</DoNotImportCancelledOrders>"
       "<DoNotImportClosedOrders>True</DoNotImportClosedOrders>",
       true, true, true},
      {"<DoNotImportArchivedOrders>true</DoNotImportArchivedOrders>"
       "<DoNotImportCancelledOrders>false</DoNotImportCancelledOrders>",
       true, std::nullopt, std::nullopt},
      {"<DoNotImportCancelledOrders>True</DoNotImportCancelledOrders>", std::nullopt, true, std::nullopt},
      {"<DoNotImportClosedOrders>True</DoNotImportClosedOrders>", std::nullopt, std::nullopt, true},
      {"<isPaid>true</isPaid>", std::nullopt, std::nullopt, std::nullopt},
  };
  for (const Case& c : cases) {
    test::WriteFile(host_.ConfigFile(), std::string("<marlixKanvioConfig><generell/><shops><strato><order>") +
                                            c.switches + "</order></strato></shops></marlixKanvioConfig>");
    Settings settings;
    std::string error;
    const OrderSearch search = Orders::BuildOrderSearch(settings, error);
    EXPECT_EQ(error, "") << c.switches;
    EXPECT_EQ(search.NotInProcess, true) << c.switches;
    EXPECT_EQ(search.NotArchived, c.archived) << c.switches;
    EXPECT_EQ(search.NotCancelled, c.cancelled) << c.switches;
    EXPECT_EQ(search.NotClosed, c.closed) << c.switches;
    const Settings stored;
    EXPECT_EQ(stored.strato_doNotImportArchivedOrders(), c.archived.has_value()) << c.switches;
    EXPECT_EQ(stored.strato_doNotImportCancelledOrders(), c.cancelled.has_value()) << c.switches;
    EXPECT_EQ(stored.strato_doNotImportClosedOrders(), c.closed.has_value()) << c.switches;
  }

  std::filesystem::remove(host_.ConfigFile());
  Settings settings;
  settings.set_strato_doNotImportCancelledOrders(true);
  settings.Save();
  std::string error;
  const OrderSearch search = Orders::BuildOrderSearch(settings, error);
  EXPECT_EQ(error, "");
  EXPECT_EQ(search.NotArchived, std::nullopt);
  EXPECT_EQ(search.NotCancelled, true);
  EXPECT_EQ(search.NotClosed, std::nullopt);
  EXPECT_FALSE(std::filesystem::exists(host_.ConfigFile()));
}

}  // namespace
}  // namespace kanvio::epages
