#include "DemoShop.h"

#include <string>

namespace kanvio::shopsim {
namespace {

ShopOrder MakeOrder(std::string number, std::string date, std::string salutation, std::string first_name,
                    std::string last_name, std::string city, std::vector<OrderLine> lines) {
  ShopOrder order;
  order.number = std::move(number);
  order.date = std::move(date);
  order.customer_number = "K-" + order.number;
  order.salutation = std::move(salutation);
  order.first_name = std::move(first_name);
  order.last_name = std::move(last_name);
  order.street = "Hauptstraße 12";
  order.postal_code = "50667";
  order.city = std::move(city);
  order.country_code = "DE";
  order.country = "Deutschland";
  order.email = "kunde" + order.number + "@example.org";
  order.phone = "0221 123456";
  order.shipping = "DHL Paket";
  order.payment = "Vorkasse";
  order.freight_gross = 4.90;
  order.lines = std::move(lines);
  return order;
}

ShopArticle MakeArticle(std::string number, std::string name, std::string net, std::string gross,
                        std::string stock) {
  return ShopArticle{number,
                     {{"Artikelbeschreibung", std::move(name)},
                      {"MwStCode", "1"},
                      {"Einheit", "Stk."},
                      {"Artikelkategorie", "Küche"},
                      {"Gewicht", "0.4"},
                      {"ArtikelpreisNetto", std::move(net)},
                      {"ArtikelpreisBrutto", std::move(gross)},
                      {"LagerBestandAktuell", std::move(stock)},
                      {"LagerMindestBestand", "2"}}};
}

}  // namespace

void DemoShop::Fill(ShopState& shop) {
  auto first = MakeOrder("1001", "2024-03-01 09:12:44", "Frau", "Erika", "Mustermann", "Köln",
                         {{"A-100", "Kaffeebecher Steingut", 2, 12.90, 19}});
  first.fetched = true;
  shop.AddOrder(first);
  shop.AddOrder(MakeOrder(
      "1002", "2024-03-02 14:03:10", "Herr", "Jürgen", "Weiß", "München",
      {{"A-101", "Teekanne Glas 1,2 l", 1, 29.90, 19}, {"A-103", "Geschirrtuch Leinen", 3, 6.50, 19}}));
  auto third = MakeOrder("1003", "2024-03-03 08:45:00", "Frau", "Anna", "Schäfer", "Leipzig",
                         {{"A-104", "Kochbuch Saisonküche", 1, 24.00, 7}});
  third.company = "Schäfer & Söhne GmbH";
  third.payment = "Rechnung";
  third.message = "Bitte nicht vor 10 Uhr liefern.";
  shop.AddOrder(third);

  shop.PutArticle(MakeArticle("A-100", "Kaffeebecher Steingut", "10.84", "12.90", "40"));
  shop.PutArticle(MakeArticle("A-101", "Teekanne Glas 1,2 l", "25.13", "29.90", "12"));
  shop.PutArticle(MakeArticle("A-102", "Espressokocher 6 Tassen", "33.61", "39.99", "0"));
  shop.PutArticle(MakeArticle("A-103", "Geschirrtuch Leinen", "5.46", "6.50", "85"));
  shop.PutArticle(MakeArticle("A-104", "Kochbuch Saisonküche", "22.43", "24.00", "7"));
}

}  // namespace kanvio::shopsim
