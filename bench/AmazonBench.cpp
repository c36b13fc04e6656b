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
#include <filesystem>
#include <fstream>
#include <pugixml.hpp>
#include <string>
#include <vector>

#include "MwsDemoData.h"
#include "MwsReportBodies.h"
#include "ShopSimulator.h"
#include "config/Settings.h"
#include "net/MwsSignature.h"
#include "orders/OrderXmlWriter.h"
#include "platform/Clock.h"
#include "shops/IWorker.h"
#include "shops/amazon/AmazonOrderBuilder.h"
#include "shops/amazon/ReportFiles.h"
#include "shops/amazon/amazon.h"

namespace kanvio {
namespace {

constexpr int kOrders = 50000;

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
  std::size_t next = 0;
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
    return recording_.answers.at(recording_.next++);
  }

 private:
  Recording& recording_;
};

// The connector: HoleBestellungenVomShop over one report of 50,000 orders,
// over loopback or, without transport, with the simulator's recorded answers.
void Import(benchmark::State& state, bool shipments, bool transport) {
  NoWaitClock clock;
  platform::ScopedClock installed(clock);
  Marketplace marketplace;
  const std::string report = marketplace.Report(shipments);
  const std::string name = shipments ? "60001.txt" : "50001.xml";
  QuietWorker worker;
  Recording recording;
  platform::HttpClientFactory http = platform::CreateHttpClient;
  if (!transport) {
    marketplace.Put(name, report);
    std::string error;
    amazon(worker, [&recording] {
      return std::make_unique<RecordingClient>(recording);
    }).HoleBestellungenVomShop(error, false);
    http = [&recording] { return std::make_unique<ReplayClient>(recording); };
  }
  for (auto _ : state) {
    marketplace.Put(name, report);
    marketplace.ClearCounts();
    recording.next = 0;
    amazon shop(worker, http);
    std::string error;
    const double start = ThreadCpuSeconds();
    const auto result = shop.HoleBestellungenVomShop(error, false);
    state.SetIterationTime(ThreadCpuSeconds() - start);
    if (result != 1) state.SkipWithError(("import failed: " + error).c_str());
  }
  state.counters["orders"] = kOrders;
  state.counters["requests"] =
      static_cast<double>(transport ? marketplace.Requests() : recording.answers.size());
  if (transport) state.counters["connections"] = static_cast<double>(marketplace.Connections());
  state.counters["report_MB"] = static_cast<double>(report.size()) / 1e6;
}

// One parse of the report and the orders writer on the same orders, built
// beforehand from the marketplace's data.
void Baseline(benchmark::State& state, bool shipments) {
  std::vector<shopsim::MwsOrderRecord> records;
  for (int n = 1; n <= kOrders; ++n) records.push_back(shopsim::MwsDemoData::Generated(n, shipments));
  const std::string report = shipments ? shopsim::mws_reports::ShipmentReport(records)
                                       : shopsim::mws_reports::XmlOrderReport(records);
  std::vector<orders::ShopOrder> orders;
  for (const auto& record : records) {
    net::MwsOrder order{record.id, record.status, record.sales_channel, record.buyer_email,
                        net::MwsMoney{record.currency, *record.total}};
    std::vector<net::MwsOrderItem> items;
    for (const auto& item : record.items) {
      net::MwsOrderItem line;
      line.SellerSKU = item.sku;
      line.ASIN = item.asin;
      line.Title = item.title;
      line.QuantityOrdered = item.quantity;
      line.ItemPrice = net::MwsMoney{record.currency, *item.item_price};
      items.push_back(line);
    }
    OrderReportEntry entry;
    entry.AmazonOrderID = record.id;
    entry.OrderDate = record.purchase_date;
    const auto& a = *record.billing;
    entry.has_billing_data = entry.has_fulfillment_data = true;
    entry.billing = entry.shipping =
        ReportAddress{a.name, a.line1, a.line2, a.city, a.postal_code, a.country_code, a.phone};
    orders.push_back(amazon_orders::ReportOrder(entry, order, items));
  }
  const auto target =
      std::filesystem::temp_directory_path() / ("kanvio-amazon-baseline-" + std::to_string(getpid()));
  for (auto _ : state) {
    const double start = ThreadCpuSeconds();
    pugi::xml_document document;
    if (shipments) {
      benchmark::DoNotOptimize(FlatFileTable::Parse(report).rows.size());
    } else {
      document.load_buffer(report.data(), report.size());
    }
    orders::OrderXmlWriter writer(target, orders::OrderXmlOptions::Amazon());
    for (const auto& order : orders) writer.WriteOrder(order);
    writer.Close();
    state.SetIterationTime(ThreadCpuSeconds() - start);
  }
  std::filesystem::remove(target);
}

void BM_ImportXmlReport(benchmark::State& state) { Import(state, false, true); }
void BM_ImportXmlReportWithoutTransport(benchmark::State& state) { Import(state, false, false); }
void BM_BaselineXmlReport(benchmark::State& state) { Baseline(state, false); }
void BM_ImportShipmentReport(benchmark::State& state) { Import(state, true, true); }
void BM_ImportShipmentReportWithoutTransport(benchmark::State& state) { Import(state, true, false); }
void BM_BaselineShipmentReport(benchmark::State& state) { Baseline(state, true); }
BENCHMARK(BM_ImportXmlReport)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportXmlReportWithoutTransport)->Iterations(2)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BaselineXmlReport)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportShipmentReport)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportShipmentReportWithoutTransport)
    ->Iterations(2)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BaselineShipmentReport)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kanvio

BENCHMARK_MAIN();
