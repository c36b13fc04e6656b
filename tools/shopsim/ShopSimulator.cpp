#include "ShopSimulator.h"

#include <httplib.h>

#include <atomic>
#include <iostream>
#include <stdexcept>
#include <thread>

#include "DemoShop.h"
#include "EpagesModule.h"
#include "EpagesShop.h"
#include "MwsDemoData.h"
#include "MwsModule.h"
#include "EbayDemoData.h"
#include "EbayTradingModule.h"
#include "PhpScriptsModule.h"
#include "ProtocolModule.h"
#include "RequestPipeline.h"
#include "RestPluginModule.h"
#include "ShopStateFile.h"
#include "SlowAnswerGate.h"

namespace kanvio::shopsim {
namespace {

constexpr const char* kHost = "127.0.0.1";
constexpr std::size_t kMaxPasswordBytes = 32;  // the longest AES key

std::string NormaliseBasePath(std::string path) {
  while (!path.empty() && path.back() == '/') path.pop_back();
  if (!path.empty() && path.front() != '/') path.insert(path.begin(), '/');
  return path;
}

}  // namespace

struct ShopSimulator::Impl {
  explicit Impl(SimulatorOptions simulator_options) : options(std::move(simulator_options)) {}

  void RegisterRoutes();
  void Bind();
  void WatchState();

  SimulatorOptions options;
  ShopState shop;
  EpagesShop epages;
  MwsMarketplace marketplace;
  EbayMarket ebay;
  RequestLog log;
  FailurePlan failures;
  SlowAnswerGate gate;
  RequestPipeline pipeline{log, failures, gate};
  std::vector<std::unique_ptr<ProtocolModule>> modules;
  std::unique_ptr<ShopStateFile> state_file;
  httplib::Server server;
  std::thread listener;
  std::atomic<bool> listen_returned{false};
  int port = -1;
};

void ShopSimulator::Impl::RegisterRoutes() {
  modules.push_back(std::make_unique<PhpScriptsModule>(shop, pipeline));
  modules.push_back(std::make_unique<RestPluginModule>(shop, pipeline));
  modules.push_back(std::make_unique<EpagesModule>(epages, pipeline, failures));
  modules.push_back(std::make_unique<MwsModule>(marketplace, pipeline));
  modules.push_back(std::make_unique<EbayTradingModule>(ebay, pipeline));
  for (auto& module : modules) module->Register(server, options.base_path);

  // Registered last, so it only sees what no module serves; recording those
  // shows a client that builds a wrong address.
  const auto unknown = [this](const httplib::Request& request, httplib::Response& response) {
    pipeline.Serve(request, response, {"unknown"}, [](const auto&, auto& res) {
      res.status = 404;
      res.set_content("Not Found", "text/plain; charset=UTF-8");
    });
  };
  server.Get(".*", unknown);
  server.Post(".*", unknown);
}

void ShopSimulator::Impl::Bind() {
  if (options.port == 0) {
    port = server.bind_to_any_port(kHost);
  } else if (server.bind_to_port(kHost, options.port)) {
    port = options.port;
  }
  if (port <= 0)
    throw std::runtime_error("shopsim: cannot bind " + std::string(kHost) + ":" +
                             std::to_string(options.port));
}

void ShopSimulator::Impl::WatchState() {
  if (options.state_file.empty()) return;
  state_file = std::make_unique<ShopStateFile>(shop, epages.Products(), options.state_file);
  const auto write = [this] {
    try {
      state_file->Write();
    } catch (const std::exception& error) {
      std::cerr << "shopsim: " << error.what() << std::endl;
    }
  };
  write();
  shop.SetChangeListener(write);
  epages.Products().SetChangeListener(write);
}

ShopSimulator::ShopSimulator(SimulatorOptions options) : impl_(std::make_unique<Impl>(std::move(options))) {
  auto& opts = impl_->options;
  if (opts.password.size() > kMaxPasswordBytes) {
    throw std::invalid_argument("shopsim: the password must not be longer than 32 bytes");
  }
  opts.base_path = NormaliseBasePath(opts.base_path);
  impl_->shop.SetPassword(opts.password);
  impl_->shop.SetArticlesImportLimit(opts.articles_import_limit);
  if (opts.demo_data) DemoShop::Fill(impl_->shop);
  if (opts.demo_data) impl_->epages.FillDemo();
  if (opts.demo_data) MwsDemoData::Fill(impl_->marketplace);
  const auto now = std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now());
  if (opts.demo_data) EbayDemoData::Fill(impl_->ebay, now);
  EbayDemoData::Generate(impl_->ebay, opts.ebay_generated_orders, now);
  impl_->ebay.SetSignInAfter(opts.ebay_sign_in_after);
}

ShopSimulator::~ShopSimulator() { Stop(); }

void ShopSimulator::Start() {
  if (impl_->listener.joinable()) throw std::logic_error("shopsim: already started");
  impl_->WatchState();
  impl_->RegisterRoutes();
  // A short keep-alive bounds how long Stop() waits for idle connections.
  impl_->server.set_keep_alive_timeout(1);
  // A client keeps one connection for a whole import, as with the real
  // servers, and gets each answer at once: without TCP_NODELAY an answer's
  // body waits for the client's delayed acknowledgement of its headers.
  impl_->server.set_keep_alive_max_count(1'000'000);
  impl_->server.set_tcp_nodelay(true);
  impl_->Bind();
  impl_->listener = std::thread([impl = impl_.get()] {
    impl->server.listen_after_bind();
    impl->listen_returned = true;
  });
  // stop() is ignored until the server runs; waiting here lets Stop() follow
  // Start() at once. The wait is over within microseconds.
  while (!impl_->server.is_running() && !impl_->listen_returned) std::this_thread::yield();
  if (!impl_->server.is_running()) {
    impl_->listener.join();
    throw std::runtime_error("shopsim: the server did not start");
  }
}

void ShopSimulator::Stop() {
  impl_->gate.Close();
  if (!impl_->listener.joinable()) return;
  impl_->server.stop();
  impl_->listener.join();
}

int ShopSimulator::Port() const { return impl_->port; }

std::string ShopSimulator::ShopUrl() const {
  return "http://" + std::string(kHost) + ":" + std::to_string(impl_->port) + impl_->options.base_path;
}

ShopState& ShopSimulator::Shop() { return impl_->shop; }
EpagesShop& ShopSimulator::Epages() { return impl_->epages; }
EbayMarket& ShopSimulator::Ebay() { return impl_->ebay; }
FailurePlan& ShopSimulator::Failures() { return impl_->failures; }
MwsMarketplace& ShopSimulator::Marketplace() { return impl_->marketplace; }

void ShopSimulator::ReleaseSlowAnswers() { impl_->gate.Release(); }

bool ShopSimulator::AwaitSlowAnswers(std::size_t count, std::chrono::milliseconds timeout) {
  return impl_->gate.AwaitWaiting(count, timeout);
}

std::vector<RecordedRequest> ShopSimulator::Requests() const { return impl_->log.Requests(); }
std::size_t ShopSimulator::RequestCount(const std::string& target) const { return impl_->log.Count(target); }
void ShopSimulator::ClearRequests() { impl_->log.Clear(); }

}  // namespace kanvio::shopsim
