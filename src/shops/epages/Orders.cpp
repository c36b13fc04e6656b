#include "shops/epages/Orders.h"

#include <filesystem>
#include <map>
#include <optional>
#include <system_error>
#include <unordered_map>
#include <unordered_set>
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

  const ProductInfo* Product(const std::string& path) override {
    const auto known = by_path_.find(path);
    if (known != by_path_.end()) return known->second ? &*known->second : nullptr;
    std::string failure;
    auto products = client_.GetInfo({path}, failure);
    std::optional<ProductInfo>& product = by_path_[path];
    if (products && !products->empty()) {
      product = std::move(products->front());
    } else {
      Logger::LogWarning("Produkt " + path + " konnte nicht abgerufen werden.");
    }
    return product ? &*product : nullptr;
  }

 private:
  ProductServiceClient client_;
  // Asked for every line item of every order: hashed rather than ordered.
  std::unordered_map<std::string, bool> by_alias_;
  std::unordered_map<std::string, std::optional<ProductInfo>> by_path_;
};

bool SamePath(const std::string& a, const std::string& b) {
  // The shop may answer with the absolute form of a relative path or the other way round.
  return a == b || (a.size() > b.size() && a.ends_with("/" + b)) ||
         (b.size() > a.size() && b.ends_with("/" + a));
}

bool HasProducts(const OrderInfo& order) {
  return order.LineItemContainer && !order.LineItemContainer->ProductLineItems.empty();
}

// Looks up the customers of the batch's orders with products whose customer
// paths were not asked for before, and adds their aliases to aliases (a
// customer the shop does not give stays out). False when the lookup failed
// as a whole.
bool LookUpCustomers(CustomerServiceClient& customers, const std::vector<OrderInfo>& orders,
                     std::size_t count, std::unordered_set<std::string>& asked,
                     std::unordered_map<std::string, std::string>& aliases) {
  std::vector<std::string> paths;
  for (std::size_t i = 0; i < count; ++i) {
    const OrderInfo& order = orders[i];
    if (!order.Error && HasProducts(order) && asked.insert(order.Customer).second)
      paths.push_back(order.Customer);
  }
  if (paths.empty()) return true;
  const auto found = customers.getInfo(paths, {});
  if (!found) return false;
  std::map<std::string, const CustomerInfo*> by_path;
  for (const CustomerInfo& customer : *found) by_path.emplace(customer.Path, &customer);
  for (const std::string& path : paths) {
    const auto exact = by_path.find(path);
    if (exact != by_path.end()) {
      aliases.emplace(path, exact->second->Alias);
      continue;
    }
    for (const CustomerInfo& customer : *found) {
      if (SamePath(customer.Path, path)) {
        aliases.emplace(path, customer.Alias);
        break;
      }
    }
  }
  return true;
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

// Fetches the orders batch by batch and writes each batch before the next
// is fetched: the batch's orders are read once, the new customers among them
// looked up, then the orders converted and written one by one, so that a
// large import never holds more than one answer and its orders. A batch that
// cannot be fetched, or whose customers cannot, gives the file up: the target
// keeps what it held.
std::int32_t FetchAndWrite(const std::string& file, const std::vector<std::string>& paths,
                           OrderServiceClient& order_service, CustomerServiceClient& customers,
                           ProductLookup& products, IWorker* worker, std::string& orderError) {
  const bool import_attributes = ConfigFileReader::GetValueFromShop("strato", "order", "importAttributes");
  OrderConverter converter(products, import_attributes);
  orders::OrderXmlWriter writer(platform::PathFromUtf8(file), orders::OrderXmlOptions::Epages());
  const auto count = static_cast<std::int32_t>(paths.size());
  if (worker) worker->SetMaxValue(count);
  std::unordered_set<std::string> asked;
  std::unordered_map<std::string, std::string> aliases;  // customer path -> alias
  std::int32_t fetched_count = 0;
  const bool log_info = Logger::IsEnabled();
  // Kept across batches: each answer's orders are read into the records of the one before.
  std::vector<OrderInfo> orders;
  for (std::size_t begin = 0; begin < paths.size(); begin += kGetInfoBatch) {
    const std::vector<std::string> batch(
        paths.begin() + static_cast<std::ptrdiff_t>(begin),
        paths.begin() + static_cast<std::ptrdiff_t>(std::min(paths.size(), begin + kGetInfoBatch)));
    const auto answer = order_service.GetInfoAnswer(batch, {"CustomerComment"}, {}, orderError);
    std::size_t read = 0;
    if (answer) {
      net::ForEachItem(answer->Part("Orders"), [&](const pugi::xml_node& item) {
        if (read == orders.size()) orders.emplace_back();
        ReadOrderInfo(item, orders[read++]);
      });
    }
    if (!answer || !LookUpCustomers(customers, orders, read, asked, aliases)) {
      writer.Discard();
      orderError = Resources::ORDER_GETINFO_ERROR();
      return -1;
    }
    for (std::size_t i = 0; i < read; ++i) {
      const OrderInfo& order = orders[i];
      if (!OrderServiceClient::Accept(order, log_info, orderError)) continue;
      ++fetched_count;
      if (worker)
        worker->setUserStatusMessage("Bestellung " + std::to_string(fetched_count) + " von " +
                                         std::to_string(count) + " wird abgeholt...",
                                     fetched_count);
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
  }
  writer.Close();
  return fetched_count == 0 ? 0 : 1;
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
    if (orderError.empty() && TargetFolderExists(file, orderError)) {
      if (worker) worker->setUserStatusMessage(std::to_string(paths.size()) + " Bestellungen gefunden.", -1);
      CustomerServiceClient customers(settings, http);
      ShopProducts products(settings, http);
      result = FetchAndWrite(file, paths, order_service, customers, products, worker, orderError);
    }
    order_service.ClearStub();
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
