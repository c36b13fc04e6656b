#include "net/MwsSignature.h"

#include <algorithm>
#include <cstdio>

#include "platform/Crypto.h"

namespace kanvio::net {
namespace {

bool IsUnreserved(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_' ||
         c == '.' || c == '~';
}

}  // namespace

std::string MwsPercentEncode(std::string_view value) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(value.size() * 3 / 2);
  for (char ch : value) {
    const auto c = static_cast<unsigned char>(ch);
    if (IsUnreserved(c)) {
      out.push_back(ch);
    } else {
      out.push_back('%');
      out.push_back(kHex[c >> 4]);
      out.push_back(kHex[c & 0x0F]);
    }
  }
  return out;
}

std::string MwsCanonicalQuery(const MwsParameters& parameters) {
  std::vector<std::pair<std::string, std::string>> encoded;
  encoded.reserve(parameters.size());
  for (const auto& [name, value] : parameters)
    encoded.emplace_back(MwsPercentEncode(name), MwsPercentEncode(value));
  // Byte order of the encoded names; a stable sort keeps repeated names as given.
  std::stable_sort(encoded.begin(), encoded.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  std::string query;
  for (const auto& [name, value] : encoded) {
    if (!query.empty()) query.push_back('&');
    query += name;
    query.push_back('=');
    query += value;
  }
  return query;
}

std::string MwsStringToSign(std::string_view verb, std::string_view host, std::string_view path,
                            std::string_view canonical_query) {
  std::string text;
  text.reserve(verb.size() + host.size() + path.size() + canonical_query.size() + 4);
  text.append(verb).push_back('\n');
  for (char c : host) text.push_back(c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c);
  text.push_back('\n');
  text.append(path.empty() ? std::string_view("/") : path).push_back('\n');
  text.append(canonical_query);
  return text;
}

std::string MwsSign(std::string_view string_to_sign, std::string_view secret) {
  return platform::Base64Encode(
      platform::HmacSha256(platform::ToBytes(secret), platform::ToBytes(string_to_sign)));
}

std::string MwsTimestamp(platform::UtcTime instant) {
  const LocalDateTime utc = platform::UtcCalendar(instant);
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02dZ", utc.year, utc.month, utc.day, utc.hour,
                utc.minute, utc.second);
  return text;
}

SignedRequest MwsSignRequest(MwsParameters parameters, std::string_view access_key_id,
                             std::string_view secret, std::string_view host, std::string_view path,
                             platform::UtcTime now) {
  parameters.emplace_back("AWSAccessKeyId", access_key_id);
  parameters.emplace_back("SignatureMethod", "HmacSHA256");
  parameters.emplace_back("SignatureVersion", "2");
  parameters.emplace_back("Timestamp", MwsTimestamp(now));
  SignedRequest signed_request;
  const std::string query = MwsCanonicalQuery(parameters);
  signed_request.string_to_sign = MwsStringToSign("POST", host, path, query);
  signed_request.body =
      query + "&Signature=" + MwsPercentEncode(MwsSign(signed_request.string_to_sign, secret));
  return signed_request;
}

}  // namespace kanvio::net
