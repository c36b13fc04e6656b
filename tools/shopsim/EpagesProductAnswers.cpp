#include "EpagesProductAnswers.h"

#include <vector>

#include "EpagesAnswers.h"
#include "net/SoapAnswer.h"
#include "platform/Crypto.h"

namespace kanvio::shopsim {
namespace {

using net::Child;
using net::Text;

std::vector<pugi::xml_node> Items(const pugi::xml_node& list) {
  std::vector<pugi::xml_node> items;
  net::ForEachItem(list, [&](const pugi::xml_node& item) { items.push_back(item); });
  return items;
}

std::vector<std::string> Strings(const pugi::xml_node& list) {
  std::vector<std::string> strings;
  for (const pugi::xml_node& item : Items(list)) strings.emplace_back(item.child_value());
  return strings;
}

// The German value of a localized list, else its first.
std::string LocalizedText(const pugi::xml_node& list) {
  std::string first;
  bool any = false;
  for (const pugi::xml_node& item : Items(list)) {
    if (Text(item, "LanguageCode") == "de") return Text(item, "Value");
    if (!any) first = Text(item, "Value");
    any = true;
  }
  return first;
}

void WriteLocalized(EpagesAnswer& answer, std::string_view name, const std::string& value) {
  answer.BeginArray(name, "namesp1:TLocalizedValue", 1);
  answer.BeginRecord("LocalizedValue", "namesp1:TLocalizedValue");
  answer.String("LanguageCode", "de");
  answer.String("Value", value);
  answer.End();
  answer.End();
}

void WritePrices(EpagesAnswer& answer, std::string_view name, const std::vector<EpagesPrice>& prices) {
  answer.BeginArray(name, "namesp2:TProductPrice", prices.size());
  for (const EpagesPrice& price : prices) {
    answer.BeginRecord("ProductPrice", "namesp2:TProductPrice");
    if (price.price) answer.Float("Price", *price.price);
    answer.String("CurrencyID", price.currency);
    answer.String("TaxModel", price.tax_model);
    answer.End();
  }
  answer.End();
}

// Sets the prices sent: one price per currency and tax model.
void MergePrices(std::vector<EpagesPrice>& prices, const pugi::xml_node& list) {
  for (const pugi::xml_node& item : Items(list)) {
    EpagesPrice sent{net::OptionalFloat(item, "Price"), Text(item, "CurrencyID"), Text(item, "TaxModel")};
    bool replaced = false;
    for (EpagesPrice& price : prices) {
      if (price.currency == sent.currency && price.tax_model == sent.tax_model) {
        price = sent;
        replaced = true;
      }
    }
    if (!replaced) prices.push_back(sent);
  }
}

// Takes the members of a create or update record; the message of the first
// value the shop refuses.
std::optional<std::string> ApplyFields(EpagesProduct& product, const pugi::xml_node& item) {
  std::optional<std::string> refusal;
  net::ForEachMember(item, [&](std::string_view name, const pugi::xml_node& member) {
    const auto text = net::ElementText(member);
    const auto number = net::ElementFloat(member);
    if (name == "Name") product.name = LocalizedText(member);
    if (name == "Description") product.description = LocalizedText(member);
    if (name == "TaxClass" && text) product.tax_class = *text;
    if (name == "Class" && text) product.product_type = *text;
    if (name == "WeightUnit" && text) product.weight_unit = *text;
    if (name == "Weight") product.weight = number;
    if (name == "PriceQuantity") product.price_quantity = number;
    if (name == "StockLevel") product.stock_level = number;
    if (name == "IsNew") product.is_new = net::OptionalBoolean(item, "IsNew").value_or(false);
    if (name == "IsDownloadProduct")
      product.is_download = net::OptionalBoolean(item, "IsDownloadProduct").value_or(false);
    if (name == "ProductPrices") MergePrices(product.prices, member);
    if (name == "OrderUnit" && text) {
      if (!text->starts_with("/Units/")) refusal = "Unit " + *text + " was not found.";
      product.order_unit = *text;
    }
    if (name == "StockLevelAlert") {
      if (!number || *number <= 0) refusal = "FLOAT_TO_SMALL: StockLevelAlert must be greater than 0.";
      product.stock_level_alert = number;
    }
  });
  return refusal;
}

}  // namespace

std::string EpagesProductAnswers::Answer(const std::string& operation, std::string_view types_urn,
                                         const pugi::xml_node& parameters, const ItemError& item_error) {
  if (operation == "ProductService.find") return FindProducts(types_urn, parameters);
  if (operation == "ProductService.getInfo") return ProductInfo(types_urn, parameters, item_error);
  if (operation == "ProductService.create") return CreateProducts(types_urn, parameters, item_error);
  if (operation == "ProductService.update") return UpdateProducts(types_urn, parameters, item_error);
  if (operation == "ProductTypeService.create")
    return ProductTypes("create", types_urn, parameters, item_error);
  if (operation == "ProductTypeService.update")
    return ProductTypes("update", types_urn, parameters, item_error);
  if (operation == "CatalogService.getRoot") return CatalogRoot(types_urn);
  for (const char* op : {"exists", "create", "update", "getInfo"}) {
    if (operation == std::string("CatalogService.") + op)
      return Catalogs(op, types_urn, parameters, item_error);
  }
  if (operation == "AssignmentService.assignProductToCatalog")
    return Assign(types_urn, parameters, item_error);
  if (operation == "AssignmentService.getCatalogsAssignedToProduct")
    return AssignedCatalogs(types_urn, parameters, item_error);
  if (operation == "PriceListService.create") return PriceLists("create", types_urn, parameters, item_error);
  if (operation == "PriceListService.update") return PriceLists("update", types_urn, parameters, item_error);
  if (operation == "PriceListAssignmentService.setScalePrices")
    return ScalePrices(types_urn, parameters, item_error);
  if (operation == "ProductImageService.upload") return UploadImage(types_urn, parameters, item_error);
  return {};
}

std::string EpagesProductAnswers::FindProducts(std::string_view urn, const pugi::xml_node& parameters) {
  const pugi::xml_node search = Child(parameters, "SearchParameters");
  const auto paths = products_.Find(net::OptionalText(search, "Alias"));
  EpagesAnswer answer("find", urn);
  answer.BeginArray("Products", "xsd:string", paths.size());
  for (const auto& path : paths) answer.String("Product", path);
  return answer.Finish();
}

std::string EpagesProductAnswers::ProductInfo(std::string_view urn, const pugi::xml_node& parameters,
                                              const ItemError& item_error) {
  const auto paths = Strings(Child(parameters, "Products"));
  EpagesAnswer answer("getInfo", urn);
  answer.BeginArray("Products", "namesp2:TGetInfo_Return", paths.size());
  for (const auto& path : paths) {
    answer.BeginRecord("Product", "namesp2:TGetInfo_Return");
    const auto product = products_.Product(path);
    const auto error = item_error(path);
    answer.String("Path", product && !error ? products_.ProductPath(*product) : path);
    if (!product || error) {
      answer.Error(error.value_or("Object with path " + path + " was not found."));
      answer.End();
      continue;
    }
    answer.String("Alias", product->alias);
    WriteLocalized(answer, "Name", product->name);
    if (!product->description.empty()) WriteLocalized(answer, "Description", product->description);
    if (!product->tax_class.empty()) answer.String("TaxClass", product->tax_class);
    if (!product->order_unit.empty()) answer.String("OrderUnit", product->order_unit);
    if (!product->product_type.empty()) answer.String("Class", product->product_type);
    if (product->weight) answer.Float("Weight", *product->weight);
    if (product->stock_level) answer.Float("StockLevel", *product->stock_level);
    answer.Boolean("IsDownloadProduct", product->is_download);
    if (const auto parent = products_.ProductByAlias(product->super_product);
        parent && !product->super_product.empty())
      answer.String("SuperProduct", products_.ProductPath(*parent));
    answer.BeginArray("VariationAttributes", "namesp1:TAttribute", product->variation.size());
    for (const auto& [attribute, value] : product->variation) {
      answer.BeginRecord("Attribute", "namesp1:TAttribute");
      answer.String("Name", attribute);
      answer.String("Value", value);
      answer.End();
    }
    answer.End();
    WritePrices(answer, "ProductPrices", product->prices);
    std::vector<EpagesPrice> deposits;
    if (product->deposit_eur) deposits.push_back({*product->deposit_eur, "EUR", "gross"});
    WritePrices(answer, "DepositPrices", deposits);
    answer.End();
  }
  return answer.Finish();
}

std::string EpagesProductAnswers::CreateProducts(std::string_view urn, const pugi::xml_node& parameters,
                                                 const ItemError& item_error) {
  const auto items = Items(Child(parameters, "Products"));
  EpagesAnswer answer("create", urn);
  answer.BeginArray("Products", "namesp2:TCreate_Return", items.size());
  for (const pugi::xml_node& item : items) {
    EpagesProduct product = MakeProduct(Text(item, "Alias"), "");
    std::optional<std::string> error = item_error(product.alias);
    if (!error) error = ApplyFields(product, item);
    std::optional<std::string> path;
    if (!error) {
      std::string refusal;
      path = products_.Create(product, refusal);
      if (!path) error = refusal;
    }
    answer.BeginRecord("Product", "namesp2:TCreate_Return");
    answer.String("Alias", product.alias);
    if (path) {
      answer.String("Path", *path);
      answer.Boolean("created", true);
    } else {
      answer.Error(*error);
    }
    answer.End();
  }
  return answer.Finish();
}

std::string EpagesProductAnswers::UpdateProducts(std::string_view urn, const pugi::xml_node& parameters,
                                                 const ItemError& item_error) {
  const auto items = Items(Child(parameters, "Products"));
  EpagesAnswer answer("update", urn);
  answer.BeginArray("Products", "namesp2:TUpdate_Return", items.size());
  for (const pugi::xml_node& item : items) {
    const std::string path = Text(item, "Path");
    std::optional<std::string> error = item_error(path);
    if (!error) {
      const auto product = products_.Product(path);
      if (!product) {
        error = "Object with path " + path + " was not found.";
      } else {
        EpagesProduct changed = *product;
        error = ApplyFields(changed, item);
        if (!error) products_.Update(path, [&](EpagesProduct& stored) { stored = changed; });
      }
    }
    answer.BeginRecord("Product", "namesp2:TUpdate_Return");
    answer.String("Path", path);
    if (error) {
      answer.Error(*error);
    } else {
      answer.Boolean("updated", true);
    }
    answer.End();
  }
  return answer.Finish();
}

std::string EpagesProductAnswers::ProductTypes(std::string_view operation, std::string_view urn,
                                               const pugi::xml_node& parameters,
                                               const ItemError& item_error) {
  const auto items = Items(Child(parameters, "ProductTypes"));
  EpagesAnswer answer(operation, urn);
  answer.BeginArray("ProductTypes", "namesp2:TCreate_Return", items.size());
  for (const pugi::xml_node& item : items) {
    const bool create = operation == "create";
    const std::string key = create ? Text(item, "Alias") : Text(item, "Path");
    const std::string name = LocalizedText(Child(item, "Name"));
    std::optional<std::string> error = item_error(key);
    if (!error && create && !products_.CreateProductType(key, name))
      error = "A product type with the alias " + key + " already exists.";
    if (!error && !create && !products_.UpdateProductType(key, name))
      error = "Object with path " + key + " was not found.";
    answer.BeginRecord("ProductType", "namesp2:TCreate_Return");
    if (create) answer.String("Alias", key);
    answer.String("Path", create ? products_.ProductTypePath(key) : key);
    if (error) answer.Error(*error);
    answer.End();
  }
  return answer.Finish();
}

std::string EpagesProductAnswers::CatalogRoot(std::string_view urn) {
  EpagesAnswer answer("getRoot", urn);
  answer.BeginRecord("Root", "namesp2:TGetRoot_Return");
  answer.String("Path", products_.RootCatalogPath());
  return answer.Finish();
}

std::string EpagesProductAnswers::Catalogs(std::string_view operation, std::string_view urn,
                                           const pugi::xml_node& parameters, const ItemError& item_error) {
  const auto items = Items(Child(parameters, "Catalogs"));
  EpagesAnswer answer(operation, urn);
  answer.BeginArray("Catalogs", "namesp2:TCatalog_Return", items.size());
  for (const pugi::xml_node& item : items) {
    answer.BeginRecord("Catalog", "namesp2:TCatalog_Return");
    // exists and getInfo take plain paths, create and update records.
    const bool plain = operation == "exists" || operation == "getInfo";
    const std::string key = plain ? std::string(item.child_value())
                                  : (operation == "create" ? Text(item, "Alias") : Text(item, "Path"));
    std::optional<std::string> error = item_error(key);
    if (!error && operation == "exists") {
      answer.String("Path", key);
      answer.Boolean("exists", products_.CatalogExists(key));
    } else if (!error && operation == "getInfo") {
      if (const auto catalog = products_.Catalog(key)) {
        answer.String("Path", catalog->path);
        answer.String("Alias", catalog->alias);
        WriteLocalized(answer, "Name", catalog->name);
      } else {
        answer.String("Path", key);
        error = "Object with path " + key + " was not found.";
      }
    } else if (!error && operation == "create") {
      std::string refusal;
      const auto path = products_.CreateCatalog({{},
                                                 key,
                                                 LocalizedText(Child(item, "Name")),
                                                 Text(item, "ParentCatalog"),
                                                 net::OptionalBoolean(item, "IsVisible").value_or(false)},
                                                refusal);
      answer.String("Alias", key);
      if (path) answer.String("Path", *path);
      if (!path) error = refusal;
    } else if (!error) {
      answer.String("Path", key);
      if (!products_.RenameCatalog(key, LocalizedText(Child(item, "Name"))))
        error = "Object with path " + key + " was not found.";
    } else {
      answer.String("Path", key);
    }
    if (error) answer.Error(*error);
    answer.End();
  }
  return answer.Finish();
}

std::string EpagesProductAnswers::Assign(std::string_view urn, const pugi::xml_node& parameters,
                                         const ItemError& item_error) {
  const auto items = Items(Child(parameters, "Assignments"));
  EpagesAnswer answer("assignProductToCatalog", urn);
  answer.BeginArray("Assignments", "namesp2:TAssign_Return", items.size());
  for (const pugi::xml_node& item : items) {
    const std::string catalog = Text(item, "Catalog"), product = Text(item, "Product");
    std::optional<std::string> error = item_error(product);
    if (!error && !products_.Assign(catalog, product))
      error = "Object with path " + catalog + " or " + product + " was not found.";
    answer.BeginRecord("Assignment", "namesp2:TAssign_Return");
    answer.String("Catalog", catalog);
    answer.String("Product", product);
    if (error) {
      answer.Error(*error);
    } else {
      answer.Boolean("assigned", true);
    }
    answer.End();
  }
  return answer.Finish();
}

std::string EpagesProductAnswers::AssignedCatalogs(std::string_view urn, const pugi::xml_node& parameters,
                                                   const ItemError& item_error) {
  const auto paths = Strings(Child(parameters, "Products"));
  EpagesAnswer answer("getCatalogsAssignedToProduct", urn);
  answer.BeginArray("Assignments", "namesp2:TGetCatalogs_Return", paths.size());
  for (const std::string& path : paths) {
    answer.BeginRecord("Assignment", "namesp2:TGetCatalogs_Return");
    answer.String("Product", path);
    const auto error = item_error(path);
    if (error || !products_.Product(path)) {
      answer.Error(error.value_or("Object with path " + path + " was not found."));
    } else {
      const auto catalogs = products_.CatalogsOf(path);
      answer.BeginArray("Catalogs", "namesp2:TCatalogAssignment", catalogs.size());
      for (const std::string& catalog : catalogs) {
        answer.BeginRecord("Catalog", "namesp2:TCatalogAssignment");
        answer.String("Path", catalog);
        answer.Boolean("assigned", true);
        answer.Boolean("assignedWithParent", false);
        answer.End();
      }
      answer.End();
    }
    answer.End();
  }
  return answer.Finish();
}

std::string EpagesProductAnswers::PriceLists(std::string_view operation, std::string_view urn,
                                             const pugi::xml_node& parameters, const ItemError& item_error) {
  const auto items = Items(Child(parameters, "PriceLists"));
  EpagesAnswer answer(operation, urn);
  answer.BeginArray("PriceLists", "namesp2:TPriceList_Return", items.size());
  for (const pugi::xml_node& item : items) {
    const bool create = operation == "create";
    const std::string key = create ? Text(item, "Alias") : Text(item, "Path");
    std::optional<std::string> error = item_error(key);
    if (!error && create) {
      EpagesPriceList list{key,
                           LocalizedText(Child(item, "Name")),
                           Text(item, "TaxModel"),
                           Text(item, "CurrencyID"),
                           Text(item, "ValidFrom"),
                           Text(item, "ValidTo"),
                           {}};
      if (list.currency.empty() || list.valid_from.empty() || list.valid_to.empty()) {
        error = "CurrencyID, ValidFrom and ValidTo are required.";
      } else if (!products_.CreatePriceList(std::move(list))) {
        error = "A price list with the alias " + key + " already exists.";
      }
    } else if (!error) {
      const pugi::xml_node name = Child(item, "Name");
      if (!products_.UpdatePriceList(key, name ? std::optional(LocalizedText(name)) : std::nullopt,
                                     net::OptionalText(item, "TaxModel")))
        error = "Object with path " + key + " was not found.";
    }
    answer.BeginRecord("PriceList", "namesp2:TPriceList_Return");
    if (create) answer.String("Alias", key);
    answer.String("Path", create ? products_.PriceListPath(key) : key);
    if (error) answer.Error(*error);
    answer.End();
  }
  return answer.Finish();
}

std::string EpagesProductAnswers::ScalePrices(std::string_view urn, const pugi::xml_node& parameters,
                                              const ItemError& item_error) {
  const auto items = Items(Child(parameters, "Products"));
  EpagesAnswer answer("setScalePrices", urn);
  answer.BeginArray("Products", "namesp2:TSetScalePrices_Return", items.size());
  for (const pugi::xml_node& item : items) {
    const std::string product = Text(item, "Product"), list = Text(item, "PriceList");
    std::vector<std::pair<float, float>> prices;
    for (const pugi::xml_node& price : Items(Child(item, "ScalePrices")))
      prices.emplace_back(net::OptionalFloat(price, "Quantity").value_or(0),
                          net::OptionalFloat(price, "Price").value_or(0));
    std::optional<std::string> error = item_error(product);
    if (!error && !products_.SetScalePrices(list, product, std::move(prices)))
      error = "Object with path " + product + " or " + list + " was not found.";
    answer.BeginRecord("Product", "namesp2:TSetScalePrices_Return");
    answer.String("Product", product);
    answer.String("PriceList", list);
    if (error) {
      answer.Error(*error);
    } else {
      answer.Boolean("updated", true);
    }
    answer.End();
  }
  return answer.Finish();
}

std::string EpagesProductAnswers::UploadImage(std::string_view urn, const pugi::xml_node& parameters,
                                              const ItemError& item_error) {
  const std::string product = Text(parameters, "TObjectPath");
  const auto images = Items(Child(Child(parameters, "ImageData"), "ImageData"));
  EpagesAnswer answer("upload", urn);
  answer.BeginArray("Files", "namesp2:TUpload_Return", images.size());
  for (const pugi::xml_node& image : images) {
    const std::string name = Text(image, "FileName");
    std::optional<std::string> error = item_error(product);
    std::size_t bytes = 0;
    try {
      bytes = platform::Base64Decode(Text(image, "Content")).size();
    } catch (const std::exception&) {
      error = "The content of " + name + " is not Base64.";
    }
    if (!error && (name.empty() || name.find_first_of("/\\") != std::string::npos ||
                   name.find("..") != std::string::npos))
      error = "The file name " + name + " is not allowed.";
    if (!error && !products_.AddImage(product, {name, bytes}))
      error = "Object with path " + product + " was not found.";
    answer.BeginRecord("File", "namesp2:TUpload_Return");
    answer.String("File", name);
    if (error) {
      answer.Error(*error);
    } else {
      answer.Boolean("WriteOK", true);
    }
    answer.End();
  }
  return answer.Finish();
}

}  // namespace kanvio::shopsim
