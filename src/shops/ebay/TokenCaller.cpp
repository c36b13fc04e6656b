#include "shops/ebay/TokenCaller.h"

#include "config/Logger.h"
#include "platform/BrowserSignIn.h"
#include "shops/ebay/EbayConfig.h"
#include "shops/ebay/EbaySites.h"
#include "support/Error.h"
#include "support/Resources.h"
#include "support/Text.h"

namespace kanvio {
namespace {

constexpr const char* kDialogTitle = "eBay-Identifikation";
constexpr const char* kDialogButton = "Authentifizierung abschließen!";
constexpr const char* kUserField = "userid";
constexpr const char* kCompletionText = "Authorization successfully completed";

// Letters, digits and "-_.~" stay; every other byte is percent-encoded, so a
// session id with "+", "/" or "=" reaches eBay unchanged.
std::string EncodeQueryValue(std::string_view value) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string encoded;
  for (unsigned char c : value) {
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_' ||
        c == '.' || c == '~') {
      encoded += char(c);
    } else {
      encoded += '%';
      encoded += kHex[c >> 4];
      encoded += kHex[c & 0xF];
    }
  }
  return encoded;
}

void LogQuietly(const std::string& message) {
  try {
    Logger::LogError(message);
  } catch (...) {
    // The result code reports the failure; a log that cannot be written changes nothing.
  }
}

}  // namespace

TokenCaller::TokenCaller(platform::HttpClientFactory http) : http_(std::move(http)) {}

net::EbayTradingClient& TokenCaller::Client() {
  if (!client_) client_ = std::make_unique<net::EbayTradingClient>(http_());
  return *client_;
}

std::int32_t TokenCaller::GetToken(std::string& token, std::string& error) {
  token.clear();
  error.clear();
  try {
    std::string session;
    if (getSession(session, error) <= 0) return 0;
    if (getUserAuth(session, error) <= 0) return 0;
    if (getToken(session, token, error) <= 0) return 0;
    return 1;
  } catch (const std::exception& e) {
    LogQuietly(std::string("eBay-Token: ") + e.what());
  }
  error = kTokenFailed;
  return -1;
}

std::int32_t TokenCaller::getSession(std::string& session, std::string& error) {
  session.clear();
  error.clear();
  fetched_token_.reset();
  try {
    session = Client().GetSessionID(EbayApi::BuildApiContext(Settings()));
    return 1;
  } catch (const std::exception& e) {
    LogQuietly(std::string("eBay-Session: ") + e.what());
  }
  error = kSessionFailed;
  return -1;
}

std::optional<std::string> TokenCaller::SignInAddress(const Settings& settings, const std::string& ru_name,
                                                      const std::string& session) {
  const EbaySite* site = EbaySites::BySiteId(settings.ebay_site());
  if (site == nullptr) return std::nullopt;
  const std::string page =
      text::ReplaceAll(settings.ebay_sandbox() ? settings.ebay_signInUrlSandbox() : settings.ebay_signInUrl(),
                       "{domain}", site->TopLevelDomain);
  return page + "?SignIn&runame=" + EncodeQueryValue(ru_name) + "&SessID=" + EncodeQueryValue(session);
}

std::int32_t TokenCaller::getUserAuth(const std::string& session, std::string& error) {
  error.clear();
  try {
    const Settings settings;
    const EbayConfig config(settings, settings.ebay_sandbox());
    const auto address = SignInAddress(settings, config.RuName, session);
    if (!address) {
      LogQuietly("eBay-Anmeldung: Die eBay-Site " + std::to_string(settings.ebay_site()) +
                 " ist unbekannt; die Anmeldeseite wird nicht geöffnet.");
      error = kAuthFailed;
      return -1;
    }
    platform::SignInPage page{
        *address,   config.IsSandbox,         kDialogTitle,   Resources::EBAY_AUTH_URL(), kDialogButton,
        kUserField, settings.ebay_username(), kCompletionText};
    net::EbayApiContext context = EbayApi::BuildApiContext(settings);
    const auto probe = [&] {
      try {
        fetched_token_ = Client().FetchToken(context, session);
        return true;
      } catch (const std::exception&) {
        return false;  // not signed in yet: asked again at the next poll
      }
    };
    if (platform::CurrentBrowserSignIn().Run(page, probe) == platform::SignInOutcome::kClosed) return 1;
    LogQuietly("eBay-Anmeldung: Nach 10 Minuten ohne Anmeldung abgebrochen.");
    error = kAuthFailed;
    return 0;
  } catch (const std::exception& e) {
    LogQuietly(std::string("eBay-Anmeldung: ") + e.what());
  }
  error = kAuthFailed;
  return -1;
}

std::int32_t TokenCaller::getToken(const std::string& session, std::string& token, std::string& error) {
  token.clear();
  error.clear();
  if (fetched_token_) {
    token = std::exchange(fetched_token_, std::nullopt).value();
    return 1;
  }
  try {
    token = Client().FetchToken(EbayApi::BuildApiContext(Settings()), session);
    return 1;
  } catch (const std::exception& e) {
    LogQuietly(std::string("eBay-Token abholen: ") + e.what());
  }
  error = kFetchFailed;
  return -1;
}

std::int32_t TokenCaller::GetTokenStatus(std::string& error) {
  error.clear();
  try {
    const net::TokenStatus status = Client().GetTokenStatus(EbayApi::BuildApiContext(Settings()));
    if (status == net::TokenStatus::Active) return 1;
    LogQuietly("eBay-Token prüfen: Das Token ist nicht mehr gültig.");
    return 0;
  } catch (const net::EbayApiError& e) {
    LogQuietly(std::string("eBay-Token prüfen: ") + e.what());
    if (!e.IsSystemError()) return 0;
  } catch (const std::exception& e) {
    LogQuietly(std::string("eBay-Token prüfen: ") + e.what());
  }
  error = kCheckFailed;
  return -1;
}

}  // namespace kanvio
