#pragma once

#include <httplib.h>

#include <functional>
#include <string>
#include <vector>

#include "FailurePlan.h"
#include "RequestLog.h"
#include "SlowAnswerGate.h"

namespace kanvio::shopsim {

// What every simulated endpoint does around its own answer: record the
// request, count it, and let a switched-on failure answer instead.
class RequestPipeline {
 public:
  using Answer = std::function<void(const httplib::Request&, httplib::Response&)>;

  RequestPipeline(RequestLog& log, FailurePlan& failures, SlowAnswerGate& gate)
      : log_(log), failures_(failures), gate_(gate) {}

  // `targets` run from the most specific to the script ("sync:lqx_to_shop",
  // "sync"); the request is counted under each, and the first one with a
  // failure decides it.
  void Serve(const httplib::Request& request, httplib::Response& response,
             const std::vector<std::string>& targets, const Answer& answer);

 private:
  // True when the failure answered in place of the endpoint.
  bool ApplyFailure(const Failure& failure, const httplib::Request& request, httplib::Response& response,
                    const Answer& answer);

  RequestLog& log_;
  FailurePlan& failures_;
  SlowAnswerGate& gate_;
};

}  // namespace kanvio::shopsim
