#pragma once
// The token of the seller's eBay account: a new one through the sign-in
// (GetSessionID, the sign-in page, FetchToken) and the check of the stored
// one (GetTokenStatus). Each operation reads the settings anew; the calls of
// one TokenCaller share a connection.
//
// Results: 1 done, 0 a step did not succeed (its text stands), -1 failure
// with the step's text. Failures are logged; nothing is thrown.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "config/Settings.h"
#include "net/EbayTradingClient.h"
#include "platform/HttpClient.h"

namespace kanvio {

class TokenCaller {
 public:
  static constexpr const char* kTokenFailed = "Fehler beim abholen des Tokens.";
  static constexpr const char* kSessionFailed = "Fehler beim abholen der Session.";
  static constexpr const char* kAuthFailed = "Fehler beim Authentifizieren.";
  static constexpr const char* kFetchFailed = "Token konnte nicht abgeholt werden.";
  static constexpr const char* kCheckFailed = "Token konnte nicht geprüft werden.";

  explicit TokenCaller(platform::HttpClientFactory http);

  // getSession, getUserAuth and getToken, each only after the one before
  // gave more than 0. 1 with the token.
  std::int32_t GetToken(std::string& token, std::string& error);
  std::int32_t getSession(std::string& session, std::string& error);
  // Shows the sign-in page for the session; 1 once the user closed it or the
  // sign-in is seen to be complete. An ebay_site that no site has gives -1
  // and opens nothing.
  std::int32_t getUserAuth(const std::string& session, std::string& error);
  std::int32_t getToken(const std::string& session, std::string& token, std::string& error);
  // 1 for an active token; 0 for any other status, and when eBay refuses the
  // token; -1 when eBay could not be asked (no answer, a server failure).
  std::int32_t GetTokenStatus(std::string& error);

  // The sign-in page of the session on the site of ebay_site; nullopt for a
  // site id that no site has.
  static std::optional<std::string> SignInAddress(const Settings& settings, const std::string& ru_name,
                                                  const std::string& session);

 private:
  net::EbayTradingClient& Client();

  platform::HttpClientFactory http_;
  std::unique_ptr<net::EbayTradingClient> client_;
  // Fetched by the probe while the sign-in page was open; not fetched twice.
  std::optional<std::string> fetched_token_;
};

}  // namespace kanvio
