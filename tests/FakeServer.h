#pragma once
// A real HTTP(S) server on 127.0.0.1 and a free port, for tests that talk to
// a fake shop. It serves on a thread of its own from construction until
// destruction.

#include <httplib.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>

namespace kanvio::test {

class FakeServer {
 public:
  using Routes = std::function<void(httplib::Server&)>;

  // routes registers the handlers; it runs before the server accepts anything.
  explicit FakeServer(const Routes& routes);
  // Serves through a server made by the caller, e.g. an httplib::SSLServer.
  FakeServer(std::unique_ptr<httplib::Server> server, const Routes& routes);
  // Stops accepting and waits for the handlers still running. Close clients
  // first: an open keep-alive connection holds the stop for up to a second.
  ~FakeServer();
  FakeServer(const FakeServer&) = delete;
  FakeServer& operator=(const FakeServer&) = delete;

  int port() const { return port_; }
  // "http://127.0.0.1:<port>" ("https" for an SSL server), no trailing slash.
  std::string url() const;

 private:
  std::unique_ptr<httplib::Server> server_;
  std::string scheme_;
  int port_ = -1;
  std::atomic<bool> finished_{false};
  std::thread thread_;
};

}  // namespace kanvio::test
