#include "shops/rest/AnyKanvio.h"

#include <algorithm>
#include <chrono>
#include <fstream>
#include <iterator>
#include <mutex>
#include <sstream>

#include "config/ConfigFileReader.h"
#include "config/Settings.h"
#include "platform/FileSystem.h"
#include "shops/MergedArticleFile.h"
#include "support/Error.h"
#include "support/Text.h"

namespace kanvio {
namespace {

using platform::TlsVersion;

constexpr std::chrono::milliseconds kOneHour{3'600'000};

// One setting for the whole process, as the shop configuration file is one
// file for every plug-in shop; a list that does not parse keeps the last.
std::mutex tls_mutex;
std::set<TlsVersion> tls_versions;  // protected by tls_mutex; empty: what the system allows

struct ProtocolName {
  const char* name;
  std::optional<TlsVersion> version;
};

constexpr ProtocolName kProtocolNames[] = {
    {"SystemDefault", std::nullopt}, {"Ssl3", std::nullopt},        {"Tls", TlsVersion::kTls10},
    {"Tls11", TlsVersion::kTls11},   {"Tls12", TlsVersion::kTls12}, {"Tls13", TlsVersion::kTls13},
};

// Characters that cannot be data: the byte-order mark U+FEFF (also the
// zero-width no-break space, which no plug-in answer needs), U+FFFE (a mark
// read in the wrong byte order) and the noncharacter U+FFFF.
constexpr std::string_view kNonData[] = {"\xEF\xBB\xBF", "\xEF\xBF\xBE", "\xEF\xBF\xBF"};

}  // namespace

std::optional<std::set<TlsVersion>> AnyKanvio::ParseSecurityProtocols(std::string_view list) {
  std::set<TlsVersion> versions;
  std::size_t start = 0;
  while (true) {
    const std::size_t comma = list.find(',', start);
    const std::string name =
        text::Trim(list.substr(start, comma == std::string_view::npos ? list.npos : comma - start));
    const ProtocolName* known = nullptr;
    for (const auto& candidate : kProtocolNames)
      if (text::EqualsIgnoreCase(name, candidate.name)) known = &candidate;
    if (known == nullptr) return std::nullopt;
    if (known->version) versions.insert(*known->version);
    if (comma == std::string_view::npos) return versions;
    start = comma + 1;
  }
}

void AnyKanvio::ApplySecurityProtocols() {
  const auto versions =
      ParseSecurityProtocols(ConfigFileReader::getValueFromGenerellConfig_String("SecurityProtocols"));
  if (!versions) return;
  std::lock_guard lock(tls_mutex);
  tls_versions = *versions;
}

std::set<TlsVersion> AnyKanvio::AllowedTlsVersions() {
  std::lock_guard lock(tls_mutex);
  return tls_versions;
}

platform::HttpRequest AnyKanvio::HttpClient(platform::HttpMethod method, const std::string& url) {
  ApplySecurityProtocols();
  platform::HttpRequest request;
  request.method = method;
  request.url = url;
  request.headers = {{"User-Agent", Settings().WEBSERVICE_LOGIN()}, {"Accept", "text/xml"}};
  request.total_timeout = request.inactivity_timeout = kOneHour;
  request.tls_versions = AllowedTlsVersions();
  if (ConfigFileReader::GetValueFromGenerellConfig("AcceptInvalidCertificates"))
    request.certificate_policy = platform::CertificatePolicy::kAcceptInvalid;
  return request;
}

bool AnyKanvio::ContainsIllegalContent(std::string_view data) {
  return text::Contains(data, "<html") || text::Contains(data, "html>");
}

std::string AnyKanvio::FileContent(const std::string& file) {
  std::ifstream in(platform::PathFromUtf8(file), std::ios::binary);
  if (!in) throw FileNotFoundError("Die Datei " + file + " konnte nicht gelesen werden.");
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

std::string AnyKanvio::RemoveNonDataCharacters(std::string_view utf8) {
  std::string kept;
  kept.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    // All three begin with 0xEF, which starts no other sequence they could be taken for.
    const std::size_t next = utf8.find('\xEF', i);
    kept.append(utf8.substr(i, next - i));
    if (next == std::string_view::npos) break;
    const std::string_view three = utf8.substr(next, 3);
    const bool drop = std::find(std::begin(kNonData), std::end(kNonData), three) != std::end(kNonData);
    if (!drop) kept += utf8[next];
    i = next + (drop ? 3 : 1);
  }
  return kept;
}

void AnyKanvio::SaveToFile(const std::string& data) {
  platform::WriteFileAtomically(platform::PathFromUtf8(Settings().WEBSERVICE_RESULT_FILEPATH()),
                                RemoveNonDataCharacters(data) + "\r\n");
}

void AnyKanvio::SaveAsMergedXml(const std::vector<std::string>& pages, int& errorCounter) {
  Settings settings;
  MergedArticleFile::SaveAsMergedXml(pages, settings.WEBSERVICE_PASSWORD(),
                                     platform::PathFromUtf8(settings.WEBSERVICE_RESULT_FILEPATH()),
                                     errorCounter);
}

}  // namespace kanvio
