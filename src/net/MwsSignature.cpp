#include "net/MwsSignature.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "platform/Crypto.h"

namespace kanvio::net {
namespace {

constexpr char kHex[] = "0123456789ABCDEF";

constexpr auto kUnreserved = [] {
  std::array<bool, 256> table{};
  for (int c = 0; c < 256; ++c)
    table[std::size_t(c)] = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                            c == '-' || c == '_' || c == '.' || c == '~';
  return table;
}();

bool IsUnreserved(char c) { return kUnreserved[static_cast<unsigned char>(c)]; }

// Byte-wise, as std::string_view compares; the names mostly differ in their
// first byte, which is looked at before any call.
bool NameBefore(std::string_view a, std::string_view b) {
  if (!a.empty() && !b.empty() && a[0] != b[0])
    return static_cast<unsigned char>(a[0]) < static_cast<unsigned char>(b[0]);
  return a < b;
}

bool IsPlain(std::string_view text) {
  for (char c : text) {
    if (!IsUnreserved(c)) return false;
  }
  return true;
}

// Most names and values need no escape at all: copied in runs straight into
// the request, not a string per value.
void AppendEncoded(std::string& out, std::string_view value) {
  for (std::size_t i = 0; i < value.size();) {
    std::size_t run = i;
    while (run < value.size() && IsUnreserved(value[run])) ++run;
    out.append(value.data() + i, run - i);
    if (run == value.size()) return;
    const auto c = static_cast<unsigned char>(value[run]);
    const char escaped[] = {'%', kHex[c >> 4], kHex[c & 0x0F]};
    out.append(escaped, sizeof escaped);
    i = run + 1;
  }
}

// Sorts `parameters` (the callers' own copies) in place.
void AppendCanonicalQuery(std::string& out, MwsParameterViews& parameters) {
  // Sorted by the encoded names; the connector's own names are plain and
  // their own encoding, so only others get a string of their own.
  std::vector<std::string> encoded_names;
  if (!std::all_of(parameters.begin(), parameters.end(), [](const auto& p) { return IsPlain(p.first); })) {
    encoded_names.reserve(parameters.size());
    for (const auto& parameter : parameters) encoded_names.push_back(MwsPercentEncode(parameter.first));
  }
  MwsParameterViews& order = parameters;
  for (std::size_t i = 0; i < encoded_names.size(); ++i) order[i].first = encoded_names[i];
  // Insertion sort: stable, so repeated names stay as given, and without the
  // buffer std::stable_sort allocates for a dozen parameters.
  for (std::size_t i = 1; i < order.size(); ++i) {
    auto parameter = order[i];
    std::size_t j = i;
    for (; j > 0 && NameBefore(parameter.first, order[j - 1].first); --j) order[j] = order[j - 1];
    order[j] = parameter;
  }
  std::size_t size = 0;
  for (const auto& [name, value] : order) size += name.size() + value.size() + 2;
  // With room for the signature that follows.
  out.reserve(out.size() + size + 160);
  bool first = true;
  for (const auto& [name, value] : order) {
    if (!first) out.push_back('&');
    first = false;
    out.append(name).push_back('=');
    AppendEncoded(out, value);
  }
}

// The string to sign; the canonical query starts at query_start.
std::string SignedText(MwsParameterViews& parameters, std::string_view access_key_id, std::string_view host,
                       std::string_view path, std::string_view timestamp, std::size_t& query_start) {
  parameters.emplace_back("AWSAccessKeyId", access_key_id);
  parameters.emplace_back("SignatureMethod", "HmacSHA256");
  parameters.emplace_back("SignatureVersion", "2");
  parameters.emplace_back("Timestamp", timestamp);
  std::string text;
  // Enough for most requests with their signature: one allocation.
  text.reserve(512);
  text.append("POST\n");
  for (char c : host) text.push_back(c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c);
  text.push_back('\n');
  text.append(path.empty() ? std::string_view("/") : path).push_back('\n');
  query_start = text.size();
  AppendCanonicalQuery(text, parameters);
  return text;
}

}  // namespace

std::string MwsPercentEncode(std::string_view value) {
  std::string out;
  out.reserve(value.size());
  AppendEncoded(out, value);
  return out;
}

std::string MwsCanonicalQuery(const MwsParameters& parameters) {
  MwsParameterViews views(parameters.begin(), parameters.end());
  std::string query;
  AppendCanonicalQuery(query, views);
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
  // The HMAC takes byte vectors: buffers kept per thread spare two
  // allocations on every request signed.
  thread_local platform::Bytes key, text;
  // As bytes, so that the copy is one memmove rather than a loop.
  const auto bytes = [](std::string_view view) { return reinterpret_cast<const std::uint8_t*>(view.data()); };
  key.assign(bytes(secret), bytes(secret) + secret.size());
  text.assign(bytes(string_to_sign), bytes(string_to_sign) + string_to_sign.size());
  return platform::Base64Encode(platform::HmacSha256(key, text));
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
  MwsParameterViews views(parameters.begin(), parameters.end());
  views.reserve(parameters.size() + 4);
  const std::string timestamp = MwsTimestamp(now);
  std::size_t query_start = 0;
  SignedRequest signed_request;
  signed_request.string_to_sign = SignedText(views, access_key_id, host, path, timestamp, query_start);
  const std::string signature = MwsSign(signed_request.string_to_sign, secret);
  signed_request.body.reserve(signed_request.string_to_sign.size() - query_start + 11 + signature.size() * 3);
  signed_request.body.append(signed_request.string_to_sign, query_start).append("&Signature=");
  AppendEncoded(signed_request.body, signature);
  return signed_request;
}

std::string MwsSignedBody(MwsParameterViews parameters, std::string_view access_key_id,
                          std::string_view secret, std::string_view host, std::string_view path,
                          platform::UtcTime now) {
  const std::string timestamp = MwsTimestamp(now);
  std::size_t query_start = 0;
  std::string text = SignedText(parameters, access_key_id, host, path, timestamp, query_start);
  const std::string signature = MwsSign(text, secret);
  // The body is the signed query: the head goes, the signature follows.
  text.erase(0, query_start);
  text.append("&Signature=");
  AppendEncoded(text, signature);
  return text;
}

}  // namespace kanvio::net
