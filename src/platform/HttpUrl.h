#pragma once
// An http or https address taken apart, for a client that opens connections
// and follows redirects itself (the WinHTTP one). Plain C++, no system calls.

#include <optional>
#include <string>
#include <string_view>

namespace kanvio::platform {

struct HttpUrl {
  bool secure = false;
  // "user:password" as written in the address (still percent-encoded); empty without.
  std::string user_info;
  // As written; an IPv6 address keeps its brackets.
  std::string host;
  int port = 80;
  bool explicit_port = false;
  // Path and query as sent in the request line: "/" at least, never a fragment.
  std::string target;

  // nullopt unless `url` is an absolute http or https address with a host,
  // a port of 1 to 65535 if any, and no blank or control character.
  static std::optional<HttpUrl> Parse(std::string_view url);

  // Where a Location header points, taken relative to this address;
  // nullopt for anything but an http or https address.
  std::optional<HttpUrl> Resolve(std::string_view location) const;

  // "host" or "host:port" when the address names the port.
  std::string Authority() const;
  // The address without user and password, for messages.
  std::string ToString() const;
  // Same scheme, host (ignoring case) and port: credentials may go there.
  bool SameOrigin(const HttpUrl& other) const;
};

// The address a request sends for url: blanks around it dropped, and in
// path, query and fragment every byte an address cannot hold percent-encoded
// (blanks, control characters, bytes of non-ASCII characters, the
// characters "<>\"\\^`{|}" and a "%" that starts no escape). Scheme and
// authority stay as written; text that is already encoded stays as it is.
std::string EncodeRequestUrl(std::string_view url);

// The address for messages and log lines: without user and password, and
// with "***" for the value of every query parameter whose name speaks of a
// secret (password, token, key, signature, ...). Any text is accepted, also
// one that is no valid address.
std::string RedactedUrl(std::string_view url);

}  // namespace kanvio::platform
