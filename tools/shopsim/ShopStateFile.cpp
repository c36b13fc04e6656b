#include "ShopStateFile.h"

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

  auto temporary = path_;
  temporary += ".tmp";
  if (!document.save_file(temporary.c_str(), "  ", pugi::format_indent, pugi::encoding_utf8)) {
    throw std::runtime_error("cannot write " + temporary.string());
  }
  std::filesystem::rename(temporary, path_);
}

}  // namespace kanvio::shopsim
