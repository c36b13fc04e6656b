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
using test::WriteFile;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;

// One line per element that has child elements, "path: children", where a
// leaf child shows as name=text and an inner one as name/. Paths start below the root.
void Describe(pugi::xml_node node, const std::string& path, std::vector<std::string>& out) {
  std::string line = path + ":";
  std::vector<std::pair<pugi::xml_node, std::string>> inner;
  for (auto child = node.first_child(); child; child = child.next_sibling()) {
    if (child.type() != pugi::node_element) continue;
    const bool leaf = !child.find_child([](pugi::xml_node n) { return n.type() == pugi::node_element; });
    line += std::string(" ") + child.name() + (leaf ? std::string("=") + child.text().get() : "/");
    if (!leaf) inner.emplace_back(child, (path.empty() ? "" : path + "/") + child.name());
  }
  out.push_back(line);
  for (const auto& [child, child_path] : inner) Describe(child, child_path, out);
}

std::vector<std::string> Tree(const fs::path& file) {
  pugi::xml_document document;
  EXPECT_TRUE(document.load_file(file.c_str())) << ReadFile(file);
  std::vector<std::string> tree;
  Describe(document.child("marlixKanvioConfig"), "", tree);
  return tree;
}

std::string Replaced(const fs::path& file, const std::string& from, const std::string& to) {
  return text::ReplaceAll(ReadFile(file), from, to);
}

constexpr const char* kAmazonOrder =
    "shops/amazon/order: canceled=false partiallyShipped=true pending=false shipped=false "
    "unfulfillable=false "
    "unshipped=true";
constexpr const char* kEbay[] = {
    "shops/ebay: PaidStatusCode/ formatting/",
    "shops/ebay/PaidStatusCode: NotPaid=false PaymentPendingWithPayPal=false PaymentPendingWithEscrow=false "
    "PaidWithEscrow=false EscrowPaymentCancelled=false PaymentPendingWithPaisaPay=false "
    "PaidWithPaisaPay=false "
    "PaymentPending=false PaymentPendingWithPaisaPayEscrow=false PaidWithPaisaPayEscrow=false "
    "PaisaPayNotPaid=false Refunded=false WaitingForCODPayment=false PaidCOD=false CustomCode=false "
    "BuyerHasNotCompletedCheckout=true PaidWithPayPal=true MarkedAsPaid=true Paid=true",
    "shops/ebay/formatting: useShippingAsPaymentAdress=false useShippingAsMainAdress=false",
};

TEST(ConfigFileWriterTest, FreshFileHoldsEveryElementInOrder) {
  HostFolders host;
  ConfigFileWriter writer;
  EXPECT_THAT(
      Tree(host.ConfigFile()),
      ElementsAre(
          ": generell/ shops/",
          "generell: PackageSplitting=true PackageSplittingAmount=100 SecurityProtocols=Tls12,Tls11,Tls",
          "shops: amazon/ strato/ ebay/", "shops/amazon: order/", kAmazonOrder,
          "shops/strato: order/ articleimport/",
          "shops/strato/order: isViewed=True isNotViewed=True isInProcess=False isPending=False "
          "isReadyForShipping=False isPartlyDispatched=False isDispatched=False isShipped=False "
          "isPartlyPaid=False isPaid=True isPartlyInvoiced=False isInvoiced=False "
          "DoNotImportArchivedOrders=True DoNotImportClosedOrders=True DoNotImportCancelledOrders=True "
          "importAttributes=True",
          "shops/strato/articleimport: importAttributes=true", kEbay[0], kEbay[1], kEbay[2]));
}

TEST(ConfigFileWriterTest, SecondRunChangesNothingAndKeepsUserEdits) {
  HostFolders host;
  ConfigFileWriter first;
  const std::string edited =
      Replaced(host.ConfigFile(), "<PackageSplitting>true<", "<PackageSplitting>FALSE<");
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
  EXPECT_THAT(
      Tree(host.ConfigFile()),
      ElementsAre(
          ": generell/ shops/",
          "generell: PackageSplitting=False PackageSplittingAmount=100 SecurityProtocols=Tls12,Tls11,Tls",
          "shops: amazon/ strato/ ebay/", "shops/amazon: order/", kAmazonOrder,
          "shops/strato: order/ articleimport/",
          "shops/strato/order: isPaid=True DoNotImportClosedOrders=False importAttributes=True",
          "shops/strato/articleimport: importAttributes=True", kEbay[0], kEbay[1], kEbay[2]));
}

TEST(ConfigFileWriterTest, OldFormatWithoutSplitPackagesOrArticleDescriptionLeavesThemOut) {
  HostFolders host;
  WriteFile(host.ConfigFile(), "[Strato]\nisViewed=false\n");
  ConfigFileWriter writer;
  const auto tree = Tree(host.ConfigFile());
  EXPECT_THAT(tree, Contains("generell: PackageSplittingAmount=100 SecurityProtocols=Tls12,Tls11,Tls"));
  EXPECT_THAT(tree, Contains("shops/strato: order/"));
  EXPECT_THAT(tree, Contains("shops/strato/order: isViewed=False"));
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
    // The conversion fails, then the upgrade fails on the old file.
    EXPECT_THAT(host.LogLines(), ElementsAre(HasSubstr(c.logged), HasSubstr("kein gültiges XML")))
        << c.content;
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
  WriteFile(
      host.ConfigFile(),
      Replaced(host.ConfigFile(), "<useShippingAsPaymentAdress>false</useShippingAsPaymentAdress>", ""));
  ConfigFileWriter second;
  const auto tree = Tree(host.ConfigFile());
  EXPECT_THAT(std::vector(tree.end() - 4, tree.end()),
              ElementsAre("shops/ebay: PaidStatusCode/ formatting/ formatting/", kEbay[1],
                          "shops/ebay/formatting: useShippingAsMainAdress=false",
                          "shops/ebay/formatting: useShippingAsPaymentAdress=false"));
}

TEST(ConfigFileWriterTest, MissingMainAdressIsAddedToTheFirstFormatting) {
  HostFolders host;
  ConfigFileWriter first;
  WriteFile(host.ConfigFile(),
            Replaced(host.ConfigFile(), "<useShippingAsMainAdress>false</useShippingAsMainAdress>", ""));
  ConfigFileWriter second;
  EXPECT_THAT(Tree(host.ConfigFile()), Contains(kEbay[2]));
}

TEST(ConfigFileWriterTest, DeletedSecurityProtocolsIsAddedAgain) {
  HostFolders host;
  ConfigFileWriter first;
  WriteFile(host.ConfigFile(),
            Replaced(host.ConfigFile(), "<SecurityProtocols>Tls12,Tls11,Tls</SecurityProtocols>", ""));
  ASSERT_THAT(ReadFile(host.ConfigFile()), Not(HasSubstr("SecurityProtocols")));
  ConfigFileWriter second;
  EXPECT_THAT(
      Tree(host.ConfigFile()),
      Contains(
          "generell: PackageSplitting=true PackageSplittingAmount=100 SecurityProtocols=Tls12,Tls11,Tls"));
}

TEST(ConfigFileWriterTest, UpgradeFailureKeepsTheStepsDoneBeforeIt) {
  HostFolders host;
  host.EnableLogging();
  WriteFile(host.ConfigFile(),
            "<?xml version=\"1.0\"?>\n<marlixKanvioConfig><generell/></marlixKanvioConfig>\n");
  ConfigFileWriter writer;
  EXPECT_THAT(Tree(host.ConfigFile()), ElementsAre(": generell/", "generell: PackageSplittingAmount=100"));
  EXPECT_THAT(host.LogLines(), ElementsAre(HasSubstr("Error - Das Element marlixKanvioConfig/shops fehlt")));
}

TEST(ConfigFileWriterTest, FileThatIsNotXmlIsKeptAndLogged) {
  HostFolders host;
  host.EnableLogging();
  WriteFile(host.ConfigFile(), "<marlixKanvioConfig><generell>");
  ConfigFileWriter writer;
  EXPECT_EQ(ReadFile(host.ConfigFile()), "<marlixKanvioConfig><generell>");
  EXPECT_THAT(host.LogLines(), ElementsAre(HasSubstr("kein gültiges XML")));
}

// Found by fuzzing: saved indented, a file nested a hundred thousand levels
// deep would grow to gigabytes. One deeper than the limit is kept as it is.
TEST(ConfigFileWriterTest, FileNestedTooDeepIsKeptAndLogged) {
  HostFolders host;
  host.EnableLogging();
  std::string deep = "<marlixKanvioConfig><generell/><shops>";
  for (int i = 0; i < 200; ++i) deep += "<a>";
  for (int i = 0; i < 200; ++i) deep += "</a>";
  deep += "</shops></marlixKanvioConfig>";
  WriteFile(host.ConfigFile(), deep);
  ConfigFileWriter writer;
  EXPECT_EQ(ReadFile(host.ConfigFile()), deep);
  EXPECT_THAT(host.LogLines(), ElementsAre(HasSubstr("tiefer als 100 Ebenen verschachtelt")));
}

}  // namespace
}  // namespace kanvio
