// The Linux side of the WinHTTP client probe: an HTTP server, an HTTPS
// server with a self-signed certificate and a raw TCP server for broken
// answers, all on 127.0.0.1. Prints its ports as one line
// "http=<port> https=<port> raw=<port> closed=<port>" and serves until its
// standard input closes, so that it ends with the script that started it.

#include <arpa/inet.h>
#include <httplib.h>
#include <netinet/in.h>
#include <openssl/evp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <mutex>
#include <string>
#include <thread>

#include "SelfSignedCertificate.h"

namespace {

using namespace std::chrono_literals;

// Credentials the probe sends; the server checks them against its own encoding.
const std::string kUser =
    "/Shops/DemoShop/Users/admin\x01"
    "app";
const std::string kPassword = "geh\xC3\xA9im";

std::string Base64(const std::string& bytes) {
  std::string encoded(4 * ((bytes.size() + 2) / 3) + 1, '\0');
  const int length =
      EVP_EncodeBlock(reinterpret_cast<unsigned char*>(encoded.data()),
                      reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<int>(bytes.size()));
  encoded.resize(static_cast<std::size_t>(length));
  return encoded;
}

// Holds /slow answers until the probe asks for /release (or for 30 s).
class Release {
 public:
  void WaitForNext() {
    std::unique_lock lock(mutex_);
    const int seen = releases_;
    changed_.wait_for(lock, 30s, [&] { return releases_ != seen; });
  }
  void Signal() {
    std::lock_guard lock(mutex_);
    ++releases_;
    changed_.notify_all();
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  int releases_ = 0;  // guarded by mutex_
};

// The method, the request's headers as "Name: value" lines, an empty line
// and the body: what the client sent, for the probe to compare.
void Echo(const httplib::Request& req, httplib::Response& res) {
  std::string text = req.method + "\n";
  for (const auto& [name, value] : req.headers)
    if (name.find("_ADDR") == std::string::npos && name.find("_PORT") == std::string::npos)
      text += name + ": " + value + "\n";
  res.set_content(text + "\n" + req.body, "text/plain");
}

void AddStatusRoutes(httplib::Server& server) {
  server.Get(R"(/status/(\d+))", [](const httplib::Request& req, httplib::Response& res) {
    res.status = std::stoi(req.matches[1]);
    res.set_header("X-Probe", "ja");
    res.set_header("X-Method", req.method);
    // A body after 204 or 304 would stay on the kept-alive connection and
    // spoil the next answer on it: no server sends one.
    if (res.status == 204 || res.status == 304) return;
    res.set_content("Antwort " + std::string(req.matches[1]), "text/xml; charset=utf-8");
  });
  server.Get("/port", [](const httplib::Request& req, httplib::Response& res) {
    res.set_content(std::to_string(req.remote_port), "text/plain");
  });
  server.Get("/big", [](const httplib::Request&, httplib::Response& res) {
    std::string body(3 << 20, '\0');
    for (std::size_t i = 0; i < body.size(); ++i) body[i] = static_cast<char>('a' + i % 26);
    res.set_content(body, "application/octet-stream");
  });
  server.Get("/chunked", [](const httplib::Request&, httplib::Response& res) {
    res.set_chunked_content_provider("text/plain", [](std::size_t offset, httplib::DataSink& sink) {
      if (offset < 3000) return sink.write(std::string(1000, 'c').data(), 1000);
      sink.done();
      return true;
    });
  });
  server.Get("/cookie", [](const httplib::Request&, httplib::Response& res) {
    res.set_header("Set-Cookie", "sitzung=1; Path=/");
    res.set_content("ok", "text/plain");
  });
}

void AddRedirectRoutes(httplib::Server& server) {
  auto moved = [](const httplib::Request&, httplib::Response& res) { res.set_redirect("/status/200"); };
  server.Get("/alt", moved);
  server.Post("/alt", moved);
  server.Post("/keep",
              [](const httplib::Request&, httplib::Response& res) { res.set_redirect("/echo", 307); });
  server.Get("/dir/relative", [](const httplib::Request&, httplib::Response& res) {
    res.set_redirect("../status/200?x=1#teil", 303);
  });
  server.Get(R"(/hops/(\d+))", [](const httplib::Request& req, httplib::Response& res) {
    const int left = std::stoi(req.matches[1]);
    if (left == 0) return res.set_content("angekommen", "text/plain");
    res.set_redirect("/hops/" + std::to_string(left - 1));
  });
}

void AddRoutes(httplib::Server& server, Release& release) {
  AddStatusRoutes(server);
  AddRedirectRoutes(server);
  server.Get("/echo", Echo);
  server.Post("/echo", Echo);
  server.Post("/auth", [](const httplib::Request& req, httplib::Response& res) {
    if (req.get_header_value("Authorization") == "Basic " + Base64(kUser + ":" + kPassword))
      return res.set_content("<ok/>", "text/xml");
    res.status = 401;
    res.set_header("WWW-Authenticate", "Basic realm=\"shop\"");
  });
  server.Get("/slow", [&release](const httplib::Request&, httplib::Response& res) {
    release.WaitForNext();
    res.set_content("zu spät", "text/plain");
  });
  server.Get("/release", [&release](const httplib::Request&, httplib::Response& res) {
    release.Signal();
    res.set_content("ok", "text/plain");
  });
}

int Listen(int backlog) {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (bind(fd, reinterpret_cast<sockaddr*>(&address), length) != 0 || listen(fd, backlog) != 0) {
    perror("listen");
    std::exit(1);
  }
  return fd;
}

int PortOf(int fd) {
  sockaddr_in address{};
  socklen_t length = sizeof address;
  getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  return ntohs(address.sin_port);
}

// Answers that no HTTP library would send, chosen by the request's path.
std::string BrokenReply(const std::string& head) {
  if (head.find(" /partial ") != std::string::npos)
    return "HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\nnur ein Teil";
  if (head.find(" /garbage ") != std::string::npos) return "kein HTTP\r\n\r\n";
  if (head.find(" /folded ") != std::string::npos)
    // The folded header comes last: Wine's WinHTTP ends the header block
    // at a continuation line.
    return "HTTP/1.1 200 OK\r\nX-Umlaut: Gr\xC3\xB6\xC3\x9F"
           "e\r\nContent-Type: text/plain\r\nConnection: close\r\nX-Gefaltet: erste\r\n  zweite\r\n\r\nok";
  return {};  // "/empty": the connection closes without a byte
}

void ServeBroken(int listener) {
  for (;;) {
    const int connection = accept(listener, nullptr, nullptr);
    if (connection < 0) return;
    std::string head;
    char buffer[4096];
    while (head.find("\r\n\r\n") == std::string::npos) {
      const ssize_t n = read(connection, buffer, sizeof buffer);
      if (n <= 0) break;
      head.append(buffer, static_cast<std::size_t>(n));
    }
    const std::string reply = BrokenReply(head);
    if (!reply.empty()) (void)!write(connection, reply.data(), reply.size());
    close(connection);
  }
}

}  // namespace

int main() {
  Release release;
  httplib::Server http;
  kanvio::test::SelfSigned identity;
  httplib::SSLServer https(identity.cert.get(), identity.key.get());
  AddRoutes(http, release);
  // Under an emulated Wine a client may pause for seconds between requests;
  // the connection must outlast that for the keep-alive check.
  for (httplib::Server* server :
       {static_cast<httplib::Server*>(&http), static_cast<httplib::Server*>(&https)}) {
    server->set_keep_alive_max_count(100000);
    server->set_keep_alive_timeout(120);
    server->set_read_timeout(120);
  }
  https.Get("/tls", [](const httplib::Request& req, httplib::Response& res) {
    res.set_content(SSL_get_version(req.ssl), "text/plain");
  });
  https.Get("/status/200",
            [](const httplib::Request&, httplib::Response& res) { res.set_content("ok", "text/plain"); });

  const int http_port = http.bind_to_any_port("127.0.0.1");
  const int https_port = https.bind_to_any_port("127.0.0.1");
  const int raw_listener = Listen(16);
  const int closed_listener = Listen(1);
  const int closed_port = PortOf(closed_listener);
  close(closed_listener);
  if (http_port <= 0 || https_port <= 0) return 1;

  std::thread http_thread([&] { http.listen_after_bind(); });
  std::thread https_thread([&] { https.listen_after_bind(); });
  std::thread raw_thread([&] { ServeBroken(raw_listener); });
  std::cout << "http=" << http_port << " https=" << https_port << " raw=" << PortOf(raw_listener)
            << " closed=" << closed_port << std::endl;

  for (std::string line; std::getline(std::cin, line);) {
  }
  // Connections the client left open would hold a graceful stop for the
  // keep-alive time; nothing is left to finish, so the server just ends.
  std::_Exit(0);
}
