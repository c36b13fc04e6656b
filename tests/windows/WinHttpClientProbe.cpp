// Checks the WinHTTP client against the servers of FakeHttpServer.cpp. Runs
// on Windows or under Wine: WinHttpClientProbe http=<port> https=<port>
// raw=<port> closed=<port>. Prints one line per check and closes with
// "N passed, N failed, N skipped"; the exit code is 1 when a check failed.

#include <chrono>
#include <cstdio>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "HttpRequests.h"
#include "platform/HttpClient.h"
#include "support/Error.h"

namespace kanvio::platform {
namespace {

using namespace std::chrono_literals;

class Checks {
 public:
  void Expect(bool ok, const std::string& name, const std::string& detail = {}) {
    std::printf("%s - %s%s%s\n", ok ? "ok" : "FAIL", name.c_str(), ok || detail.empty() ? "" : ": ",
                ok ? "" : detail.c_str());
    std::fflush(stdout);  // a slow run under Wine shows its progress
    ++(ok ? passed_ : failed_);
  }
  void ExpectEqual(const std::string& actual, const std::string& expected, const std::string& name) {
    Expect(actual == expected, name, "got \"" + actual + "\", expected \"" + expected + "\"");
  }
  void ExpectContains(const std::string& actual, const std::string& part, const std::string& name) {
    Expect(actual.find(part) != std::string::npos, name, "\"" + actual + "\" lacks \"" + part + "\"");
  }
  void Skip(const std::string& name, const std::string& reason) {
    std::printf("skipped - %s: %s\n", name.c_str(), reason.c_str());
    ++skipped_;
  }
  // Runs a group; an exception that escapes it counts as one failure.
  void Group(const std::string& name, const std::function<void()>& body) {
    try {
      body();
    } catch (const std::exception& e) {
      Expect(false, name, std::string("unexpected exception: ") + e.what());
    }
  }
  int Finish() const {
    std::printf("%d passed, %d failed, %d skipped\n", passed_, failed_, skipped_);
    return failed_ == 0 ? 0 : 1;
  }

 private:
  int passed_ = 0;
  int failed_ = 0;
  int skipped_ = 0;
};

struct Servers {
  std::string http;
  std::string https;
  std::string raw;
  std::string closed;
};

using test::Get;
using test::Post;

// The message of the TransportError the request ends in; "no TransportError" otherwise.
std::string TransportFailure(HttpClient& client, const HttpRequest& request) {
  try {
    const HttpResponse response = client.Send(request);
    return "no TransportError but status " + std::to_string(response.status);
  } catch (const TransportError& e) {
    return e.what();
  } catch (const std::exception& e) {
    return std::string("no TransportError but ") + e.what();
  }
}

// What FakeHttpServer's /echo saw: method, headers, body.
struct Echoed {
  std::string method;
  std::map<std::string, std::string> headers;
  std::string body;
};

Echoed ParseEcho(const std::string& text) {
  Echoed echoed;
  std::size_t pos = text.find('\n');
  echoed.method = text.substr(0, pos);
  for (++pos; pos < text.size() && text[pos] != '\n';) {
    const std::size_t end = text.find('\n', pos);
    const std::string line = text.substr(pos, end - pos);
    const std::size_t colon = line.find(": ");
    echoed.headers[line.substr(0, colon)] = colon == std::string::npos ? "" : line.substr(colon + 2);
    pos = end + 1;
  }
  echoed.body = pos < text.size() ? text.substr(pos + 1) : "";
  return echoed;
}

std::string Names(const std::map<std::string, std::string>& headers) {
  std::string names;
  for (const auto& [name, value] : headers) names += (names.empty() ? "" : ",") + name;
  return names;
}

void CheckAnswers(Checks& checks, const Servers& servers) {
  auto client = CreateHttpClient();
  for (int status : {200, 404, 500, 501}) {
    const std::string name = "status " + std::to_string(status);
    const HttpResponse response = client->Send(Get(servers.http + "/status/" + std::to_string(status)));
    checks.Expect(response.status == status, name + " kept", "got " + std::to_string(response.status));
    checks.ExpectEqual(response.body, "Antwort " + std::to_string(status), name + " body");
    checks.ExpectEqual(response.content_type, "text/xml; charset=utf-8", name + " content type");
    checks.ExpectEqual(response.Header("x-probe").value_or(""), "ja", name + " header");
  }
  const HttpResponse big = client->Send(Get(servers.http + "/big"));
  bool pattern = big.body.size() == (3u << 20);
  for (std::size_t i = 0; pattern && i < big.body.size(); i += 4099)
    pattern = big.body[i] == static_cast<char>('a' + i % 26);
  checks.Expect(pattern, "3 MB body read whole", "size " + std::to_string(big.body.size()));
  checks.ExpectEqual(client->Send(Get(servers.http + "/chunked")).body, std::string(3000, 'c'),
                     "chunked body");
  checks.ExpectEqual(client->Send(Get(servers.http + "/status/204")).body, "", "204 without body");
  checks.ExpectEqual(client->Send(Get(servers.http + "/status/200?id=A 1")).body, "Antwort 200",
                     "blank in the address sent encoded");

  const HttpResponse folded = client->Send(Get(servers.raw + "/folded"));
  checks.ExpectEqual(folded.Header("X-Gefaltet").value_or("(none)"), "erste zweite", "folded header joined");
  checks.ExpectEqual(folded.Header("X-Umlaut").value_or("(none)"),
                     "Gr\xC3\xB6\xC3\x9F"
                     "e",
                     "UTF-8 header value kept");
}

void CheckRedirects(Checks& checks, const Servers& servers) {
  auto client = CreateHttpClient();
  const HttpResponse moved = client->Send(Get(servers.http + "/alt"));
  checks.Expect(moved.status == 200 && moved.body == "Antwort 200", "302 followed");
  checks.Expect(!moved.Header("Location"), "headers of the redirect itself dropped");
  const HttpResponse posted = client->Send(Post(servers.http + "/alt", "<row/>"));
  checks.ExpectEqual(posted.Header("X-Method").value_or(""), "GET", "POST goes on as GET after 302");
  const Echoed kept = ParseEcho(client->Send(Post(servers.http + "/keep", "<row/>")).body);
  checks.Expect(kept.method == "POST" && kept.body == "<row/>", "307 keeps POST and body",
                kept.method + " " + kept.body);
  checks.ExpectEqual(client->Send(Get(servers.http + "/dir/relative")).body, "Antwort 200",
                     "relative Location");
  checks.ExpectEqual(client->Send(Get(servers.http + "/hops/10")).body, "angekommen",
                     "10 redirects followed");
  checks.ExpectContains(TransportFailure(*client, Get(servers.http + "/hops/11")),
                        "/hops/11 ist fehlgeschlagen: Mehr als 10 Weiterleitungen", "11th redirect refused");
}

void CheckSentHeaders(Checks& checks, const Servers& servers) {
  struct Case {
    const char* name;
    HttpRequest request;
    const char* expected_names;
  };
  const HttpHeaders xml = {
      {"User-Agent", "shop-login"}, {"Content-Type", "text/xml"}, {"Content-Encoding", "UTF-8"}};
  const std::string url = servers.http + "/echo";
  auto get = Get(url);
  get.headers = {{"User-Agent", "shop-login"}};
  const Case cases[] = {
      {"utf-8 body",
       Post(url,
            "<Artikelexport><row>Gr\xC3\xB6\xC3\x9F"
            "e 5 \xE2\x82\xAC</row></Artikelexport>",
            xml),
       "Content-Encoding,Content-Length,Content-Type,Host,User-Agent"},
      {"2 MB body", Post(url, std::string(2 << 20, 'x'), xml),
       "Content-Encoding,Content-Length,Content-Type,Host,User-Agent"},
      {"empty post", Post(url, ""), "Content-Length,Host"},
      {"get", get, "Host,User-Agent"},
  };
  auto client = CreateHttpClient();
  client->Send(Get(servers.http + "/cookie"));  // a cookie that must not come back
  for (const Case& c : cases) {
    const Echoed echoed = ParseEcho(client->Send(c.request).body);
    std::map<std::string, std::string> headers = echoed.headers;
    headers.erase("Connection");  // WinHTTP's own keep-alive header, see below
    checks.ExpectEqual(Names(headers), c.expected_names,
                       std::string(c.name) + ": exactly the caller's headers");
    checks.Expect(echoed.body == c.request.body, std::string(c.name) + ": body unchanged",
                  std::to_string(echoed.body.size()) + " bytes");
    for (const auto& [name, value] : c.request.headers)
      checks.ExpectEqual(headers[name], value, std::string(c.name) + ": " + name);
    if (c.request.method == HttpMethod::kPost)
      checks.ExpectEqual(headers["Content-Length"], std::to_string(c.request.body.size()),
                         std::string(c.name) + ": Content-Length");
    const auto connection = echoed.headers.find("Connection");
    checks.Expect(connection == echoed.headers.end() || connection->second == "Keep-Alive",
                  std::string(c.name) + ": no Connection header but WinHTTP's Keep-Alive");
  }
}

void CheckRefusals(Checks& checks, const Servers& servers) {
  auto client = CreateHttpClient();
  struct Case {
    const char* name;
    HttpRequest request;
  };
  auto injected = Get(servers.http + "/echo");
  injected.headers = {{"User-Agent", "login\r\nX-Injected: 1"}};
  auto colon = Get(servers.http + "/echo");
  colon.headers = {{"X-Name: Wert", "1"}};
  auto get_with_body = Get(servers.http + "/echo");
  get_with_body.body = "x";
  for (const Case& c : {Case{"header value with line break", injected}, Case{"header name with colon", colon},
                        Case{"GET with body", get_with_body}}) {
    std::string outcome = "sent";
    try {
      client->Send(c.request);
    } catch (const TransportError& e) {
      outcome = std::string("TransportError ") + e.what();
    } catch (const Error&) {
      outcome = "refused";
    }
    checks.ExpectEqual(outcome, "refused", std::string(c.name) + " refused before sending");
  }
  checks.ExpectContains(TransportFailure(*client, Get("http://127.0.0.1:80x/")), "ist fehlgeschlagen",
                        "malformed address");
}

void CheckBasicAuthentication(Checks& checks, const Servers& servers) {
  auto client = CreateHttpClient();
  HttpRequest request = Post(servers.http + "/auth", "<Envelope/>");
  request.basic_auth = BasicCredentials{
      "/Shops/DemoShop/Users/admin\x01"
      "app",
      "geh\xC3\xA9im"};
  const HttpResponse response = client->Send(request);
  checks.Expect(response.status == 200, "Basic authentication with the first request, UTF-8",
                "status " + std::to_string(response.status));
}

void CheckTransportErrors(Checks& checks, const Servers& servers) {
  auto client = CreateHttpClient();
  const std::string closed_host = servers.closed.substr(std::string("http://").size());
  checks.ExpectContains(
      TransportFailure(*client, Get(servers.closed + "/x")),
      "Die Verbindung zu " + closed_host + " konnte nicht hergestellt werden: ", "refused connection");
  struct Case {
    const char* path;
    const char* expected;
  };
  // An answer without a single byte is "unterbrochen" with curl; WinHTTP
  // reports it as an invalid answer, which reads "ist fehlgeschlagen".
  for (const Case& c : {Case{"/empty", "ist fehlgeschlagen"}, Case{"/partial", "wurde unterbrochen"},
                        Case{"/garbage", "ist fehlgeschlagen"}}) {
    auto fresh = CreateHttpClient();
    checks.ExpectContains(TransportFailure(*fresh, Post(servers.raw + c.path, "<row/>")), c.expected,
                          std::string("broken answer ") + c.path);
  }
  const std::string raw_host = servers.raw.substr(std::string("http://").size());
  auto fresh = CreateHttpClient();
  const std::string named =
      TransportFailure(*fresh, Post("http://kunde:geheim@" + raw_host + "/garbage?token=t0k3n", "<row/>"));
  checks.Expect(named.find("geheim") == std::string::npos && named.find("t0k3n") == std::string::npos,
                "failure names the address without credentials", named);
}

void CheckTimeouts(Checks& checks, const Servers& servers) {
  struct Case {
    const char* name;
    std::chrono::milliseconds total;
    std::chrono::milliseconds inactivity;
  };
  auto client = CreateHttpClient();
  for (const Case& c : {Case{"total", 300ms, 0ms}, Case{"inactivity", 60s, 1s}}) {
    HttpRequest request = Get(servers.http + "/slow");
    request.total_timeout = c.total;
    request.inactivity_timeout = c.inactivity;
    const auto start = std::chrono::steady_clock::now();
    checks.ExpectEqual(TransportFailure(*client, request),
                       "Zeitüberschreitung bei der Anfrage an " + request.url,
                       std::string(c.name) + " time-out message");
    const auto elapsed = std::chrono::steady_clock::now() - start;
    checks.Expect(
        elapsed < 20s, std::string(c.name) + " time-out ends the request early",
        std::to_string(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count()) + " ms");
    client->Send(Get(servers.http + "/release"));
    checks.ExpectEqual(client->Send(Get(servers.http + "/status/200")).body, "Antwort 200",
                       std::string(c.name) + ": client usable afterwards");
  }
}

void CheckKeepAlive(Checks& checks, const Servers& servers) {
  auto client = CreateHttpClient();
  std::set<std::string> ports;
  for (int i = 0; i < 50; ++i) {
    if (i % 5 == 4)
      client->Send(Get(servers.http + "/status/500"));
    else
      client->Send(Post(servers.http + "/echo", "<row/>"));
    ports.insert(client->Send(Get(servers.http + "/port")).body);
  }
  checks.Expect(ports.size() == 1, "100 requests share one connection",
                std::to_string(ports.size()) + " connections");
}

// Windows names the certificate as the reason; Wine's WinHTTP reports only
// that the secure channel failed. Either way the request must not get through.
void ExpectCertificateRefused(Checks& checks, HttpClient& client, const HttpRequest& request,
                              const std::string& name) {
  const std::string failure = TransportFailure(client, request);
  checks.Expect(failure.find("Zertifikat") != std::string::npos ||
                    failure.find("verschlüsselte Verbindung") != std::string::npos,
                name, failure);
}

std::string Negotiated(HttpClient& client, const HttpRequest& request) {
  try {
    return client.Send(request).body;
  } catch (const std::exception& e) {
    return e.what();
  }
}

void CheckTls(Checks& checks, const Servers& servers) {
  auto client = CreateHttpClient();
  HttpRequest validating = Get(servers.https + "/tls");
  HttpRequest accepting = validating;
  accepting.certificate_policy = CertificatePolicy::kAcceptInvalid;
  ExpectCertificateRefused(checks, *client, validating, "self-signed certificate refused");
  const HttpResponse accepted = client->Send(accepting);
  checks.Expect(accepted.status == 200, "self-signed certificate taken with kAcceptInvalid");
  ExpectCertificateRefused(checks, *client, validating,
                           "connection opened without validation does not serve a validating request");

  struct Case {
    std::set<TlsVersion> allowed;
    const char* expected;
  };
  const Case cases[] = {
      {{}, "TLSv1.3"},
      {{TlsVersion::kTls12}, "TLSv1.2"},
      {{TlsVersion::kTls13}, "TLSv1.3"},
      {{TlsVersion::kTls12, TlsVersion::kTls13}, "TLSv1.3"},
      {{TlsVersion::kTls10, TlsVersion::kTls11, TlsVersion::kTls12}, "TLSv1.2"},
  };
  // A system whose own choice is below TLS 1.3 (Wine 8) cannot be held to it.
  bool system_has_tls13 = true;
  for (const Case& c : cases) {
    HttpRequest request = accepting;
    request.tls_versions = c.allowed;
    const std::string name = std::string("TLS versions allowing ") + c.expected;
    if (!system_has_tls13 && std::string(c.expected) == "TLSv1.3") {
      checks.Skip(name, "the system does not negotiate TLS 1.3");
      continue;
    }
    const std::string negotiated = Negotiated(*client, request);
    if (c.allowed.empty() && negotiated == "TLSv1.2") {
      system_has_tls13 = false;
      checks.Skip(name, "the system's own choice is TLS 1.2");
      continue;
    }
    checks.ExpectEqual(negotiated, c.expected, name);
  }
}

}  // namespace
}  // namespace kanvio::platform

int main(int argc, char** argv) {
  using namespace kanvio::platform;
  std::map<std::string, std::string> ports;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    const std::size_t equals = argument.find('=');
    if (equals != std::string::npos) ports[argument.substr(0, equals)] = argument.substr(equals + 1);
  }
  if (ports.size() != 4) {
    std::fprintf(stderr, "usage: %s http=<port> https=<port> raw=<port> closed=<port>\n", argv[0]);
    return 2;
  }
  const Servers servers{"http://127.0.0.1:" + ports["http"], "https://127.0.0.1:" + ports["https"],
                        "http://127.0.0.1:" + ports["raw"], "http://127.0.0.1:" + ports["closed"]};
  Checks checks;
  checks.Group("answers", [&] { CheckAnswers(checks, servers); });
  checks.Group("redirects", [&] { CheckRedirects(checks, servers); });
  checks.Group("sent headers", [&] { CheckSentHeaders(checks, servers); });
  checks.Group("refusals", [&] { CheckRefusals(checks, servers); });
  checks.Group("basic authentication", [&] { CheckBasicAuthentication(checks, servers); });
  checks.Group("transport errors", [&] { CheckTransportErrors(checks, servers); });
  checks.Group("time-outs", [&] { CheckTimeouts(checks, servers); });
  checks.Group("keep-alive", [&] { CheckKeepAlive(checks, servers); });
  checks.Group("tls", [&] { CheckTls(checks, servers); });
  return checks.Finish();
}
