#pragma once
// How every ePages request is addressed and signed in: the credentials, the
// Strato partner variant and the shop path that object paths start with.

#include <string>

#include "config/Settings.h"
#include "platform/HttpClient.h"

namespace kanvio::epages {

class CredentialBuilder {
 public:
  // The partner credential (login and password each joined with U+0001 and a
  // partner token) only for an address on the partner domain whose text
  // contains "pexa-soap"; otherwise login and password as stored.
  static platform::BasicCredentials GetCredential(const Settings& settings);

  // Whether the partner tokens may go to this address: its host is
  // partner_domain or ends in "." + partner_domain (any letter case), and the
  // address contains "pexa-soap". A foreign host that merely carries those
  // texts in its path or query never qualifies.
  static bool IsPartnerEndpoint(const std::string& url, const std::string& partner_domain);
};

// The Strato partner variant: the address contains "pexa" and "strato" (any
// letter case). Its login is the bare shop id.
bool IsStratoVariant(const std::string& url);

// "/Shops/<id>": the login itself in the Strato variant, otherwise the id of
// a login "/Shops/<id>/Users/<name>". Throws Error with a German text, before
// any request, for a login of another form.
std::string ShopPath(const Settings& settings);

}  // namespace kanvio::epages
