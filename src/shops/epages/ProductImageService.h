#pragma once
// The stub of ProductImageService 2006/03: images uploaded to a product. It
// throws, as the stubs of CategoryServices.h do, when a request fails as a
// whole. One thread at a time.

#include <optional>
#include <string>

#include "config/Settings.h"
#include "net/SoapClient.h"
#include "platform/Crypto.h"
#include "platform/HttpClient.h"

namespace kanvio::epages {

class ProductImageService {
 public:
  ProductImageService(const Settings& settings, const platform::HttpClientFactory& http);

  // Uploads one image to the product; the error the shop answers, if any.
  std::optional<std::string> Upload(const std::string& product_path, const std::string& file_name,
                                    const platform::Bytes& content);

 private:
  net::SoapClient stub_;
};

}  // namespace kanvio::epages
