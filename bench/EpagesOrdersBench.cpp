// Importing 10,000 ePages orders of five lines each from the shop simulator on
// loopback, against the least the same work needs: one parse of the same
// getInfo answers plus the streaming orders writer on the same orders.
// Target: the connector's own CPU time at most twice the baseline's.
// Counters: requests sent; CPU milliseconds of the calling thread (the
// simulator answers on threads of its own), in all and inside the HTTP client
// (receiving some 40 MB of answers), the connector's own being the difference;
// growth of the peak resident set.

#include <benchmark/benchmark.h>
#include <httplib.h>
#include <sys/resource.h>
#include <time.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "ShopSimulator.h"
#include "config/ConfigFileWriter.h"
#include "config/Logger.h"
#include "config/Settings.h"
#include "net/SoapClient.h"
#include "orders/OrderXmlWriter.h"
#include "platform/DynamicLibrary.h"
#include "shops/epages/OrderConverter.h"
#include "shops/epages/ServiceClients.h"
#include "shops/epages/ePages.h"

namespace {

constexpr std::size_t kLines = 5;

// KANVIO_BENCH_ORDERS makes a smaller run for instruction counts under callgrind.
std::size_t OrderCount() {
  const char* count = std::getenv("KANVIO_BENCH_ORDERS");
  return count && std::atol(count) > 0 ? std::size_t(std::atol(count)) : 10'000;
}

double ThreadCpuMs() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

// System part of the calling thread's CPU time and its page faults: the kernel's
// share (fresh pages for large buffers) does not show in instruction counts.
struct ThreadKernel {
  double sys_ms;
  long faults;
};
ThreadKernel ThreadKernelNow() {
  rusage usage{};
  getrusage(RUSAGE_THREAD, &usage);
  return {double(usage.ru_stime.tv_sec) * 1e3 + double(usage.ru_stime.tv_usec) / 1e3, usage.ru_minflt};
}

long PeakRssKb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

kanvio::shopsim::SimulatorOptions Options() {
  kanvio::shopsim::SimulatorOptions options;
  options.demo_data = false;
  return options;
}

class Products : public kanvio::epages::ProductLookup {
 public:
  bool HasProductWithAlias(const std::string&) override { return false; }
  const kanvio::epages::ProductInfo* Product(const std::string&) override { return nullptr; }
};

// Counts the calling thread's CPU time inside the HTTP client.
class TimedHttpClient : public kanvio::platform::HttpClient {
 public:
  explicit TimedHttpClient(double& cpu_ms) : client_(kanvio::platform::CreateHttpClient()), cpu_ms_(cpu_ms) {}
  kanvio::platform::HttpResponse Send(const kanvio::platform::HttpRequest& request) override {
    const double start = ThreadCpuMs();
    auto response = client_->Send(request);
    cpu_ms_ += ThreadCpuMs() - start;
    return response;
  }

 private:
  std::unique_ptr<kanvio::platform::HttpClient> client_;
  double& cpu_ms_;
};

struct Environment {
  std::filesystem::path dir;
  std::filesystem::path orders_file;
  kanvio::shopsim::ShopSimulator simulator{Options()};
  std::vector<std::string> answers;  // the getInfo answers, as the shop sent them
  std::vector<kanvio::orders::ShopOrder> records;

  Environment() {
    char pattern[] = "/tmp/kanvio-bench-XXXXXX";
    dir = mkdtemp(pattern);
    setenv("KANVIO_USER_CONFIG_DIR", (dir / "store").c_str(), 1);
    setenv("KANVIO_PROGRAMDATA", (dir / "programdata").c_str(), 1);
    const auto software = kanvio::platform::ExecutablePath().parent_path().parent_path();
    setenv("KANVIO_PATHS_LIBRARY", (software / "libPaths.so").c_str(), 1);
    kanvio::ConfigFileWriter writer;
    simulator.Epages().AddGeneratedOrders(OrderCount(), kLines);
    simulator.Start();
    orders_file = dir / "orders.xml";
    kanvio::Settings settings;
    settings.set_WEBSERVICE_URL(simulator.ShopUrl() + "/epages/Store.soap");
    settings.set_WEBSERVICE_LOGIN("/Shops/DemoShop/Users/admin");
    settings.set_WEBSERVICE_PASSWORD("demo");
    settings.set_WEBSERVICE_RESULT_FILEPATH(orders_file.string());
    settings.Save();
    CaptureAnswers();
  }
  ~Environment() {
    simulator.Stop();
    std::filesystem::remove_all(dir);
  }

  void CaptureAnswers() {
    const auto paths = simulator.Epages().FindOrders({{"NotInProcess", true}});
    httplib::Client client("127.0.0.1", simulator.Port());
    client.set_basic_auth("/Shops/DemoShop/Users/admin", "demo");
    client.set_read_timeout(std::chrono::minutes(5));  // a simulator under valgrind answers slowly
    Products products;
    kanvio::epages::OrderConverter converter(products, false);
    for (std::size_t begin = 0; begin < paths.size(); begin += kanvio::epages::kGetInfoBatch) {
      const std::vector<std::string> batch(paths.begin() + long(begin),
                                           paths.begin() + long(std::min(paths.size(), begin + 500)));
      kanvio::net::SoapWriter parameters;
      parameters.StringArray("Orders", batch);
      const auto body =
          kanvio::net::SoapClient::Envelope(kanvio::epages::kOrderService.urn, "getInfo", parameters);
      const auto result = client.Post("/epages/Store.soap", body, "text/xml; charset=utf-8");
      if (!result || result->status != 200) throw std::runtime_error("the simulator did not answer");
      answers.push_back(result->body);
      const auto answer = kanvio::net::SoapClient::ReadAnswer(result->body, 200, "getInfo");
      kanvio::net::ForEachItem(answer.Part("Orders"), [&](const pugi::xml_node& item) {
        records.push_back(converter.Convert(kanvio::epages::ReadOrderInfo(item), "C"));
      });
    }
  }
};

Environment& Env() {
  static Environment env;
  return env;
}

void BM_EpagesOrderImport(benchmark::State& state) {
  auto& env = Env();
  const long rss_before = PeakRssKb();
  double cpu_ms = 0, http_ms = 0, sys_ms = 0;
  long faults = 0;
  std::size_t requests = 0;
  for (auto _ : state) {
    env.simulator.ClearRequests();
    const ThreadKernel kernel = ThreadKernelNow();
    kanvio::ePages shop(nullptr, [&] { return std::make_unique<TimedHttpClient>(http_ms); });
    std::string error;
    const double start = ThreadCpuMs();
    const kanvio::Logger::Session log_session;  // as the worker opens one per operation
    if (shop.HoleBestellungenVomShop(error, false) != 1)
      state.SkipWithError(("import failed: " + error).c_str());
    cpu_ms += ThreadCpuMs() - start;
    sys_ms += ThreadKernelNow().sys_ms - kernel.sys_ms;
    faults += ThreadKernelNow().faults - kernel.faults;
    requests = env.simulator.RequestCount("epages");
  }
  state.counters["requests"] = double(requests);
  state.counters["cpu_ms"] = cpu_ms / double(state.iterations());
  state.counters["http_cpu_ms"] = http_ms / double(state.iterations());
  state.counters["own_cpu_ms"] = (cpu_ms - http_ms) / double(state.iterations());
  state.counters["sys_ms"] = sys_ms / double(state.iterations());
  state.counters["page_faults"] = double(faults) / double(state.iterations());
  state.counters["peak_rss_growth_mb"] = double(PeakRssKb() - rss_before) / 1024.0;
}

void BM_ParseAndWriteBaseline(benchmark::State& state) {
  auto& env = Env();
  double cpu_ms = 0, sys_ms = 0;
  long faults = 0;
  for (auto _ : state) {
    const ThreadKernel kernel = ThreadKernelNow();
    const double start = ThreadCpuMs();
    for (const std::string& answer : env.answers) {
      pugi::xml_document document;
      benchmark::DoNotOptimize(document.load_buffer(answer.data(), answer.size()));
    }
    kanvio::orders::OrderXmlWriter writer(env.dir / "baseline.xml",
                                          kanvio::orders::OrderXmlOptions::Epages());
    for (const auto& record : env.records) writer.WriteOrder(record);
    writer.Close();
    cpu_ms += ThreadCpuMs() - start;
    sys_ms += ThreadKernelNow().sys_ms - kernel.sys_ms;
    faults += ThreadKernelNow().faults - kernel.faults;
  }
  state.counters["cpu_ms"] = cpu_ms / double(state.iterations());
  state.counters["sys_ms"] = sys_ms / double(state.iterations());
  state.counters["page_faults"] = double(faults) / double(state.iterations());
}

BENCHMARK(BM_EpagesOrderImport)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_ParseAndWriteBaseline)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

BENCHMARK_MAIN();
