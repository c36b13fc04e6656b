#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "OrdersXmlTestSupport.h"
#include "TestSupport.h"
#include "orders/OrderXmlWriter.h"
#include "support/Error.h"

namespace kanvio::orders {
namespace {

using test_support::ChildNames;
using test_support::ParseFile;
using test_support::PassesXmllint;
using Names = std::vector<std::string>;

constexpr LocalDateTime kWrittenAt{2024, 3, 2, 15, 4, 5};

OrderXmlOptions At(OrderXmlOptions options) {
  options.written_at = kWrittenAt;
  return options;
}

Names FirstNames(const pugi::xml_node& node, std::size_t count) {
  Names names = ChildNames(node);
  names.resize(std::min(count, names.size()));
  return names;
}

// Every element that only a variant writes, filled.
ShopOrder OrderWithVariantMembers(const std::string& number) {
  ShopOrder order;
  order.OrderNumber = number;
  order.OrderTotalGross = "59.97";
  order.FulfilledByAmazon = "1";
  order.CustomerData.Customer->AmazonPackstation = "Packstation 123";
  order.CustomerData.BankData.Bic = "MARKDEF1100";
  order.CustomerData.BankData.Iban = "DE02120300000000202051";
  order.AdditionalCost.FurtherGroups3 = {{"1", "", ""}, {"2", "", ""}};
  order.Article.emplace_back()->AmazonAsin = "B00EXAMPLE";
  return order;
}

// A record whose conversion fails after some of its elements are out.
class FailingOrder : public ShopOrder {
 public:
  void VisitMembers(RecordVisitor& v) const override {
    v.Text("BestellnummerShop", OrderNumber);
    v.Text("Bestelldatum", OrderDate);
    throw Error("conversion failed");
  }
};

class OrderXmlWriterTest : public ::testing::Test {
 protected:
  test::TempDir dir_;
  std::filesystem::path file_ = dir_ / "orders.xml";
};

TEST_F(OrderXmlWriterTest, AmazonVariantPutsItsElementsInPlace) {
  ShopOrder plain_customer = OrderWithVariantMembers("2");
  plain_customer.CustomerData.Customer->AmazonPackstation = std::nullopt;
  OrderXmlWriter writer(file_, At(OrderXmlOptions::Amazon()));
  writer.WriteOrder(OrderWithVariantMembers("1"));
  writer.WriteOrder(plain_customer);
  writer.Close();

  const std::string text = test::ReadFile(file_);
  EXPECT_EQ(text.rfind("\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"utf-8\" standalone=\"yes\"?>"
                       "<!--02.03.2024 15:04:05 - Amazon Bestellungen--><OrderNotification><Bestellvorgang>",
                       0),
            0u);
  auto document = ParseFile(file_);
  const auto first = document->child("OrderNotification").child("Bestellvorgang");
  EXPECT_EQ(FirstNames(first, 8),
            (Names{"BestellnummerShop", "BestellwertBrutto", "Bestelldatum", "Wunschlieferdatum", "Lieferart",
                   "Zahlungsart", "Amazon-FBA", "ZusatzfeldBestellung1"}));
  EXPECT_EQ(
      FirstNames(first.child("Kundendaten").child("Kunde"), 5),
      (Names{"Kundennummer", "KundennummerWebshop", "Firmenname", "Amazon-Packstation", "PersonAnrede"}));
  EXPECT_EQ(FirstNames(first.child("BestellArtikel"), 7),
            (Names{"Positionsnummer", "Artikelnummer", "ArtikelnummerShop", "AmazonASIN", "Menge", "Gewicht",
                   "abweichenderEinzelpreisNetto"}));
  EXPECT_EQ(ChildNames(first.child("Kundendaten").child("Kontodaten")).size(), 4u);
  EXPECT_EQ(ChildNames(first.child("Zuschlagkosten")).size(), 9u);

  const auto second = first.next_sibling("Bestellvorgang");
  EXPECT_EQ(FirstNames(second.child("Kundendaten").child("Kunde"), 5),
            (Names{"Kundennummer", "KundennummerWebshop", "Firmenname", "Firmenzusatzname", "PersonAnrede"}));
  EXPECT_EQ(writer.orders_written(), 2);
}

TEST_F(OrderXmlWriterTest, EpagesVariantPutsItsElementsInPlace) {
  ShopOrder order = OrderWithVariantMembers("1");
  order.DeliveryKind = std::nullopt;
  order.CustomerData.Customer->Title = std::nullopt;
  order.AdditionalCost.AdditionalCostNet2 = std::nullopt;
  order.AdditionalCost.AdditionalCostGross2 = std::nullopt;
  order.AdditionalCost.AdditionalCostTaxValue2 = std::nullopt;
  OrderXmlWriter writer(file_, At(OrderXmlOptions::Epages()));
  writer.WriteOrder(order);
  writer.Close();

  EXPECT_NE(
      test::ReadFile(file_).find("<!--02.03.2024 15:04:05 - Transfer Shopbestellungen--><OrderNotification>"),
      std::string::npos);
  auto document = ParseFile(file_);
  const auto written = document->child("OrderNotification").child("Bestellvorgang");
  EXPECT_EQ(FirstNames(written, 6), (Names{"BestellnummerShop", "Bestelldatum", "BestellwertBrutto",
                                           "Wunschlieferdatum", "Zahlungsart", "ZusatzfeldBestellung1"}));
  const auto customer = written.child("Kundendaten").child("Kunde");
  EXPECT_FALSE(customer.child("PersonTitel"));
  EXPECT_TRUE(customer.child("Firmenzusatzname"));
  EXPECT_FALSE(customer.child("Amazon-Packstation"));
  EXPECT_EQ(ChildNames(written.child("Kundendaten").child("Kontodaten")),
            (Names{"BankkontoInhaber", "Bankkontonummer", "BankkontoBLZ", "BankkontoBIC", "BankkontoIBAN",
                   "BankkontoBankName"}));
  const Names group1 = {"ZuschlagkostenNetto1", "ZuschlagkostenBrutto1", "ZuschlagkostenMwStProzent1"};
  const Names group3 = {"ZuschlagkostenNetto3", "ZuschlagkostenBrutto3", "ZuschlagkostenMwStProzent3"};
  EXPECT_EQ(ChildNames(written.child("Zuschlagkosten")),
            test_support::Concat({group1, group3, group3, group3}));
  EXPECT_FALSE(written.child("BestellArtikel").child("AmazonASIN"));
}

TEST_F(OrderXmlWriterTest, PlainWriterLeavesVariantElementsOutAndAnEmptyRootClosed) {
  {
    OrderXmlWriter writer(file_, At({}));
    writer.Close();
  }
  EXPECT_EQ(test::ReadFile(file_),
            "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"utf-8\" standalone=\"yes\"?>"
            "<!--02.03.2024 15:04:05--><OrderNotification />");

  OrderXmlWriter writer(file_, At({}));
  writer.WriteOrder(OrderWithVariantMembers("1"));
  writer.Close();
  const std::string text = test::ReadFile(file_);
  for (const char* element : {"BestellwertBrutto", "Amazon-", "BankkontoBIC", "AmazonASIN", "Gewicht"})
    EXPECT_EQ(text.find(element), std::string::npos) << element;
  EXPECT_EQ(ParseFile(file_)->select_nodes("//ZuschlagkostenNetto3").size(), 1u);
}

TEST_F(OrderXmlWriterTest, OrderWhoseConversionFailsLeavesNoElement) {
  OrderXmlWriter writer(file_, At(OrderXmlOptions::Amazon()));
  writer.WriteOrder(OrderWithVariantMembers("1"));
  FailingOrder failing;
  failing.OrderNumber = "broken";
  EXPECT_THROW(writer.WriteOrder(failing), Error);
  writer.WriteOrder(OrderWithVariantMembers("3"));
  writer.Close();

  EXPECT_EQ(writer.orders_written(), 2);
  auto document = ParseFile(file_);
  const auto numbers = document->select_nodes("//Bestellvorgang/BestellnummerShop");
  ASSERT_EQ(numbers.size(), 2u);
  EXPECT_STREQ(numbers[0].node().text().get(), "1");
  EXPECT_STREQ(numbers[1].node().text().get(), "3");
}

TEST_F(OrderXmlWriterTest, FailureHalfWayLeavesWellFormedFileWithTheOrdersSoFar) {
  test::WriteFile(file_, "old");
  try {
    OrderXmlWriter writer(file_, At(OrderXmlOptions::Epages()));
    for (int i = 1; i <= 3; ++i) writer.WriteOrder(OrderWithVariantMembers(std::to_string(i)));
    throw std::runtime_error("customer lookup failed");
  } catch (const std::runtime_error&) {
  }
  ASSERT_TRUE(PassesXmllint(file_));
  EXPECT_EQ(ParseFile(file_)->select_nodes("/OrderNotification/Bestellvorgang").size(), 3u);
}

TEST(XmllintCheck, RejectsAFileThatIsNotWellFormed) {
  test::TempDir dir;
  test::WriteFile(dir / "broken.xml", "<?xml version=\"1.0\"?><OrderNotification><Bestellvorgang>");
  EXPECT_FALSE(PassesXmllint(dir / "broken.xml"));
}

}  // namespace
}  // namespace kanvio::orders
