#pragma once
// Turns an ePages order into the `Bestellvorgang` record of the orders file,
// with its deposit positions and variation texts.

#include <optional>
#include <string>

#include "orders/OrderRecords.h"
#include "shops/epages/OrderTypes.h"
#include "shops/epages/ProductTypes.h"

namespace kanvio::epages {

// What the converter asks about the shop's products. Answers may be cached;
// a failure answers "not found" / nullopt (the lookup logs it).
class ProductLookup {
 public:
  virtual ~ProductLookup() = default;
  // Whether the shop has a product with this alias.
  virtual bool HasProductWithAlias(const std::string& alias) = 0;
  // The product, owned by the lookup and valid while it lives; nullptr when
  // it is not found.
  virtual const ProductInfo* Product(const std::string& path) = 0;
};

class OrderConverter {
 public:
  // import_attributes: article texts with the product's name and variation values.
  OrderConverter(ProductLookup& products, bool import_attributes)
      : products_(products), import_attributes_(import_attributes) {}

  // The record of an order that has product line items; customer_alias is
  // its customer's `Alias`. Positions continue from the previous order.
  orders::ShopOrder Convert(const OrderInfo& order, const std::string& customer_alias);

  int next_position() const { return next_position_; }

 private:
  class Builder;

  ProductLookup& products_;
  bool import_attributes_;
  int next_position_ = 1;
};

}  // namespace kanvio::epages
