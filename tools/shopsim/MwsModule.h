#pragma once

#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "MwsMarketplace.h"
#include "ProtocolModule.h"
#include "RequestPipeline.h"

namespace kanvio::shopsim {

// The marketplace web service below "<base>/mws": the Reports API at
// "/mws/" (also "/mws/Reports/2009-01-01") and the Orders API at
// "/mws/Orders/2013-09-01". Every request must be a signed form POST
// (Signature Version 2 with HmacSHA256 and the marketplace's secret, a
// time stamp within 15 minutes); a wrong signature is answered 403
// SignatureDoesNotMatch. Failure targets: "mws", "mws:ACTION" and
// "mws:ACTION:KEY" with the report id (GetReport), the order id
// (ListOrderItems) or the report type (ManageReportSchedule).
class MwsModule : public ProtocolModule {
 public:
  MwsModule(MwsMarketplace& marketplace, RequestPipeline& pipeline);

  void Register(httplib::Server& server, const std::string& base_path) override;

  // The form parameters of a body, decoded, in order.
  using Form = std::vector<std::pair<std::string, std::string>>;
  static Form ParseForm(const std::string& body);
  // The signature a client must send for these parameters (Signature left out).
  static std::string ExpectedSignature(const Form& form, const std::string& host, const std::string& path,
                                       const std::string& secret);

 private:
  struct Call;
  struct Pending {
    std::string kind;  // the action whose pages these are
    std::vector<std::string> ids;
    std::size_t offset = 0;
  };

  void Dispatch(const httplib::Request& request, httplib::Response& response, bool orders_api);
  bool Verify(const Call& call, const httplib::Request& request, httplib::Response& response,
              bool orders_api);
  void Answer(const Call& call, httplib::Response& response);

  void ReportList(const Call& call, httplib::Response& response);
  void ReportRequestList(const Call& call, httplib::Response& response);
  void ReportPage(const Call& call, httplib::Response& response, Pending pending);
  void GetReport(const Call& call, httplib::Response& response);
  void Acknowledge(const Call& call, httplib::Response& response);
  void Schedule(const Call& call, httplib::Response& response);
  void GetOrder(const Call& call, httplib::Response& response);
  void OrderItems(const Call& call, httplib::Response& response, Pending pending);
  void ByNextToken(const Call& call, httplib::Response& response, const std::string& action);

  std::string Remember(Pending pending);

  MwsMarketplace& marketplace_;
  RequestPipeline& pipeline_;
  std::mutex mutex_;
  std::map<std::string, Pending> pending_;  // by NextToken; protected by mutex_
  long long next_token_ = 1;                // protected by mutex_
};

}  // namespace kanvio::shopsim
