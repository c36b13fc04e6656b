#include "shops/epages/ServiceClients.h"

#include <algorithm>

#include "config/Logger.h"
#include "shops/epages/CredentialBuilder.h"
#include "support/Resources.h"
#include "support/Text.h"

namespace kanvio::epages {
namespace {

template <class Read>
auto ReadItems(const net::SoapAnswer& answer, std::string_view part, Read read) {
  std::vector<decltype(read(pugi::xml_node()))> items;
  net::ForEachItem(answer.Part(part), [&](const pugi::xml_node& item) { items.push_back(read(item)); });
  return items;
}

net::SoapAnswer Call(net::SoapClient& stub, const Service& service, std::string_view operation,
                     const net::SoapWriter& parameters) {
  return stub.Call(service.urn, operation, parameters);
}

// Reads a record straight into the list that keeps it (emplace_back converts
// it in place): order records are large, and moving each one costs.
template <class Record, Record (*read)(const pugi::xml_node&)>
struct InPlace {
  const pugi::xml_node& item;
  operator Record() const { return read(item); }  // NOLINT: converts on purpose
};

// The slice [begin, end) of paths as a list.
std::vector<std::string> Slice(const std::vector<std::string>& paths, std::size_t begin, std::size_t end) {
  return std::vector<std::string>(paths.begin() + static_cast<std::ptrdiff_t>(begin),
                                  paths.begin() + static_cast<std::ptrdiff_t>(end));
}

}  // namespace

net::SoapEndpoint StubEndpoint(const Settings& settings, std::chrono::milliseconds timeout) {
  return {text::Trim(settings.WEBSERVICE_URL()), CredentialBuilder::GetCredential(settings), timeout};
}

OrderServiceClient::OrderServiceClient(const Settings& settings, const platform::HttpClientFactory& http)
    : stub_(std::in_place, StubEndpoint(settings, kTimeout), http) {}

std::vector<std::string> OrderServiceClient::Find(const OrderSearch& search, std::string& orderError) {
  try {
    net::SoapWriter parameters;
    WriteOrderSearch(parameters, search);
    const auto answer = Call(*stub_, kOrderService, "find", parameters);
    auto paths = ReadStrings(answer.Part("Orders"));
    Logger::LogInfo("Bestellungen gefunden: " + std::to_string(paths.size()));
    return paths;
  } catch (const std::exception& e) {
    Logger::LogError(e);
    orderError = Resources::ORDER_GETINFO_ERROR();
    return {};
  }
}

std::optional<net::SoapAnswer> OrderServiceClient::GetInfoAnswer(const std::vector<std::string>& batch,
                                                                 const std::vector<std::string>& attributes,
                                                                 const std::vector<std::string>& languages,
                                                                 std::string& orderError) {
  try {
    net::SoapWriter parameters;
    parameters.StringArray("Orders", batch);
    parameters.StringArray("Attributes", attributes);
    parameters.StringArray("AddressAttributes", {});
    parameters.StringArray("LineItemAttributes", std::vector<std::string>{"Id"});
    parameters.StringArray("LanguageCodes", languages);
    return Call(*stub_, kOrderService, "getInfo", parameters);
  } catch (const std::exception& e) {
    Logger::LogError(e);
    orderError = Resources::ORDER_GETINFO_ERROR();
    return std::nullopt;
  }
}

bool OrderServiceClient::Accept(const OrderInfo& order, bool log_info, std::string& orderError) {
  if (order.Error) {
    orderError = Resources::ORDER_GETINFO_ERROR();
    Logger::LogError("Informationen zur Bestellung fehlerhaft abgerufen: (Epages Fehler):\n" + *order.Error);
    return false;
  }
  if (log_info) Logger::LogInfo("Informationen zur Bestellung erfolreich abgerufen: " + order.Path);
  return true;
}

std::optional<std::vector<OrderInfo>> OrderServiceClient::getInfo(const std::vector<std::string>& paths,
                                                                  const std::vector<std::string>& attributes,
                                                                  const std::vector<std::string>& languages,
                                                                  std::string& orderError) {
  std::vector<OrderInfo> orders;
  orders.reserve(paths.size());
  try {
    // Asked once: a line per order costs as much as the order itself when the log is off.
    const bool log_info = Logger::IsEnabled();
    for (std::size_t begin = 0; begin < paths.size(); begin += kGetInfoBatch) {
      const auto answer = GetInfoAnswer(Slice(paths, begin, std::min(paths.size(), begin + kGetInfoBatch)),
                                        attributes, languages, orderError);
      if (!answer) return std::nullopt;
      net::ForEachItem(answer->Part("Orders"), [&](const pugi::xml_node& item) {
        const OrderInfo& order = orders.emplace_back(InPlace<OrderInfo, ReadOrderInfo>{item});
        if (!Accept(order, log_info, orderError)) orders.pop_back();
      });
    }
  } catch (const std::exception& e) {
    Logger::LogError(e);
    orderError = Resources::ORDER_GETINFO_ERROR();
    return std::nullopt;
  }
  return orders;
}

std::optional<OrderUpdateResult> OrderServiceClient::Update(const std::vector<OrderUpdate>& updates,
                                                            std::string& failure) {
  try {
    net::SoapWriter parameters;
    WriteOrderUpdates(parameters, updates);
    const auto answer = Call(*stub_, kOrderService, "update", parameters);
    auto results = ReadItems(answer, "Orders", ReadOrderUpdateResult);
    if (results.empty()) {
      failure = "Order_out == null";
    } else if (results.front().Error) {
      failure = *results.front().Error;
    } else {
      Logger::LogInfo("Update der Bestellung erfolreich: " + results.front().Path);
      return std::move(results.front());
    }
    Logger::LogError("Update der Bestellung fehlerhaft: " + failure);
  } catch (const std::exception& e) {
    failure = e.what();
    Logger::LogError("OrderServiceClient.update:  - " + failure);
  }
  return std::nullopt;
}

CustomerServiceClient::CustomerServiceClient(const Settings& settings,
                                             const platform::HttpClientFactory& http)
    : stub_(StubEndpoint(settings, kTimeout), http) {}

std::optional<std::vector<CustomerInfo>> CustomerServiceClient::getInfo(
    const std::vector<std::string>& paths, const std::vector<std::string>& attributes) {
  std::vector<CustomerInfo> customers;
  try {
    const bool log_info = Logger::IsEnabled();
    for (std::size_t begin = 0; begin < paths.size(); begin += kGetInfoBatch) {
      net::SoapWriter parameters;
      parameters.StringArray("Customers", Slice(paths, begin, std::min(paths.size(), begin + kGetInfoBatch)));
      parameters.StringArray("Attributes", attributes);
      parameters.StringArray("AddressAttributes", {});
      const auto answer = Call(stub_, kCustomerService, "getInfo", parameters);
      for (CustomerInfo& customer : ReadItems(answer, "Customers", ReadCustomerInfo)) {
        if (customer.Error) {
          Logger::LogError("Informationen zum Kunden fehlerhaft abgerufen: (Epages Fehler):\n" +
                           *customer.Error);
          continue;
        }
        if (log_info) Logger::LogInfo("Informationen zum Kunden erfolreich abgerufen: " + customer.Path);
        customers.push_back(std::move(customer));
      }
    }
  } catch (const std::exception& e) {
    Logger::LogError(e);
    return std::nullopt;
  }
  return customers;
}

ProductServiceClient::ProductServiceClient(const Settings& settings, const platform::HttpClientFactory& http)
    : stub_(StubEndpoint(settings, kTimeout), http) {}

std::vector<std::string> ProductServiceClient::Find(const ProductSearch& search, std::string& productError) {
  try {
    net::SoapWriter parameters;
    WriteProductSearch(parameters, search);
    const auto answer = Call(stub_, kProductService, "find", parameters);
    auto paths = ReadStrings(answer.Part("Products"));
    std::erase_if(paths, [](const std::string& path) { return text::Contains(path, "Appointments"); });
    return paths;
  } catch (const std::exception& e) {
    Logger::LogError(e);
    productError = Resources::ARTICLES_GETINFO_ERROR();
    return {};
  }
}

std::optional<std::vector<std::string>> ProductServiceClient::TryFind(const ProductSearch& search) {
  std::string failure;
  auto paths = Find(search, failure);
  if (!failure.empty()) return std::nullopt;
  return paths;
}

ProductServiceClient::AliasMatch ProductServiceClient::FindByAlias(const std::string& alias) {
  const auto paths = TryFind(ProductSearch{alias});
  if (!paths) return {true, std::nullopt};
  for (const std::string& path : *paths) {
    if (path.size() > alias.size() && path.ends_with(alias) && path[path.size() - alias.size() - 1] == '/')
      return {false, path};
  }
  return {};
}

namespace {

// A message that blames the tax class: the shop wants it below the shop path
// or, for some shops, without the country.
bool BlamesTaxClass(const ProductResult& result) {
  return result.Error && text::Contains(*result.Error, "TaxMatrixGermany");
}

// "/TaxMatrixGermany/normal" -> "/TaxMatrix/normal": the last two parts of
// the class without "Germany".
std::string WithoutCountry(const std::string& tax_class) {
  const std::string plain = text::ReplaceAll(tax_class, "Germany", "");
  const auto last = plain.rfind('/');
  const auto before = last == std::string::npos || last == 0 ? std::string::npos : plain.rfind('/', last - 1);
  return before == std::string::npos ? plain : plain.substr(before);
}

// The outcomes of a request's answer, one per record: what the answer lacks
// counts as failed.
std::vector<ProductResult> Outcomes(const net::SoapAnswer& answer,
                                    const std::vector<ProductRecord>& records) {
  std::vector<ProductResult> results = ReadItems(answer, "Products", ReadProductResult);
  results.resize(records.size(),
                 ProductResult{{}, {}, std::string("Keine Antwort des Shops zu diesem Datensatz")});
  for (std::size_t i = 0; i < records.size(); ++i) {
    if (results[i].Path.empty()) results[i].Path = records[i].Path;
    if (results[i].Alias.empty()) results[i].Alias = records[i].Alias;
  }
  return results;
}

}  // namespace

std::vector<ProductResult> ProductServiceClient::Send(std::string_view operation,
                                                      const std::vector<ProductRecord>& records) {
  try {
    net::SoapWriter parameters;
    if (operation == "create") {
      WriteProductCreates(parameters, records);
    } else {
      WriteProductUpdates(parameters, records);
    }
    return Outcomes(Call(stub_, kProductService, operation, parameters), records);
  } catch (const std::exception& e) {
    Logger::LogError(std::string("ProductServiceClient.") + std::string(operation) + ": " + e.what());
    std::vector<ProductResult> failed;
    for (const ProductRecord& record : records) failed.push_back({record.Path, record.Alias, e.what()});
    return failed;
  }
}

std::vector<ProductResult> ProductServiceClient::Create(const std::vector<ProductRecord>& records,
                                                        const std::string& shop_path) {
  std::vector<ProductResult> results = Send("create", records);
  const bool log_info = Logger::IsEnabled();
  for (std::size_t i = 0; i < results.size(); ++i) {
    if (BlamesTaxClass(results[i]) && records[i].TaxClass) {
      // Copied only for the retry: a batch of records with long texts is large.
      ProductRecord record = records[i];
      record.TaxClass = shop_path + *record.TaxClass;
      results[i] = Send("create", {record}).front();
      if (BlamesTaxClass(results[i])) {
        record.TaxClass = WithoutCountry(*records[i].TaxClass);
        results[i] = Send("create", {record}).front();
      }
    }
    if (results[i].Error) {
      Logger::LogError("Erstellung des Produkts " + records[i].Alias + " fehlerhaft: (Epages Fehler) " +
                       *results[i].Error);
    } else if (log_info) {
      Logger::LogInfo("Erstellung des Produkts erfolreich: " + results[i].Path);
    }
  }
  return results;
}

std::vector<ProductResult> ProductServiceClient::Update(const std::vector<ProductRecord>& records,
                                                        const std::string& shop_path) {
  std::vector<ProductResult> results = Send("update", records);
  for (std::size_t i = 0; i < results.size(); ++i) {
    if (BlamesTaxClass(results[i]) && records[i].TaxClass) {
      ProductRecord record = records[i];
      record.TaxClass = shop_path + *record.TaxClass;
      results[i] = Send("update", {record}).front();
    }
    if (results[i].Error) {
      Logger::LogError("Produkt-Update fehlerhaft: (Epages Fehler) " + records[i].Path + ": " +
                       *results[i].Error);
    } else {
      Logger::LogInfo("Update des Produkts erfolreich: " + results[i].Path);
    }
  }
  return results;
}

std::vector<ProductResult> ProductServiceClient::UpdateStock(const std::vector<ProductRecord>& records) {
  std::vector<ProductResult> results;
  results.reserve(records.size());
  for (std::size_t begin = 0; begin < records.size(); begin += kStockBatch) {
    const std::vector<ProductRecord> batch(
        records.begin() + static_cast<std::ptrdiff_t>(begin),
        records.begin() + static_cast<std::ptrdiff_t>(std::min(records.size(), begin + kStockBatch)));
    for (ProductResult& result : Send("update", batch)) {
      if (result.Error)
        Logger::LogError("Beim aktualisieren des Lagebestandes ist ein Fehler aufgetreten: " + result.Path +
                         ": " + *result.Error);
      results.push_back(std::move(result));
    }
  }
  return results;
}

std::optional<std::vector<ProductInfo>> ProductServiceClient::GetInfo(
    const std::vector<std::string>& paths, const std::vector<std::string>& attributes,
    const std::vector<std::string>& languages, std::string& productError) {
  std::vector<ProductInfo> products;
  try {
    for (std::size_t end = paths.size(); end > 0;) {
      const std::size_t begin = end > kGetInfoBatch ? end - kGetInfoBatch : 0;
      std::vector<std::string> batch = Slice(paths, begin, end);
      std::reverse(batch.begin(), batch.end());
      end = begin;
      net::SoapWriter parameters;
      parameters.StringArray("Products", batch);
      parameters.StringArray("Attributes", attributes);
      parameters.StringArray("LanguageCodes", languages);
      const auto answer = Call(stub_, kProductService, "getInfo", parameters);
      for (ProductInfo& product : ReadItems(answer, "Products", ReadProductInfo)) {
        if (product.Error) {
          productError = Resources::ARTICLES_GETINFO_ERROR();
          Logger::LogError("Produktinformationsabruf fehlerhaft (Epages Fehler) " + *product.Error);
          continue;
        }
        products.push_back(std::move(product));
      }
    }
  } catch (const std::exception& e) {
    Logger::LogError(std::string(e.what()) + " -> ProductServiceClient.GetInfo");
    return std::nullopt;
  }
  return products;
}

}  // namespace kanvio::epages
