// The worker's own cost per operation with the pause at 0: reading the
// operation from the settings store, starting the task, running the queued
// actions, joining. The connector does nothing.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>

#include "config/Settings.h"
#include "platform/HeadlessProgressView.h"
#include "shops/ShopCaller.h"
#include "worker/formWorker.h"

namespace kanvio {
namespace {

class IdleShop : public IShop {
 public:
  explicit IdleShop(IWorker& worker, int messages) : worker_(worker), messages_(messages) {}
  std::int32_t HoleBestellungenVomShop(std::string&, bool) override {
    for (int i = 0; i < messages_; ++i) worker_.setUserStatusMessage("Bestellung", i);
    return 1;
  }
  std::int32_t HoleArtikellisteVomShop(std::string&, bool) override { return 1; }
  std::int32_t HoleArtikelVomShop(std::string&, bool) override { return 1; }
  std::int32_t KontrolliereVerbindungZumShop(std::string&, bool) override { return 1; }
  std::int32_t ExportArtikelZumShop(std::string&, bool) override { return 1; }
  std::int32_t SetzeBestellstatus(std::string&, bool) override { return 1; }
  std::int32_t SetzeBestellstatusVonOrderID(std::string&, const std::string&, bool) override { return 1; }
  std::int32_t SetzeLagerbestand(std::string&, bool) override { return 1; }
  std::int32_t SetzeArtikelPreise(std::string&, bool) override { return 1; }
  std::int32_t ExportierePreisListenzuArtikel(std::string&, bool) override { return 1; }
  std::int32_t SucheAnzahlOffeneBestellungenImShop() override { return 0; }

 private:
  IWorker& worker_;
  int messages_;
};

// A private settings store for the run, removed afterwards.
class BenchFolder {
 public:
  BenchFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "kanvio-bench-XXXXXX").string();
    path_ = mkdtemp(pattern.data());
    setenv("KANVIO_USER_CONFIG_DIR", path_.c_str(), 1);
    setenv("KANVIO_PROGRAMDATA", path_.c_str(), 1);
    setenv("KANVIO_WORKER_PAUSE_MS", "0", 1);
  }
  ~BenchFolder() { std::filesystem::remove_all(path_); }

 private:
  std::filesystem::path path_;
};

void BM_WorkerOperation(benchmark::State& state) {
  BenchFolder folder;
  const int messages = static_cast<int>(state.range(0));
  ShopCaller::Register("idle", [messages](IWorker& w) { return std::make_unique<IdleShop>(w, messages); });
  formWorker worker(true, std::make_unique<platform::HeadlessProgressView>(), nullptr);
  worker.InitShop("ledgrox", "idle", "", "", "");
  Settings settings;
  settings.set_WEBSERVICE_METHODE("GET_ORDERS");
  settings.Save();
  for (auto _ : state) worker.ShowDialog();
  ShopCaller::Unregister("idle");
}
BENCHMARK(BM_WorkerOperation)->Arg(0)->Arg(100)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace kanvio

BENCHMARK_MAIN();
