// Writing the orders file: 100,000 orders of five lines each with the streaming
// writer and with the record writer, against one fwrite of the same bytes.

#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "orders/OrderRecords.h"
#include "orders/OrderXmlWriter.h"
#include "orders/XmlSaver.h"
#include "support/DateFormat.h"
#include "support/InvariantNumber.h"

namespace kanvio::orders {
namespace {

constexpr int kOrders = 100000;
constexpr int kLinesPerOrder = 5;

ShopOrder MakeOrder(int n) {
  ShopOrder order;
  const std::string id = std::to_string(100000 + n);
  order.OrderNumber = "302-" + id + "-4711";
  order.OrderDate = date_format::German({2024, 3, 1 + n % 28, n % 24, n % 60, (n * 7) % 60});
  order.DeliveryKind = "Standard";
  order.PaymentKind = "PayPal";
  order.OrderMessage = n % 3 == 0 ? "Bitte nicht klingeln & vor die Tür legen" : "";
  auto& customer = *order.CustomerData.Customer;
  customer.CustomerNumberShop = "K" + id;
  customer.Salutation = "Frau";
  customer.Name = "Müller";
  customer.FirstName = "Erika";
  customer.Street = "Hauptstraße " + std::to_string(n % 200 + 1);
  customer.PostalCode = "10115";
  customer.Location = "Berlin";
  customer.CountryCode = "DE";
  customer.Country = "Deutschland";
  customer.Mail = "kunde" + id + "@example.invalid";
  customer.Phone = "030 1234567";
  auto& delivery = *order.CustomerData.DeliveryData;
  delivery.Name = customer.Name;
  delivery.FirstName = customer.FirstName;
  delivery.Street = customer.Street;
  delivery.PostalCode = customer.PostalCode;
  delivery.Location = customer.Location;
  delivery.CountryCode = customer.CountryCode;
  delivery.Country = customer.Country;
  order.CustomerData.FrieghtCost.FreightCostGross = invariant::SingleRoundTrip(4.95f);
  for (int line = 0; line < kLinesPerOrder; ++line) {
    auto& article = *order.Article.emplace_back();
    const float price = 9.99f + static_cast<float>((n + line) % 50);
    article.ArticleNumberShop = "SKU-" + std::to_string((n * 5 + line) % 9973);
    article.Amount = std::to_string(1 + line % 3);
    article.ArticleDiffPriceGross = invariant::DoubleRoundTrip(static_cast<double>(price) / (1 + line % 3));
    article.ArticleDiffTaxValue = invariant::SingleRoundTrip(19.0f);
    article.ArticleText = "Artikel <" + std::to_string(line) + "> in Größe XL";
  }
  return order;
}

const std::vector<ShopOrder>& Orders() {
  static const std::vector<ShopOrder> orders = [] {
    std::vector<ShopOrder> all;
    all.reserve(kOrders);
    for (int n = 0; n < kOrders; ++n) all.push_back(MakeOrder(n));
    return all;
  }();
  return orders;
}

class BenchDir {
 public:
  BenchDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "kanvio-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
  }
  ~BenchDir() { std::filesystem::remove_all(path_); }
  std::filesystem::path operator/(const char* name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

BenchDir& Dir() {
  static BenchDir dir;
  return dir;
}

void WriteStreaming(const std::filesystem::path& file) {
  OrderXmlOptions options;
  options.comment_suffix = " - Transfer Shopbestellungen";
  OrderXmlWriter writer(file, options);
  for (const ShopOrder& order : Orders()) writer.WriteOrder(order);
  writer.Close();
}

void BM_StreamingWriter(benchmark::State& state) {
  const auto file = Dir() / "stream.xml";
  Orders();
  for (auto _ : state) WriteStreaming(file);
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(std::filesystem::file_size(file)));
}

void BM_RecordWriter(benchmark::State& state) {
  const auto file = Dir() / "records.xml";
  Orders();
  for (auto _ : state) XmlSaver<ShopOrder>::Write(Orders(), file, "OrderNotification", true);
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(std::filesystem::file_size(file)));
}

// The same bytes as the streaming writer produces, handed to one fwrite.
void Fwrite(benchmark::State& state, bool sync) {
  const auto source = Dir() / "stream.xml";
  WriteStreaming(source);
  std::ifstream in(source, std::ios::binary);
  std::stringstream content;
  content << in.rdbuf();
  const std::string bytes = content.str();
  const auto file = Dir() / "fwrite.xml";
  for (auto _ : state) {
    std::FILE* out = std::fopen(file.c_str(), "wb");
    if (out == nullptr || std::fwrite(bytes.data(), 1, bytes.size(), out) != bytes.size()) {
      state.SkipWithError("fwrite failed");
    }
    if (out != nullptr && sync) {
      std::fflush(out);
      fsync(fileno(out));
    }
    if (out != nullptr) std::fclose(out);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes.size()));
}

void BM_Fwrite(benchmark::State& state) { Fwrite(state, false); }
void BM_FwriteAndFsync(benchmark::State& state) { Fwrite(state, true); }

void BM_SingleRoundTrip(benchmark::State& state) {
  float value = 0.01f;
  for (auto _ : state) {
    benchmark::DoNotOptimize(invariant::SingleRoundTrip(value));
    value += 1.37f;
  }
}

void BM_DoubleRoundTrip(benchmark::State& state) {
  double value = 19.99;
  for (auto _ : state) {
    benchmark::DoNotOptimize(invariant::DoubleRoundTrip(static_cast<double>(static_cast<float>(value)) / 3));
    value += 1.37;
  }
}

BENCHMARK(BM_StreamingWriter)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_RecordWriter)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_Fwrite)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_FwriteAndFsync)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_SingleRoundTrip);
BENCHMARK(BM_DoubleRoundTrip);

}  // namespace
}  // namespace kanvio::orders

BENCHMARK_MAIN();
