#include "PhpSyncScript.h"

#include "ArticlePageAnswer.h"
#include "PhpAnswerXml.h"

namespace kanvio::shopsim {
namespace {

constexpr const char* kXml = "text/xml; charset=UTF-8";
constexpr const char* kText = "text/plain; charset=UTF-8";

void AnswerBadRequest(httplib::Response& response, const std::string& message) {
  response.status = 400;
  response.set_content(message, kText);
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
  if (ArticlePageAnswer::IsPageRequest(request)) {
    ArticlePageAnswer::Answer(shop_, request, response);
    return;
  }
  response.set_content(PhpAnswerXml::ArticleImport(shop_.Articles()), kXml);
}

void PhpSyncScript::AnswerUpload(UploadKind kind, const httplib::Request& request,
                                 httplib::Response& response) {
  const auto outcome = UploadApplier::Apply(kind, request.body, shop_);
  response.set_content(PhpAnswerXml::ExportProtocol(outcome), kXml);
}

}  // namespace kanvio::shopsim
