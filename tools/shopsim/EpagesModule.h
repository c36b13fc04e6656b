#pragma once

#include <pugixml.hpp>
#include <string>

#include "EpagesProductAnswers.h"
#include "EpagesShop.h"
#include "FailurePlan.h"
#include "ProtocolModule.h"
#include "RequestPipeline.h"

namespace kanvio::shopsim {

// The ePages SOAP services OrderService 2011/01 (find, getInfo, update),
// CustomerService 2007/08 (getInfo) and the services of the product side
// (EpagesProductAnswers) on every path ending in ".soap" below the base path. Requests need
// Basic authentication (401 with an empty body otherwise). Targets:
// "epages", "epages:SERVICE", "epages:SERVICE:OPERATION", and per item
// "epages:SERVICE:OPERATION:PATH", where only the failure "error" applies.
class EpagesModule : public ProtocolModule {
 public:
  EpagesModule(EpagesShop& shop, RequestPipeline& pipeline, const FailurePlan& failures)
      : shop_(shop), pipeline_(pipeline), failures_(failures) {}

  void Register(httplib::Server& server, const std::string& base_path) override;

 private:
  struct Call;

  void Serve(const httplib::Request& request, httplib::Response& response);
  void Answer(const Call& call, const httplib::Request& request, httplib::Response& response);
  // The message of an "error" failure for the item, if one is set.
  std::optional<std::string> ItemError(const Call& call, const std::string& path) const;

  std::string FindOrders(const Call& call) const;
  std::string OrderInfo(const Call& call) const;
  std::string UpdateOrders(const Call& call);
  std::string CustomerInfo(const Call& call) const;

  EpagesShop& shop_;
  EpagesProductAnswers products_{shop_.Products()};
  RequestPipeline& pipeline_;
  const FailurePlan& failures_;
};

}  // namespace kanvio::shopsim
