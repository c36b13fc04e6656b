#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "ProtocolModule.h"
#include "RequestPipeline.h"
#include "ShopState.h"
#include "UploadApplier.h"

namespace kanvio::shopsim {

// The shop plug-ins of the REST shops under their four paths: "/MarlixKanvio/"
// and "/MarlixKanvioVD/" (shopware4), "/marlix/ledgrox/" and
// "/marlix/vardemo/" (magento2), each followed directly by an endpoint name.
// All four serve the same shop with every endpoint, so the plug-in is not part
// of the request targets. An endpoint answers 405 to the method it does not
// take; a name that is no endpoint is left to the simulator's "unknown".
class RestPluginModule : public ProtocolModule {
 public:
  RestPluginModule(ShopState& shop, RequestPipeline& pipeline);

  void Register(httplib::Server& server, const std::string& base_path) override;

 private:
  struct Endpoint {
    std::string name;    // as in the path; one ending in "/" takes the rest of the path
    std::string method;  // "GET" or "POST"
    RequestPipeline::Answer answer;
  };

  void Dispatch(const httplib::Request& request, httplib::Response& response);
  const Endpoint* FindEndpoint(std::string_view path) const;
  void AnswerArticles(const httplib::Request& request, httplib::Response& response);
  RequestPipeline::Answer Upload(UploadKind kind);
  void AnswerOrderStatus(const httplib::Request& request, httplib::Response& response);

  ShopState& shop_;
  RequestPipeline& pipeline_;
  std::vector<Endpoint> endpoints_;
};

}  // namespace kanvio::shopsim
