#pragma once
// The Amazon settings of one operation, the MWS addresses per marketplace
// and the two client configurations built from them.

#include <string>
#include <string_view>

#include "net/MwsClient.h"
#include "platform/Clock.h"
#include "support/DateTime.h"

namespace kanvio {

class AmazonSettings {
 public:
  static constexpr std::string_view kReportsVersion = "2009-01-01";
  static constexpr std::string_view kOrdersVersion = "2013-09-01";

  // Copies the settings and deciphers the MWS secret key with the key
  // routine. The secret stays in this object: it is never written to the
  // settings store, and a plain secret that an older version left there is
  // removed. Throws Error when the enciphered key is damaged.
  AmazonSettings();

  // The marketplace whose addresses serve `language` (any case, blanks
  // ignored): a key of the table itself, "us" for the United States, else
  // the first of "de", "us", "jp", "it", "cn", "ca", "uk" that it contains;
  // "de" for anything else. Reports and orders go to the same marketplace.
  static std::string MarketplaceKey(std::string_view language);
  // The configured addresses of that marketplace.
  static std::string getReportServiceURL(std::string_view language);
  static std::string getOrderServiceURL(std::string_view language);

  net::MwsClientConfig getAmazonReportConfig() const;
  net::MwsClientConfig getAmazonOrderConfig() const;

  // The instant from which reports are listed: amazon_dateFrom taken as
  // local time; 90 days before now while it was never set.
  platform::UtcTime DateFromUtc() const;

  const std::string& Amazon_merchantId() const { return amazon_merchantId_; }
  const std::string& Amazon_language() const { return amazon_language_; }
  const std::string& Amazon_merchant_kind() const { return amazon_merchant_kind_; }
  const std::string& Amazon_parameter() const { return amazon_parameter_; }
  const LocalDateTime& Amazon_dateFrom() const { return amazon_dateFrom_; }

 private:
  std::string amazon_accessKeyId_;
  std::string amazon_secrectAccessKey_;
  std::string amazon_merchantId_;
  std::string amazon_marketplaceId_;
  std::string amazon_applicationName_;
  std::string amazon_applicationVersion_;
  std::string amazon_merchant_kind_;
  std::string amazon_language_;
  std::string amazon_parameter_;
  LocalDateTime amazon_dateFrom_;
};

}  // namespace kanvio
