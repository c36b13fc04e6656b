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
  // Most names and values need no escape at all: copied in runs, a request
  // costs a few allocations rather than a push per character.
  std::size_t run = 0;
  while (run < value.size() && IsUnreserved(static_cast<unsigned char>(value[run]))) ++run;
  std::string out;
  if (run == value.size()) {
    out.assign(value);
    return out;
  }
  out.reserve(value.size() + (value.size() - run) * 2);
  out.append(value.substr(0, run));
  for (char ch : value.substr(run)) {
    const auto c = static_cast<unsigned char>(ch);
    if (IsUnreserved(c)) {
      out.push_back(ch);
    } else {
      const char escaped[] = {'%', kHex[c >> 4], kHex[c & 0x0F]};
      out.append(escaped, sizeof escaped);
    }
  }
  return out;
}

std::string MwsCanonicalQuery(const MwsParameters& parameters) {
  std::vector<std::pair<std::string, std::string>> encoded;
  encoded.reserve(parameters.size());
  std::size_t size = 0;
  for (const auto& [name, value] : parameters) {
    encoded.emplace_back(MwsPercentEncode(name), MwsPercentEncode(value));
    size += encoded.back().first.size() + encoded.back().second.size() + 2;
  }
  // Byte order of the encoded names; a stable sort keeps repeated names as
  // given. The pairs stay where they are: only their places are sorted.
  std::vector<const std::pair<std::string, std::string>*> order;
  order.reserve(encoded.size());
  for (const auto& pair : encoded) order.push_back(&pair);
  std::stable_sort(order.begin(), order.end(),
                   [](const auto* a, const auto* b) { return a->first < b->first; });
  std::string query;
  query.reserve(size);
  for (const auto* pair : order) {
    if (!query.empty()) query.push_back('&');
    query += pair->first;
    query.push_back('=');
    query += pair->second;
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
  // yyyy-MM-ddTHH:mm:ssZ, by hand: every request carries one.
  std::string text = "0000-00-00T00:00:00Z";
  const auto put = [&text](std::size_t at, int value, int digits) {
    for (int i = digits - 1; i >= 0; --i, value /= 10) text[at + std::size_t(i)] = char('0' + value % 10);
  };
  if (utc.year < 0 || utc.year > 9999) {
    char wide[48];
    std::snprintf(wide, sizeof wide, "%04d-%02d-%02dT%02d:%02d:%02dZ", utc.year, utc.month, utc.day, utc.hour,
                  utc.minute, utc.second);
    return wide;
  }
  put(0, utc.year, 4);
  put(5, utc.month, 2);
  put(8, utc.day, 2);
  put(11, utc.hour, 2);
  put(14, utc.minute, 2);
  put(17, utc.second, 2);
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
  const std::string signature = MwsPercentEncode(MwsSign(signed_request.string_to_sign, secret));
  signed_request.body.reserve(query.size() + signature.size() + 11);
  signed_request.body.append(query).append("&Signature=").append(signature);
  return signed_request;
}

}  // namespace kanvio::net
