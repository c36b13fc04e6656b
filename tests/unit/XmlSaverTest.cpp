#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "OrdersXmlTestSupport.h"
#include "TestSupport.h"
#include "orders/OrderRecords.h"
#include "orders/XmlSaver.h"
#include "support/Error.h"

namespace kanvio::orders {
namespace {

using test_support::ChildNames;
using test_support::Concat;
using test_support::Numbered;
using test_support::ParseFile;
using Names = std::vector<std::string>;

constexpr std::string_view kHead = "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"utf-8\"?>";

// The element tree of the orders file, written out here independently of the
// records' own statement of it.
const Names kOrderChildren =
    Concat({{"BestellnummerShop", "Bestelldatum", "Wunschlieferdatum", "Lieferart", "Zahlungsart"},
            Numbered("ZusatzfeldBestellung", 1, 5),
            {"AnmerkungenBestellung", "Kundendaten", "Zuschlagkosten"}});
const Names kCustomerDataChildren = {"Kunde", "Kontodaten", "AbweichendLieferung", "AbweichendRechnung",
                                     "Frachtkosten"};
const Names kCustomerChildren =
    Concat({{"Kundennummer", "KundennummerWebshop", "Firmenname", "Firmenzusatzname", "PersonAnrede",
             "PersonGeschlecht", "PersonTitel", "PersonNachname", "PersonVorname", "Strasse", "Postleitzahl",
             "Ort", "Laendercode", "Land", "Email", "Telefon", "Fax", "Umsatzsteueridentnummer"},
            Numbered("ZusatzfeldKunde", 1, 5)});
const Names kBankChildren = {"BankkontoInhaber", "Bankkontonummer", "BankkontoBLZ", "BankkontoBankName"};
const Names kAddressSuffixes = {"Firmenname",   "Firmenzusatz", "PersAnrede", "PersGeschl",   "PersTitel",
                                "PersNachname", "PersVorname",  "Strasse",    "Postleitzahl", "Ort",
                                "Laendercode",  "Land",         "Email",      "Telefon",      "Fax"};
const Names kFreightChildren = {"FrachtkostenNetto", "FrachtkostenBrutto", "FrachtkostenMwStProzent"};
const Names kSurchargeChildren =
    Concat({{"ZuschlagkostenNetto1", "ZuschlagkostenBrutto1", "ZuschlagkostenMwStProzent1"},
            {"ZuschlagkostenNetto2", "ZuschlagkostenBrutto2", "ZuschlagkostenMwStProzent2"},
            {"ZuschlagkostenNetto3", "ZuschlagkostenBrutto3", "ZuschlagkostenMwStProzent3"}});
const Names kArticleChildren = Concat(
    {{"Positionsnummer", "Artikelnummer", "ArtikelnummerShop", "Menge", "abweichenderEinzelpreisNetto",
      "abweichenderEinzelpreisBrutto", "abweichendeMwStProzent", "abweichenderArtikeltext", "RabattProzent"},
     Numbered("ZusatzfeldPosition", 1, 5)});

Names Prefixed(const std::string& prefix) {
  Names names;
  for (const auto& suffix : kAddressSuffixes) names.push_back(prefix + suffix);
  return names;
}

EbayOrder FilledEbayOrder(const std::string& number) {
  EbayOrder order;
  order.OrderNumber = number;
  order.OrderDate = "2024-03-02 15:04:05";
  auto& customer = order.CustomerData.Customer.Emplace<EbayCustomer>();
  customer.Name = "Erika Mustermann";
  customer.EbayMemberName = "erika_m";
  EbayArticle line;
  line.Amount = "2";
  line.ArticleDiffPriceGross = "19.99";
  line.ArticleText = line.EbayTitle = "Shirt[red,XL]";
  order.Article.push_back(line);
  order.Article.push_back(line);
  order.EbayKey = "123_20240302030405";
  order.Weblink = "https://example.invalid/itm/123";
  order.EbayOrderLineItem = "123-456";
  return order;
}

class XmlSaverTest : public ::testing::Test {
 protected:
  test::TempDir dir_;
  std::filesystem::path file_ = dir_ / "orders.xml";
};

TEST_F(XmlSaverTest, UnfilledOrderYieldsTheWholeTreeWithEmptyElements) {
  ASSERT_EQ(XmlSaver<ShopOrder>::Save({ShopOrder{}}, file_, "OrderNotification", true), 1);

  auto document = ParseFile(file_);
  const auto order = document->child("OrderNotification").child("Bestellvorgang");
  const auto customer_data = order.child("Kundendaten");
  EXPECT_EQ(ChildNames(order), kOrderChildren);
  EXPECT_EQ(ChildNames(customer_data), kCustomerDataChildren);
  EXPECT_EQ(ChildNames(customer_data.child("Kunde")), kCustomerChildren);
  EXPECT_EQ(ChildNames(customer_data.child("Kontodaten")), kBankChildren);
  EXPECT_EQ(ChildNames(customer_data.child("AbweichendLieferung")), Prefixed("abweichendLieferung"));
  EXPECT_EQ(ChildNames(customer_data.child("AbweichendRechnung")), Prefixed("abweichendRechnung"));
  EXPECT_EQ(ChildNames(customer_data.child("Frachtkosten")), kFreightChildren);
  EXPECT_EQ(ChildNames(order.child("Zuschlagkosten")), kSurchargeChildren);
  for (const auto& leaf : document->select_nodes("//*[not(*)]")) {
    EXPECT_FALSE(leaf.node().first_child()) << leaf.node().name() << " is not empty";
  }
}

TEST_F(XmlSaverTest, EbayMembersFollowTheInheritedOnesWithoutTypeAttributes) {
  ASSERT_EQ(XmlSaver<EbayOrder>::Save({FilledEbayOrder("1"), FilledEbayOrder("2")}, file_,
                                      "OrderNotification", true),
            1);

  auto document = ParseFile(file_);
  const auto root = document->child("OrderNotification");
  EXPECT_EQ(ChildNames(root), (Names{"Bestellvorgang", "Bestellvorgang"}));
  const auto order = root.child("Bestellvorgang");
  EXPECT_EQ(ChildNames(order),
            Concat({kOrderChildren,
                    {"BestellArtikel", "BestellArtikel", "EbayKey", "Weblink", "EbayOrderLineItem"}}));
  EXPECT_EQ(ChildNames(order.child("Kundendaten").child("Kunde")),
            Concat({kCustomerChildren, {"EbayMitgliedsname"}}));
  EXPECT_STREQ(order.child("Kundendaten").child("Kunde").child("EbayMitgliedsname").text().get(), "erika_m");
  for (const auto& line : order.children("BestellArtikel")) {
    EXPECT_EQ(ChildNames(line), Concat({kArticleChildren, {"EbayTitel"}}));
  }
  EXPECT_STREQ(order.child("EbayKey").text().get(), "123_20240302030405");

  const std::string text = test::ReadFile(file_);
  EXPECT_EQ(text.find("xmlns"), std::string::npos);
  EXPECT_EQ(text.find("type="), std::string::npos);
  EXPECT_EQ(text.find('\n'), std::string::npos);
  EXPECT_EQ(text.rfind(std::string(kHead) + "<OrderNotification><Bestellvorgang>", 0), 0u);
}

TEST_F(XmlSaverTest, MemberWithoutValueIsAbsentAndEmptyMemberIsPresent) {
  ShopOrder order;
  order.CustomerData.Customer->FaxNumber = std::nullopt;
  order.CustomerData.Customer->Phone = "";
  order.DesiredDeliveryDate = std::nullopt;
  order.Article.emplace_back()->Discount = std::nullopt;
  ASSERT_EQ(XmlSaver<ShopOrder>::Save({order}, file_, "OrderNotification", true), 1);

  auto document = ParseFile(file_);
  const auto written = document->child("OrderNotification").child("Bestellvorgang");
  const auto customer = written.child("Kundendaten").child("Kunde");
  EXPECT_FALSE(customer.child("Fax"));
  EXPECT_TRUE(customer.child("Telefon"));
  EXPECT_FALSE(written.child("Wunschlieferdatum"));
  EXPECT_FALSE(written.child("BestellArtikel").child("RabattProzent"));
  EXPECT_NE(test::ReadFile(file_).find("<Telefon /><Umsatzsteueridentnummer />"), std::string::npos);
}

TEST_F(XmlSaverTest, EmptyListGivesDeclarationAndEmptyRoot) {
  ASSERT_EQ(XmlSaver<EbayOrder>::Save({}, file_, "OrderNotification", true), 1);
  EXPECT_EQ(test::ReadFile(file_), std::string(kHead) + "<OrderNotification />");
}

TEST_F(XmlSaverTest, ExistingFileIsReplacedNotExtended) {
  test::WriteFile(file_, std::string(1 << 16, 'x') + "<Bestellvorgang>");
  ASSERT_EQ(XmlSaver<EbayOrder>::Save({FilledEbayOrder("1")}, file_, "OrderNotification", true), 1);
  auto document = ParseFile(file_);
  EXPECT_EQ(document->child("OrderNotification").select_nodes("Bestellvorgang").size(), 1u);
}

TEST_F(XmlSaverTest, FailureGivesMinusOneAndLeavesTheFileAlone) {
  EXPECT_EQ(XmlSaver<EbayOrder>::Save({FilledEbayOrder("1")}, dir_ / "missing" / "orders.xml",
                                      "OrderNotification", true),
            -1);
  EXPECT_THROW(XmlSaver<EbayOrder>::Write({}, dir_ / "missing" / "orders.xml", "OrderNotification", true),
               Error);
}

TEST_F(XmlSaverTest, KeepingNamespacesGivesIndentedDocumentWithTypeAttributes) {
  ASSERT_EQ(XmlSaver<EbayOrder>::Save({FilledEbayOrder("1")}, file_, "OrderNotification", false), 1);
  const std::string text = test::ReadFile(file_);
  EXPECT_EQ(text.rfind(std::string(kHead) +
                           "\r\n<OrderNotification xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
                           "xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\">\r\n  <Bestellvorgang>\r\n"
                           "    <BestellnummerShop>1</BestellnummerShop>\r\n",
                       0),
            0u);

  auto document = ParseFile(file_);
  const auto order = document->child("OrderNotification").child("Bestellvorgang");
  EXPECT_STREQ(order.attribute("xsi:type").value(), "");
  EXPECT_STREQ(order.child("Kundendaten").child("Kunde").attribute("xsi:type").value(), "EbayCustomer");
  EXPECT_STREQ(order.child("Kundendaten").child("Kontodaten").attribute("xsi:type").value(), "");
  EXPECT_STREQ(order.child("BestellArtikel").attribute("xsi:type").value(), "EbayArticle");
}

TEST_F(XmlSaverTest, CopiedOrderOwnsItsDerivedMembers) {
  const EbayOrder original = FilledEbayOrder("1");
  EbayOrder copy = original;
  static_cast<EbayCustomer&>(*copy.CustomerData.Customer).EbayMemberName = "changed";
  copy.Article[0]->ArticleText = "changed";

  EXPECT_EQ(static_cast<const EbayCustomer&>(*original.CustomerData.Customer).EbayMemberName, "erika_m");
  EXPECT_EQ(original.Article[0]->ArticleText, "Shirt[red,XL]");
  EXPECT_EQ(copy.Article[1]->XmlTypeName(), "EbayArticle");
}

}  // namespace
}  // namespace kanvio::orders
