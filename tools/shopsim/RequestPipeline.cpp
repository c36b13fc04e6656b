#include "RequestPipeline.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "ConnectionDropper.h"
#include "EpagesAnswers.h"
#include "support/Text.h"

namespace kanvio::shopsim {
namespace {

// httplib hands the peer's addresses over as request headers; they never
// travelled over the wire.
bool IsConnectionPseudoHeader(const std::string& name) {
  static constexpr std::array<std::string_view, 4> kNames = {"REMOTE_ADDR", "REMOTE_PORT", "LOCAL_ADDR",
                                                             "LOCAL_PORT"};
  return std::find(kNames.begin(), kNames.end(), name) != kNames.end();
}

RecordedRequest Record(const httplib::Request& request, const std::string& target) {
  RecordedRequest recorded;
  recorded.target = target;
  recorded.method = request.method;
  recorded.path = request.path;
  const auto question = request.target.find('?');
  if (question != std::string::npos) recorded.query = request.target.substr(question + 1);
  recorded.params.assign(request.params.begin(), request.params.end());
  for (const auto& header : request.headers) {
    if (!IsConnectionPseudoHeader(header.first)) recorded.headers.push_back(header);
  }
  recorded.body = request.body;
  recorded.remote_port = request.remote_port;
  return recorded;
}

// The marketplace's answer to a client that asks too often.
constexpr const char* kThrottled =
    "<?xml version=\"1.0\"?>\n<ErrorResponse xmlns=\"http://mws.amazonaws.com/doc/2009-01-01/\"><Error>"
    "<Type>Sender</Type><Code>RequestThrottled</Code><Message>Request is throttled</Message></Error>"
    "<RequestID>shopsim-throttled</RequestID></ErrorResponse>";

}  // namespace

void RequestPipeline::Serve(const httplib::Request& request, httplib::Response& response,
                            const std::vector<std::string>& targets, const Answer& answer) {
  log_.Add(Record(request, targets.empty() ? std::string() : targets.front()), targets);
  const auto failure = failures_.Consume(targets);
  if (failure && ApplyFailure(*failure, request, response, answer)) return;
  answer(request, response);
}

bool RequestPipeline::ApplyFailure(const Failure& failure, const httplib::Request& request,
                                   httplib::Response& response, const Answer& answer) {
  switch (failure.kind) {
    case FailureKind::kStatus500:
      response.status = 500;
      response.set_content(failure.body, "text/plain; charset=UTF-8");
      return true;
    case FailureKind::kRejectUtf8Header:
      if (!text::EqualsIgnoreCase(request.get_header_value("Content-Encoding"), "UTF-8")) return false;
      response.status = 501;
      response.set_content("Not Implemented", "text/plain; charset=UTF-8");
      return true;
    case FailureKind::kStatus501:
      response.status = 501;
      response.set_content(failure.body, "text/html; charset=UTF-8");
      return true;
    case FailureKind::kHtmlPage:
      response.status = 200;
      response.set_content("<html><body>Not Found</body></html>", "text/html; charset=UTF-8");
      return true;
    case FailureKind::kSlow:
      gate_.Wait(failure.delay);
      return false;
    case FailureKind::kSoapFault:
      response.status = 500;
      response.set_content(SoapFaultEnvelope("soap:Server", failure.body), "text/xml; charset=utf-8");
      return true;
    case FailureKind::kUnauthorized:
      response.status = 401;
      response.set_header("WWW-Authenticate", "Basic realm=\"shopsim\"");
      return true;
    case FailureKind::kItemError:
      return false;
    case FailureKind::kDrop:
      if (ConnectionDropper::Drop(request)) return true;
      response.status = 500;
      response.set_content("shopsim: the connection could not be dropped", "text/plain; charset=UTF-8");
      return true;
    case FailureKind::kStatus503:
      response.status = 503;
      if (failure.body.empty()) {
        response.set_content(kThrottled, "text/xml");
      } else {
        response.set_content(failure.body, "text/plain; charset=UTF-8");
      }
      return true;
    case FailureKind::kWrongMd5:
    case FailureKind::kNoMd5:
      answer(request, response);
      response.headers.erase("Content-MD5");
      if (failure.kind == FailureKind::kWrongMd5)
        response.set_header("Content-MD5", "AAAAAAAAAAAAAAAAAAAAAA==");
      return true;
  }
  return false;
}

}  // namespace kanvio::shopsim
