// The ePages product side at scale, against the shop simulator running as a
// process of its own (so that its memory is not counted): exporting 10,000
// new articles without packages and in packages of 100, and importing
// 10,000 products. Each against the least the same work needs: one pugixml
// parse of the host file plus the SOAP answers the shop gave.
// Targets: the connector's own CPU time at most twice the baseline's; the
// growth of the peak resident set at most four times the host file.
// Counters: requests sent, by kind; CPU milliseconds of the calling thread,
// in all, inside the HTTP client and the connector's own (the difference);
// the baseline's; the peak growth and the host file in megabytes.

#include <benchmark/benchmark.h>
#include <fmt/format.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <pugixml.hpp>
#include <string>
#include <thread>
#include <vector>

#include "config/ConfigFileWriter.h"
#include "config/Logger.h"
#include "config/Settings.h"
#include "platform/DynamicLibrary.h"
#include "shops/epages/ePages.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

constexpr int kArticles = 10'000;

double ThreadCpuMs() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

// A field of /proc/self/status in kilobytes.
long StatusKb(const char* field) {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind(field, 0) == 0) return std::stol(line.substr(std::string(field).size()));
  }
  return 0;
}

// Lets the peak resident set start again from the current one.
void ResetPeak() { std::ofstream("/proc/self/clear_refs") << "5"; }

// The simulator as a process: started fresh for every run, so that every
// export finds its articles new.
class Simulator {
 public:
  explicit Simulator(const std::vector<std::string>& switches) {
    const fs::path program = kanvio::platform::ExecutablePath().parent_path() / "kanvio-shopsim";
    std::vector<std::string> args = {program.string(), "--port", "0", "--no-demo-data"};
    args.insert(args.end(), switches.begin(), switches.end());
    std::vector<char*> argv;
    for (auto& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    int out[2];
    if (pipe(out) != 0) throw std::runtime_error("pipe");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0)
      throw std::runtime_error("cannot start " + program.string());
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    std::string line;
    char c = 0;
    while (read(out[0], &c, 1) == 1 && c != '\n') line += c;
    close(out[0]);
    const auto colon = line.rfind(':');
    if (colon == std::string::npos) throw std::runtime_error("the simulator did not start: " + line);
    port_ = std::stoi(line.substr(colon + 1));
  }
  ~Simulator() {
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
  }
  std::string Url() const { return "http://127.0.0.1:" + std::to_string(port_) + "/epages/Store.soap"; }

 private:
  pid_t pid_ = 0;
  int port_ = 0;
};

// Counts the calling thread's CPU time inside the HTTP client and keeps the
// answers and the kind of every request.
class RecordingHttpClient : public kanvio::platform::HttpClient {
 public:
  struct Record {
    double cpu_ms = 0;
    std::vector<std::string> answers;
    std::map<std::string, std::size_t> requests;  // by SOAPAction's operation
  };
  explicit RecordingHttpClient(Record& record)
      : client_(kanvio::platform::CreateHttpClient()), record_(record) {}
  kanvio::platform::HttpResponse Send(const kanvio::platform::HttpRequest& request) override {
    const double start = ThreadCpuMs();
    auto response = client_->Send(request);
    record_.cpu_ms += ThreadCpuMs() - start;
    for (const auto& [name, value] : request.headers) {
      if (name != "SOAPAction") continue;
      const auto service = value.find("WebService/") + 11;
      const std::string action = value.substr(service, value.find('/', service) - service) + "." +
                                 value.substr(value.find('#') + 1, value.size() - value.find('#') - 2);
      ++record_.requests[action];
    }
    record_.answers.push_back(response.body);
    return response;
  }

 private:
  std::unique_ptr<kanvio::platform::HttpClient> client_;
  Record& record_;
};

struct Environment {
  fs::path dir;
  fs::path articles;  // the host's article export
  Environment() {
    char pattern[] = "/tmp/kanvio-bench-XXXXXX";
    dir = mkdtemp(pattern);
    setenv("KANVIO_USER_CONFIG_DIR", (dir / "store").c_str(), 1);
    setenv("KANVIO_PROGRAMDATA", (dir / "programdata").c_str(), 1);
    setenv("KANVIO_PATHS_LIBRARY",
           (kanvio::platform::ExecutablePath().parent_path().parent_path() / "libPaths.so").c_str(), 1);
    kanvio::ConfigFileWriter writer;
    articles = dir / "Artikelexport.xml";
  }
  ~Environment() { fs::remove_all(dir); }

  // About 400 bytes per row, as the host writes them.
  void WriteArticles() const {
    std::ofstream out(articles, std::ios::binary);
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<Artikelexport>\n";
    for (int i = 0; i < kArticles; ++i)
      out << fmt::format(
          "<row><ArtikelnummerWebshop>B{0:06}</ArtikelnummerWebshop><Artikelbeschreibung>Artikel "
          "{0}&lt;br&gt;"
          "Pflegeleicht und robust</Artikelbeschreibung><MwStCode>1</MwStCode><Einheit>Stk.</Einheit>"
          "<Artikelkategorie>Gruppe {1}</Artikelkategorie><Gewicht>1,25</Gewicht>"
          "<ArtikelpreisNetto>{2},95</ArtikelpreisNetto><ArtikelpreisBrutto>{3},49</ArtikelpreisBrutto>"
          "<ArtikelpreisWaehrung>EUR</ArtikelpreisWaehrung></row>\n",
          i, i % 20, i % 1000, i % 1000 + 2);
    out << "</Artikelexport>\n";
  }

  void Connect(const std::string& url, const fs::path& file, bool packages) const {
    kanvio::Settings settings;
    settings.set_WEBSERVICE_URL(url);
    settings.set_WEBSERVICE_LOGIN("/Shops/DemoShop/Users/admin");
    settings.set_WEBSERVICE_PASSWORD("demo");
    settings.set_WEBSERVICE_RESULT_FILEPATH(file.string());
    settings.Save();
    pugi::xml_document config;
    const auto config_file = dir / "programdata" / "Webshop" / "Config" / "kvx.config";
    config.load_file(config_file.c_str());
    config.select_node("//generell/PackageSplitting").node().text() = packages ? "true" : "false";
    config.save_file(config_file.c_str());
  }
};

Environment& Env() {
  static Environment env;
  return env;
}

double ParseMs(const std::vector<std::string>& answers, const fs::path& file) {
  const double start = ThreadCpuMs();
  {
    pugi::xml_document document;
    benchmark::DoNotOptimize(document.load_file(file.c_str()));
  }
  for (const std::string& answer : answers) {
    pugi::xml_document document;
    benchmark::DoNotOptimize(document.load_buffer(answer.data(), answer.size()));
  }
  return ThreadCpuMs() - start;
}

// One run of an operation against a fresh simulator; the counters of the last.
template <class Operation>
void Run(benchmark::State& state, const std::vector<std::string>& switches, const fs::path& file,
         bool packages, const std::function<void()>& prepare, Operation operation,
         const fs::path& measured_file) {
  auto& env = Env();
  double cpu_ms = 0, http_ms = 0, baseline_ms = 0;
  long peak_kb = 0;
  RecordingHttpClient::Record record;
  for (auto _ : state) {
    state.PauseTiming();
    prepare();
    Simulator simulator(switches);
    env.Connect(simulator.Url(), file, packages);
    record = {};
    kanvio::ePages shop(nullptr, [&record] { return std::make_unique<RecordingHttpClient>(record); });
    ResetPeak();
    const long rss_before = StatusKb("VmRSS:");
    state.ResumeTiming();
    const double start = ThreadCpuMs();
    const kanvio::Logger::Session log_session;  // as the worker opens one per operation
    std::string error;
    if (operation(shop, error) != 1) state.SkipWithError(("the operation failed: " + error).c_str());
    cpu_ms += ThreadCpuMs() - start;
    state.PauseTiming();
    peak_kb = std::max(peak_kb, StatusKb("VmHWM:") - rss_before);
    http_ms += record.cpu_ms;
    baseline_ms += ParseMs(record.answers, measured_file);
    state.ResumeTiming();
  }
  const double n = double(state.iterations());
  std::size_t requests = 0;
  for (const auto& [action, count] : record.requests) {
    state.counters[action] = double(count);
    requests += count;
  }
  state.counters["requests"] = double(requests);
  state.counters["cpu_ms"] = cpu_ms / n;
  state.counters["http_cpu_ms"] = http_ms / n;
  state.counters["own_cpu_ms"] = (cpu_ms - http_ms) / n;
  state.counters["baseline_ms"] = baseline_ms / n;
  state.counters["own_vs_baseline"] = (cpu_ms - http_ms) / baseline_ms;
  state.counters["peak_growth_mb"] = double(peak_kb) / 1024.0;
  state.counters["file_mb"] = double(fs::file_size(measured_file)) / (1024.0 * 1024.0);
}

void BM_EpagesArticleExport(benchmark::State& state) {
  auto& env = Env();
  Run(
      state, {}, env.articles, state.range(0) != 0, [&env] { env.WriteArticles(); },
      [](kanvio::ePages& shop, std::string& error) { return shop.ExportArtikelZumShop(error, false); },
      env.articles);
}

void BM_EpagesArticleImport(benchmark::State& state) {
  auto& env = Env();
  const fs::path file = env.dir / "Artikelimport.xml";
  Run(
      state, {"--epages-products", std::to_string(kArticles)}, file, state.range(0) != 0, [] {},
      [](kanvio::ePages& shop, std::string& error) { return shop.HoleArtikelVomShop(error, false); }, file);
}

BENCHMARK(BM_EpagesArticleExport)
    ->ArgName("packages")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK(BM_EpagesArticleImport)->ArgName("packages")->Arg(0)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
