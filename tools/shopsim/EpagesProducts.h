#pragma once
// The product side of the simulated ePages shop: products with their prices
// and stock, product types, the catalog tree with the products assigned to
// it, price lists with their scale prices, and the images uploaded. It keeps
// what the services create and change, so that tests and the demo can look.
// Every member may be called from any thread.

#include <cstddef>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace kanvio::shopsim {

struct EpagesPrice {
  std::optional<float> price;  // nullopt: cleared
  std::string currency = "EUR";
  std::string tax_model = "gross";
};

struct EpagesImage {
  std::string file_name;
  std::size_t bytes = 0;
};

struct EpagesProduct {
  std::string alias, name;
  std::vector<std::pair<std::string, std::string>> variation;  // attribute name, value
  std::optional<float> deposit_eur;
  std::string sub_path;       // "" or e.g. "Appointments/" below Products
  std::string super_product;  // alias of the parent of a variation
  std::string description, tax_class, order_unit, product_type, weight_unit;
  std::optional<float> weight, price_quantity, stock_level, stock_level_alert;
  std::vector<EpagesPrice> prices;
  bool is_download = false;
  bool is_new = false;
  std::vector<EpagesImage> images;
};

// A product as the demo and the tests make it.
EpagesProduct MakeProduct(std::string alias, std::string name);

struct EpagesCatalog {
  std::string path, alias, name, parent;
  bool visible = true;
};

struct EpagesPriceList {
  std::string alias, name, tax_model, currency, valid_from, valid_to;
  // product path -> (quantity, price) in the order set
  std::map<std::string, std::vector<std::pair<float, float>>> scale_prices;
};

class EpagesProducts {
 public:
  explicit EpagesProducts(std::string shop_path) : shop_path_(std::move(shop_path)) {}

  std::string ProductPath(const EpagesProduct& product) const;
  std::string RootCatalogPath() const { return shop_path_ + "/Categories"; }
  std::string ProductTypePath(const std::string& alias) const {
    return shop_path_ + "/ProductTypes/" + alias;
  }
  std::string PriceListPath(const std::string& alias) const { return shop_path_ + "/PriceLists/" + alias; }

  void Add(EpagesProduct product);
  // nullopt for a path (absolute or shop-relative) that names no product.
  std::optional<EpagesProduct> Product(const std::string& path) const;
  std::optional<EpagesProduct> ProductByAlias(const std::string& alias) const;
  // Paths of the products whose alias begins with alias in any letter case
  // (the shop's search matches parts of aliases), or all when alias is nullopt.
  std::vector<std::string> Find(const std::optional<std::string>& alias) const;
  std::vector<EpagesProduct> All() const;
  // The new product's path, or nullopt with error set.
  std::optional<std::string> Create(EpagesProduct product, std::string& error);
  // Applies change to the product; false for an unknown path.
  bool Update(const std::string& path, const std::function<void(EpagesProduct&)>& change);

  // False when the alias is taken.
  bool CreateProductType(const std::string& alias, const std::string& name);
  bool UpdateProductType(const std::string& path, const std::string& name);
  bool ProductTypeExists(const std::string& path) const;
  std::map<std::string, std::string> ProductTypes() const;  // alias -> name

  bool CatalogExists(const std::string& path) const;
  // The new catalog's path, or nullopt with error set (alias taken, parent unknown).
  std::optional<std::string> CreateCatalog(EpagesCatalog catalog, std::string& error);
  bool RenameCatalog(const std::string& path, const std::string& name);
  std::optional<EpagesCatalog> Catalog(const std::string& path) const;
  std::vector<EpagesCatalog> Catalogs() const;
  // False when the catalog or the product is unknown.
  bool Assign(const std::string& catalog, const std::string& product);
  std::vector<std::string> CatalogsOf(const std::string& product) const;

  // False when the alias is taken.
  bool CreatePriceList(EpagesPriceList list);
  bool UpdatePriceList(const std::string& path, const std::optional<std::string>& name,
                       const std::optional<std::string>& tax_model);
  // False when the list or the product is unknown.
  bool SetScalePrices(const std::string& list, const std::string& product,
                      std::vector<std::pair<float, float>> prices);
  std::vector<EpagesPriceList> PriceLists() const;

  // False when the product is unknown.
  bool AddImage(const std::string& product, EpagesImage image);

  // Called after every change by a service, outside the lock.
  void SetChangeListener(std::function<void()> listener);

 private:
  std::string Relative(const std::string& path) const;
  EpagesProduct* Find(const std::string& path);
  void Index(const EpagesProduct& product);
  void Changed();

  const std::string shop_path_;
  mutable std::mutex mutex_;
  // State below is protected by mutex_.
  std::vector<EpagesProduct> products_;
  std::map<std::string, std::size_t> by_path_;        // relative path -> index
  std::multimap<std::string, std::size_t> by_alias_;  // alias in lower case -> index
  std::map<std::string, std::string> product_types_;
  std::map<std::string, EpagesCatalog> catalogs_;             // relative path -> catalog
  std::map<std::string, std::vector<std::string>> assigned_;  // relative product path -> catalog paths
  std::map<std::string, EpagesPriceList> price_lists_;        // alias -> list
  std::function<void()> listener_;
};

}  // namespace kanvio::shopsim
