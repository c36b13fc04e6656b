#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "shops/rest/RestPluginShop.h"

namespace kanvio {

// A shop with the REST plug-in that hands out its articles in pages when
// its configuration sets an import limit.
class shopware4 : public RestPluginShop {
 public:
  explicit shopware4(IWorker* worker = nullptr, platform::HttpClientFactory http = platform::CreateHttpClient)
      : RestPluginShop(worker, std::move(http)) {}

  std::int32_t HoleArtikelVomShop(std::string& error, bool funcCheck) override;

 protected:
  std::string BasePath(const std::string& erp) const override;

 private:
  // The page size the plug-in asks for; nothing means one unpaged download.
  static std::optional<std::int64_t> ArticlesImportLimit(Session& session);
  std::int32_t DownloadPages(Session& session, std::int64_t limit);
};

}  // namespace kanvio
