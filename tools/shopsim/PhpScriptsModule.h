#pragma once

#include "PhpSyncScript.h"
#include "ProtocolModule.h"
#include "RequestPipeline.h"
#include "ShopState.h"

namespace kanvio::shopsim {

// The four PHP scripts under both ERP prefixes ("ledgrox_osc", "vd_osc"):
// the order script, the check script (_val), the sync script (_sync) and the
// order-state script (_del). Each answers GET and POST alike, as the scripts
// read their query values either way.
class PhpScriptsModule : public ProtocolModule {
 public:
  PhpScriptsModule(ShopState& shop, RequestPipeline& pipeline)
      : shop_(shop), pipeline_(pipeline), sync_(shop) {}

  void Register(httplib::Server& server, const std::string& base_path) override;

 private:
  void Dispatch(const httplib::Request& request, httplib::Response& response);
  void AnswerOrders(httplib::Response& response);
  void AnswerCheck(const httplib::Request& request, httplib::Response& response);
  void AnswerStateChange(const httplib::Request& request, httplib::Response& response);

  ShopState& shop_;
  RequestPipeline& pipeline_;
  PhpSyncScript sync_;
};

}  // namespace kanvio::shopsim
