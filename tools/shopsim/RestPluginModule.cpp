#include "RestPluginModule.h"

#include <array>

#include "ArticlePageAnswer.h"
#include "PhpAnswerXml.h"

namespace kanvio::shopsim {
namespace {

constexpr const char* kXml = "text/xml; charset=UTF-8";
constexpr const char* kText = "text/plain; charset=UTF-8";
constexpr std::string_view kOrderStatus = "setOrderStatus/id/";
constexpr std::array<const char*, 4> kPluginPaths = {"MarlixKanvio", "MarlixKanvioVD", "marlix/ledgrox",
                                                     "marlix/vardemo"};

std::string PluginConfiguration(std::size_t articles_import_limit) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<PluginConfiguration><ArticlesImportLimit>" +
         std::to_string(articles_import_limit) + "</ArticlesImportLimit></PluginConfiguration>\n";
}

// The path after the plug-in's own part: an endpoint name, for the order
// state followed by the order number.
std::string EndpointPath(const httplib::Request& request) { return request.matches[2].str(); }

std::vector<std::string> Targets(const std::string& endpoint_name, const httplib::Request& request) {
  const std::string target = "rest:" + endpoint_name.substr(0, endpoint_name.find('/'));
  std::vector<std::string> targets;
  if (target == "rest:getArticles" && request.has_param("offset"))
    targets.push_back(target + ":offset=" + request.get_param_value("offset"));
  targets.push_back(target);
  targets.push_back("rest");
  return targets;
}

void AnswerWrongMethod(const std::string& allowed, httplib::Response& response) {
  response.status = 405;
  response.set_header("Allow", allowed);
  response.set_content("Method Not Allowed", kText);
}

}  // namespace

RestPluginModule::RestPluginModule(ShopState& shop, RequestPipeline& pipeline)
    : shop_(shop), pipeline_(pipeline) {
  const auto text = [](auto value) {
    return [value](const auto&, auto& response) { response.set_content(value(), kText); };
  };
  const auto xml = [](auto value) {
    return [value](const auto&, auto& response) { response.set_content(value(), kXml); };
  };
  endpoints_ = {
      {"getConnection", "GET", text([] { return std::string("OK"); })},
      {"getOpenOrders", "GET", xml([this] { return PhpAnswerXml::Orders(shop_.UnfetchedOrders()); })},
      {"getOpenOrdersCount", "GET", text([this] { return std::to_string(shop_.OpenOrderCount()); })},
      {"getArticleList", "GET", xml([this] { return PhpAnswerXml::ArticleList(shop_.Articles()); })},
      {"getArticles", "GET", [this](const auto& req, auto& res) { AnswerArticles(req, res); }},
      {"getPluginConfiguration", "GET",
       xml([this] { return PluginConfiguration(shop_.ArticlesImportLimit()); })},
      {"getArticlesCount", "GET", text([this] { return std::to_string(shop_.ArticleCount()); })},
      {"setArticles", "POST", Upload(UploadKind::kArticles)},
      {"setStock", "POST", Upload(UploadKind::kStockValues)},
      {"setArticlePrices", "POST", Upload(UploadKind::kArticlePrices)},
      {std::string(kOrderStatus), "GET", [this](const auto& req, auto& res) { AnswerOrderStatus(req, res); }},
  };
}

void RestPluginModule::Register(httplib::Server& server, const std::string& base_path) {
  std::string plugins, endpoints;
  for (const char* plugin : kPluginPaths) plugins += (plugins.empty() ? "" : "|") + EscapeForRegex(plugin);
  for (const auto& endpoint : endpoints_) {
    if (!endpoints.empty()) endpoints += '|';
    endpoints += EscapeForRegex(endpoint.name);
    if (endpoint.name.ends_with('/')) endpoints += ".*";
  }
  const std::string pattern = EscapeForRegex(base_path) + "/(" + plugins + ")/(" + endpoints + ")";
  const auto handler = [this](const httplib::Request& request, httplib::Response& response) {
    Dispatch(request, response);
  };
  server.Get(pattern, handler);
  server.Post(pattern, handler);
}

void RestPluginModule::Dispatch(const httplib::Request& request, httplib::Response& response) {
  const Endpoint* endpoint = FindEndpoint(EndpointPath(request));
  if (endpoint == nullptr) return;  // the route's pattern admits endpoints only
  pipeline_.Serve(request, response, Targets(endpoint->name, request),
                  [endpoint](const httplib::Request& req, httplib::Response& res) {
                    if (req.method != endpoint->method) {
                      AnswerWrongMethod(endpoint->method, res);
                      return;
                    }
                    endpoint->answer(req, res);
                  });
}

const RestPluginModule::Endpoint* RestPluginModule::FindEndpoint(std::string_view path) const {
  for (const auto& endpoint : endpoints_) {
    const bool takes_rest = endpoint.name.ends_with('/');
    if (takes_rest ? path.starts_with(endpoint.name) : path == endpoint.name) return &endpoint;
  }
  return nullptr;
}

void RestPluginModule::AnswerArticles(const httplib::Request& request, httplib::Response& response) {
  if (ArticlePageAnswer::IsPageRequest(request)) {
    ArticlePageAnswer::Answer(shop_, request, response);
    return;
  }
  response.set_content(PhpAnswerXml::ArticleImport(shop_.Articles()), kXml);
}

RequestPipeline::Answer RestPluginModule::Upload(UploadKind kind) {
  return [this, kind](const httplib::Request& request, httplib::Response& response) {
    const auto outcome = UploadApplier::Apply(kind, request.body, shop_);
    response.set_content(PhpAnswerXml::ExportProtocol(outcome), kXml);
  };
}

// The order number arrives percent-decoded: the server decodes the path.
void RestPluginModule::AnswerOrderStatus(const httplib::Request& request, httplib::Response& response) {
  const std::string number = EndpointPath(request).substr(kOrderStatus.size());
  if (number.empty()) {
    response.status = 400;
    response.set_content("Bestellnummer fehlt", kText);
    return;
  }
  response.set_content(shop_.MarkFetched(number) ? "1" : "0", kText);
}

}  // namespace kanvio::shopsim
