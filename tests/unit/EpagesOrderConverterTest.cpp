// How an ePages order becomes a `Bestellvorgang` of the orders file.
#include <gtest/gtest.h>

#include <map>

#include "shops/epages/OrderConverter.h"

namespace kanvio::epages {
namespace {

class FakeProducts : public ProductLookup {
 public:
  bool HasProductWithAlias(const std::string& alias) override {
    ++alias_lookups;
    return aliases.contains(alias);
  }
  const ProductInfo* Product(const std::string& path) override {
    const auto found = products.find(path);
    return found == products.end() ? nullptr : &found->second;
  }
  std::map<std::string, bool> aliases;
  std::map<std::string, ProductInfo> products;
  int alias_lookups = 0;
};

LineItem Line(std::string sku, float quantity, float price, float tax_rate = 0.19f,
              std::string product = "") {
  LineItem line;
  line.Name = "Artikel " + sku;
  line.SKU = std::move(sku);
  line.Product = std::move(product);
  line.Quantity = quantity;
  line.LineItemPrice = price;
  line.TaxRate = tax_rate;
  return line;
}

OrderInfo Order(std::string alias, std::string tax_model, std::vector<LineItem> products) {
  OrderInfo order;
  order.Alias = std::move(alias);
  order.LineItemContainer.emplace();
  order.LineItemContainer->TaxModel = std::move(tax_model);
  order.LineItemContainer->ProductLineItems = std::move(products);
  return order;
}

std::vector<std::string> Positions(const orders::ShopOrder& record) {
  std::vector<std::string> texts;
  for (const auto& article : record.Article)
    texts.push_back(*article->ArticlePostionNumber + ":" + *article->ArticleNumberShop);
  return texts;
}

TEST(EpagesOrderConverterTest, UnitPricesGoNetOrGrossByTaxModel) {
  FakeProducts products;
  OrderConverter converter(products, false);
  const auto gross =
      converter.Convert(Order("1", "gross", {Line("A", 2, 39.98f), Line("B", 0, 5.5f, 0)}), "K1");
  const orders::Article& first = *gross.Article[0];
  EXPECT_EQ(first.ArticleDiffPriceNet, "");
  EXPECT_EQ(first.ArticleDiffPriceGross, "19.989999771118164");
  EXPECT_EQ(first.ArticleDiffTaxValue, "19");
  EXPECT_EQ(first.Amount, "2");
  // No quantity to divide by: the line's price, never infinity.
  EXPECT_EQ(gross.Article[1]->ArticleDiffPriceGross, "5.5");
  EXPECT_EQ(gross.Article[1]->ArticleDiffTaxValue, "0");

  const auto net = converter.Convert(Order("2", "net", {Line("A", 3, 10.0f, 0.07f)}), "K1");
  EXPECT_EQ(net.Article[0]->ArticleDiffPriceNet, "3.3333333333333335");
  EXPECT_EQ(net.Article[0]->ArticleDiffPriceGross, "");
  EXPECT_EQ(net.Article[0]->ArticleDiffTaxValue, "7");
}

TEST(EpagesOrderConverterTest, PositionsRunAcrossOrdersWithDepositsAndShippingOptions) {
  FakeProducts products;
  products.aliases["W"] = true;
  ProductInfo water;
  water.DepositPrices = {{0.0f, "EUR", "gross"}, {2.0f, "CHF", "gross"}, {3.3f, "EUR", "gross"}};
  products.products["/P/W"] = water;
  OrderConverter converter(products, false);

  const auto first = converter.Convert(Order("1", "gross", {Line("A", 1, 1), Line("B", 1, 1)}), "K1");
  OrderInfo second_order = Order("2", "gross", {Line("W", 2, 11.98f, 0.19f, "/P/W"), Line("C", 1, 1)});
  LineItem wrapping = Line("GV", 1, 2.5f);
  wrapping.Name = "Geschenkverpackung";
  wrapping.ChoiceName = "Rot";
  second_order.LineItemContainer->ShippingOptionLineItems = std::vector<LineItem>{wrapping};
  const auto second = converter.Convert(second_order, "K2");

  EXPECT_EQ(Positions(first), (std::vector<std::string>{"1:A", "2:B"}));
  EXPECT_EQ(Positions(second), (std::vector<std::string>{"3:W", "4:Pfand", "5:C", "6:GV"}));
  const orders::Article& deposit = *second.Article[1];
  EXPECT_EQ(deposit.Amount, "2");
  EXPECT_EQ(deposit.ArticleDiffPriceGross, "3.3");
  EXPECT_EQ(deposit.ArticleDiffTaxValue, "19");
  EXPECT_EQ(deposit.ArticleText, "Pfand");
  EXPECT_EQ(second.Article[3]->ArticleText, "Geschenkverpackung Rot");
  EXPECT_EQ(converter.next_position(), 7);
}

TEST(EpagesOrderConverterTest, VariationTextsOnlyWithTheSwitchAndAFetchableProduct) {
  FakeProducts products;
  ProductInfo shirt;
  shirt.Name = {{"de", "T-Shirt"}};
  shirt.VariationAttributes = {{"Größe", "M"}, {"Farbe", "blau"}};
  products.products["/P/T"] = shirt;
  const OrderInfo order =
      Order("1", "gross", {Line("T", 1, 1, 0.19f, "/P/T"), Line("U", 1, 1, 0.19f, "/P/gone")});

  OrderConverter with_switch(products, true);
  const auto record = with_switch.Convert(order, "K");
  EXPECT_EQ(record.Article[0]->ArticleText, "T-Shirt M blau ");
  EXPECT_EQ(record.Article[1]->ArticleText, "Artikel U");

  OrderConverter without_switch(products, false);
  EXPECT_EQ(without_switch.Convert(order, "K").Article[0]->ArticleText, "Artikel T");
}

TEST(EpagesOrderConverterTest, SurchargeGroupsAndFreight) {
  FakeProducts products;
  OrderConverter converter(products, false);
  OrderInfo order = Order("1", "gross", {Line("A", 1, 10)});
  LineItemContainer& items = *order.LineItemContainer;
  items.ShippingLineItem = Line("", 1, 4.9f);
  items.PaymentLineItem = Line("", 1, 2.0f);
  items.PaymentDiscountLineItems = std::vector<LineItem>{Line("", 1, -0.5f), Line("", 1, -0.25f)};
  items.CouponLineItems = std::vector<LineItem>{Line("C1", 1, -4.99f), Line("C2", 2, 5.0f)};
  items.GlobalValueDiscountLineItems = std::vector<LineItem>{};

  const auto record = converter.Convert(order, "K");
  EXPECT_EQ(record.CustomerData.FrieghtCost.FrieghtCostNet, "");
  EXPECT_EQ(record.CustomerData.FrieghtCost.FreightCostGross, "4.9");
  const orders::AdditionalCost& cost = record.AdditionalCost;
  EXPECT_EQ(cost.AdditionalCostGross1, "1.25");  // both payment discounts count
  EXPECT_EQ(cost.AdditionalCostNet1, "");
  EXPECT_EQ(cost.AdditionalCostGross2, "-4.9899997711181641");
  ASSERT_EQ(cost.FurtherGroups2.size(), 1u);
  EXPECT_EQ(cost.FurtherGroups2[0].Gross, "2.5");
  // An empty discount list writes no triple; a missing one an empty triple.
  EXPECT_EQ(cost.AdditionalCostNet3, std::nullopt);
  EXPECT_EQ(cost.AdditionalCostGross3, std::nullopt);

  items.PaymentDiscountLineItems = std::vector<LineItem>{Line("", 1, -2.0f)};
  items.CouponLineItems.reset();
  items.GlobalValueDiscountLineItems.reset();
  items.TaxModel = "net";
  const auto net = converter.Convert(order, "K");
  EXPECT_EQ(net.AdditionalCost.AdditionalCostNet1, "");  // payment and discount cancel out
  EXPECT_EQ(net.AdditionalCost.AdditionalCostGross1, "");
  EXPECT_EQ(net.AdditionalCost.AdditionalCostNet2, "");
  EXPECT_EQ(net.AdditionalCost.AdditionalCostNet3, "");
  EXPECT_EQ(net.CustomerData.FrieghtCost.FrieghtCostNet, "4.9");
  EXPECT_EQ(net.CustomerData.FrieghtCost.FreightCostGross, "");
}

TEST(EpagesOrderConverterTest, HeaderAddressesAndBank) {
  FakeProducts products;
  OrderConverter converter(products, false);
  OrderInfo order = Order("1001", "gross", {Line("A", 1, 10)});
  order.CreationDate = "2024-03-01T08:12:44";
  order.Attributes = {{"CustomerComment", "Bitte klingeln"}};
  order.LineItemContainer->GrandTotal = 36.68f;
  order.LineItemContainer->PaymentLineItem = Line("", 1, 0);
  order.LineItemContainer->PaymentLineItem->PaymentMethod = "/Shops/S/PaymentMethods/Invoice";
  Address billing;
  billing.Company = "Schäfer & Söhne";
  billing.AddressExtension = "Lager 2";
  billing.Street = "Am Markt 5";
  billing.Street2 = "Hof";
  billing.CountryID = "040";
  billing.Gender = "2";
  billing.Title = "Dr.";
  billing.BankCode = "37040044";
  billing.BankAccountNo = "532013000";
  order.BillingAddress = billing;

  const auto record = converter.Convert(order, "K-7");
  EXPECT_EQ(record.OrderNumber, "1001");
  EXPECT_EQ(record.OrderDate, "01.03.2024 08:12:44");
  EXPECT_EQ(record.OrderTotalGross, "36.68");
  EXPECT_EQ(record.DeliveryKind, std::nullopt);  // no shipping line item: no element
  EXPECT_EQ(record.PaymentKind, "Invoice");
  EXPECT_EQ(record.OrderMessage, "Bitte klingeln");
  const orders::ShopCustomer& customer = *record.CustomerData.Customer;
  EXPECT_EQ(customer.CustomerNumberShop, "K-7");
  EXPECT_EQ(customer.Title, std::nullopt);
  EXPECT_EQ(customer.Gender, "w");
  EXPECT_EQ(customer.Street, "Am Markt 5, Hof");
  EXPECT_EQ(customer.CountryCode, "A");
  EXPECT_EQ(record.CustomerData.BankData.AccountNumber, "532013000");
  EXPECT_EQ(record.CustomerData.BankData.BankCode, "37040044");
  EXPECT_EQ(record.CustomerData.BankData.Iban, "");
  EXPECT_EQ(record.CustomerData.PaymentData->AdditionalCompanyName, "Lager 2");
  EXPECT_EQ(record.CustomerData.PaymentData->Title, "Dr.");
  EXPECT_EQ(record.CustomerData.DeliveryData->Street, "");  // no shipping address: empty block

  Address shipping = billing;
  shipping.CountryID = "276";
  order.ShippingAddress = shipping;
  const auto shipped = converter.Convert(order, "K-7");
  EXPECT_EQ(shipped.CustomerData.DeliveryData->Street, "Am Markt 5, Hof, Lager 2");
  EXPECT_EQ(shipped.CustomerData.DeliveryData->AdditionalCompanyName, "");
  EXPECT_EQ(shipped.CustomerData.DeliveryData->Country, "Deutschland");
}

}  // namespace
}  // namespace kanvio::epages
