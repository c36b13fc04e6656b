#pragma once

#include <chrono>
#include <optional>
#include <string>

#include "EbayMarket.h"
#include "ProtocolModule.h"
#include "RequestPipeline.h"

namespace kanvio::shopsim {

// The Trading API's XML interface at "/ws/api.dll" (GetSessionID,
// FetchToken, GetTokenStatus, GetMyeBaySelling, GetItemTransactions,
// GetUser, GetOrderTransactions) and the sign-in page at
// "/signin/DOMAIN/ws/eBayISAPI.dll" (sandbox: "/signin-sandbox/..."), both
// at the server's root whatever the base path. The call is named by the
// X-EBAY-API-CALL-NAME header; requests are counted under "ebay", "ebay:CALL"
// and, narrower, "ebay:GetMyeBaySelling:page=N" and
// "ebay:GetItemTransactions:item=ID"; the sign-in page under "ebay-signin".
//
// It checks what eBay checks: the request document of the named call, a
// numeric site id, the application keys on the token calls, an active token
// on the others; a failure is answered as eBay does, with Ack Failure and an
// error code.
class EbayTradingModule : public ProtocolModule {
 public:
  EbayTradingModule(EbayMarket& market, RequestPipeline& pipeline);

  void Register(httplib::Server& server, const std::string& base_path) override;

 private:
  void Dispatch(const httplib::Request& request, httplib::Response& response);
  void ShowSignInPage(const httplib::Request& request, httplib::Response& response);
  void SubmitSignIn(const httplib::Request& request, httplib::Response& response);

  EbayMarket& market_;
  RequestPipeline& pipeline_;
};

}  // namespace kanvio::shopsim
