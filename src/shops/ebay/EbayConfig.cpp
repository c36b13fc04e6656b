#include "shops/ebay/EbayConfig.h"

#include "config/ParameterValidator.h"
#include "support/DeploymentDefaults.h"

namespace kanvio {

EbayConfig::EbayConfig(const Settings& settings, bool sandbox)
    : IsSandbox(sandbox),
      ServerUrl(sandbox ? settings.ebay_apiServerUrlSandbox() : settings.ebay_apiServerUrl()),
      SignInUrl(sandbox ? settings.ebay_signInUrlSandbox() : settings.ebay_signInUrl()),
      AppId(ParameterValidator::CalcKey(sandbox ? KANVIO_EBAY_KEY_APPID_SANDBOX
                                                : KANVIO_EBAY_KEY_APPID_PRODUCTION)),
      CertId(ParameterValidator::CalcKey(sandbox ? KANVIO_EBAY_KEY_CERTID_SANDBOX
                                                 : KANVIO_EBAY_KEY_CERTID_PRODUCTION)),
      DevId(ParameterValidator::CalcKey(KANVIO_EBAY_KEY_DEVID)),
      RuName(ParameterValidator::CalcKey(sandbox ? KANVIO_EBAY_KEY_RUNAME_SANDBOX
                                                 : KANVIO_EBAY_KEY_RUNAME_PRODUCTION)) {}

net::EbayApiContext EbayApi::BuildApiContext(const Settings& settings) {
  const EbayConfig config(settings, settings.ebay_sandbox());
  net::EbayApiContext context;
  context.server_url = config.ServerUrl;
  // The site id, not the site code: the API's site header carries the id.
  context.site_id = settings.ebay_site();
  context.app_id = config.AppId;
  context.dev_id = config.DevId;
  context.cert_id = config.CertId;
  context.ru_name = config.RuName;
  context.token = settings.ebay_token();
  return context;
}

}  // namespace kanvio
