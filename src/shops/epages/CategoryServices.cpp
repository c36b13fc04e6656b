#include "shops/epages/CategoryServices.h"

#include "net/SoapAnswer.h"
#include "shops/epages/ServiceClients.h"
#include "support/Error.h"

namespace kanvio::epages {
namespace {

template <class Read>
auto ReadItems(const pugi::xml_node& list, Read read) {
  std::vector<decltype(read(pugi::xml_node()))> items;
  net::ForEachItem(list, [&](const pugi::xml_node& item) { items.push_back(read(item)); });
  return items;
}

// The one answer record of a call about one object; an answer without one
// reads as a refusal.
ObjectResult Single(const net::SoapAnswer& answer, std::string_view part) {
  const auto results = ReadItems(answer.Part(part), ReadObjectResult);
  if (results.empty()) return {{}, {}, std::nullopt, std::string("Keine Antwort des Shops")};
  return results.front();
}

void BeginSingle(net::SoapWriter& writer, std::string_view part, std::string_view prefix,
                 std::string_view urn, std::string_view type) {
  writer.DeclareNamespace(std::string(prefix), std::string(urn));
  writer.DeclareNamespace("et", std::string(kEpagesTypesUrn));
  const std::string qualified = std::string(prefix) + ":" + std::string(type);
  writer.BeginArray(part, qualified, 1);
  writer.BeginStruct("item", qualified);
}

void EndSingle(net::SoapWriter& writer) {
  writer.EndStruct();
  writer.EndArray();
}

}  // namespace

ObjectResult ReadObjectResult(const pugi::xml_node& item) {
  return {net::Text(item, "Path"), net::Text(item, "Alias"), net::OptionalBoolean(item, "exists"),
          ReadError(item)};
}

CatalogInfo ReadCatalogInfo(const pugi::xml_node& item) {
  CatalogInfo catalog{net::Text(item, "Path"), {}, {}, ReadError(item)};
  if (catalog.Error) return catalog;
  catalog.Alias = net::Text(item, "Alias");
  catalog.Name = ReadLocalizedValues(net::Child(item, "Name"));
  return catalog;
}

CatalogAssignment ReadCatalogAssignment(const pugi::xml_node& item) {
  return {net::Text(item, "Catalog"), net::Text(item, "Product"), ReadError(item)};
}

ProductCatalogs ReadProductCatalogs(const pugi::xml_node& item) {
  ProductCatalogs product{net::Text(item, "Product"), {}, ReadError(item)};
  net::ForEachItem(net::Child(item, "Catalogs"), [&](const pugi::xml_node& catalog) {
    product.Catalogs.push_back(net::Text(catalog, "Path"));
  });
  return product;
}

ProductTypeService::ProductTypeService(const Settings& settings, const platform::HttpClientFactory& http)
    : stub_(StubEndpoint(settings, std::chrono::milliseconds(100'000)), http) {}

ObjectResult ProductTypeService::Create(const std::string& alias, const std::vector<LocalizedValue>& name) {
  net::SoapWriter parameters;
  BeginSingle(parameters, "ProductTypes", "ptt", kProductTypeService.types_urn, "TCreate_Input");
  parameters.String("Alias", alias);
  WriteLocalizedValues(parameters, "Name", name);
  EndSingle(parameters);
  return Single(stub_.Call(kProductTypeService.urn, "create", parameters), "ProductTypes");
}

ObjectResult ProductTypeService::Update(const std::string& path, const std::vector<LocalizedValue>& name) {
  net::SoapWriter parameters;
  BeginSingle(parameters, "ProductTypes", "ptt", kProductTypeService.types_urn, "TUpdate_Input");
  parameters.String("Path", path);
  WriteLocalizedValues(parameters, "Name", name);
  EndSingle(parameters);
  return Single(stub_.Call(kProductTypeService.urn, "update", parameters), "ProductTypes");
}

CatalogService::CatalogService(const Settings& settings, const platform::HttpClientFactory& http,
                               std::chrono::milliseconds timeout)
    : stub_(StubEndpoint(settings, timeout), http) {}

std::string CatalogService::GetRoot() {
  const auto answer = stub_.Call(kCatalogService.urn, "getRoot", net::SoapWriter());
  const pugi::xml_node root = answer.Part("Root");
  if (const auto error = ReadError(root)) throw Error("Der Shop nennt keinen Wurzelkatalog: " + *error);
  std::string path = net::Text(root, "Path");
  if (path.empty()) throw Error("Der Shop nennt keinen Wurzelkatalog.");
  return path;
}

ObjectResult CatalogService::Exists(const std::string& path) {
  net::SoapWriter parameters;
  parameters.StringArray("Catalogs", std::vector<std::string>{path});
  return Single(stub_.Call(kCatalogService.urn, "exists", parameters), "Catalogs");
}

ObjectResult CatalogService::Create(const CatalogCreate& catalog) {
  net::SoapWriter parameters;
  BeginSingle(parameters, "Catalogs", "ct", kCatalogService.types_urn, "TCreate_Input");
  parameters.String("Alias", catalog.Alias);
  parameters.String("ParentCatalog", catalog.ParentCatalog);
  parameters.Optional("IsVisible", catalog.IsVisible);
  WriteLocalizedValues(parameters, "Name", catalog.Name);
  EndSingle(parameters);
  return Single(stub_.Call(kCatalogService.urn, "create", parameters), "Catalogs");
}

ObjectResult CatalogService::Update(const std::string& path, const std::vector<LocalizedValue>& name) {
  net::SoapWriter parameters;
  BeginSingle(parameters, "Catalogs", "ct", kCatalogService.types_urn, "TUpdate_Input");
  parameters.String("Path", path);
  WriteLocalizedValues(parameters, "Name", name);
  EndSingle(parameters);
  return Single(stub_.Call(kCatalogService.urn, "update", parameters), "Catalogs");
}

std::vector<CatalogInfo> CatalogService::GetInfo(const std::vector<std::string>& paths) {
  net::SoapWriter parameters;
  parameters.StringArray("Catalogs", paths);
  parameters.StringArray("Attributes", {});
  parameters.StringArray("LanguageCodes", {});
  return ReadItems(stub_.Call(kCatalogService.urn, "getInfo", parameters).Part("Catalogs"), ReadCatalogInfo);
}

AssignmentService::AssignmentService(const Settings& settings, const platform::HttpClientFactory& http,
                                     std::chrono::milliseconds timeout)
    : stub_(StubEndpoint(settings, timeout), http) {}

std::vector<CatalogAssignment> AssignmentService::AssignProductToCatalog(
    const std::vector<CatalogAssignment>& assignments) {
  net::SoapWriter parameters;
  parameters.DeclareNamespace("at", std::string(kAssignmentService.types_urn));
  parameters.BeginArray("Assignments", "at:TAssignProductToCatalog_Input", assignments.size());
  for (const CatalogAssignment& assignment : assignments) {
    parameters.BeginStruct("item", "at:TAssignProductToCatalog_Input");
    parameters.String("Catalog", assignment.Catalog);
    parameters.String("Product", assignment.Product);
    parameters.EndStruct();
  }
  parameters.EndArray();
  return ReadItems(
      stub_.Call(kAssignmentService.urn, "assignProductToCatalog", parameters).Part("Assignments"),
      ReadCatalogAssignment);
}

std::vector<ProductCatalogs> AssignmentService::GetCatalogsAssignedToProduct(
    const std::vector<std::string>& products) {
  net::SoapWriter parameters;
  parameters.StringArray("Products", products);
  return ReadItems(
      stub_.Call(kAssignmentService.urn, "getCatalogsAssignedToProduct", parameters).Part("Assignments"),
      ReadProductCatalogs);
}

}  // namespace kanvio::epages
