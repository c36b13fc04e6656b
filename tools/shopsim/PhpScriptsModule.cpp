#include "PhpScriptsModule.h"

#include "PhpAnswerXml.h"

namespace kanvio::shopsim {
namespace {

constexpr const char* kText = "text/plain; charset=UTF-8";

}  // namespace

void PhpScriptsModule::Register(httplib::Server& server, const std::string& base_path) {
  const std::string pattern = EscapeForRegex(base_path) + R"(/(ledgrox|vd)_osc(_val|_sync|_del)?\.php)";
  const auto handler = [this](const httplib::Request& request, httplib::Response& response) {
    Dispatch(request, response);
  };
  server.Get(pattern, handler);
  server.Post(pattern, handler);
}

void PhpScriptsModule::Dispatch(const httplib::Request& request, httplib::Response& response) {
  const std::string script = request.matches[2].str();
  if (script.empty()) {
    pipeline_.Serve(request, response, {"orders"}, [this](const auto&, auto& res) { AnswerOrders(res); });
  } else if (script == "_val") {
    const std::string function = request.get_param_value("function_name");
    pipeline_.Serve(request, response, {"val:" + function, "val"},
                    [this](const auto& req, auto& res) { AnswerCheck(req, res); });
  } else if (script == "_sync") {
    const std::string sync = request.get_param_value("sync");
    pipeline_.Serve(request, response, {"sync:" + sync, "sync"},
                    [this, sync](const auto& req, auto& res) { sync_.Answer(sync, req, res); });
  } else {
    pipeline_.Serve(request, response, {"del"},
                    [this](const auto& req, auto& res) { AnswerStateChange(req, res); });
  }
}

void PhpScriptsModule::AnswerOrders(httplib::Response& response) {
  response.set_content(PhpAnswerXml::Orders(shop_.UnfetchedOrders()), "text/xml; charset=UTF-8");
}

void PhpScriptsModule::AnswerCheck(const httplib::Request& request, httplib::Response& response) {
  const bool offered = shop_.IsFunctionOffered(request.get_param_value("function_name"));
  response.set_content(offered ? "1" : "0", kText);
}

void PhpScriptsModule::AnswerStateChange(const httplib::Request& request, httplib::Response& response) {
  if (!request.has_param("id")) {
    response.status = 400;
    response.set_content("id fehlt", kText);
    return;
  }
  response.set_content(shop_.MarkFetched(request.get_param_value("id")) ? "1" : "0", kText);
}

}  // namespace kanvio::shopsim
