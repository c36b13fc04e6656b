// Upload files of realistic size: cutting them into packages and reading
// them into records, each against one plain parse of the same file. Peak
// memory is measured in a child process per task, so that one task's pages
// do not count for the next; it is reported in the context lines.
#include <benchmark/benchmark.h>
#include <fmt/format.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <pugixml.hpp>
#include <stdexcept>
#include <string>
#include <vector>

#include "hostfiles/SplittedArticleBuilder.h"
#include "hostfiles/XmlFileCaller.h"

namespace {

namespace fs = std::filesystem;

constexpr int kPackageRows = 200'000;
constexpr int kReadRows = 100'000;
constexpr int kPackageSize = 100;

fs::path g_package_file;  // kPackageRows rows
fs::path g_read_file;     // kReadRows rows

// About 500 bytes per row, as the host writes them.
void WriteArticleExport(const fs::path& file, int rows) {
  std::ofstream out(file, std::ios::binary);
  out << "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<Artikelexport>\n";
  for (int i = 0; i < rows; ++i) {
    out << fmt::format(
        "<row><ArtikelnummerWebshop>A{0:07}</ArtikelnummerWebshop>"
        "<Artikelbeschreibung>Artikel {0}&lt;br&gt;Pflegeleicht</Artikelbeschreibung>"
        "<MwStCode>1</MwStCode><Einheit>Stk</Einheit><Artikelkategorie>Gruppe {1}</Artikelkategorie>"
        "<Gewicht>1,25</Gewicht><Volumen>0.5</Volumen><Anmerkungen>KVX_IGNORE</Anmerkungen>"
        "<ArtikelpreisNetto>{2},95</ArtikelpreisNetto><ArtikelpreisBrutto>{3},49</ArtikelpreisBrutto>"
        "<ArtikelPreisBeziehtSichAufMenge>1</ArtikelPreisBeziehtSichAufMenge>"
        "<ArtikelpreisWaehrung>EUR</ArtikelpreisWaehrung><Einkaufspreis>{4},10</Einkaufspreis>"
        "<Artikelbild>b/{0}.jpg</Artikelbild></row>\n",
        i, i % 50, i % 1000, i % 1000 + 2, i % 700);
  }
  out << "</Artikelexport>\n";
}

void Parse(const fs::path& file) {
  pugi::xml_document document;
  if (!document.load_file(file.c_str())) throw std::runtime_error("parse failed");
  benchmark::DoNotOptimize(document.first_child());
}

std::size_t Cut(const fs::path& file) {
  const kanvio::XmlPackages packages =
      kanvio::SplittedArticleBuilder<>::SplitArticleExport(file, kPackageSize);
  std::size_t bytes = 0;
  packages.ForEach([&](std::size_t, const std::string& text) { bytes += text.size(); });
  return bytes;
}

std::size_t Read(const fs::path& file) {
  std::string error;
  kanvio::SyncSettings sync;
  const auto articles = kanvio::XmlFileCaller::ReadXmlArticles(file, error, sync);
  if (!articles || !error.empty()) throw std::runtime_error("read failed: " + error);
  return articles->size();
}

void BM_ParsePackageFile(benchmark::State& state) {
  for (auto _ : state) Parse(g_package_file);
}
void BM_CutPackageFile(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(Cut(g_package_file));
}
void BM_ParseReadFile(benchmark::State& state) {
  for (auto _ : state) Parse(g_read_file);
}
void BM_ReadXmlArticles(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(Read(g_read_file));
}
// The machine is shared: the fastest of several runs is the figure to compare.
void Configure(benchmark::internal::Benchmark* b) {
  b->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(7)->ReportAggregatesOnly(true);
  b->ComputeStatistics("min",
                       [](const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); });
}
BENCHMARK(BM_ParsePackageFile)->Apply(Configure);
BENCHMARK(BM_CutPackageFile)->Apply(Configure);
BENCHMARK(BM_ParseReadFile)->Apply(Configure);
BENCHMARK(BM_ReadXmlArticles)->Apply(Configure);

// Peak resident memory of task run alone in a fresh child, in bytes.
long PeakMemory(const std::function<void()>& task) {
  int pipe_ends[2];
  if (pipe(pipe_ends) != 0) throw std::runtime_error("pipe failed");
  const pid_t child = fork();
  if (child == 0) {
    close(pipe_ends[0]);
    task();
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const long peak = usage.ru_maxrss * 1024L;
    _exit(write(pipe_ends[1], &peak, sizeof peak) == sizeof peak ? 0 : 1);
  }
  close(pipe_ends[1]);
  long peak = -1;
  if (read(pipe_ends[0], &peak, sizeof peak) != sizeof peak) peak = -1;
  close(pipe_ends[0]);
  int status = 0;
  waitpid(child, &status, 0);
  return peak;
}

void ReportPeak(const char* name, const fs::path& file, const std::function<void()>& task) {
  const double size = static_cast<double>(fs::file_size(file));
  const long peak = PeakMemory(task);
  benchmark::AddCustomContext(
      name, fmt::format("{:.0f} MB = {:.2f} x file ({:.0f} MB)", peak / 1e6, peak / size, size / 1e6));
}

}  // namespace

int main(int argc, char** argv) {
  std::string folder = (fs::temp_directory_path() / "kanvio-bench-XXXXXX").string();
  if (mkdtemp(folder.data()) == nullptr) return 1;
  g_package_file = fs::path(folder) / "artikel-200k.xml";
  g_read_file = fs::path(folder) / "artikel-100k.xml";
  WriteArticleExport(g_package_file, kPackageRows);
  WriteArticleExport(g_read_file, kReadRows);

  ReportPeak("peak_parse_200k", g_package_file, [] { Parse(g_package_file); });
  ReportPeak("peak_cut_200k", g_package_file, [] { Cut(g_package_file); });
  ReportPeak("peak_parse_100k", g_read_file, [] { Parse(g_read_file); });
  ReportPeak("peak_read_100k", g_read_file, [] { Read(g_read_file); });

  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  fs::remove_all(folder);
  return 0;
}
