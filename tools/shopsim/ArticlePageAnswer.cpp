#include "ArticlePageAnswer.h"

#include <charconv>
#include <optional>
#include <string>

#include "PhpAnswerXml.h"
#include "support/CipherUtility.h"
#include "support/DeploymentDefaults.h"

namespace kanvio::shopsim {
namespace {

std::optional<std::size_t> ParamAsSize(const httplib::Request& request, const char* name) {
  const std::string value = request.get_param_value(name);
  std::size_t number = 0;
  const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), number);
  if (value.empty() || error != std::errc() || end != value.data() + value.size()) return std::nullopt;
  return number;
}

}  // namespace

bool ArticlePageAnswer::IsPageRequest(const httplib::Request& request) {
  return request.has_param("offset") || request.has_param("limit");
}

void ArticlePageAnswer::Answer(const ShopState& shop, const httplib::Request& request,
                               httplib::Response& response) {
  const auto offset = ParamAsSize(request, "offset");
  const auto limit = ParamAsSize(request, "limit");
  if (!offset || !limit) {
    response.status = 400;
    response.set_content("offset und limit müssen ganze Zahlen sein", "text/plain; charset=UTF-8");
    return;
  }
  const std::string password = shop.Password();
  const std::string page = PhpAnswerXml::ArticleImport(shop.ArticlePage(*offset, *limit), !password.empty());
  if (password.empty()) {
    response.set_content(page, "text/xml; charset=UTF-8");
    return;
  }
  response.set_content(CipherUtility::EncryptPhp(page, password, KANVIO_SHOP_CIPHER_IV),
                       "text/plain; charset=UTF-8");
}

}  // namespace kanvio::shopsim
