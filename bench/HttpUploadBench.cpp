// An upload of 2,000 packages of about 10 KB to a loopback server that
// answers at once: through one HttpClient, and through the least libcurl can
// do (one easy handle set up once). The client should cost at most 1.1 times
// the minimal loop.

#include <benchmark/benchmark.h>
#include <curl/curl.h>
#include <httplib.h>

#include <atomic>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "LoopbackServer.h"
#include "platform/HttpClient.h"

namespace {

constexpr int kPackages = 2000;

const std::vector<std::string>& Packages() {
  static const std::vector<std::string> packages = [] {
    std::vector<std::string> result;
    for (int p = 0; p < kPackages; ++p) {
      std::string xml = "<Artikelexport>";
      for (int row = 0; xml.size() < 10'000; ++row)
        xml += "<row><Artikelnummer>" + std::to_string(p * 100 + row) +
               "</Artikelnummer><Bezeichnung>Größe XL – Baumwolle</Bezeichnung><Preis>19.99</Preis></row>";
      result.push_back(xml + "</Artikelexport>");
    }
    return result;
  }();
  return packages;
}

const std::string& SyncUrl() {
  static LoopbackServer server(
      "/sync", "<Exportprotokoll><Export_Status>SUCCESS</Export_Status></Exportprotokoll>");
  static const std::string url = server.base() + "/sync";
  return url;
}

void BM_HttpClientUpload(benchmark::State& state) {
  using namespace kanvio::platform;
  const auto& packages = Packages();
  for (auto _ : state) {
    auto client = CreateHttpClient();
    HttpRequest request;
    request.method = HttpMethod::kPost;
    request.url = SyncUrl();
    request.headers = {{"User-Agent", "login"}, {"Content-Type", "text/xml"}, {"Content-Encoding", "UTF-8"}};
    request.total_timeout = std::chrono::milliseconds(5'000'000);
    request.inactivity_timeout = std::chrono::milliseconds(5'000'000);
    for (const std::string& package : packages) {
      request.body = package;
      if (client->Send(request).status != 200) state.SkipWithError("unexpected status");
    }
  }
  state.SetItemsProcessed(state.iterations() * kPackages);
}

size_t Discard(char*, size_t size, size_t count, void*) { return size * count; }

void BM_MinimalCurlLoop(benchmark::State& state) {
  const auto& packages = Packages();
  curl_global_init(CURL_GLOBAL_DEFAULT);
  const std::string url = SyncUrl();
  for (auto _ : state) {
    CURL* curl = curl_easy_init();
    curl_slist* headers = nullptr;
    for (const char* line :
         {"User-Agent: login", "Content-Type: text/xml", "Content-Encoding: UTF-8", "Expect:"})
      headers = curl_slist_append(headers, line);
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &Discard);
    curl_easy_setopt(curl, CURLOPT_POST, 1L);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);  // as any threaded program must
    for (const std::string& package : packages) {
      curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(package.size()));
      curl_easy_setopt(curl, CURLOPT_POSTFIELDS, package.data());
      if (curl_easy_perform(curl) != CURLE_OK) state.SkipWithError("curl failed");
    }
    curl_slist_free_all(headers);
    curl_easy_cleanup(curl);
  }
  state.SetItemsProcessed(state.iterations() * kPackages);
}

BENCHMARK(BM_MinimalCurlLoop)->Unit(benchmark::kMillisecond)->MinTime(3)->UseRealTime();
BENCHMARK(BM_HttpClientUpload)->Unit(benchmark::kMillisecond)->MinTime(3)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
