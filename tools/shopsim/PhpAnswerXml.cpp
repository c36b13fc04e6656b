#include "PhpAnswerXml.h"

#include <fmt/format.h>

#include <array>
#include <pugixml.hpp>
#include <sstream>

namespace kanvio::shopsim {
namespace {

pugi::xml_node NewDocument(pugi::xml_document& document, const char* root) {
  auto declaration = document.append_child(pugi::node_declaration);
  declaration.append_attribute("version") = "1.0";
  declaration.append_attribute("encoding") = "UTF-8";
  return document.append_child(root);
}

std::string ToText(const pugi::xml_document& document, bool one_line = false) {
  std::ostringstream out;
  document.save(out, "  ", one_line ? pugi::format_raw : pugi::format_indent, pugi::encoding_utf8);
  return out.str();
}

void Add(pugi::xml_node parent, const char* name, const std::string& value) {
  auto element = parent.append_child(name);
  if (!value.empty()) element.text().set(value.c_str());
}

std::string Money(double value) { return fmt::format("{:.2f}", value); }
std::string Percent(double value) { return fmt::format("{:g}", value); }
double Net(double gross, double tax_percent) { return gross / (1 + tax_percent / 100); }

void AddCustomer(pugi::xml_node order_node, const ShopOrder& order) {
  auto customer_data = order_node.append_child("Kundendaten");
  auto customer = customer_data.append_child("Kunde");
  Add(customer, "KundennummerWebshop", order.customer_number);
  Add(customer, "Firmenname", order.company);
  Add(customer, "PersonAnrede", order.salutation);
  Add(customer, "PersonNachname", order.last_name);
  Add(customer, "PersonVorname", order.first_name);
  Add(customer, "Strasse", order.street);
  Add(customer, "Postleitzahl", order.postal_code);
  Add(customer, "Ort", order.city);
  Add(customer, "Laendercode", order.country_code);
  Add(customer, "Land", order.country);
  Add(customer, "Email", order.email);
  Add(customer, "Telefon", order.phone);
  auto freight = customer_data.append_child("Frachtkosten");
  Add(freight, "FrachtkostenNetto", Money(Net(order.freight_gross, 19)));
  Add(freight, "FrachtkostenBrutto", Money(order.freight_gross));
  Add(freight, "FrachtkostenMwStProzent", "19");
}

void AddLine(pugi::xml_node order_node, const OrderLine& line, std::size_t position) {
  auto article = order_node.append_child("BestellArtikel");
  Add(article, "Positionsnummer", std::to_string(position));
  Add(article, "ArtikelnummerShop", line.article_number);
  Add(article, "Menge", std::to_string(line.quantity));
  Add(article, "abweichenderEinzelpreisNetto", Money(Net(line.price_gross, line.tax_percent)));
  Add(article, "abweichenderEinzelpreisBrutto", Money(line.price_gross));
  Add(article, "abweichendeMwStProzent", Percent(line.tax_percent));
  Add(article, "abweichenderArtikeltext", line.text);
}

void AddOrder(pugi::xml_node root, const ShopOrder& order) {
  auto node = root.append_child("Bestellvorgang");
  Add(node, "BestellnummerShop", order.number);
  Add(node, "Bestelldatum", order.date);
  Add(node, "Lieferart", order.shipping);
  Add(node, "Zahlungsart", order.payment);
  Add(node, "AnmerkungenBestellung", order.message);
  AddCustomer(node, order);
  for (std::size_t i = 0; i < order.lines.size(); ++i) AddLine(node, order.lines[i], i + 1);
}

std::string FieldOf(const ShopArticle& article, const char* name) {
  auto it = article.fields.find(name);
  return it == article.fields.end() ? std::string() : it->second;
}

}  // namespace

std::string PhpAnswerXml::Orders(const std::vector<ShopOrder>& orders) {
  pugi::xml_document document;
  auto root = NewDocument(document, "OrderNotification");
  for (const auto& order : orders) AddOrder(root, order);
  return ToText(document);
}

std::string PhpAnswerXml::ArticleImport(const std::vector<ShopArticle>& articles, bool one_line) {
  pugi::xml_document document;
  auto root = NewDocument(document, "Artikelimport");
  for (const auto& article : articles) {
    auto row = root.append_child("row");
    Add(row, "Artikelnummer", "");
    Add(row, "ArtikelnummerWebshop", article.number);
    for (const char* name : kArticleFields) Add(row, name, FieldOf(article, name));
    for (const char* name : kStockFields) Add(row, name, FieldOf(article, name));
  }
  return ToText(document, one_line);
}

std::string PhpAnswerXml::ArticleList(const std::vector<ShopArticle>& articles) {
  pugi::xml_document document;
  auto root = NewDocument(document, "ArtikelListeWebshop");
  for (const auto& article : articles) {
    auto row = root.append_child("row");
    Add(row, "ArtikelnummerWebshop", article.number);
    Add(row, "Artikelbeschreibung", FieldOf(article, "Artikelbeschreibung"));
  }
  return ToText(document);
}

std::string PhpAnswerXml::PagingInformation(std::size_t article_count) {
  pugi::xml_document document;
  auto root = NewDocument(document, "PagingInformations");
  Add(root, "ArticleCount", std::to_string(article_count));
  return ToText(document);
}

std::string PhpAnswerXml::ExportProtocol(const UploadOutcome& outcome) {
  pugi::xml_document document;
  auto root = NewDocument(document, "Exportprotokoll");
  Add(root, "Export_Status", outcome.rolled_back ? "ROLLBACK" : "SUCCESS");
  Add(root, "Anzahl_Datensaetze_Gesamt", std::to_string(outcome.received));
  Add(root, "Anzahl_Datensaetze_Erfolgreich_Uebergeben", std::to_string(outcome.stored));
  return ToText(document);
}

}  // namespace kanvio::shopsim
