// An upload of 2,000 packages of about 10 KB to a loopback server that
// answers at once: through one HttpClient, and through the least libcurl can
// do (one easy handle set up once). The client should cost at most 1.3 times
// the minimal loop.

#include <benchmark/benchmark.h>
#include <curl/curl.h>
#include <httplib.h>

#include <atomic>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

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

class UploadServer {
 public:
  UploadServer() {
    server_.Post("/sync", [](const httplib::Request&, httplib::Response& res) {
      res.set_content("<Exportprotokoll><Export_Status>SUCCESS</Export_Status></Exportprotokoll>",
                      "text/xml");
    });
    server_.set_keep_alive_max_count(1'000'000);
    server_.set_tcp_nodelay(true);
    port_ = server_.bind_to_any_port("127.0.0.1");
    if (port_ <= 0) throw std::runtime_error("no port on 127.0.0.1");
    thread_ = std::thread([this] { server_.listen_after_bind(); });
    while (!server_.is_running()) std::this_thread::yield();
  }
  ~UploadServer() {
    server_.stop();
    thread_.join();
  }
  std::string url() const { return "http://127.0.0.1:" + std::to_string(port_) + "/sync"; }

 private:
  httplib::Server server_;
  int port_ = -1;
  std::thread thread_;
};

UploadServer& Server() {
  static UploadServer server;
  return server;
}

void BM_HttpClientUpload(benchmark::State& state) {
  using namespace kanvio::platform;
  const auto& packages = Packages();
  for (auto _ : state) {
    auto client = CreateHttpClient();
    HttpRequest request;
    request.method = HttpMethod::kPost;
    request.url = Server().url();
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
  const std::string url = Server().url();
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
