#pragma once

#include <httplib.h>

#include "ShopState.h"

namespace kanvio::shopsim {

// One page of the shop's articles, as the PHP sync script and the REST
// plug-ins both serve it: plain XML without a shop password, enciphered with
// the password otherwise.
class ArticlePageAnswer {
 public:
  // True when the request asks for a page ("offset" or "limit" given).
  static bool IsPageRequest(const httplib::Request& request);
  // Answers the page that "offset" and "limit" name; 400 when either is not
  // a whole number.
  static void Answer(const ShopState& shop, const httplib::Request& request, httplib::Response& response);
};

}  // namespace kanvio::shopsim
