#include "EpagesProducts.h"

#include <algorithm>

#include "support/Text.h"

namespace kanvio::shopsim {

EpagesProduct MakeProduct(std::string alias, std::string name) {
  EpagesProduct product;
  product.alias = std::move(alias);
  product.name = std::move(name);
  return product;
}

std::string EpagesProducts::Relative(const std::string& path) const {
  const std::string prefix = shop_path_ + "/";
  if (path.starts_with(prefix)) return path.substr(prefix.size());
  return path.starts_with("/") ? path.substr(1) : path;
}

std::string EpagesProducts::ProductPath(const EpagesProduct& product) const {
  return shop_path_ + "/Products/" + product.sub_path + product.alias;
}

EpagesProduct* EpagesProducts::Find(const std::string& path) {
  const auto found = by_path_.find(Relative(path));
  return found == by_path_.end() ? nullptr : &products_[found->second];
}

void EpagesProducts::Index(const EpagesProduct& product) {
  by_path_[Relative(ProductPath(product))] = products_.size();
  by_alias_.emplace(text::ToLower(product.alias), products_.size());
}

void EpagesProducts::Add(EpagesProduct product) {
  std::lock_guard lock(mutex_);
  Index(product);
  products_.push_back(std::move(product));
}

std::optional<EpagesProduct> EpagesProducts::Product(const std::string& path) const {
  std::lock_guard lock(mutex_);
  const auto found = by_path_.find(Relative(path));
  if (found == by_path_.end()) return std::nullopt;
  return products_[found->second];
}

std::optional<EpagesProduct> EpagesProducts::ProductByAlias(const std::string& alias) const {
  std::lock_guard lock(mutex_);
  for (const EpagesProduct& product : products_) {
    if (product.alias == alias) return product;
  }
  return std::nullopt;
}

std::vector<std::string> EpagesProducts::Find(const std::optional<std::string>& alias) const {
  std::lock_guard lock(mutex_);
  std::vector<std::string> paths;
  if (!alias) {
    for (const EpagesProduct& product : products_) paths.push_back(ProductPath(product));
    return paths;
  }
  const std::string start = text::ToLower(*alias);
  for (auto it = by_alias_.lower_bound(start); it != by_alias_.end() && it->first.starts_with(start); ++it)
    paths.push_back(ProductPath(products_[it->second]));
  return paths;
}

std::vector<EpagesProduct> EpagesProducts::All() const {
  std::lock_guard lock(mutex_);
  return products_;
}

std::optional<std::string> EpagesProducts::Create(EpagesProduct product, std::string& error) {
  std::string path;
  {
    std::lock_guard lock(mutex_);
    if (product.alias.empty()) {
      error = "The alias is required.";
      return std::nullopt;
    }
    path = ProductPath(product);
    if (by_path_.contains(Relative(path))) {
      error = "A product with the alias " + product.alias + " already exists.";
      return std::nullopt;
    }
    const std::string type = Relative(product.product_type);
    if (!product.product_type.empty() &&
        (!type.starts_with("ProductTypes/") || !product_types_.contains(type.substr(13)))) {
      error = "Object with path " + product.product_type + " was not found.";
      return std::nullopt;
    }
    Index(product);
    products_.push_back(std::move(product));
  }
  Changed();
  return path;
}

bool EpagesProducts::Update(const std::string& path, const std::function<void(EpagesProduct&)>& change) {
  {
    std::lock_guard lock(mutex_);
    EpagesProduct* product = Find(path);
    if (!product) return false;
    change(*product);
  }
  Changed();
  return true;
}

bool EpagesProducts::CreateProductType(const std::string& alias, const std::string& name) {
  {
    std::lock_guard lock(mutex_);
    if (alias.empty() || !product_types_.emplace(alias, name).second) return false;
  }
  Changed();
  return true;
}

bool EpagesProducts::UpdateProductType(const std::string& path, const std::string& name) {
  {
    std::lock_guard lock(mutex_);
    const std::string relative = Relative(path);
    if (!relative.starts_with("ProductTypes/")) return false;
    const auto found = product_types_.find(relative.substr(13));
    if (found == product_types_.end()) return false;
    found->second = name;
  }
  Changed();
  return true;
}

bool EpagesProducts::ProductTypeExists(const std::string& path) const {
  std::lock_guard lock(mutex_);
  const std::string relative = Relative(path);
  return relative.starts_with("ProductTypes/") && product_types_.contains(relative.substr(13));
}

std::map<std::string, std::string> EpagesProducts::ProductTypes() const {
  std::lock_guard lock(mutex_);
  return product_types_;
}

bool EpagesProducts::CatalogExists(const std::string& path) const {
  std::lock_guard lock(mutex_);
  return catalogs_.contains(Relative(path));
}

std::optional<std::string> EpagesProducts::CreateCatalog(EpagesCatalog catalog, std::string& error) {
  std::string path;
  {
    std::lock_guard lock(mutex_);
    const std::string parent = Relative(catalog.parent);
    if (parent != Relative(RootCatalogPath()) && !catalogs_.contains(parent)) {
      error = "Object with path " + catalog.parent + " was not found.";
      return std::nullopt;
    }
    path = shop_path_ + "/" + parent + "/" + catalog.alias;
    if (catalog.alias.empty() || catalogs_.contains(Relative(path))) {
      error = "A catalog with the alias " + catalog.alias + " already exists.";
      return std::nullopt;
    }
    catalog.path = path;
    catalogs_.emplace(Relative(path), std::move(catalog));
  }
  Changed();
  return path;
}

bool EpagesProducts::RenameCatalog(const std::string& path, const std::string& name) {
  {
    std::lock_guard lock(mutex_);
    const auto found = catalogs_.find(Relative(path));
    if (found == catalogs_.end()) return false;
    found->second.name = name;
  }
  Changed();
  return true;
}

std::optional<EpagesCatalog> EpagesProducts::Catalog(const std::string& path) const {
  std::lock_guard lock(mutex_);
  const auto found = catalogs_.find(Relative(path));
  if (found == catalogs_.end()) return std::nullopt;
  return found->second;
}

std::vector<EpagesCatalog> EpagesProducts::Catalogs() const {
  std::lock_guard lock(mutex_);
  std::vector<EpagesCatalog> catalogs;
  for (const auto& [path, catalog] : catalogs_) catalogs.push_back(catalog);
  return catalogs;
}

bool EpagesProducts::Assign(const std::string& catalog, const std::string& product) {
  {
    std::lock_guard lock(mutex_);
    const auto found = catalogs_.find(Relative(catalog));
    if (found == catalogs_.end() || !by_path_.contains(Relative(product))) return false;
    auto& catalogs = assigned_[Relative(product)];
    if (std::find(catalogs.begin(), catalogs.end(), found->second.path) == catalogs.end())
      catalogs.push_back(found->second.path);
  }
  Changed();
  return true;
}

std::vector<std::string> EpagesProducts::CatalogsOf(const std::string& product) const {
  std::lock_guard lock(mutex_);
  const auto found = assigned_.find(Relative(product));
  return found == assigned_.end() ? std::vector<std::string>() : found->second;
}

bool EpagesProducts::CreatePriceList(EpagesPriceList list) {
  {
    std::lock_guard lock(mutex_);
    if (list.alias.empty() || price_lists_.contains(list.alias)) return false;
    const std::string alias = list.alias;
    price_lists_.emplace(alias, std::move(list));
  }
  Changed();
  return true;
}

bool EpagesProducts::UpdatePriceList(const std::string& path, const std::optional<std::string>& name,
                                     const std::optional<std::string>& tax_model) {
  {
    std::lock_guard lock(mutex_);
    const std::string relative = Relative(path);
    const auto found =
        relative.starts_with("PriceLists/") ? price_lists_.find(relative.substr(11)) : price_lists_.end();
    if (found == price_lists_.end()) return false;
    if (name) found->second.name = *name;
    if (tax_model) found->second.tax_model = *tax_model;
  }
  Changed();
  return true;
}

bool EpagesProducts::SetScalePrices(const std::string& list, const std::string& product,
                                    std::vector<std::pair<float, float>> prices) {
  {
    std::lock_guard lock(mutex_);
    const std::string relative = Relative(list);
    const auto found =
        relative.starts_with("PriceLists/") ? price_lists_.find(relative.substr(11)) : price_lists_.end();
    EpagesProduct* target = Find(product);
    if (found == price_lists_.end() || !target) return false;
    found->second.scale_prices[ProductPath(*target)] = std::move(prices);
  }
  Changed();
  return true;
}

std::vector<EpagesPriceList> EpagesProducts::PriceLists() const {
  std::lock_guard lock(mutex_);
  std::vector<EpagesPriceList> lists;
  for (const auto& [alias, list] : price_lists_) lists.push_back(list);
  return lists;
}

bool EpagesProducts::AddImage(const std::string& product, EpagesImage image) {
  {
    std::lock_guard lock(mutex_);
    EpagesProduct* target = Find(product);
    if (!target) return false;
    target->images.push_back(std::move(image));
  }
  Changed();
  return true;
}

void EpagesProducts::SetChangeListener(std::function<void()> listener) {
  std::lock_guard lock(mutex_);
  listener_ = std::move(listener);
}

void EpagesProducts::Changed() {
  std::function<void()> listener;
  {
    std::lock_guard lock(mutex_);
    listener = listener_;
  }
  if (listener) listener();
}

}  // namespace kanvio::shopsim
