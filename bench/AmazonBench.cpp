// Amazon: signing requests, and importing 50,000 orders from one XML order
// report and from one shipment report with every order and its lines asked
// of the simulated marketplace: over loopback, and again with the
// simulator's answers replayed in-process (the connector's own work without
// the transport). The import is timed by the CPU time of the thread that
// runs it (the simulator's threads do not count), against one parse of the
// same report plus the orders writer writing the same orders.

#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <pugixml.hpp>
#include <string>
#include <vector>

#include "MwsDemoData.h"
#include "MwsReportBodies.h"
#include "ShopSimulator.h"
#include "config/Settings.h"
#include "net/MwsAnswers.h"
#include "net/MwsSignature.h"
#include "orders/OrderXmlWriter.h"
#include "platform/Clock.h"
#include "shops/IWorker.h"
#include "shops/amazon/AmazonOrderBuilder.h"
#include "shops/amazon/FbaData.h"
#include "shops/amazon/ReportFiles.h"
#include "shops/amazon/amazon.h"

namespace kanvio {
namespace {

// A profiler may ask for fewer (KANVIO_BENCH_ORDERS).
int OrderCount() {
  const char* count = std::getenv("KANVIO_BENCH_ORDERS");
  return count != nullptr ? std::atoi(count) : 50000;
}
const int kOrders = OrderCount();

double ThreadCpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// The system clock's time, without the waits: 50,000 throttling pauses of
// two seconds are the marketplace's business, not the connector's CPU.
class NoWaitClock final : public platform::Clock {
 public:
  platform::UtcTime NowUtc() const override { return system_.NowUtc(); }
  LocalDateTime ToLocal(platform::UtcTime t) const override { return system_.ToLocal(t); }
  platform::UtcTime ToUtc(const LocalDateTime& l) const override { return system_.ToUtc(l); }
  void Sleep(std::chrono::milliseconds) override {}

 private:
  platform::Clock& system_ = platform::CurrentClock();
};

class QuietWorker : public IWorker {
 public:
  void setUserStatusMessage(const std::string&, std::int32_t) override {}
  void SetMaxValue(std::int32_t) override {}
};

// A host installation in a temporary folder and the marketplace on loopback.
class Marketplace {
 public:
  Marketplace() {
    root_ = std::filesystem::temp_directory_path() / ("kanvio-amazon-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(root_ / "reports");
    setenv("KANVIO_USER_CONFIG_DIR", (root_ / "user").c_str(), 1);
    setenv("KANVIO_PATHS_LIBRARY", (root_ / "none.so").c_str(), 1);
    simulator_.Start();
    const std::string mws = simulator_.ShopUrl() + "/mws";
    std::ofstream(root_ / "deployment.config")
        << "<?xml version=\"1.0\" encoding=\"utf-8\"?><settings><setting name=\"amazon_reportServiceURL_de\">"
        << mws << "/</setting><setting name=\"amazon_orderServiceURL_de\">" << mws
        << "/Orders/2013-09-01</setting></settings>";
    setenv("KANVIO_DEPLOYMENT_CONFIG", (root_ / "deployment.config").c_str(), 1);
    Settings settings;
    settings.set_amazon_merchantId("A1BENCH");
    settings.set_amazon_language("de");
    settings.set_amazon_report_file_path((root_ / "reports").string());
    settings.set_WEBSERVICE_RESULT_FILEPATH((root_ / "Bestellungen.xml").string());
    settings.Save();
  }
  ~Marketplace() {
    simulator_.Stop();
    std::filesystem::remove_all(root_);
  }

  // The body of a report with all orders; the orders known to the marketplace.
  std::string Report(bool shipments) {
    const std::string id =
        shopsim::MwsDemoData::AddGeneratedReport(simulator_.Marketplace(), kOrders, shipments);
    return simulator_.Marketplace().Report(id)->body;
  }
  void Put(const std::string& name, const std::string& body) {
    std::ofstream(root_ / "reports" / name) << body;
  }
  std::filesystem::path OrdersFile() const { return root_ / "Bestellungen.xml"; }
  std::filesystem::path ReportFile(const std::string& name) const { return root_ / "reports" / name; }
  std::size_t Connections() { return simulator_.Marketplace().ConnectionCount(); }
  std::size_t Requests() const { return simulator_.RequestCount("mws"); }
  void ClearCounts() { simulator_.ClearRequests(); }

 private:
  std::filesystem::path root_;
  shopsim::ShopSimulator simulator_{{.port = 0,
                                     .base_path = "",
                                     .password = {},
                                     .articles_import_limit = 0,
                                     .state_file = {},
                                     .demo_data = false}};
};

void BM_SignRequest(benchmark::State& state) {
  const net::MwsParameters parameters = {{"Action", "GetReportList"},
                                         {"Merchant", "A1BENCH"},
                                         {"Version", "2009-01-01"},
                                         {"AvailableFromDate", "2026-01-01T00:00:00Z"},
                                         {"ReportTypeList.Type.1", "_GET_ORDERS_DATA_"},
                                         {"Acknowledged", "false"}};
  const auto now = platform::CurrentClock().NowUtc();
  for (auto _ : state) {
    auto request = net::MwsSignRequest(parameters, "AKIAPLACEHOLDER00000", "geheimer-schluessel-0123456789",
                                       "mws-eu.amazonservices.com", "/", now);
    benchmark::DoNotOptimize(request.body);
  }
}
BENCHMARK(BM_SignRequest)->Iterations(10000)->Unit(benchmark::kMicrosecond);

// The simulator's answers, recorded in the order the import asked for them,
// so that the import can run again without the transport.
struct Recording {
  std::vector<platform::HttpResponse> answers;
  // A copy made before each timed run: the replay hands its answers over as
  // a client hands over what it received, without copying them.
  std::vector<platform::HttpResponse> fresh;
  std::size_t next = 0;

  void Rewind() {
    fresh = answers;
    next = 0;
  }
  std::size_t Bytes() const {
    std::size_t bytes = 0;
    for (const auto& answer : answers) bytes += answer.body.size();
    return bytes;
  }
};

class RecordingClient : public platform::HttpClient {
 public:
  explicit RecordingClient(Recording& recording) : recording_(recording) {}
  platform::HttpResponse Send(const platform::HttpRequest& request) override {
    recording_.answers.push_back(inner_->Send(request));
    return recording_.answers.back();
  }

 private:
  Recording& recording_;
  std::unique_ptr<platform::HttpClient> inner_ = platform::CreateHttpClient();
};

class ReplayClient : public platform::HttpClient {
 public:
  explicit ReplayClient(Recording& recording) : recording_(recording) {}
  platform::HttpResponse Send(const platform::HttpRequest&) override {
    return std::move(recording_.fresh.at(recording_.next++));
  }

 private:
  Recording& recording_;
};

// The orders the import wrote, made again from the report and the recorded
// answers by the connector's own builders, outside any measurement.
std::vector<orders::ShopOrder> SameOrders(const std::string& report, const Recording& recording,
                                          bool shipments) {
  std::map<std::string, net::MwsOrder> found;
  std::map<std::string, std::vector<net::MwsOrderItem>> lines;
  for (const auto& answer : recording.answers) {
    pugi::xml_document document;
    document.load_buffer(answer.body.data(), answer.body.size());
    const pugi::xml_node root = document.document_element();
    const std::string_view action = net::MwsLocalName(root);
    if (action == "GetOrderResponse") {
      for (auto& order : net::ParseOrderPage(net::MwsChild(root, "GetOrderResult")).entries)
        found[order.AmazonOrderId] = order;
    } else if (action == "ListOrderItemsResponse") {
      const pugi::xml_node result = net::MwsChild(root, "ListOrderItemsResult");
      lines[net::MwsChildText(result, "AmazonOrderId")] = net::ParseOrderItemPage(result).entries;
    }
  }
  std::vector<orders::ShopOrder> orders;
  if (shipments) {
    const FlatFileTable table = FlatFileTable::Parse(report);
    const FbaData::Layout layout(table.columns);
    for (const auto& row : table.rows) {
      const FbaData data = FbaData::FromRow(layout, row.values);
      if (orders.empty() || orders.back().OrderNumber != data._amazon_order_id)
        orders.push_back(amazon_orders::ShipmentOrder(data, found.at(data._amazon_order_id),
                                                      lines.at(data._amazon_order_id)));
    }
  } else {
    for (const auto& entry : ParseOrderReport(report))
      orders.push_back(
          amazon_orders::ReportOrder(entry, found.at(entry.AmazonOrderID), lines.at(entry.AmazonOrderID)));
  }
  return orders;
}

// Not inlined, so that a profiler can count this alone
// (valgrind --tool=callgrind --toggle-collect='*ReplayForProfiler*').
[[gnu::noinline]] void ReplayForProfiler(IWorker& worker, const platform::HttpClientFactory& http) {
  std::string error;
  amazon(worker, http).HoleBestellungenVomShop(error, false);
}

// The least CPU time of `runs` runs: on a shared machine the others only add noise.
template <class Run>
double LeastCpuSeconds(int runs, Run run) {
  double least = 1e9;
  for (int i = 0; i < runs; ++i) {
    const double start = ThreadCpuSeconds();
    run();
    least = std::min(least, ThreadCpuSeconds() - start);
  }
  return least;
}

// The connector: HoleBestellungenVomShop over one report of 50,000 orders
// with every order and its lines asked of the simulated marketplace.
void Import(benchmark::State& state, bool shipments) {
  NoWaitClock clock;
  platform::ScopedClock installed(clock);
  Marketplace marketplace;
  const std::string report = marketplace.Report(shipments);
  const std::string name = shipments ? "60001.txt" : "50001.xml";
  QuietWorker worker;
  for (auto _ : state) {
    marketplace.Put(name, report);
    marketplace.ClearCounts();
    amazon shop(worker);
    std::string error;
    const double start = ThreadCpuSeconds();
    const auto result = shop.HoleBestellungenVomShop(error, false);
    state.SetIterationTime(ThreadCpuSeconds() - start);
    if (result != 1) state.SkipWithError(("import failed: " + error).c_str());
  }
  state.counters["orders"] = kOrders;
  state.counters["requests"] = static_cast<double>(marketplace.Requests());
  state.counters["connections"] = static_cast<double>(marketplace.Connections());
  state.counters["report_MB"] = static_cast<double>(report.size()) / 1e6;
}

// The connector's own CPU time: the same import with the simulator's
// answers replayed in-process, so that neither the simulator nor the
// transport counts. It reads the report from its file, signs and builds
// every request, parses every answer, builds and writes every order.
// Against it, from the same run, two baselines:
//   - baseline: one parse of the report (pugixml; the flat file's table
//     reader for the shipment report) plus the orders writer writing the
//     same orders, made beforehand;
//   - baseline_with_answers: the same plus one pugixml parse of each
//     answer the import reads, which no import can do without.
void ImportWithoutTransport(benchmark::State& state, bool shipments) {
  NoWaitClock clock;
  platform::ScopedClock installed(clock);
  Marketplace marketplace;
  const std::string report = marketplace.Report(shipments);
  const std::string name = shipments ? "60001.txt" : "50001.xml";
  QuietWorker worker;
  Recording recording;
  marketplace.Put(name, report);
  std::string error;
  amazon(worker, [&recording] {
    return std::make_unique<RecordingClient>(recording);
  }).HoleBestellungenVomShop(error, false);
  const platform::HttpClientFactory http = [&recording] { return std::make_unique<ReplayClient>(recording); };
  // For a profiler: the replay alone, again and again.
  for (int i = std::atoi(std::getenv("KANVIO_BENCH_REPLAYS") ? std::getenv("KANVIO_BENCH_REPLAYS") : "0");
       i > 0; --i) {
    marketplace.Put(name, report);
    recording.Rewind();
    ReplayForProfiler(worker, http);
  }

  double own = 1e9;
  for (auto _ : state) {
    marketplace.Put(name, report);
    recording.Rewind();
    amazon shop(worker, http);
    const double start = ThreadCpuSeconds();
    const auto result = shop.HoleBestellungenVomShop(error, false);
    const double seconds = ThreadCpuSeconds() - start;
    state.SetIterationTime(seconds);
    own = std::min(own, seconds);
    if (result != 1) state.SkipWithError(("import failed: " + error).c_str());
  }

  const std::vector<orders::ShopOrder> orders = SameOrders(report, recording, shipments);
  const auto target =
      std::filesystem::temp_directory_path() / ("kanvio-amazon-baseline-" + std::to_string(getpid()));
  const double report_and_writer = LeastCpuSeconds(3, [&] {
    if (shipments) {
      benchmark::DoNotOptimize(FlatFileTable::Parse(report).rows.size());
    } else {
      pugi::xml_document document;
      document.load_buffer(report.data(), report.size());
    }
    orders::OrderXmlWriter writer(target, orders::OrderXmlOptions::Amazon());
    for (const auto& order : orders) writer.WriteOrder(order);
    writer.Close();
  });
  // The same with the report read from its file, as the connector must: the
  // first baseline starts from bytes already in memory.
  marketplace.Put(name, report);
  const std::filesystem::path file = marketplace.ReportFile(name);
  const double file_and_writer = LeastCpuSeconds(3, [&] {
    if (shipments) {
      std::string text(std::filesystem::file_size(file), '\0');
      std::FILE* in = std::fopen(file.c_str(), "rb");
      if (in == nullptr || std::fread(text.data(), 1, text.size(), in) != text.size()) std::abort();
      std::fclose(in);
      benchmark::DoNotOptimize(FlatFileTable::Parse(text).rows.size());
    } else {
      pugi::xml_document document;
      document.load_file(file.c_str());
    }
    orders::OrderXmlWriter writer(target, orders::OrderXmlOptions::Amazon());
    for (const auto& order : orders) writer.WriteOrder(order);
    writer.Close();
  });
  std::filesystem::remove(target);
  const double answers = LeastCpuSeconds(3, [&] {
    for (const auto& answer : recording.answers) {
      pugi::xml_document document;
      document.load_buffer(answer.body.data(), answer.body.size());
    }
  });

  state.counters["orders"] = static_cast<double>(orders.size());
  state.counters["requests"] = static_cast<double>(recording.answers.size());
  state.counters["report_MB"] = static_cast<double>(report.size()) / 1e6;
  state.counters["answers_MB"] = static_cast<double>(recording.Bytes()) / 1e6;
  state.counters["own_cpu_s"] = own;
  state.counters["baseline_cpu_s"] = report_and_writer;
  state.counters["answers_parse_cpu_s"] = answers;
  state.counters["own_vs_baseline"] = own / report_and_writer;
  state.counters["own_vs_baseline_with_answers"] = own / (report_and_writer + answers);
  state.counters["baseline_from_file_cpu_s"] = file_and_writer;
  state.counters["own_vs_baseline_from_file"] = own / file_and_writer;
}

void BM_ImportXmlReport(benchmark::State& state) { Import(state, false); }
void BM_ImportXmlReportWithoutTransport(benchmark::State& state) { ImportWithoutTransport(state, false); }
void BM_ImportShipmentReport(benchmark::State& state) { Import(state, true); }
void BM_ImportShipmentReportWithoutTransport(benchmark::State& state) { ImportWithoutTransport(state, true); }
BENCHMARK(BM_ImportXmlReport)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportXmlReportWithoutTransport)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportShipmentReport)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportShipmentReportWithoutTransport)
    ->Iterations(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kanvio

BENCHMARK_MAIN();
