#pragma once

#include "shops/rest/RestPluginShop.h"

namespace kanvio {

// A shop with the REST plug-in for the second shop generation of its kind.
class magento2 : public RestPluginShop {
 public:
  explicit magento2(IWorker* worker = nullptr, platform::HttpClientFactory http = platform::CreateHttpClient)
      : RestPluginShop(worker, std::move(http)) {}

 protected:
  std::string BasePath(const std::string& erp) const override;
};

}  // namespace kanvio
