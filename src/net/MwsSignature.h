#pragma once
// Signature Version 2 of the marketplace web service: every request carries
// its parameters, a time stamp and an HMAC-SHA256 over a canonical form of
// them, keyed with the secret key.

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/Clock.h"

namespace kanvio::net {

// Name and value of each request parameter, in any order.
using MwsParameters = std::vector<std::pair<std::string, std::string>>;
// The same, for parameters whose texts the caller keeps.
using MwsParameterViews = std::vector<std::pair<std::string_view, std::string_view>>;

// RFC 3986: A-Z a-z 0-9 - _ . ~ stay, every other byte becomes %XY (upper-case hex).
std::string MwsPercentEncode(std::string_view value);

// Encoded name=value pairs sorted by name in byte order and joined with "&".
std::string MwsCanonicalQuery(const MwsParameters& parameters);

// host is the Host header as sent: lower-case, ":port" only when not the
// scheme's default. An empty path counts as "/".
std::string MwsStringToSign(std::string_view verb, std::string_view host, std::string_view path,
                            std::string_view canonical_query);

// Base64 of HMAC-SHA256(secret, string_to_sign).
std::string MwsSign(std::string_view string_to_sign, std::string_view secret);

// "2017-02-05T18:12:21Z": UTC, whole seconds.
std::string MwsTimestamp(platform::UtcTime instant);

// The body of a signed POST: the canonical query followed by the encoded
// signature. Adds AWSAccessKeyId, SignatureMethod, SignatureVersion and
// Timestamp (now) to the caller's parameters.
struct SignedRequest {
  std::string string_to_sign;
  std::string body;
};
SignedRequest MwsSignRequest(MwsParameters parameters, std::string_view access_key_id,
                             std::string_view secret, std::string_view host, std::string_view path,
                             platform::UtcTime now);
// The body alone, as MwsSignRequest makes it, without copying the
// parameters: every request of an import is signed.
std::string MwsSignedBody(MwsParameterViews parameters, std::string_view access_key_id,
                          std::string_view secret, std::string_view host, std::string_view path,
                          platform::UtcTime now);

}  // namespace kanvio::net
