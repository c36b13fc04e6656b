#pragma once
// The simulated ePages shop: orders below their customers, customers and
// products, with the order status dates that the order search filters on.
// Every member may be called from any thread.

#include <cstddef>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "EpagesProducts.h"

namespace kanvio::shopsim {

struct EpagesAddress {
  std::string company, address_extension, salutation, title, first_name, last_name, street, street2, zipcode,
      city, country_id, email, phone, fax, vat_id, bank_account_holder, bank_account_no, bank_code, bank_name;
  std::string gender;  // "1", "2" or empty (not sent)
};

struct EpagesLineItem {
  std::string name, sku, product, method, choice_name;  // method: shipping or payment method path
  float quantity = 1, price = 0, tax_rate = 0;          // price: the line's total
};

struct EpagesOrder {
  std::string alias, customer;  // customer: the alias of the customer
  std::string creation_date;    // as sent, e.g. "2024-03-01T09:12:44Z"
  std::string tax_model = "gross";
  float grand_total = 0;
  std::string comment;  // the attribute CustomerComment
  EpagesAddress billing;
  std::optional<EpagesAddress> shipping;
  std::vector<EpagesLineItem> products;
  std::optional<EpagesLineItem> shipping_line, payment_line;
  std::vector<EpagesLineItem> payment_discounts, discounts, shipping_options;
  std::optional<std::vector<EpagesLineItem>> coupons;  // nullopt: the answer carries no coupon list
  std::map<std::string, std::string> status_dates;     // "InProcessOn" -> date
};

struct EpagesCustomer {
  std::string alias;
  EpagesAddress billing;
};

class EpagesShop {
 public:
  static constexpr const char* kShopId = "DemoShop";
  static constexpr const char* kUser = "/Shops/DemoShop/Users/admin";
  static constexpr const char* kPassword = "demo";

  std::string ShopPath() const { return std::string("/Shops/") + kShopId; }
  std::string OrderPath(const EpagesOrder& order) const;
  std::string CustomerPath(const std::string& alias) const;
  std::string ProductPath(const EpagesProduct& product) const { return products_.ProductPath(product); }

  void AddOrder(EpagesOrder order);
  void AddCustomer(EpagesCustomer customer);
  void AddProduct(EpagesProduct product) { products_.Add(std::move(product)); }
  // Products, product types, catalogs, price lists and images.
  EpagesProducts& Products() { return products_; }
  const EpagesProducts& Products() const { return products_; }

  // Orders whose status dates pass the flags: "NotInProcess" drops orders
  // with InProcessOn, "IsPaid" keeps only those with PaidOn, and so on.
  std::vector<std::string> FindOrders(const std::map<std::string, bool>& flags) const;
  // nullopt for a path (absolute or shop-relative) that names no order.
  std::optional<EpagesOrder> Order(const std::string& path) const;
  std::optional<EpagesCustomer> Customer(const std::string& path) const;
  std::optional<EpagesProduct> Product(const std::string& path) const { return products_.Product(path); }
  // Sets the status dates; false for an unknown order.
  bool UpdateOrder(const std::string& path, const std::map<std::string, std::string>& dates);
  std::vector<EpagesOrder> Orders() const;

  // The accepted login: user and password, or the partner form of the shop
  // id with the partner tokens.
  void SetPartnerTokens(std::string part1, std::string part2);
  bool Accepts(const std::string& user, const std::string& password) const;

  // The demo shop: orders in both tax models with coupons, discounts,
  // deposits, variations and shipping options; products with prices, units,
  // a category, a variation and a download product.
  void FillDemo();
  // count orders of `lines` product lines each, aliases from "B1" on.
  void AddGeneratedOrders(std::size_t count, std::size_t lines);
  // count products "P1", "P2", ... with prices, units and texts, every tenth
  // a variation of the one before it.
  void AddGeneratedProducts(std::size_t count);

 private:
  std::string Relative(const std::string& path) const;
  void FillDemoProducts();

  mutable std::mutex mutex_;
  // State below is protected by mutex_.
  std::vector<EpagesOrder> orders_;
  std::map<std::string, std::size_t> order_index_;  // relative path -> index
  std::map<std::string, EpagesCustomer> customers_;
  EpagesProducts products_{ShopPath()};
  // The library's built-in placeholders of the partner tokens.
  std::string token1_ = "PLACEHOLDER-APPLICATION-ID", token2_ = "PLACEHOLDER2";
};

}  // namespace kanvio::shopsim
