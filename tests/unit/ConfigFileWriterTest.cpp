#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <pugixml.hpp>

#include "HostFolders.h"
#include "config/ConfigFileWriter.h"
#include "support/Error.h"
#include "support/Text.h"

namespace kanvio {
namespace {

namespace fs = std::filesystem;
using test::HostFolders;
using test::ReadFile;
using test::ScopedEnv;
using test::WriteFile;
using ::testing::ElementsAreArray;
using ::testing::HasSubstr;

bool HasElementChild(pugi::xml_node node) {
  for (auto child : node.children())
    if (child.type() == pugi::node_element) return true;
  return false;
}

// Every leaf element as "path=text", every inner one as "path/", in document order.
void Flatten(pugi::xml_node node, const std::string& prefix, std::vector<std::string>& out) {
  for (auto child : node.children()) {
    if (child.type() != pugi::node_element) continue;
    const std::string path = prefix + child.name();
    if (HasElementChild(child)) {
      out.push_back(path + "/");
      Flatten(child, path + "/", out);
    } else {
      out.push_back(path + "=" + child.text().get());
    }
  }
}

std::vector<std::string> Tree(const fs::path& file) {
  pugi::xml_document document;
  EXPECT_TRUE(document.load_file(file.c_str())) << ReadFile(file);
  std::vector<std::string> tree;
  Flatten(document, "", tree);
  return tree;
}

std::vector<std::string> Expected(std::vector<std::string> head, const std::vector<std::string>& tail) {
  head.insert(head.end(), tail.begin(), tail.end());
  return head;
}

const std::vector<std::string> kAmazon = {
    "marlixKanvioConfig/shops/amazon/",
    "marlixKanvioConfig/shops/amazon/order/",
    "marlixKanvioConfig/shops/amazon/order/canceled=false",
    "marlixKanvioConfig/shops/amazon/order/partiallyShipped=true",
    "marlixKanvioConfig/shops/amazon/order/pending=false",
    "marlixKanvioConfig/shops/amazon/order/shipped=false",
    "marlixKanvioConfig/shops/amazon/order/unfulfillable=false",
    "marlixKanvioConfig/shops/amazon/order/unshipped=true",
};

const std::vector<std::string> kEbay = {
    "marlixKanvioConfig/shops/ebay/",
    "marlixKanvioConfig/shops/ebay/PaidStatusCode/",
    "marlixKanvioConfig/shops/ebay/PaidStatusCode/NotPaid=false",
    "marlixKanvioConfig/shops/ebay/PaidStatusCode/PaymentPendingWithPayPal=false",
    "marlixKanvioConfig/shops/ebay/PaidStatusCode/PaymentPendingWithEscrow=false",
    "marlixKanvioConfig/shops/ebay/PaidStatusCode/PaidWithEscrow=false",
    "marlixKanvioConfig/shops/ebay/PaidStatusCode/EscrowPaymentCancelled=false",
    "marlixKanvioConfig/shops/ebay/PaidStatusCode/PaymentPendingWithPaisaPay=false",
    "marlixKanvioConfig/shops/ebay/PaidStatusCode/PaidWithPaisaPay=false",
    "marlixKanvioConfig/shops/ebay/PaidStatusCode/PaymentPending=false",
    "marlixKanvioConfig/shops/ebay/PaidStatusCode/PaymentPendingWithPaisaPayEscrow=false",
    "marlixKanvioConfig/shops/ebay/PaidStatusCode/PaidWithPaisaPayEscrow=false",
    "marlixKanvioConfig/shops/ebay/PaidStatusCode/PaisaPayNotPaid=false",
    "marlixKanvioConfig/shops/ebay/PaidStatusCode/Refunded=false",
    "marlixKanvioConfig/shops/ebay/PaidStatusCode/WaitingForCODPayment=false",
    "marlixKanvioConfig/shops/ebay/PaidStatusCode/PaidCOD=false",
    "marlixKanvioConfig/shops/ebay/PaidStatusCode/CustomCode=false",
    "marlixKanvioConfig/shops/ebay/PaidStatusCode/BuyerHasNotCompletedCheckout=true",
    "marlixKanvioConfig/shops/ebay/PaidStatusCode/PaidWithPayPal=true",
    "marlixKanvioConfig/shops/ebay/PaidStatusCode/MarkedAsPaid=true",
    "marlixKanvioConfig/shops/ebay/PaidStatusCode/Paid=true",
    "marlixKanvioConfig/shops/ebay/formatting/",
    "marlixKanvioConfig/shops/ebay/formatting/useShippingAsPaymentAdress=false",
    "marlixKanvioConfig/shops/ebay/formatting/useShippingAsMainAdress=false",
};

TEST(ConfigFileWriterTest, FreshFileHoldsEveryElementInOrder) {
  HostFolders host;
  ConfigFileWriter writer;
  const std::vector<std::string> head = {
      "marlixKanvioConfig/",
      "marlixKanvioConfig/generell/",
      "marlixKanvioConfig/generell/PackageSplitting=true",
      "marlixKanvioConfig/generell/PackageSplittingAmount=100",
      "marlixKanvioConfig/generell/SecurityProtocols=Tls12,Tls11,Tls",
      "marlixKanvioConfig/shops/",
  };
  const std::vector<std::string> strato = {
      "marlixKanvioConfig/shops/strato/",
      "marlixKanvioConfig/shops/strato/order/",
      "marlixKanvioConfig/shops/strato/order/isViewed=True",
      "marlixKanvioConfig/shops/strato/order/isNotViewed=True",
      "marlixKanvioConfig/shops/strato/order/isInProcess=False",
      "marlixKanvioConfig/shops/strato/order/isPending=False",
      "marlixKanvioConfig/shops/strato/order/isReadyForShipping=False",
      "marlixKanvioConfig/shops/strato/order/isPartlyDispatched=False",
      "marlixKanvioConfig/shops/strato/order/isDispatched=False",
      "marlixKanvioConfig/shops/strato/order/isShipped=False",
      "marlixKanvioConfig/shops/strato/order/isPartlyPaid=False",
      "marlixKanvioConfig/shops/strato/order/isPaid=True",
      "marlixKanvioConfig/shops/strato/order/isPartlyInvoiced=False",
      "marlixKanvioConfig/shops/strato/order/isInvoiced=False",
      "marlixKanvioConfig/shops/strato/order/DoNotImportArchivedOrders=True",
      "marlixKanvioConfig/shops/strato/order/DoNotImportClosedOrders=True",
      "marlixKanvioConfig/shops/strato/order/DoNotImportCancelledOrders=True",
      "marlixKanvioConfig/shops/strato/order/importAttributes=True",
      "marlixKanvioConfig/shops/strato/articleimport/",
      "marlixKanvioConfig/shops/strato/articleimport/importAttributes=true",
  };
  EXPECT_THAT(Tree(host.ConfigFile()),
              ElementsAreArray(Expected(Expected(Expected(head, kAmazon), strato), kEbay)));
}

TEST(ConfigFileWriterTest, SecondRunChangesNothingAndKeepsUserEdits) {
  HostFolders host;
  ConfigFileWriter first;
  const std::string edited =
      text::ReplaceAll(ReadFile(host.ConfigFile()), "<PackageSplitting>true<", "<PackageSplitting>FALSE<");
  WriteFile(host.ConfigFile(), edited);
  ConfigFileWriter second;
  EXPECT_EQ(ReadFile(host.ConfigFile()), edited);
  EXPECT_EQ(fs::directory_iterator(host.ConfigFile().parent_path())->path(),
            host.ConfigFile());  // no leftovers
}

TEST(ConfigFileWriterTest, OldLineFormatIsConvertedAndUpgraded) {
  HostFolders host;
  WriteFile(
      host.ConfigFile(),
      "[Strato]\r\nisPaid=true\r\n\r\n[Allgemein]\r\nSPLIT_PACKAGES=false\r\nArtikelbeschreibung= True \r\n"
      "Kommentar ohne Gleichheitszeichen\r\nunbekannt=false\r\nDoNotImportClosedOrders=FALSE\r\n");
  ConfigFileWriter writer;
  const std::vector<std::string> head = {
      "marlixKanvioConfig/",
      "marlixKanvioConfig/generell/",
      "marlixKanvioConfig/generell/PackageSplitting=False",
      "marlixKanvioConfig/generell/PackageSplittingAmount=100",
      "marlixKanvioConfig/generell/SecurityProtocols=Tls12,Tls11,Tls",
      "marlixKanvioConfig/shops/",
  };
  const std::vector<std::string> strato = {
      "marlixKanvioConfig/shops/strato/",
      "marlixKanvioConfig/shops/strato/order/",
      "marlixKanvioConfig/shops/strato/order/isPaid=True",
      "marlixKanvioConfig/shops/strato/order/DoNotImportClosedOrders=False",
      "marlixKanvioConfig/shops/strato/order/importAttributes=True",
      "marlixKanvioConfig/shops/strato/articleimport/",
      "marlixKanvioConfig/shops/strato/articleimport/importAttributes=True",
  };
  EXPECT_THAT(Tree(host.ConfigFile()),
              ElementsAreArray(Expected(Expected(Expected(head, kAmazon), strato), kEbay)));
}

TEST(ConfigFileWriterTest, OldFormatWithoutSplitPackagesOrArticleDescriptionLeavesThemOut) {
  HostFolders host;
  WriteFile(host.ConfigFile(), "[Strato]\nisViewed=false\n");
  ConfigFileWriter writer;
  const auto tree = Tree(host.ConfigFile());
  EXPECT_THAT(tree, ::testing::Contains("marlixKanvioConfig/shops/strato/order/isViewed=False"));
  EXPECT_THAT(tree, ::testing::Not(::testing::Contains(HasSubstr("PackageSplitting="))));
  EXPECT_THAT(tree, ::testing::Not(::testing::Contains(HasSubstr("importAttributes"))));
}

TEST(ConfigFileWriterTest, BrokenOldFormatKeepsTheFileAndIsLogged) {
  const struct {
    const char* content;
    const char* logged;
  } cases[] = {
      {"[Strato]\nisPaid=true\nisPaid=false\n", "isPaid kommt in der alten Konfigurationsdatei mehrfach vor"},
      {"[Strato]\nisPaid=ja\n", "\"ja\" von isPaid in der alten Konfigurationsdatei ist kein Wahrheitswert"},
      {"[Strato]\nSPLIT_PACKAGES=1\n", "kein Wahrheitswert"},
      {"[Strato]\nis Paid=true\n", "is Paid ist kein gültiger Elementname"},
  };
  for (const auto& c : cases) {
    HostFolders host;
    host.EnableLogging();
    WriteFile(host.ConfigFile(), c.content);
    ConfigFileWriter writer;
    EXPECT_EQ(ReadFile(host.ConfigFile()), c.content);
    const auto log = host.LogLines();
    ASSERT_EQ(log.size(), 2u) << c.content;  // the conversion, then the upgrade on the old file
    EXPECT_THAT(log[0], HasSubstr(c.logged));
    EXPECT_THAT(log[1], HasSubstr("kein gültiges XML"));
  }
}

TEST(ConfigFileWriterTest, OldFormatWithoutPairsStaysUnchanged) {
  HostFolders host;
  WriteFile(host.ConfigFile(), "[Strato]\n\nnur Text\n");
  ConfigFileWriter writer;
  EXPECT_EQ(ReadFile(host.ConfigFile()), "[Strato]\n\nnur Text\n");
}

TEST(ConfigFileWriterTest, FormattingLackingOnlyPaymentAdressGetsASecondFormatting) {
  HostFolders host;
  ConfigFileWriter first;
  WriteFile(host.ConfigFile(),
            text::ReplaceAll(ReadFile(host.ConfigFile()),
                             "<useShippingAsPaymentAdress>false</useShippingAsPaymentAdress>", ""));
  ConfigFileWriter second;
  const auto tree = Tree(host.ConfigFile());
  const std::vector<std::string> tail(tree.end() - 4, tree.end());
  EXPECT_THAT(
      tail, ElementsAreArray({"marlixKanvioConfig/shops/ebay/formatting/",
                              "marlixKanvioConfig/shops/ebay/formatting/useShippingAsMainAdress=false",
                              "marlixKanvioConfig/shops/ebay/formatting/",
                              "marlixKanvioConfig/shops/ebay/formatting/useShippingAsPaymentAdress=false"}));
}

TEST(ConfigFileWriterTest, MissingMainAdressIsAddedToTheFirstFormatting) {
  HostFolders host;
  ConfigFileWriter first;
  WriteFile(host.ConfigFile(),
            text::ReplaceAll(ReadFile(host.ConfigFile()),
                             "<useShippingAsMainAdress>false</useShippingAsMainAdress>", ""));
  ConfigFileWriter second;
  const auto tree = Tree(host.ConfigFile());
  EXPECT_EQ(tree.back(), "marlixKanvioConfig/shops/ebay/formatting/useShippingAsMainAdress=false");
  EXPECT_EQ(std::count(tree.begin(), tree.end(), "marlixKanvioConfig/shops/ebay/formatting/"), 1);
}

TEST(ConfigFileWriterTest, DeletedSecurityProtocolsIsAddedAgain) {
  HostFolders host;
  ConfigFileWriter first;
  WriteFile(host.ConfigFile(),
            text::ReplaceAll(ReadFile(host.ConfigFile()),
                             "<SecurityProtocols>Tls12,Tls11,Tls</SecurityProtocols>", ""));
  ASSERT_THAT(ReadFile(host.ConfigFile()), ::testing::Not(HasSubstr("SecurityProtocols")));
  ConfigFileWriter second;
  EXPECT_THAT(Tree(host.ConfigFile()),
              ::testing::Contains("marlixKanvioConfig/generell/SecurityProtocols=Tls12,Tls11,Tls"));
}

TEST(ConfigFileWriterTest, UpgradeFailureKeepsTheStepsDoneBeforeIt) {
  HostFolders host;
  host.EnableLogging();
  WriteFile(host.ConfigFile(),
            "<?xml version=\"1.0\"?>\n<marlixKanvioConfig><generell/></marlixKanvioConfig>\n");
  ConfigFileWriter writer;
  EXPECT_THAT(Tree(host.ConfigFile()),
              ElementsAreArray({"marlixKanvioConfig/", "marlixKanvioConfig/generell/",
                                "marlixKanvioConfig/generell/PackageSplittingAmount=100"}));
  EXPECT_THAT(host.LogLines(),
              ElementsAreArray({HasSubstr("Error - Das Element marlixKanvioConfig/shops fehlt")}));
}

TEST(ConfigFileWriterTest, FileThatIsNotXmlIsKeptAndLogged) {
  HostFolders host;
  host.EnableLogging();
  WriteFile(host.ConfigFile(), "<marlixKanvioConfig><generell>");
  ConfigFileWriter writer;
  EXPECT_EQ(ReadFile(host.ConfigFile()), "<marlixKanvioConfig><generell>");
  EXPECT_THAT(host.LogLines(), ElementsAreArray({HasSubstr("kein gültiges XML")}));
}

TEST(ConfigFileWriterTest, ThrowsWithoutPathLibrary) {
  HostFolders host;
  ScopedEnv library("KANVIO_PATHS_LIBRARY", (host.ProgramData() / "missing.so").string());
  EXPECT_THROW(ConfigFileWriter(), Error);
}

}  // namespace
}  // namespace kanvio
