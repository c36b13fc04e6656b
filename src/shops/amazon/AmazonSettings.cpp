#include "shops/amazon/AmazonSettings.h"

#include <chrono>

#include "config/ParameterValidator.h"
#include "config/Settings.h"
#include "support/Text.h"

namespace kanvio {
namespace {

using Address = std::string (Settings::*)() const;

struct Marketplace {
  std::string_view key;
  Address reports;
  Address orders;
};

// Germany first: the fallback of every lookup.
constexpr Marketplace kMarketplaces[] = {
    {"de", &Settings::amazon_reportServiceURL_de, &Settings::amazon_orderServiceURL_de},
    {"com", &Settings::amazon_reportServiceURL_com, &Settings::amazon_orderServiceURL_com},
    {"es", &Settings::amazon_reportServiceURL_es, &Settings::amazon_orderServiceURL_es},
    {"fr", &Settings::amazon_reportServiceURL_fr, &Settings::amazon_orderServiceURL_fr},
    {"jp", &Settings::amazon_reportServiceURL_jp, &Settings::amazon_orderServiceURL_jp},
    {"cn", &Settings::amazon_reportServiceURL_cn, &Settings::amazon_orderServiceURL_cn},
    {"it", &Settings::amazon_reportServiceURL_it, &Settings::amazon_orderServiceURL_it},
    {"uk", &Settings::amazon_reportServiceURL_uk, &Settings::amazon_orderServiceURL_uk},
    {"ca", &Settings::amazon_reportServiceURL_ca, &Settings::amazon_orderServiceURL_ca},
};

// Texts such as "de-DE" or "amazon.co.uk" name a marketplace by containing its key.
constexpr std::pair<std::string_view, std::string_view> kContained[] = {
    {"de", "de"}, {"us", "com"}, {"jp", "jp"}, {"it", "it"}, {"cn", "cn"}, {"ca", "ca"}, {"uk", "uk"},
};

const Marketplace& Find(std::string_view key) {
  for (const auto& marketplace : kMarketplaces) {
    if (marketplace.key == key) return marketplace;
  }
  return kMarketplaces[0];
}

constexpr std::string_view kNeverStoredSecret = "\"\"";

}  // namespace

std::string AmazonSettings::MarketplaceKey(std::string_view language) {
  const std::string lower = text::ToLower(text::Trim(language));
  for (const auto& marketplace : kMarketplaces) {
    if (marketplace.key == lower) return lower;
  }
  if (lower == "us") return "com";
  for (const auto& [contained, key] : kContained) {
    if (text::Contains(lower, contained)) return std::string(key);
  }
  return "de";
}

std::string AmazonSettings::getReportServiceURL(std::string_view language) {
  return (Settings().*Find(MarketplaceKey(language)).reports)();
}

std::string AmazonSettings::getOrderServiceURL(std::string_view language) {
  return (Settings().*Find(MarketplaceKey(language)).orders)();
}

AmazonSettings::AmazonSettings() {
  Settings settings;
  amazon_secrectAccessKey_ = ParameterValidator::CalcKey(settings.amazon_validationkey());
  if (settings.amazon_secrectAccessKey() != kNeverStoredSecret) {
    settings.set_amazon_secrectAccessKey(std::string(kNeverStoredSecret));
    settings.Save();
  }
  amazon_accessKeyId_ = settings.amazon_accessKeyId();
  amazon_merchantId_ = settings.amazon_merchantId();
  amazon_marketplaceId_ = settings.amazon_marketplaceId();
  amazon_applicationName_ = settings.amazon_applicationName();
  amazon_applicationVersion_ = settings.amazon_applicationVersion();
  amazon_merchant_kind_ = settings.amazon_merchant_kind();
  amazon_language_ = settings.amazon_language();
  amazon_parameter_ = settings.amazon_parameter();
  amazon_dateFrom_ = settings.amazon_dateFrom();
}

net::MwsClientConfig AmazonSettings::getAmazonReportConfig() const {
  net::MwsClientConfig config;
  config.service_url = getReportServiceURL(amazon_language_);
  config.access_key_id = amazon_accessKeyId_;
  config.secret_key = amazon_secrectAccessKey_;
  config.seller_parameter = "Merchant";
  config.seller_id = amazon_merchantId_;
  config.version = kReportsVersion;
  config.user_agent = "marlix";
  return config;
}

net::MwsClientConfig AmazonSettings::getAmazonOrderConfig() const {
  net::MwsClientConfig config;
  config.service_url = getOrderServiceURL(amazon_language_);
  config.access_key_id = amazon_accessKeyId_;
  config.secret_key = amazon_secrectAccessKey_;
  config.seller_parameter = "SellerId";
  config.seller_id = amazon_merchantId_;
  config.version = kOrdersVersion;
  config.user_agent = amazon_applicationName_ + "/" + amazon_applicationVersion_ + " (Language=C++)";
  return config;
}

platform::UtcTime AmazonSettings::DateFromUtc() const {
  auto& clock = platform::CurrentClock();
  if (amazon_dateFrom_ == LocalDateTime{}) return clock.NowUtc() - std::chrono::days(90);
  return clock.ToUtc(amazon_dateFrom_);
}

}  // namespace kanvio
