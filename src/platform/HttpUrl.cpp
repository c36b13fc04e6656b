#include "platform/HttpUrl.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <iterator>
#include <vector>

#include "support/Text.h"

namespace kanvio::platform {
namespace {

bool IsBlankOrControl(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte <= 0x20 || byte == 0x7F;
}

bool HasBlankOrControl(std::string_view text) {
  return std::any_of(text.begin(), text.end(), IsBlankOrControl);
}

std::string_view WithoutFragment(std::string_view reference) {
  return reference.substr(0, reference.find('#'));
}

// "." and ".." segments resolved away, so that "/shop/../sync.php" reaches
// the same script as it would from a browser.
std::string RemoveDotSegments(std::string_view path) {
  std::vector<std::string_view> segments;
  bool ends_in_directory = false;
  for (std::size_t pos = 1;;) {
    const std::size_t end = path.find('/', pos);
    const std::string_view segment = path.substr(pos, end == std::string_view::npos ? end : end - pos);
    ends_in_directory = segment == "." || segment == "..";
    if (segment == "..") {
      if (!segments.empty()) segments.pop_back();
    } else if (segment != ".") {
      segments.push_back(segment);
    }
    if (end == std::string_view::npos) break;
    pos = end + 1;
  }
  std::string result;
  for (std::string_view segment : segments) result.append("/").append(segment);
  if (ends_in_directory || result.empty()) result += '/';
  return result;
}

// A path (starting with "/") with an optional query, as sent.
std::string NormalTarget(std::string_view reference) {
  const std::size_t query = reference.find('?');
  std::string target = RemoveDotSegments(reference.substr(0, query));
  if (query != std::string_view::npos) target.append(reference.substr(query));
  return target;
}

std::optional<int> ParsePort(std::string_view digits) {
  if (digits.empty() || digits.size() > 5) return std::nullopt;
  int port = 0;
  for (char c : digits) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return std::nullopt;
    port = port * 10 + (c - '0');
  }
  if (port < 1 || port > 65535) return std::nullopt;
  return port;
}

// Host and port of an authority without user info; false when malformed.
bool ParseHostAndPort(std::string_view host_port, HttpUrl& url) {
  std::size_t host_end = host_port.rfind(':');
  if (!host_port.empty() && host_port.front() == '[') {
    const std::size_t close = host_port.find(']');
    if (close == std::string_view::npos) return false;
    host_end = close + 1 < host_port.size() ? close + 1 : std::string_view::npos;
    if (host_end != std::string_view::npos && host_port[host_end] != ':') return false;
  }
  url.host = std::string(host_port.substr(0, host_end));
  if (url.host.empty()) return false;
  if (host_end == std::string_view::npos || host_end + 1 == host_port.size())
    return true;  // "host" or "host:"
  const std::optional<int> port = ParsePort(host_port.substr(host_end + 1));
  if (!port) return false;
  url.port = *port;
  url.explicit_port = true;
  return true;
}

bool HasScheme(std::string_view reference) {
  const std::size_t colon = reference.find(':');
  if (colon == 0 || colon == std::string_view::npos || colon > reference.find_first_of("/?#")) return false;
  return std::all_of(reference.begin(), reference.begin() + static_cast<std::ptrdiff_t>(colon), [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '+' || c == '-' || c == '.';
  });
}

bool IsHexDigit(char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; }

// The bytes an address cannot hold as they are; every request asks, so a table.
constexpr std::array<bool, 256> kUnfit = [] {
  std::array<bool, 256> unfit{};
  for (int byte = 0; byte < 256; ++byte) unfit[byte] = byte <= 0x20 || byte >= 0x7F;
  for (unsigned char c : std::string_view("<>\"\\^`{|}")) unfit[c] = true;
  return unfit;
}();

bool NeedsEncoding(std::string_view text, std::size_t i) {
  const auto byte = static_cast<unsigned char>(text[i]);
  if (byte == '%') return i + 2 >= text.size() || !IsHexDigit(text[i + 1]) || !IsHexDigit(text[i + 2]);
  return kUnfit[byte];
}

// Where the authority starts (after "scheme://", if any) and ends.
std::size_t AuthorityStart(std::string_view url) {
  const std::size_t separator = url.find("://");
  return separator == std::string_view::npos || separator > url.find_first_of("/?#") ? 0 : separator + 3;
}
std::size_t AfterAuthority(std::string_view url) {
  return std::min(url.find_first_of("/?#", AuthorityStart(url)), url.size());
}

// Parts of parameter names that mark their values as secrets.
constexpr std::string_view kSecretNameParts[] = {"pass", "pwd",  "token",      "secret", "signature",
                                                 "key",  "auth", "credential", "session"};

bool NamesSecret(std::string_view name) {
  const std::string lower = text::ToLower(name);
  return std::any_of(std::begin(kSecretNameParts), std::end(kSecretNameParts),
                     [&](std::string_view part) { return lower.find(part) != std::string::npos; });
}

std::string RedactedQuery(std::string_view query) {
  std::string redacted;
  for (std::size_t start = 0; start <= query.size();) {
    const std::size_t end = std::min(query.find('&', start), query.size());
    const std::string_view parameter = query.substr(start, end - start);
    const std::size_t equals = parameter.find('=');
    if (equals != std::string_view::npos && NamesSecret(parameter.substr(0, equals)))
      redacted.append(parameter.substr(0, equals + 1)).append("***");
    else
      redacted.append(parameter);
    if (end == query.size()) break;
    redacted += '&';
    start = end + 1;
  }
  return redacted;
}

}  // namespace

std::string EncodeRequestUrl(std::string_view url) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  const std::string_view trimmed = text::TrimView(url);
  const std::size_t rest = AfterAuthority(trimmed);
  std::size_t first = rest;
  while (first < trimmed.size() && !NeedsEncoding(trimmed, first)) ++first;
  if (first == trimmed.size()) return std::string(trimmed);  // the usual address: nothing to encode
  std::string encoded(trimmed.substr(0, first));
  for (std::size_t i = first; i < trimmed.size(); ++i) {
    if (!NeedsEncoding(trimmed, i)) {
      encoded += trimmed[i];
      continue;
    }
    const auto byte = static_cast<unsigned char>(trimmed[i]);
    encoded += '%';
    encoded += kHex[byte >> 4];
    encoded += kHex[byte & 15];
  }
  return encoded;
}

std::string RedactedUrl(std::string_view url) {
  std::string redacted;
  const std::size_t authority_end = AfterAuthority(url);
  const std::size_t at = url.substr(0, authority_end).rfind('@');
  if (at != std::string_view::npos)
    redacted.append(url.substr(0, AuthorityStart(url))).append(url.substr(at + 1, authority_end - at - 1));
  else
    redacted.append(url.substr(0, authority_end));
  const std::string_view rest = url.substr(authority_end);
  const std::size_t query = rest.find('?');
  const std::size_t fragment = std::min(rest.find('#'), rest.size());
  if (query == std::string_view::npos || query > fragment) return redacted.append(rest);
  redacted.append(rest.substr(0, query + 1));
  redacted.append(RedactedQuery(rest.substr(query + 1, fragment - query - 1)));
  return redacted.append(rest.substr(fragment));
}

std::optional<HttpUrl> HttpUrl::Parse(std::string_view url) {
  if (HasBlankOrControl(url)) return std::nullopt;
  const std::size_t separator = url.find("://");
  if (separator == std::string_view::npos) return std::nullopt;
  const std::string scheme = text::ToLower(url.substr(0, separator));
  if (scheme != "http" && scheme != "https") return std::nullopt;

  HttpUrl result;
  result.secure = scheme == "https";
  result.port = result.secure ? 443 : 80;
  const std::string_view rest = url.substr(separator + 3);
  const std::size_t authority_end = std::min(rest.find_first_of("/?#"), rest.size());
  const std::string_view authority = rest.substr(0, authority_end);
  const std::size_t at = authority.rfind('@');
  if (at != std::string_view::npos) result.user_info = std::string(authority.substr(0, at));
  if (!ParseHostAndPort(at == std::string_view::npos ? authority : authority.substr(at + 1), result))
    return std::nullopt;

  const std::string_view reference = WithoutFragment(rest.substr(authority_end));
  result.target = NormalTarget(reference.empty() || reference.front() == '?' ? "/" + std::string(reference)
                                                                             : std::string(reference));
  return result;
}

std::optional<HttpUrl> HttpUrl::Resolve(std::string_view location) const {
  // Servers put unencoded blanks into Location now and then; browsers send them as %20.
  const std::string encoded = text::ReplaceAll(text::Trim(location), " ", "%20");
  const std::string_view reference = WithoutFragment(encoded);
  if (HasBlankOrControl(reference)) return std::nullopt;
  if (HasScheme(reference)) return Parse(reference);
  if (reference.starts_with("//")) return Parse((secure ? "https:" : "http:") + std::string(reference));

  HttpUrl next = *this;
  if (reference.empty()) return next;
  const std::string_view path = std::string_view(target).substr(0, target.find('?'));
  if (reference.front() == '/') {
    next.target = NormalTarget(reference);
  } else if (reference.front() == '?') {
    next.target = NormalTarget(std::string(path) + std::string(reference));
  } else {
    next.target = NormalTarget(std::string(path.substr(0, path.rfind('/') + 1)) + std::string(reference));
  }
  return next;
}

std::string HttpUrl::Authority() const { return explicit_port ? host + ":" + std::to_string(port) : host; }

std::string HttpUrl::ToString() const { return (secure ? "https://" : "http://") + Authority() + target; }

bool HttpUrl::SameOrigin(const HttpUrl& other) const {
  return secure == other.secure && port == other.port && text::EqualsIgnoreCase(host, other.host);
}

}  // namespace kanvio::platform
