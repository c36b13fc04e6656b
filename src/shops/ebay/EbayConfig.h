#pragma once
// The eBay application's keys and endpoints for production or the sandbox.
// The keys are built in enciphered and deciphered with the key routine; the
// endpoints are application settings that a deployment file may override.

#include <string>

#include "config/Settings.h"
#include "net/EbayTradingClient.h"

namespace kanvio {

struct EbayConfig {
  // Throws Error when a built-in key does not decipher (logged).
  EbayConfig(const Settings& settings, bool sandbox);

  bool IsSandbox;
  std::string ServerUrl;  // the Trading API's XML gateway
  std::string SignInUrl;  // the sign-in page, "{domain}" standing for the site's domain
  std::string AppId, CertId, DevId, RuName;
};

class EbayApi {
 public:
  // The context of the calls of one operation: the environment of
  // ebay_sandbox, the site of ebay_site, the stored token (empty when none).
  static net::EbayApiContext BuildApiContext(const Settings& settings);
};

}  // namespace kanvio
