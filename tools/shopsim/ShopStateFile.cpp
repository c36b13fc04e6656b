#include "ShopStateFile.h"

#include <charconv>
#include <optional>
#include <pugixml.hpp>
#include <stdexcept>

namespace kanvio::shopsim {
namespace {

void AddOrders(pugi::xml_node root, const ShopState& shop) {
  for (const auto& order : shop.Orders()) {
    auto node = root.append_child("Bestellung");
    node.append_attribute("BestellnummerShop") = order.number.c_str();
    node.append_attribute("abgeholt") = order.fetched;
  }
  for (const auto& id : shop.ReceivedStateIds()) {
    root.append_child("Statusmeldung").append_attribute("id") = id.c_str();
  }
}

void AddArticles(pugi::xml_node root, const ShopState& shop) {
  for (const auto& article : shop.Articles()) {
    auto node = root.append_child("Artikel");
    node.append_attribute("ArtikelnummerWebshop") = article.number.c_str();
    for (const auto& [name, value] : article.fields)
      node.append_child(name.c_str()).text().set(value.c_str());
  }
}

std::string Number(float value) {
  char buffer[32];
  const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
  return std::string(buffer, end);
}

void AddText(pugi::xml_node node, const char* name, const std::string& value) {
  if (!value.empty()) node.append_child(name).text().set(value.c_str());
}

void AddNumber(pugi::xml_node node, const char* name, const std::optional<float>& value) {
  if (value) AddText(node, name, Number(*value));
}

// What the ePages services keep; no dates, so that two runs compare equal.
void AddEpages(pugi::xml_node root, const EpagesProducts& epages) {
  pugi::xml_node shop = root.append_child("ePages");
  for (const EpagesProduct& product : epages.All()) {
    auto node = shop.append_child("Produkt");
    node.append_attribute("Pfad") = epages.ProductPath(product).c_str();
    AddText(node, "Name", product.name);
    AddText(node, "Beschreibung", product.description);
    AddText(node, "Steuerklasse", product.tax_class);
    AddText(node, "Einheit", product.order_unit);
    AddText(node, "Produkttyp", product.product_type);
    AddNumber(node, "Gewicht", product.weight);
    AddNumber(node, "Preismenge", product.price_quantity);
    AddNumber(node, "Lagerbestand", product.stock_level);
    AddNumber(node, "Mindestbestand", product.stock_level_alert);
    for (const EpagesPrice& price : product.prices) {
      auto price_node = node.append_child("Preis");
      price_node.append_attribute("Steuermodell") = price.tax_model.c_str();
      price_node.append_attribute("Waehrung") = price.currency.c_str();
      price_node.text().set(price.price ? Number(*price.price).c_str() : "");
    }
    for (const std::string& catalog : epages.CatalogsOf(epages.ProductPath(product)))
      AddText(node, "Katalog", catalog);
    for (const EpagesImage& image : product.images) {
      auto image_node = node.append_child("Bild");
      image_node.append_attribute("Datei") = image.file_name.c_str();
      image_node.append_attribute("Bytes") = static_cast<unsigned long long>(image.bytes);
    }
  }
  for (const auto& [alias, name] : epages.ProductTypes()) {
    auto node = shop.append_child("Produkttyp");
    node.append_attribute("Alias") = alias.c_str();
    node.text().set(name.c_str());
  }
  for (const EpagesCatalog& catalog : epages.Catalogs()) {
    auto node = shop.append_child("Katalog");
    node.append_attribute("Pfad") = catalog.path.c_str();
    node.text().set(catalog.name.c_str());
  }
  for (const EpagesPriceList& list : epages.PriceLists()) {
    auto node = shop.append_child("Preisliste");
    node.append_attribute("Alias") = list.alias.c_str();
    node.append_attribute("Steuermodell") = list.tax_model.c_str();
    node.append_attribute("Waehrung") = list.currency.c_str();
    for (const auto& [product, prices] : list.scale_prices) {
      for (const auto& [quantity, price] : prices) {
        auto scale = node.append_child("Staffelpreis");
        scale.append_attribute("Produkt") = product.c_str();
        scale.append_attribute("AbMenge") = Number(quantity).c_str();
        scale.text().set(Number(price).c_str());
      }
    }
  }
}

}  // namespace

void ShopStateFile::Write() {
  std::lock_guard lock(mutex_);
  pugi::xml_document document;
  auto declaration = document.append_child(pugi::node_declaration);
  declaration.append_attribute("version") = "1.0";
  declaration.append_attribute("encoding") = "UTF-8";
  auto root = document.append_child("Shopzustand");
  AddOrders(root, shop_);
  AddArticles(root, shop_);
  AddEpages(root, epages_);

  auto temporary = path_;
  temporary += ".tmp";
  if (!document.save_file(temporary.c_str(), "  ", pugi::format_indent, pugi::encoding_utf8)) {
    throw std::runtime_error("cannot write " + temporary.string());
  }
  std::filesystem::rename(temporary, path_);
}

}  // namespace kanvio::shopsim
