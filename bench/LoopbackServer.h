#pragma once
// A server on 127.0.0.1 that answers every POST to one path at once with a
// fixed body, for the upload benchmarks.

#include <httplib.h>

#include <stdexcept>
#include <string>
#include <thread>

class LoopbackServer {
 public:
  LoopbackServer(const std::string& path, std::string answer) {
    server_.Post(path, [answer = std::move(answer)](const httplib::Request&, httplib::Response& res) {
      res.set_content(answer, "text/xml");
    });
    server_.set_keep_alive_max_count(1'000'000);
    server_.set_tcp_nodelay(true);
    port_ = server_.bind_to_any_port("127.0.0.1");
    if (port_ <= 0) throw std::runtime_error("no port on 127.0.0.1");
    thread_ = std::thread([this] { server_.listen_after_bind(); });
    while (!server_.is_running()) std::this_thread::yield();
  }
  ~LoopbackServer() {
    server_.stop();
    thread_.join();
  }
  LoopbackServer(const LoopbackServer&) = delete;
  LoopbackServer& operator=(const LoopbackServer&) = delete;

  std::string base() const { return "http://127.0.0.1:" + std::to_string(port_); }

 private:
  httplib::Server server_;
  int port_ = -1;
  std::thread thread_;
};
