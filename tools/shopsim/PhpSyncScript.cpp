#include "PhpSyncScript.h"

#include <charconv>
#include <optional>

#include "PhpAnswerXml.h"
#include "support/CipherUtility.h"
#include "support/DeploymentDefaults.h"

namespace kanvio::shopsim {
namespace {

constexpr const char* kXml = "text/xml; charset=UTF-8";
constexpr const char* kText = "text/plain; charset=UTF-8";

void AnswerBadRequest(httplib::Response& response, const std::string& message) {
  response.status = 400;
  response.set_content(message, kText);
}

std::optional<std::size_t> ParamAsSize(const httplib::Request& request, const char* name) {
  const std::string value = request.get_param_value(name);
  std::size_t number = 0;
  const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), number);
  if (value.empty() || error != std::errc() || end != value.data() + value.size()) return std::nullopt;
  return number;
}

}  // namespace

void PhpSyncScript::Answer(const std::string& sync, const httplib::Request& request,
                           httplib::Response& response) {
  if (sync == "check_open_orders") {
    response.set_content(std::to_string(shop_.OpenOrderCount()), kText);
  } else if (sync == "paging_informationen") {
    response.set_content(PhpAnswerXml::PagingInformation(shop_.ArticleCount()), kXml);
  } else if (sync == "shop_to_lqx") {
    AnswerArticles(request, response);
  } else if (sync == "articlelist_from_shop") {
    response.set_content(PhpAnswerXml::ArticleList(shop_.Articles()), kXml);
  } else if (sync == "lqx_to_shop") {
    AnswerUpload(UploadKind::kArticles, request, response);
  } else if (sync == "pricelist_to_shop") {
    AnswerUpload(UploadKind::kArticlePrices, request, response);
  } else if (sync == "stockvalue_to_shop") {
    AnswerUpload(UploadKind::kStockValues, request, response);
  } else {
    AnswerBadRequest(response, "unbekannter sync-Wert: " + sync);
  }
}

void PhpSyncScript::AnswerArticles(const httplib::Request& request, httplib::Response& response) {
  if (request.has_param("offset") || request.has_param("limit")) {
    AnswerArticlePage(request, response);
    return;
  }
  response.set_content(PhpAnswerXml::ArticleImport(shop_.Articles()), kXml);
}

void PhpSyncScript::AnswerArticlePage(const httplib::Request& request, httplib::Response& response) {
  const auto offset = ParamAsSize(request, "offset");
  const auto limit = ParamAsSize(request, "limit");
  if (!offset || !limit) {
    AnswerBadRequest(response, "offset und limit müssen ganze Zahlen sein");
    return;
  }
  const std::string password = shop_.Password();
  const std::string page = PhpAnswerXml::ArticleImport(shop_.ArticlePage(*offset, *limit), !password.empty());
  if (password.empty()) {
    response.set_content(page, kXml);
    return;
  }
  response.set_content(CipherUtility::EncryptPhp(page, password, KANVIO_SHOP_CIPHER_IV), kText);
}

void PhpSyncScript::AnswerUpload(UploadKind kind, const httplib::Request& request,
                                 httplib::Response& response) {
  const auto outcome = UploadApplier::Apply(kind, request.body, shop_);
  response.set_content(PhpAnswerXml::ExportProtocol(outcome), kXml);
}

}  // namespace kanvio::shopsim
