// The demo data of the simulated ePages shop.

#include "EpagesShop.h"

namespace kanvio::shopsim {
namespace {

EpagesAddress Address(std::string salutation, std::string gender, std::string first_name,
                      std::string last_name, std::string street, std::string zipcode, std::string city,
                      std::string country_id) {
  EpagesAddress a;
  a.salutation = std::move(salutation);
  a.gender = std::move(gender);
  a.first_name = std::move(first_name);
  a.last_name = std::move(last_name);
  a.street = std::move(street);
  a.zipcode = std::move(zipcode);
  a.city = std::move(city);
  a.country_id = std::move(country_id);
  a.email = a.first_name + "." + a.last_name + "@example.org";
  a.phone = "0221 123456";
  return a;
}

EpagesLineItem Line(std::string name, std::string sku, std::string product, float quantity, float price,
                    float tax_rate) {
  return {std::move(name), std::move(sku), std::move(product), {}, {}, quantity, price, tax_rate};
}

EpagesLineItem Method(std::string name, std::string method, float price) {
  return {std::move(name), {}, {}, std::move(method), {}, 1, price, 0.19f};
}

EpagesProduct PricedProduct(std::string alias, std::string name, std::string tax_class, std::string unit,
                            EpagesPrice price) {
  EpagesProduct product = MakeProduct(std::move(alias), std::move(name));
  product.tax_class = std::move(tax_class);
  product.order_unit = std::move(unit);
  product.prices = {std::move(price)};
  return product;
}

}  // namespace

void EpagesShop::FillDemoProducts() {
  const std::string shop = ShopPath();
  EpagesProduct cup = PricedProduct("A-100", "Kaffeebecher Steingut", shop + "/TaxMatrixGermany/normal",
                                    "/Units/piece", {12.90f, "EUR", "gross"});
  cup.description = "<p>Steingut, spülmaschinenfest<br/>300 ml</p>";
  cup.weight = 0.35f;
  cup.stock_level = 40;
  AddProduct(cup);
  EpagesProduct water =
      PricedProduct("W-200", "Mineralwasser Kasten 12 x 0,7 l", shop + "/TaxMatrixGermany/reduced",
                    "/Units/piece/box", {5.99f, "EUR", "gross"});
  water.deposit_eur = 3.30f;
  AddProduct(water);
  EpagesProduct shirt = PricedProduct("T-300", "T-Shirt Bio-Baumwolle", shop + "/TaxMatrixGermany/normal",
                                      "/Units/piece", {16.80f, "EUR", "net"});
  AddProduct(shirt);
  EpagesProduct variation = MakeProduct("T-300-M-blau", "T-Shirt Bio-Baumwolle");
  variation.variation = {{"Größe", "M"}, {"Farbe", "blau"}};
  variation.super_product = "T-300";
  AddProduct(variation);
  EpagesProduct guide = MakeProduct("E-1", "Kochbuch als PDF");
  guide.is_download = true;
  guide.prices = {{9.99f, "EUR", "gross"}};
  AddProduct(guide);
  EpagesProduct course = MakeProduct("K-1", "Kochkurs Saisonküche");
  course.sub_path = "Appointments/";
  AddProduct(course);

  std::string ignored;
  products_.CreateProductType("Tassen", "Tassen");
  products_.CreateCatalog({{}, "Tassen", "Tassen", products_.RootCatalogPath(), true}, ignored);
  products_.Assign(products_.RootCatalogPath() + "/Tassen", ProductPath(cup));
}

void EpagesShop::AddGeneratedProducts(std::size_t count) {
  const std::string shop = ShopPath();
  for (std::size_t i = 1; i <= count; ++i) {
    const std::string alias = "P" + std::to_string(i);
    EpagesProduct product =
        PricedProduct(alias, "Artikel " + alias, shop + "/TaxMatrixGermany/normal", "/Units/piece",
                      {float(i % 100) + 0.99f, "EUR", i % 2 ? "gross" : "net"});
    product.description = "<p>Beschreibung von " + alias + "</p>";
    product.weight = float(i % 7) / 4;
    if (i % 10 == 0) {
      product.super_product = "P" + std::to_string(i - 1);
      product.variation = {{"Farbe", "rot"}};
      product.tax_class.clear();
    }
    AddProduct(std::move(product));
  }
}

void EpagesShop::FillDemo() {
  const std::string shop = ShopPath();
  FillDemoProducts();

  EpagesCustomer erika{"1001",
                       Address("Frau", "2", "Erika", "Mustermann", "Hauptstraße 12", "50667", "Köln", "276")};
  erika.billing.street2 = "Hinterhaus";
  AddCustomer(erika);
  EpagesCustomer max{"1002", Address("Herr", "1", "Max", "Weber", "Ringstraße 3", "1010", "Wien", "40")};
  AddCustomer(max);
  EpagesCustomer anna{"1003",
                      Address("Frau", "", "Anna", "Schäfer", "Am Markt 5", "04109", "Leipzig", "276")};
  anna.billing.company = "Schäfer & Söhne GmbH";
  anna.billing.vat_id = "DE123456789";
  anna.billing.bank_account_holder = "Schäfer & Söhne GmbH";
  anna.billing.bank_code = "COBADEFFXXX";
  anna.billing.bank_account_no = "DE89370400440532013000";
  anna.billing.bank_name = "Commerzbank";
  AddCustomer(anna);

  EpagesOrder first;
  first.alias = "1001";
  first.customer = "1001";
  first.creation_date = "2024-03-01T08:12:44Z";
  first.comment = "Bitte beim Nachbarn abgeben.";
  first.billing = erika.billing;
  first.products = {Line("Kaffeebecher Steingut", "A-100", shop + "/Products/A-100", 2, 25.80f, 0.19f),
                    Line("Mineralwasser Kasten", "W-200", shop + "/Products/W-200", 2, 11.98f, 0.19f)};
  first.shipping_line = Method("DHL Paket", shop + "/ShippingMethods/DHL", 4.90f);
  first.payment_line = Method("Vorkasse", shop + "/PaymentMethods/Vorkasse", 0);
  first.payment_discounts = {Method("Skonto Vorkasse", "", -1.00f)};
  first.coupons = std::vector<EpagesLineItem>{Line("Gutschein FRUEHLING", "FRUEHLING", "", 1, -5.00f, 0.19f)};
  first.grand_total = 36.68f;
  AddOrder(first);

  EpagesOrder second;
  second.alias = "1002";
  second.customer = "1002";
  second.creation_date = "2024-03-02T14:03:10+01:00";
  second.billing = max.billing;
  second.shipping = Address("Frau", "2", "Maria", "Weber", "Gartengasse 7", "8010", "Graz", "040");
  second.products = {Line("T-Shirt", "T-300-M-blau", shop + "/Products/T-300-M-blau", 1, 19.99f, 0.2f)};
  second.shipping_line = Method("Post Österreich", shop + "/ShippingMethods/PostAT", 6.50f);
  second.payment_line = Method("PayPal", shop + "/PaymentMethods/PayPal", 0.35f);
  second.discounts = {Line("Neukundenrabatt", "", "", 1, -2.00f, 0.2f)};
  EpagesLineItem wrapping = Line("Geschenkverpackung", "GV-1", "", 1, 2.50f, 0.2f);
  wrapping.choice_name = "Rot";
  second.shipping_options = {wrapping};
  second.grand_total = 27.34f;
  AddOrder(second);

  EpagesOrder third;
  third.alias = "1003";
  third.customer = "1003";
  third.creation_date = "2024-03-03T08:45:00";
  third.tax_model = "net";
  third.billing = anna.billing;
  third.products = {Line("Kaffeebecher Steingut", "A-100", shop + "/Products/A-100", 10, 108.40f, 0.19f),
                    Line("T-Shirt", "T-300", shop + "/Products/T-300", 4, 67.16f, 0.19f)};
  third.payment_line = Method("Rechnung", shop + "/PaymentMethods/Invoice", 0);
  third.coupons = std::vector<EpagesLineItem>{};
  third.grand_total = 208.92f;
  AddOrder(third);

  // Taken into process earlier: the order search passes it by.
  EpagesOrder done = first;
  done.alias = "1000";
  done.creation_date = "2024-02-28T10:00:00Z";
  done.status_dates["InProcessOn"] = "2024-02-28T12:00:00";
  AddOrder(done);
}

void EpagesShop::AddGeneratedOrders(std::size_t count, std::size_t lines) {
  const std::string shop = ShopPath();
  for (int i = 1; i <= 20; ++i) {
    const std::string alias = "G" + std::to_string(i);
    EpagesProduct product = MakeProduct(alias, "Artikel " + alias);
    if (i % 5 == 0) product.deposit_eur = 0.25f;
    AddProduct(std::move(product));
  }
  for (std::size_t i = 1; i <= count; ++i) {
    EpagesOrder order;
    order.alias = "B" + std::to_string(i);
    order.customer = "C" + std::to_string(i % 200 + 1);
    order.creation_date = "2024-04-01T10:00:00Z";
    order.tax_model = i % 2 ? "gross" : "net";
    order.billing =
        Address("Herr", "1", "Kunde", order.customer, "Weg " + std::to_string(i), "10115", "Berlin", "276");
    for (std::size_t line = 0; line < lines; ++line) {
      const std::string product = "G" + std::to_string((i + line) % 20 + 1);
      order.products.push_back(Line("Artikel " + product, product, shop + "/Products/" + product,
                                    float(line + 1), 9.99f * float(line + 1), 0.19f));
    }
    order.shipping_line = Method("DHL Paket", shop + "/ShippingMethods/DHL", 4.90f);
    order.payment_line = Method("Vorkasse", shop + "/PaymentMethods/Vorkasse", 0);
    order.grand_total = 100;
    AddCustomer({order.customer, order.billing});
    AddOrder(std::move(order));
  }
}

}  // namespace kanvio::shopsim
