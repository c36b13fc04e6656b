#pragma once

#include <httplib.h>

#include <string>

#include "ShopState.h"
#include "UploadApplier.h"

namespace kanvio::shopsim {

// The sync script: counts, article downloads and the three uploads, chosen
// by the query value "sync".
class PhpSyncScript {
 public:
  explicit PhpSyncScript(ShopState& shop) : shop_(shop) {}

  void Answer(const std::string& sync, const httplib::Request& request, httplib::Response& response);

 private:
  void AnswerArticles(const httplib::Request& request, httplib::Response& response);
  void AnswerUpload(UploadKind kind, const httplib::Request& request, httplib::Response& response);

  ShopState& shop_;
};

}  // namespace kanvio::shopsim
