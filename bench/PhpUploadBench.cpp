// The whole article upload of the PHP shops in 2,000 packages (cutting the
// host file, sending, collecting the protocols) against the least libcurl
// can do to send the same package bodies over one connection. Target: at
// most 1.3 times the minimal loop.

#include <benchmark/benchmark.h>
#include <curl/curl.h>
#include <httplib.h>

#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <string>
#include <thread>

#include "LoopbackServer.h"
#include "config/ConfigFileWriter.h"
#include "config/Settings.h"
#include "hostfiles/XmlPackages.h"
#include "platform/DynamicLibrary.h"
#include "shops/php/PHPFileConnector.h"

namespace {

constexpr int kPackages = 2000;
constexpr int kRowsPerPackage = 100;

constexpr const char* kSuccess =
    "<Exportprotokoll><Export_Status>SUCCESS</Export_Status><Anzahl_Datensaetze_Gesamt>100"
    "</Anzahl_Datensaetze_Gesamt><Anzahl_Datensaetze_Erfolgreich_Uebergeben>100"
    "</Anzahl_Datensaetze_Erfolgreich_Uebergeben></Exportprotokoll>";

struct Environment {
  std::filesystem::path dir;
  std::filesystem::path host_file;
  std::string article_export;
  LoopbackServer script{"/ledgrox_osc_sync.php", kSuccess};

  Environment() {
    char pattern[] = "/tmp/kanvio-bench-XXXXXX";
    dir = mkdtemp(pattern);
    setenv("KANVIO_USER_CONFIG_DIR", (dir / "store").c_str(), 1);
    setenv("KANVIO_PROGRAMDATA", (dir / "programdata").c_str(), 1);
    const auto software = kanvio::platform::ExecutablePath().parent_path().parent_path();
    setenv("KANVIO_PATHS_LIBRARY", (software / "libPaths.so").c_str(), 1);
    kanvio::ConfigFileWriter writer;
    host_file = dir / "Artikelexport.xml";
    article_export = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Artikelexport>\n";
    for (int i = 0; i < kPackages * kRowsPerPackage; ++i)
      article_export += "<row><ArtikelnummerWebshop>A-" + std::to_string(i) +
                        "</ArtikelnummerWebshop><Artikelbeschreibung>Größe XL</Artikelbeschreibung></row>\n";
    article_export += "</Artikelexport>\n";
    kanvio::Settings settings;
    settings.set_ERP_SYSTEM("ledgrox");
    settings.set_WEBSERVICE_SHOP("gambio");
    settings.set_WEBSERVICE_URL(script.base());
    settings.set_WEBSERVICE_LOGIN("bench");
    settings.set_WEBSERVICE_RESULT_FILEPATH(host_file.string());
    settings.Save();
  }
  ~Environment() { std::filesystem::remove_all(dir); }

  void ResetHostFile() const { std::ofstream(host_file, std::ios::binary) << article_export; }
};

Environment& Env() {
  static Environment env;
  return env;
}

void BM_PhpArticleUpload(benchmark::State& state) {
  auto& env = Env();
  for (auto _ : state) {
    state.PauseTiming();
    env.ResetHostFile();
    state.ResumeTiming();
    kanvio::PHPFileConnector php;
    std::string error;
    if (php.SEND_ARTICLES_TO_PHP_FILE(error, nullptr, true) != 1) state.SkipWithError("upload failed");
  }
}

size_t Discard(char*, size_t size, size_t count, void*) { return size * count; }

void BM_MinimalCurlLoop(benchmark::State& state) {
  auto& env = Env();
  env.ResetHostFile();
  const kanvio::XmlPackages packages(env.host_file, "Artikelexport", "row", "Artikelexport", kRowsPerPackage);
  std::vector<std::string> bodies;
  for (std::size_t i = 0; i < packages.size(); ++i) bodies.push_back(packages.Text(i));
  curl_global_init(CURL_GLOBAL_DEFAULT);
  const std::string url = env.script.base() + "/ledgrox_osc_sync.php?shp_system=gambio&sync=lqx_to_shop";
  for (auto _ : state) {
    CURL* curl = curl_easy_init();
    curl_slist* headers = nullptr;
    for (const char* line : {"User-Agent: bench", "Content-Type: text/xml", "Content-Encoding: UTF-8", "Expect:"})
      headers = curl_slist_append(headers, line);
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &Discard);
    curl_easy_setopt(curl, CURLOPT_POST, 1L);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    for (const std::string& body : bodies) {
      curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
      curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body.data());
      if (curl_easy_perform(curl) != CURLE_OK) state.SkipWithError("curl failed");
    }
    curl_slist_free_all(headers);
    curl_easy_cleanup(curl);
  }
}

BENCHMARK(BM_MinimalCurlLoop)->Unit(benchmark::kMillisecond)->MinTime(3)->UseRealTime();
BENCHMARK(BM_PhpArticleUpload)->Unit(benchmark::kMillisecond)->MinTime(3)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
