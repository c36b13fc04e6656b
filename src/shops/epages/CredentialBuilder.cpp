#include "shops/epages/CredentialBuilder.h"

#include <vector>

#include "platform/HttpUrl.h"
#include "support/Error.h"
#include "support/Text.h"

namespace kanvio::epages {
namespace {

constexpr char kPartnerSeparator = '\x01';

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::string::size_type start = 0;
  for (;;) {
    const auto end = text.find(separator, start);
    parts.push_back(text.substr(start, end - start));
    if (end == std::string::npos) return parts;
    start = end + 1;
  }
}

}  // namespace

bool CredentialBuilder::IsPartnerEndpoint(const std::string& url, const std::string& partner_domain) {
  const std::string domain = text::ToLower(text::Trim(partner_domain));
  if (domain.empty() || !text::Contains(text::ToLower(url), "pexa-soap")) return false;
  const auto parsed = platform::HttpUrl::Parse(text::Trim(url));
  if (!parsed) return false;
  std::string host = text::ToLower(parsed->host);
  while (!host.empty() && host.back() == '.') host.pop_back();
  if (host == domain) return true;
  return host.size() > domain.size() && host.ends_with(domain) &&
         host[host.size() - domain.size() - 1] == '.';
}

platform::BasicCredentials CredentialBuilder::GetCredential(const Settings& settings) {
  const std::string login = settings.WEBSERVICE_LOGIN();
  if (!IsPartnerEndpoint(settings.WEBSERVICE_URL(), settings.strato_partnerDomain()))
    return {login, settings.WEBSERVICE_PASSWORD()};
  return {"/Shops/" + login + "/Users/" + login + kPartnerSeparator + settings.SecurityTokenPart1(),
          settings.WEBSERVICE_PASSWORD() + kPartnerSeparator + settings.SecurityTokenPart2()};
}

bool IsStratoVariant(const std::string& url) {
  const std::string lower = text::ToLower(url);
  return text::Contains(lower, "pexa") && text::Contains(lower, "strato");
}

std::string ShopPath(const Settings& settings) {
  const std::string login = settings.WEBSERVICE_LOGIN();
  if (IsStratoVariant(settings.WEBSERVICE_URL())) {
    if (login.empty() || login.find('/') != std::string::npos)
      throw Error("Die Shop-ID \"" + login +
                  "\" ist ungültig: Bitte geben Sie als Benutzer die Shop-ID ein.");
    return "/Shops/" + login;
  }
  const std::vector<std::string> parts = Split(login, '/');
  if (parts.size() != 5 || !parts[0].empty() || !text::EqualsIgnoreCase(parts[1], "Shops") ||
      parts[2].empty() || !text::EqualsIgnoreCase(parts[3], "Users") || parts[4].empty())
    throw Error("Der Benutzer \"" + login +
                "\" hat nicht die Form /Shops/<Shop-ID>/Users/<Benutzername>. Bitte kontrollieren Sie die "
                "Zugangsdaten.");
  return "/Shops/" + parts[2];
}

}  // namespace kanvio::epages
