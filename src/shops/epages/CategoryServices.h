#pragma once
// The stubs of the services that place products in categories: product
// types (ProductTypeService 2007/10), catalogs (CatalogService 2011/03) and
// the assignments between products and catalogs (AssignmentService 2005/01).
// Each owns a SOAP client on WEBSERVICE_URL. Unlike the wrappers of
// ServiceClients.h they throw (TransportError, HttpStatusError, SoapFault,
// XmlError) when a request fails as a whole; an item the shop refuses comes
// back with its Error. One thread at a time.

#include <chrono>
#include <optional>
#include <pugixml.hpp>
#include <string>
#include <vector>

#include "config/Settings.h"
#include "net/SoapClient.h"
#include "platform/HttpClient.h"
#include "shops/epages/EpagesTypes.h"

namespace kanvio::epages {

// The answer to a create, update or exists of one object.
struct ObjectResult {
  std::string Path, Alias;
  std::optional<bool> exists;
  std::optional<std::string> Error;
};

class ProductTypeService {
 public:
  ProductTypeService(const Settings& settings, const platform::HttpClientFactory& http);

  ObjectResult Create(const std::string& alias, const std::vector<LocalizedValue>& name);
  ObjectResult Update(const std::string& path, const std::vector<LocalizedValue>& name);

 private:
  net::SoapClient stub_;
};

// TCreate_Input of a catalog.
struct CatalogCreate {
  std::string Alias, ParentCatalog;
  std::optional<bool> IsVisible;
  std::vector<LocalizedValue> Name;
};

// TGetInfo_Return of a catalog, the fields read.
struct CatalogInfo {
  std::string Path, Alias;
  std::vector<LocalizedValue> Name;
  std::optional<std::string> Error;
};

class CatalogService {
 public:
  CatalogService(const Settings& settings, const platform::HttpClientFactory& http,
                 std::chrono::milliseconds timeout = std::chrono::milliseconds(100'000));

  // The path of the root catalog; throws Error when the answer names none.
  std::string GetRoot();
  ObjectResult Exists(const std::string& path);
  ObjectResult Create(const CatalogCreate& catalog);
  ObjectResult Update(const std::string& path, const std::vector<LocalizedValue>& name);
  // One record per path, in the order of the answer.
  std::vector<CatalogInfo> GetInfo(const std::vector<std::string>& paths);

 private:
  net::SoapClient stub_;
};

// {Catalog, Product} of assignProductToCatalog.
struct CatalogAssignment {
  std::string Catalog, Product;
  std::optional<std::string> Error;
};

// A product's entry of getCatalogsAssignedToProduct.
struct ProductCatalogs {
  std::string Product;
  std::vector<std::string> Catalogs;  // paths, in the order of the answer
  std::optional<std::string> Error;
};

class AssignmentService {
 public:
  AssignmentService(const Settings& settings, const platform::HttpClientFactory& http,
                    std::chrono::milliseconds timeout = std::chrono::milliseconds(100'000));

  // One answer per assignment.
  std::vector<CatalogAssignment> AssignProductToCatalog(const std::vector<CatalogAssignment>& assignments);
  std::vector<ProductCatalogs> GetCatalogsAssignedToProduct(const std::vector<std::string>& products);

 private:
  net::SoapClient stub_;
};

ObjectResult ReadObjectResult(const pugi::xml_node& item);
CatalogInfo ReadCatalogInfo(const pugi::xml_node& item);
CatalogAssignment ReadCatalogAssignment(const pugi::xml_node& item);
ProductCatalogs ReadProductCatalogs(const pugi::xml_node& item);

}  // namespace kanvio::epages
