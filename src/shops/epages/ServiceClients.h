#pragma once
// The wrappers around the order, customer and product services. Each owns one
// SOAP client ("stub") on WEBSERVICE_URL with the credentials of
// CredentialBuilder, read when the wrapper is made. No exception leaves a
// wrapper: failures are logged and answered as each function says.

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "config/Settings.h"
#include "net/SoapClient.h"
#include "platform/HttpClient.h"
#include "shops/epages/CustomerTypes.h"
#include "shops/epages/OrderTypes.h"
#include "shops/epages/ProductTypes.h"

namespace kanvio::epages {

// getInfo requests carry at most this many paths.
inline constexpr std::size_t kGetInfoBatch = 500;
// Requests that create or change records carry at most this many.
inline constexpr std::size_t kWriteBatch = 100;
inline constexpr std::size_t kStockBatch = 500;

// The SOAP endpoint of a stub with this time-out.
net::SoapEndpoint StubEndpoint(const Settings& settings, std::chrono::milliseconds timeout);

class OrderServiceClient {
 public:
  static constexpr std::chrono::milliseconds kTimeout{5'000'000};

  OrderServiceClient(const Settings& settings, const platform::HttpClientFactory& http);

  // The paths of the orders found. On failure: logged, orderError = the
  // ORDER_GETINFO_ERROR text, empty list.
  std::vector<std::string> Find(const OrderSearch& search, std::string& orderError);
  // The orders in the order of paths, in requests of at most kGetInfoBatch
  // paths; an order whose answer carries an error is left out (logged,
  // orderError set). nullopt when a request fails (logged, orderError set).
  std::optional<std::vector<OrderInfo>> getInfo(const std::vector<std::string>& paths,
                                                const std::vector<std::string>& attributes,
                                                const std::vector<std::string>& languages,
                                                std::string& orderError);
  // One getInfo request for at most kGetInfoBatch paths, for a caller that
  // reads the order items itself (each through Accept). nullopt when the
  // request fails (logged, orderError set).
  std::optional<net::SoapAnswer> GetInfoAnswer(const std::vector<std::string>& batch,
                                               const std::vector<std::string>& attributes,
                                               const std::vector<std::string>& languages,
                                               std::string& orderError);
  // Whether an order of such an answer is usable; one that carries an error
  // is logged and sets orderError.
  static bool Accept(const OrderInfo& order, bool log_info, std::string& orderError);
  // The first answer record when it carries no error; nullopt otherwise
  // (logged). failure receives the reason.
  std::optional<OrderUpdateResult> Update(const std::vector<OrderUpdate>& updates, std::string& failure);
  void ClearStub() { stub_.reset(); }

  std::size_t requests_sent() const { return stub_ ? stub_->requests_sent() : 0; }

 private:
  std::optional<net::SoapClient> stub_;
};

class CustomerServiceClient {
 public:
  static constexpr std::chrono::milliseconds kTimeout{5'000'000};

  CustomerServiceClient(const Settings& settings, const platform::HttpClientFactory& http);

  // One record per path that came back without error (errors are logged);
  // nullopt when the request fails (logged).
  std::optional<std::vector<CustomerInfo>> getInfo(const std::vector<std::string>& paths,
                                                   const std::vector<std::string>& attributes);

  std::size_t requests_sent() const { return stub_.requests_sent(); }

 private:
  net::SoapClient stub_;
};

class ProductServiceClient {
 public:
  static constexpr std::chrono::milliseconds kTimeout{1'500'000};

  ProductServiceClient(const Settings& settings, const platform::HttpClientFactory& http);

  // Product paths, without appointment products. On failure: logged,
  // productError = the ARTICLES_GETINFO_ERROR text, empty list.
  std::vector<std::string> Find(const ProductSearch& search, std::string& productError);
  // The same, but a failure (logged) is nullopt: "not found" and "not known"
  // lead to different things.
  std::optional<std::vector<std::string>> TryFind(const ProductSearch& search);
  // The product with exactly this alias: of the paths a search by alias
  // finds (the shop may match parts of aliases), the one whose last part is
  // the alias. failed when the search failed (logged).
  struct AliasMatch {
    bool failed = false;
    std::optional<std::string> path;
  };
  AliasMatch FindByAlias(const std::string& alias);
  // In requests of at most kGetInfoBatch paths, from the end of the list
  // backwards, so the result runs in reverse order of paths; items with an
  // error are left out (logged, productError set). nullopt when a request
  // fails (logged).
  std::optional<std::vector<ProductInfo>> GetInfo(const std::vector<std::string>& paths,
                                                  const std::vector<std::string>& attributes,
                                                  const std::vector<std::string>& languages,
                                                  std::string& productError);
  std::optional<std::vector<ProductInfo>> GetInfo(const std::vector<std::string>& paths,
                                                  std::string& productError) {
    return GetInfo(paths, {}, {}, productError);
  }

  // One create request with all records (at most kWriteBatch of them), one
  // outcome per record in their order. A record refused for its tax class
  // ("TaxMatrixGermany" in the message) is sent again alone with the class
  // below shop_path, and once more with the class reduced to its last two
  // parts without "Germany". A failed request fails all its records; no
  // outcome is lost. Successes are logged as information, failures as errors.
  std::vector<ProductResult> Create(const std::vector<ProductRecord>& records, const std::string& shop_path);
  // One update request with all records; outcomes as Create. A record
  // refused for its tax class is sent again alone with the class below
  // shop_path.
  std::vector<ProductResult> Update(const std::vector<ProductRecord>& records, const std::string& shop_path);
  // Stock levels: update requests of at most kStockBatch records, every
  // answer examined; a failure is logged with the stock text.
  std::vector<ProductResult> UpdateStock(const std::vector<ProductRecord>& records);

  std::size_t requests_sent() const { return stub_.requests_sent(); }

 private:
  // One create or update request; a failed request fails every record.
  std::vector<ProductResult> Send(std::string_view operation, const std::vector<ProductRecord>& records);

  net::SoapClient stub_;
};

}  // namespace kanvio::epages
