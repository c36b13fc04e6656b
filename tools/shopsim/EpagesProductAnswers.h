#pragma once
// The simulated ePages services of the product side: ProductService 2011/10
// (find, getInfo, create, update), ProductTypeService 2007/10 (create,
// update), CatalogService 2011/03 (getRoot, exists, create, update, getInfo),
// AssignmentService 2005/01 (assignProductToCatalog,
// getCatalogsAssignedToProduct), PriceListService 2010/08 (create, update),
// PriceListAssignmentService 2005/01 (setScalePrices) and
// ProductImageService 2006/03 (upload). Items the shop refuses carry an
// Error with a message as the real server writes it.

#include <functional>
#include <optional>
#include <pugixml.hpp>
#include <string>
#include <string_view>

#include "EpagesProducts.h"

namespace kanvio::shopsim {

class EpagesProductAnswers {
 public:
  // The message of an "error" failure set for the item with this key (its
  // path, or for creations its alias), if any.
  using ItemError = std::function<std::optional<std::string>(const std::string& key)>;

  explicit EpagesProductAnswers(EpagesProducts& products) : products_(products) {}

  // The answer document to "Service.operation" with the parameters of the
  // operation element; empty when this is no operation served here.
  std::string Answer(const std::string& operation, std::string_view types_urn,
                     const pugi::xml_node& parameters, const ItemError& item_error);

 private:
  std::string FindProducts(std::string_view urn, const pugi::xml_node& parameters);
  std::string ProductInfo(std::string_view urn, const pugi::xml_node& parameters,
                          const ItemError& item_error);
  std::string CreateProducts(std::string_view urn, const pugi::xml_node& parameters,
                             const ItemError& item_error);
  std::string UpdateProducts(std::string_view urn, const pugi::xml_node& parameters,
                             const ItemError& item_error);
  std::string ProductTypes(std::string_view operation, std::string_view urn, const pugi::xml_node& parameters,
                           const ItemError& item_error);
  std::string CatalogRoot(std::string_view urn);
  std::string Catalogs(std::string_view operation, std::string_view urn, const pugi::xml_node& parameters,
                       const ItemError& item_error);
  std::string Assign(std::string_view urn, const pugi::xml_node& parameters, const ItemError& item_error);
  std::string AssignedCatalogs(std::string_view urn, const pugi::xml_node& parameters,
                               const ItemError& item_error);
  std::string PriceLists(std::string_view operation, std::string_view urn, const pugi::xml_node& parameters,
                         const ItemError& item_error);
  std::string ScalePrices(std::string_view urn, const pugi::xml_node& parameters,
                          const ItemError& item_error);
  std::string UploadImage(std::string_view urn, const pugi::xml_node& parameters,
                          const ItemError& item_error);

  EpagesProducts& products_;
};

}  // namespace kanvio::shopsim
