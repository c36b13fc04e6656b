// The eBay order import of 25,000 sold items (125 pages of 200) from the shop
// simulator on loopback. The import runs in a child process, so that its
// peak memory is its own and not the simulator's:
//   - against the simulator: wall time, requests per connection, peak memory;
//   - again from the recorded answers, without network: the connector's own
//     CPU time, against one pugixml parse of all answers plus the orders
//     writer on the same orders (goal: at most 2x).

#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <pugixml.hpp>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "ShopSimulator.h"
#include "config/Settings.h"
#include "orders/XmlSaver.h"
#include "platform/Clock.h"
#include "platform/HttpClient.h"
#include "shops/ebay/Ebay.h"
#include "shops/ebay/EbayConfig.h"
#include "shops/ebay/EbayParameter.h"
#include "shops/ebay/OrderManagement.h"
#include "shops/ebay/ReportManagement.h"

extern char** environ;

namespace {

using namespace kanvio;

// A profiler may ask for fewer (KANVIO_BENCH_ORDERS).
std::size_t OrderCount() {
  const char* count = std::getenv("KANVIO_BENCH_ORDERS");
  return count != nullptr ? std::size_t(std::atol(count)) : 25'000;
}
const std::size_t kOrders = OrderCount();

double ThreadCpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

long PeakRssKilobytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

// Passes requests on and keeps every answer, in order.
class RecordingClient : public platform::HttpClient {
 public:
  RecordingClient(std::unique_ptr<platform::HttpClient> inner, std::vector<platform::HttpResponse>& answers)
      : inner_(std::move(inner)), answers_(answers) {}
  platform::HttpResponse Send(const platform::HttpRequest& request) override {
    answers_.push_back(inner_->Send(request));
    return answers_.back();
  }

 private:
  std::unique_ptr<platform::HttpClient> inner_;
  std::vector<platform::HttpResponse>& answers_;
};

// Answers from a copy of the record, in order: the same import asks the same
// questions. Each is handed over as a client hands over what it received,
// without a copy; the copy is made before the clock starts.
class ReplayClient : public platform::HttpClient {
 public:
  explicit ReplayClient(std::vector<platform::HttpResponse>& answers, std::size_t& next)
      : answers_(answers), next_(next) {}
  platform::HttpResponse Send(const platform::HttpRequest&) override {
    return std::move(answers_.at(next_++));
  }

 private:
  std::vector<platform::HttpResponse>& answers_;
  std::size_t& next_;
};

std::int32_t Import(platform::HttpClientFactory http) {
  std::string error;
  Ebay ebay(nullptr, std::move(http));
  const std::int32_t result = ebay.HoleBestellungenVomShop(error, false);
  if (result != 1) std::fprintf(stderr, "import: %d %s\n", result, error.c_str());
  return result;
}

// Not inlined, so that a profiler can count this alone
// (valgrind --tool=callgrind --toggle-collect='*ReplayForProfiler*').
[[gnu::noinline]] void ReplayForProfiler(std::vector<platform::HttpResponse>& answers, std::size_t& next) {
  Import([&] { return std::make_unique<ReplayClient>(answers, next); });
}

// The baseline: one pugixml parse of every answer, and the orders writer on
// the same orders. Not inlined either, for the same reason.
[[gnu::noinline]] std::size_t BaselineForProfiler(const std::vector<platform::HttpResponse>& answers,
                                                  const std::vector<orders::EbayOrder>& records,
                                                  const std::string& path) {
  std::size_t nodes = 0;
  for (const auto& answer : answers) {
    pugi::xml_document document;
    document.load_buffer(answer.body.data(), answer.body.size());
    nodes += document.document_element() ? 1 : 0;
  }
  orders::XmlSaver<orders::EbayOrder>::Write(records, path, "OrderNotification", true);
  return nodes;
}

// The child: prints "name value" lines.
int RunChild() {
  const long rss_before = PeakRssKilobytes();
  auto wall = std::chrono::steady_clock::now();
  double cpu = ThreadCpuSeconds();
  if (Import(platform::CreateHttpClient) != 1) return 1;
  std::printf("network_cpu_s %f\nnetwork_wall_s %f\n", ThreadCpuSeconds() - cpu,
              std::chrono::duration<double>(std::chrono::steady_clock::now() - wall).count());
  std::printf("peak_rss_kb %ld\nrss_before_kb %ld\n", PeakRssKilobytes(), rss_before);

  std::vector<platform::HttpResponse> answers;
  Import([&] { return std::make_unique<RecordingClient>(platform::CreateHttpClient(), answers); });
  // The least of three runs on each side, as one run moves by a third with
  // whatever else the machine does.
  constexpr int kRuns = 3;
  std::size_t next = 0;
  std::vector<platform::HttpResponse> fresh;
  double own = 1e9;
  for (int run = 0; run < kRuns; ++run) {
    next = 0;
    fresh = answers;
    cpu = ThreadCpuSeconds();
    Import([&] { return std::make_unique<ReplayClient>(fresh, next); });
    own = std::min(own, ThreadCpuSeconds() - cpu);
  }
  std::printf("own_cpu_s %f\n", own);
  // For a profiler: the replay alone, again and again.
  for (int i = std::atoi(std::getenv("KANVIO_BENCH_REPLAYS") ? std::getenv("KANVIO_BENCH_REPLAYS") : "0");
       i > 0; --i) {
    next = 0;
    fresh = answers;
    ReplayForProfiler(fresh, next);
  }

  // The same orders as records, made outside the measurement.
  next = 0;
  fresh = answers;
  const Settings settings;
  std::vector<service::EbayOrder> found;
  cpu = ThreadCpuSeconds();
  {
    net::EbayTradingClient client(std::make_unique<ReplayClient>(fresh, next));
    ReportManagement(client, EbayApi::BuildApiContext(settings), nullptr).GetReports(settings, found);
  }
  std::printf("reports_cpu_s %f\n", ThreadCpuSeconds() - cpu);
  std::vector<orders::EbayOrder> records;
  cpu = ThreadCpuSeconds();
  OrderManagement::ConvertOrders(nullptr, found, orders::CustomerFormatting::Default,
                                 [&](const orders::EbayOrder& record) { records.push_back(record); });
  std::printf("convert_cpu_s %f\n", ThreadCpuSeconds() - cpu);
  double baseline = 1e9;
  std::size_t answered = 0;
  for (int run = 0; run < kRuns; ++run) {
    cpu = ThreadCpuSeconds();
    answered = BaselineForProfiler(answers, records, settings.WEBSERVICE_RESULT_FILEPATH() + ".baseline");
    baseline = std::min(baseline, ThreadCpuSeconds() - cpu);
  }
  std::printf("baseline_cpu_s %f\nanswers %zu\norders %zu\n", baseline, answered, records.size());
  return 0;
}

std::map<std::string, double> RunChildProcess() {
  // For a profiler: the child's work in this process.
  if (std::getenv("KANVIO_BENCH_IN_PROCESS") != nullptr) {
    RunChild();
    return {};
  }
  const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
  int out[2];
  if (pipe(out) != 0) return {};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, out[0]);
  char* argv[] = {const_cast<char*>(self.c_str()), const_cast<char*>("--child"), nullptr};
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, self.c_str(), &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  std::string text;
  char buffer[4096];
  for (ssize_t n; (n = read(out[0], buffer, sizeof buffer)) > 0;) text.append(buffer, std::size_t(n));
  close(out[0]);
  int status = 0;
  if (spawned != 0 || waitpid(pid, &status, 0) < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
    return {};
  std::map<std::string, double> values;
  std::istringstream lines(text);
  for (std::string name; lines >> name;) lines >> values[name];
  return values;
}

void BM_EbayImport25000(benchmark::State& state) {
  const auto dir = std::filesystem::temp_directory_path() / ("kanvio-ebay-bench-" + std::to_string(getpid()));
  std::filesystem::create_directories(dir / "user");
  shopsim::ShopSimulator simulator({.port = 0,
                                    .base_path = "",
                                    .password = "",
                                    .state_file = {},
                                    .demo_data = false,
                                    .ebay_generated_orders = kOrders});
  simulator.Start();
  const std::string base = "http://127.0.0.1:" + std::to_string(simulator.Port());
  std::ofstream(dir / "deployment.config")
      << "<settings><setting name=\"ebay_apiServerUrl\">" << base << "/ws/api.dll</setting></settings>";
  setenv("KANVIO_USER_CONFIG_DIR", (dir / "user").c_str(), 1);
  setenv("KANVIO_DEPLOYMENT_CONFIG", (dir / "deployment.config").c_str(), 1);
  {
    Settings settings;
    settings.set_ebay_token(simulator.Ebay().IssueToken());
    settings.set_ebay_site(77);
    settings.set_ebay_dateFrom(
        platform::CurrentClock().ToLocal(platform::CurrentClock().NowUtc() - std::chrono::days(59)));
    settings.set_WEBSERVICE_RESULT_FILEPATH((dir / "orders.xml").string());
    settings.Save();
  }
  for (auto _ : state) {
    simulator.ClearRequests();
    const auto values = RunChildProcess();
    if (values.empty()) {
      state.SkipWithError("the import failed");
      break;
    }
    // The first of the child's three imports went over the network and alone.
    std::set<int> connections;
    std::size_t requests = 0;
    for (const auto& request : simulator.Requests()) {
      if (requests++ == values.at("answers")) break;
      connections.insert(request.remote_port);
    }
    state.SetIterationTime(values.at("network_wall_s"));
    state.counters["orders"] = values.at("orders");
    state.counters["requests"] = values.at("answers");
    state.counters["requests_per_connection"] = values.at("answers") / double(connections.size());
    state.counters["network_cpu_s"] = values.at("network_cpu_s");
    state.counters["own_cpu_s"] = values.at("own_cpu_s");
    state.counters["baseline_cpu_s"] = values.at("baseline_cpu_s");
    state.counters["own_vs_baseline"] = values.at("own_cpu_s") / values.at("baseline_cpu_s");
    state.counters["reports_cpu_s"] = values.at("reports_cpu_s");
    state.counters["convert_cpu_s"] = values.at("convert_cpu_s");
    state.counters["peak_rss_mb"] = values.at("peak_rss_kb") / 1024.0;
    state.counters["rss_before_mb"] = values.at("rss_before_kb") / 1024.0;
  }
  std::filesystem::remove_all(dir);
}
BENCHMARK(BM_EbayImport25000)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::string(argv[1]) == "--child") return RunChild();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
