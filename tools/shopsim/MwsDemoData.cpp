#include "MwsDemoData.h"

#include <cstdio>

#include "MwsReportBodies.h"

namespace kanvio::shopsim {
namespace {

constexpr const char* kOrderReport = "_GET_ORDERS_DATA_";
constexpr const char* kShipmentReport = "_GET_AMAZON_FULFILLED_SHIPMENTS_DATA_";

MwsItemRecord Item(std::string sku, std::string asin, std::string title, std::string quantity,
                   std::string price, std::string shipping) {
  MwsItemRecord item;
  item.sku = std::move(sku);
  item.asin = std::move(asin);
  item.title = std::move(title);
  item.quantity = std::move(quantity);
  item.item_price = std::move(price);
  item.shipping_price = std::move(shipping);
  return item;
}

MwsOrderRecord Mustermann() {
  MwsOrderRecord order;
  order.id = "028-1111111-1111111";
  order.buyer_email = "mustermann@marketplace.amazon.de";
  order.buyer_name = "Max  Mustermann ";
  order.buyer_phone = "0221 4711";
  order.total = "64.80";
  order.purchase_date = "2026-03-01T09:15:00+00:00";
  order.billing = MwsAddress{"Max  Mustermann ", "Müller & Söhne GmbH", "Domstraße 1", "Köln", "50667", "DE",
                             "0221 4711"};
  order.shipping = order.billing.value();
  order.items = {Item("KV-1001", "B000KV1001", "Kaffeebecher \"Köln\"", "2", "29.90", "4.90")};
  order.items[0].promotion_discount = "5.00";
  order.items.push_back(Item("KV-1002", "B000KV1002", "Untersetzer", "1", "5.00", "0.00"));
  return order;
}

MwsOrderRecord Packstation() {
  MwsOrderRecord order;
  order.id = "028-2222222-2222222";
  order.buyer_email = "erika@marketplace.amazon.de";
  order.buyer_name = "Erika Gabler";
  order.total = "19.99";
  order.service_level = "Expedited";
  order.purchase_date = "2026-03-01T11:40:12+00:00";
  order.billing = MwsAddress{"Erika Gabler", "Hauptweg 5", "", "Berlin", "10115", "DE", ""};
  order.shipping = MwsAddress{"Erika Gabler", "1234567", "Packstation 105", "Berlin", "10117", "DE", ""};
  order.items = {Item("KV-2001", "B000KV2001", "Notizbuch A5", "1", "19.99", "0.00")};
  order.items[0].gift_wrap_price = "2.50";
  order.items[0].gift_wrap_tax = "0.48";
  return order;
}

MwsOrderRecord ManyLines() {
  MwsOrderRecord order;
  order.id = "028-3333333-3333333";
  order.buyer_email = "hans@marketplace.amazon.de";
  order.buyer_name = "Hans Peter Maier";
  order.total = "50.00";
  order.purchase_date = "2026-03-02T07:05:00+00:00";
  order.billing = MwsAddress{"Hans Peter Maier", "Ringstraße 7", "", "München", "80331", "DE", "089 123"};
  order.shipping = order.billing.value();
  for (int i = 1; i <= 5; ++i) {
    const std::string n = std::to_string(i);
    order.items.push_back(Item("KV-300" + n, "B000KV300" + n, "Bleistift Nr. " + n, "1", "10.00", "0.00"));
  }
  return order;
}

MwsOrderRecord UsOrder() {
  MwsOrderRecord order;
  order.id = "104-2391705-5555555";
  order.sales_channel = "Amazon.com";
  order.currency = "USD";
  order.buyer_email = "jsmith@marketplace.amazon.com";
  order.buyer_name = "John Smith";
  order.total = "25.00";
  order.purchase_date = "2026-03-01T20:30:00-08:00";
  order.billing.reset();
  order.shipping =
      MwsAddress{"John Smith", "John Smith", "1850 Mercer Rd", "Lexington", "40511", "US", "555-0100"};
  order.items = {Item("KV-US1", "B000KVUS01", "Mug", "1", "20.00", "5.00")};
  return order;
}

MwsOrderRecord Shipped(std::string id, std::string buyer, std::string city,
                       std::vector<MwsItemRecord> items) {
  MwsOrderRecord order;
  order.id = std::move(id);
  order.status = "Shipped";
  order.buyer_email = "fba@marketplace.amazon.de";
  order.buyer_name = std::move(buyer);
  order.buyer_phone = "030 555";
  order.total = "42.00";
  order.purchase_date = "2026-02-28T15:00:00+00:00";
  order.billing = MwsAddress{order.buyer_name, "Lindenallee 3", "", city, "20095", "DE", ""};
  order.shipping = order.billing.value();
  order.items = std::move(items);
  return order;
}

}  // namespace

void MwsDemoData::Fill(MwsMarketplace& marketplace) {
  const std::vector<MwsOrderRecord> eu = {Mustermann(), Packstation(), ManyLines()};
  const std::vector<MwsOrderRecord> us = {UsOrder()};
  const std::vector<MwsOrderRecord> shipped = {
      Shipped("302-4444444-4444444", "Jürgen Groß", "Hamburg",
              {Item("KV-4001", "B000KV4001", "Tasse", "1", "12.00", "0.00"),
               Item("KV-4002", "B000KV4002", "Teller", "2", "30.00", "0.00")}),
      Shipped("302-5555555-5555555", "Zoë Weiß", "Hamburg",
              {Item("KV-5001", "B000KV5001", "Schale", "1", "9.50", "3.00")})};
  for (const auto* orders : {&eu, &us, &shipped}) {
    for (const auto& order : *orders) marketplace.AddOrder(order);
  }
  marketplace.AddReport(
      kOrderReport, mws_reports::XmlOrderReport(eu, {.billing_addresses = true, .bare_ampersands = true}));
  marketplace.AddReport(kOrderReport, mws_reports::XmlOrderReport(us, {.billing_addresses = false}));
  const std::string shipment = marketplace.AddReport(
      kShipmentReport, mws_reports::ToWindows1252(mws_reports::ShipmentReport(shipped)));
  marketplace.AddReportRequest(kShipmentReport, shipment);
  // A request that produced nothing, which the client must pass over.
  marketplace.AddReportRequest(kShipmentReport, "");
}

MwsOrderRecord MwsDemoData::Generated(int n, bool shipped) {
  char id[32];
  std::snprintf(id, sizeof id, "%s-%07d-%07d", shipped ? "303" : "029", n / 1000000, n % 10000000);
  MwsOrderRecord order;
  order.id = id;
  order.status = shipped ? "Shipped" : "Unshipped";
  order.buyer_email = "kunde" + std::to_string(n) + "@marketplace.amazon.de";
  order.buyer_name = "Kunde Nummer" + std::to_string(n);
  order.buyer_phone = "0221 " + std::to_string(100000 + n % 900000);
  order.total = "34.80";
  order.billing = MwsAddress{order.buyer_name,
                             "Firma " + std::to_string(n),
                             "Weg " + std::to_string(n % 200 + 1),
                             "Köln",
                             "50667",
                             "DE",
                             order.buyer_phone};
  order.shipping = order.billing.value();
  order.items = {Item("G-" + std::to_string(n % 5000), "B0G" + std::to_string(n % 5000), "Artikel", "2",
                      "19.80", "4.90"),
                 Item("G-X", "B0GX", "Zubehör", "1", "10.10", "0.00")};
  return order;
}

std::string MwsDemoData::AddGeneratedReport(MwsMarketplace& marketplace, int count, bool shipment_report) {
  std::vector<MwsOrderRecord> orders;
  orders.reserve(static_cast<std::size_t>(count));
  for (int n = 1; n <= count; ++n) {
    orders.push_back(Generated(n, shipment_report));
    marketplace.AddOrder(orders.back());
  }
  if (!shipment_report) return marketplace.AddReport(kOrderReport, mws_reports::XmlOrderReport(orders));
  const std::string id = marketplace.AddReport(kShipmentReport, mws_reports::ShipmentReport(orders));
  marketplace.AddReportRequest(kShipmentReport, id);
  return id;
}

}  // namespace kanvio::shopsim
