#include "shops/rest/AnyKanvio.h"

#include <chrono>
#include <fstream>
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

// Length of the UTF-8 sequence starting at text[i] and its code point, or
// 0 when the bytes there are not a well-formed sequence.
std::size_t DecodeUtf8(std::string_view text, std::size_t i, char32_t& code_point) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char lead = byte(i);
  std::size_t length = lead < 0x80           ? 1
                       : (lead >> 5) == 0x6  ? 2
                       : (lead >> 4) == 0xE  ? 3
                       : (lead >> 3) == 0x1E ? 4
                                             : 0;
  if (length == 0 || i + length > text.size()) return 0;
  code_point = length == 1 ? lead : lead & (0x7F >> length);
  for (std::size_t k = 1; k < length; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
    code_point = (code_point << 6) | (byte(i + k) & 0x3F);
  }
  return length;
}

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

std::string AnyKanvio::RemoveFfCharacters(std::string_view utf8) {
  std::string kept;
  kept.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    char32_t code_point = 0;
    const std::size_t length = DecodeUtf8(utf8, i, code_point);
    if (length == 0) {  // not UTF-8: kept as it came
      kept += utf8[i++];
      continue;
    }
    if (code_point > 0xFFFF || (code_point & 0xFF) != 0xFF) kept.append(utf8.substr(i, length));
    i += length;
  }
  return kept;
}

void AnyKanvio::SaveToFile(const std::string& data) {
  platform::WriteFileAtomically(platform::PathFromUtf8(Settings().WEBSERVICE_RESULT_FILEPATH()),
                                RemoveFfCharacters(data) + "\r\n");
}

void AnyKanvio::SaveAsMergedXml(const std::vector<std::string>& pages, int& errorCounter) {
  Settings settings;
  MergedArticleFile::SaveAsMergedXml(pages, settings.WEBSERVICE_PASSWORD(),
                                     platform::PathFromUtf8(settings.WEBSERVICE_RESULT_FILEPATH()),
                                     errorCounter);
}

}  // namespace kanvio
