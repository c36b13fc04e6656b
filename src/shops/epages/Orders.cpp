#include "shops/epages/Orders.h"

#include <filesystem>
#include <map>
#include <optional>
#include <system_error>
#include <vector>

#include "config/ConfigFilePath.h"
#include "config/ConfigFileReader.h"
#include "config/Logger.h"
#include "orders/OrderXmlWriter.h"
#include "platform/FileSystem.h"
#include "shops/epages/OrderConverter.h"
#include "shops/epages/ServiceClients.h"
#include "support/Resources.h"
#include "support/Text.h"

namespace kanvio::epages {
namespace {

// Products asked for while one orders file is written; the shop's products
// do not change meanwhile, so each alias and path is asked for once.
class ShopProducts : public ProductLookup {
 public:
  ShopProducts(const Settings& settings, const platform::HttpClientFactory& http) : client_(settings, http) {}

  bool HasProductWithAlias(const std::string& alias) override {
    const auto known = by_alias_.find(alias);
    if (known != by_alias_.end()) return known->second;
    std::string failure;
    const bool found = !client_.Find(ProductSearch{alias}, failure).empty();
    if (!failure.empty())
      Logger::LogWarning("Pfand zum Artikel " + alias + " nicht ermittelt: Produktsuche fehlgeschlagen.");
    return by_alias_[alias] = found;
  }

  std::optional<ProductInfo> Product(const std::string& path) override {
    const auto known = by_path_.find(path);
    if (known != by_path_.end()) return known->second;
    std::string failure;
    auto products = client_.GetInfo({path}, failure);
    std::optional<ProductInfo> product;
    if (products && !products->empty()) {
      product = std::move(products->front());
    } else {
      Logger::LogWarning("Produkt " + path + " konnte nicht abgerufen werden.");
    }
    return by_path_[path] = product;
  }

 private:
  ProductServiceClient client_;
  std::map<std::string, bool> by_alias_;
  std::map<std::string, std::optional<ProductInfo>> by_path_;
};

bool SamePath(const std::string& a, const std::string& b) {
  // The shop may answer with the absolute form of a relative path or the other way round.
  return a == b || (a.size() > b.size() && a.ends_with("/" + b)) ||
         (b.size() > a.size() && b.ends_with("/" + a));
}

bool HasProducts(const OrderInfo& order) {
  return order.LineItemContainer && !order.LineItemContainer->ProductLineItems.empty();
}

// The customers of the orders to write, by the path the order names. nullopt
// when the lookup failed as a whole.
std::optional<std::map<std::string, std::string>> CustomerAliases(CustomerServiceClient& customers,
                                                                  const std::vector<OrderInfo>& orders) {
  std::vector<std::string> paths;
  std::map<std::string, std::string> aliases;
  for (const OrderInfo& order : orders) {
    if (HasProducts(order) && aliases.emplace(order.Customer, std::string()).second)
      paths.push_back(order.Customer);
  }
  aliases.clear();
  if (paths.empty()) return aliases;
  const auto found = customers.getInfo(paths, {});
  if (!found) return std::nullopt;
  for (const std::string& path : paths) {
    for (const CustomerInfo& customer : *found) {
      if (SamePath(customer.Path, path)) {
        aliases.emplace(path, customer.Alias);
        break;
      }
    }
  }
  return aliases;
}

// Whether the folder of the target exists; sets orderError when not.
bool TargetFolderExists(const std::string& file, std::string& orderError) {
  std::error_code failure;
  const std::filesystem::path folder = platform::PathFromUtf8(file).parent_path();
  const bool exists = !file.empty() && !folder.empty() && std::filesystem::is_directory(folder, failure);
  if (failure && failure != std::errc::no_such_file_or_directory) {
    Logger::LogError("IsFileNameValid Orders.GetOrders - " + failure.message());
    if (orderError.empty()) orderError = failure.message() + " -> " + file;
    return false;
  }
  if (!exists && orderError.empty())
    orderError = "XML Import-Datei Bestellungen " + file + ": ungültiger Dateiname.";
  return exists;
}

std::int32_t WriteOrdersFile(const std::string& file, const std::vector<OrderInfo>& fetched,
                             const std::map<std::string, std::string>& aliases, ProductLookup& products,
                             IWorker* worker, std::string& orderError) {
  const bool import_attributes = ConfigFileReader::GetValueFromShop("strato", "order", "importAttributes");
  OrderConverter converter(products, import_attributes);
  orders::OrderXmlWriter writer(platform::PathFromUtf8(file), orders::OrderXmlOptions::Epages());
  const auto count = static_cast<std::int32_t>(fetched.size());
  if (worker) worker->SetMaxValue(count);
  for (std::int32_t i = 0; i < count; ++i) {
    const OrderInfo& order = fetched[static_cast<std::size_t>(i)];
    if (worker)
      worker->setUserStatusMessage(
          "Bestellung " + std::to_string(i + 1) + " von " + std::to_string(count) + " wird abgeholt...",
          i + 1);
    if (!HasProducts(order)) continue;
    const auto alias = aliases.find(order.Customer);
    if (alias == aliases.end()) {
      // One customer the shop cannot give must not hold back every later fetch.
      Logger::LogError("Bestellung " + order.Alias + " ausgelassen: Kunde " + order.Customer +
                       " konnte nicht abgerufen werden.");
      orderError = Resources::ORDER_GETINFO_ERROR();
      continue;
    }
    writer.WriteOrder(converter.Convert(order, alias->second));
  }
  writer.Close();
  return fetched.empty() ? 0 : 1;
}

}  // namespace

OrderSearch Orders::BuildOrderSearch(Settings& settings, std::string& orderError) {
  OrderSearch search;
  search.NotInProcess = true;
  try {
    const std::string config = ConfigFilePath::GetConfigFilePath();
    if (!config.empty() && std::filesystem::exists(platform::PathFromUtf8(config))) {
      settings.set_strato_doNotImportArchivedOrders(
          ConfigFileReader::GetValueFromShop("strato", "order", "DoNotImportArchivedOrders"));
      settings.set_strato_doNotImportCancelledOrders(
          ConfigFileReader::GetValueFromShop("strato", "order", "DoNotImportCancelledOrders"));
      settings.set_strato_doNotImportClosedOrders(
          ConfigFileReader::GetValueFromShop("strato", "order", "DoNotImportClosedOrders"));
    }
  } catch (const std::exception& e) {
    orderError = e.what();
    Logger::LogError(std::string("SetOrderStatusToFind Fehler -> Orders.BuildOrderSearch - ") + e.what());
  }
  if (settings.strato_doNotImportArchivedOrders()) search.NotArchived = true;
  if (settings.strato_doNotImportCancelledOrders()) search.NotCancelled = true;
  if (settings.strato_doNotImportClosedOrders()) search.NotClosed = true;
  try {
    settings.Save();
  } catch (const std::exception& e) {
    Logger::LogError(e);
  }
  return search;
}

std::int32_t Orders::GetOrders(std::string& error, IWorker* worker, const platform::HttpClientFactory& http) {
  std::string orderError = error;
  std::int32_t result = -1;
  try {
    Settings settings;
    OrderServiceClient order_service(settings, http);
    const std::string file = settings.WEBSERVICE_RESULT_FILEPATH();
    const auto paths = order_service.Find(BuildOrderSearch(settings, orderError), orderError);
    if (orderError.empty()) {
      const auto fetched = order_service.getInfo(paths, {"CustomerComment"}, {}, orderError);
      order_service.ClearStub();
      if (fetched && TargetFolderExists(file, orderError)) {
        if (worker)
          worker->setUserStatusMessage(std::to_string(fetched->size()) + " Bestellungen gefunden.", -1);
        CustomerServiceClient customers(settings, http);
        ShopProducts products(settings, http);
        if (const auto aliases = CustomerAliases(customers, *fetched)) {
          result = WriteOrdersFile(file, *fetched, *aliases, products, worker, orderError);
        } else {
          orderError = Resources::ORDER_GETINFO_ERROR();
        }
      }
    }
  } catch (const std::exception& e) {
    Logger::LogError(std::string("Orders: ") + e.what());
    Logger::LogError(std::string("writeXmlOrders Fehler -> Orders.GetOrders - ") + e.what());
    orderError = Resources::ORDER_GETINFO_ERROR();
    result = -1;
  }
  error = orderError;
  return result;
}

std::int32_t Orders::FindOrders(const platform::HttpClientFactory& http) {
  std::string orderError;
  try {
    Settings settings;
    OrderServiceClient order_service(settings, http);
    const auto paths = order_service.Find(BuildOrderSearch(settings, orderError), orderError);
    if (!orderError.empty()) return -1;
    return paths.empty() ? 0 : 1;
  } catch (const std::exception& e) {
    Logger::LogError(e);
    return -1;
  }
}

std::int32_t Orders::CheckConnection(std::string& error, const platform::HttpClientFactory& http) {
  std::string orderError = error;
  std::int32_t result = -1;
  try {
    Settings settings;
    OrderServiceClient order_service(settings, http);
    order_service.Find(BuildOrderSearch(settings, orderError), orderError);
    result = orderError.empty() ? 1 : -1;
  } catch (const std::exception& e) {
    orderError = e.what();
    Logger::LogError(e);
  }
  error = orderError;
  return result;
}

}  // namespace kanvio::epages
