#include "FakeServer.h"

#include <stdexcept>

namespace kanvio::test {

FakeServer::FakeServer(const Routes& routes) : FakeServer(std::make_unique<httplib::Server>(), routes) {}

FakeServer::FakeServer(std::unique_ptr<httplib::Server> server, const Routes& routes)
    : server_(std::move(server)), scheme_("http") {
#ifdef CPPHTTPLIB_OPENSSL_SUPPORT
  if (dynamic_cast<httplib::SSLServer*>(server_.get()) != nullptr) scheme_ = "https";
#endif
  if (!server_->is_valid()) throw std::runtime_error("FakeServer: the server could not be set up");
  routes(*server_);
  // Clients under test keep one connection for hundreds of requests; the
  // short idle limit lets the destructor finish soon after a client went.
  server_->set_keep_alive_max_count(100000);
  server_->set_keep_alive_timeout(1);
  // Answers go out in two writes; with Nagle each would wait for a delayed ACK.
  server_->set_tcp_nodelay(true);
  port_ = server_->bind_to_any_port("127.0.0.1");
  if (port_ <= 0) throw std::runtime_error("FakeServer: no port on 127.0.0.1");
  thread_ = std::thread([this] {
    server_->listen_after_bind();
    finished_ = true;
  });
  // The socket already listens, so clients may connect at once; stop() only
  // works once the accept loop runs.
  while (!server_->is_running() && !finished_) std::this_thread::yield();
  if (finished_) {
    thread_.join();
    throw std::runtime_error("FakeServer: the server did not start");
  }
}

FakeServer::~FakeServer() {
  server_->stop();
  thread_.join();
}

std::string FakeServer::url() const { return scheme_ + "://127.0.0.1:" + std::to_string(port_); }

}  // namespace kanvio::test
