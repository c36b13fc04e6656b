#pragma once
// What the two REST plug-in connectors share: the request set-up, the
// answer checks, saving answers for the host and merging paged articles.

#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/HttpClient.h"

namespace kanvio {

class AnyKanvio {
 public:
  // A plug-in request: one hour to answer, User-Agent = WEBSERVICE_LOGIN,
  // Accept text/xml, the TLS versions allowed for the plug-ins and the
  // certificate policy of the shop configuration file.
  static platform::HttpRequest HttpClient(platform::HttpMethod method, const std::string& url);

  // The versions named by a comma-separated list such as "Tls12,Tls11,Tls"
  // (names ignore case and surrounding blanks); nullopt when any name is
  // unknown or the list is empty. "SystemDefault" and "Ssl3" name nothing
  // we offer: they add no version.
  static std::optional<std::set<platform::TlsVersion>> ParseSecurityProtocols(std::string_view list);
  // Reads generell/SecurityProtocols and, when it parses, makes it the
  // versions allowed for every plug-in request from now on; otherwise the
  // versions stay as they were (at first: what the system allows).
  static void ApplySecurityProtocols();
  static std::set<platform::TlsVersion> AllowedTlsVersions();

  // A web page instead of a plug-in answer.
  static bool ContainsIllegalContent(std::string_view data);

  // The bytes of the file, unchanged. Throws FileNotFoundError.
  static std::string FileContent(const std::string& file);

  // Writes data into WEBSERVICE_RESULT_FILEPATH, whole or not at all, as
  // UTF-8 followed by CR LF, without the characters removed by
  // RemoveNonDataCharacters. Throws Error.
  static void SaveToFile(const std::string& data);
  // Drops the characters that cannot be data wherever they stand: U+FEFF
  // (byte-order marks), U+FFFE and U+FFFF. Everything else stays, bytes
  // that are not UTF-8 included.
  static std::string RemoveNonDataCharacters(std::string_view utf8);

  // The pages of a paged download as one articles file in
  // WEBSERVICE_RESULT_FILEPATH; pages that cannot be deciphered or parsed
  // are counted in errorCounter.
  static void SaveAsMergedXml(const std::vector<std::string>& pages, int& errorCounter);
};

}  // namespace kanvio
