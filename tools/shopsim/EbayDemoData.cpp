#include "EbayDemoData.h"

#include <algorithm>
#include <string>

namespace kanvio::shopsim {
namespace {

using std::chrono::days;
using std::chrono::hours;
using std::chrono::minutes;

EbayAddressRecord Address(std::string name, std::string street1, std::string street2, std::string postal_code,
                          std::string city, std::string phone) {
  return {std::move(name), std::move(street1),     std::move(street2),
          std::move(city), std::move(postal_code), "DE",
          "Deutschland",   std::move(phone)};
}

EbaySaleRecord Sale(std::string item_id, std::string transaction_id, std::string title, std::string price,
                    std::string buyer_id, std::chrono::sys_seconds created) {
  EbaySaleRecord sale;
  sale.item_id = std::move(item_id);
  sale.transaction_id = std::move(transaction_id);
  sale.title = std::move(title);
  sale.price = std::move(price);
  sale.buyer_id = std::move(buyer_id);
  sale.created = created;
  return sale;
}

}  // namespace

void EbayDemoData::Fill(EbayMarket& market, std::chrono::sys_seconds now) {
  market.AddBuyer({"kaeufer_anna", "anna.berger@example.de",
                   Address("Anna Berger", "Hauptstraße 5", "", "10115", "Berlin", "030 1234567"),
                   Address("Anna Berger", "Lindenweg 2", "Hinterhaus", "10117", "Berlin", "030 1234567"),
                   std::nullopt});
  EbaySaleRecord grinder =
      Sale("110000000001", "2000000001", "Kaffeemühle Handbetrieb", "34.9", "kaeufer_anna", now - days(2));
  grinder.shipping_service = "DHL Paket";
  grinder.shipping_cost = "4.99";
  grinder.message = "Bitte als Geschenk verpacken";
  market.AddSold({"", {grinder}});

  market.AddBuyer({"kaeufer_ben", "Invalid Request", std::nullopt,
                   Address("Ben Schuster", "Am Markt 1", "", "80331", "München", "Invalid Request"),
                   std::nullopt});
  EbaySaleRecord shirt = Sale("110000000002", "2000000002", "Shirt", "12.5", "kaeufer_ben", now - hours(30));
  shirt.natural_search_url = false;
  shirt.variation = {{"Farbe", "red"}, {"Größe", "XL"}};
  shirt.quantity = 2;
  shirt.paid_status = "PaidWithPayPal";
  shirt.complete_status = "Incomplete";
  shirt.shipping_service = "Hermes Päckchen";
  shirt.shipping_cost = "3.9";
  market.AddSold({"", {shirt}});

  market.AddBuyer({"kaeufer_carla", "carla.dietz@example.de",
                   Address("Carla Dietz", "Ringstraße 9", "", "50667", "Köln", "0221 987654"), std::nullopt,
                   Address("Dietz & Partner GmbH", "Postfach 12 34", "", "50668", "Köln", "0221 987600")});
  EbaySaleRecord teapot =
      Sale("110000000003", "2000000003", "Teekanne Glas", "19.95", "kaeufer_carla", now - hours(20));
  EbaySaleRecord strainer =
      Sale("110000000004", "2000000004", "Teesieb Edelstahl", "6.5", "kaeufer_carla", now - hours(20));
  for (EbaySaleRecord* line : {&teapot, &strainer}) {
    line->paid_status = "MarkedAsPaid";
    line->payment_method = "MoneyXferAccepted";
    line->shipping_service = "DHL Paket";
    line->shipping_cost = "5.9";
  }
  strainer.quantity = 3;
  market.AddSold({"310000000001", {teapot, strainer}});

  market.AddBuyer({"kaeufer_dora", "dora@example.de",
                   Address("Dora Engel", "Bahnhofstraße 3", "", "20095", "Hamburg", ""), std::nullopt,
                   std::nullopt});
  EbaySaleRecord lamp =
      Sale("110000000005", "2000000005", "Tischlampe", "24", "kaeufer_dora", now - hours(5));
  lamp.paid_status = "NotPaid";
  lamp.complete_status = "Incomplete";
  market.AddSold({"", {lamp}});

  market.AddBuyer({"kaeufer_emil", "emil@example.de", std::nullopt,
                   Address("Emil Fuchs", "Gartenweg 7", "Gartenweg 7", "01067", "Dresden", "0351 55555"),
                   std::nullopt});
  EbaySaleRecord chair =
      Sale("110000000006", "2000000006", "Klappstuhl", "15", "kaeufer_emil", now - hours(3));
  chair.paid_status = "NotPaid";
  chair.payment_method = "CashOnPickup";
  market.AddSold({"", {chair}});

  EbaySaleRecord old = Sale("110000000007", "2000000007", "Alte Uhr", "80", "kaeufer_anna", now - days(90));
  market.AddSold({"", {old}});
}

void EbayDemoData::Generate(EbayMarket& market, std::size_t count, std::chrono::sys_seconds now) {
  constexpr std::size_t kBuyers = 1000;
  for (std::size_t i = 0; i < std::min(count, kBuyers); ++i) {
    const std::string id = "last_kaeufer_" + std::to_string(i);
    market.AddBuyer({id, id + "@example.de",
                     Address("Käufer " + std::to_string(i), "Musterweg " + std::to_string(i), "", "12345",
                             "Musterstadt", "0123 " + std::to_string(i)),
                     Address("Käufer " + std::to_string(i), "Lieferweg " + std::to_string(i), "", "12345",
                             "Musterstadt", ""),
                     std::nullopt});
  }
  for (std::size_t i = 0; i < count; ++i) {
    EbaySaleRecord sale =
        Sale(std::to_string(120000000000 + i), std::to_string(3000000000 + i),
             "Lastartikel " + std::to_string(i), std::to_string(1 + i % 100) + ".99",
             "last_kaeufer_" + std::to_string(i % kBuyers), now - minutes(1 + i % (50 * 24 * 60)));
    sale.shipping_service = "DHL Paket";
    sale.shipping_cost = "4.99";
    market.AddSold({"", {sale}});
  }
}

}  // namespace kanvio::shopsim
