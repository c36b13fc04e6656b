// A connector family for the end-to-end tests, built into a library of its
// own beside the real one. It reads its answers from the shop address that
// Init stored: "test:" followed by "&"-separated settings:
//   <Operation>=<result>|throw    the result of an operation (1 when absent);
//                                 throw-std and throw-other raise what is no
//                                 error of the library's own
//   <Operation>.text=<text>       the error text it sets
//   journal=<file>                each call appends "<family> <Operation>[ check]"
// Operations that fetch write a small document to the result file; those that
// export fail when the input file is missing. Each reports progress.
#include <fstream>
#include <map>
#include <memory>
#include <stdexcept>

#include "config/Settings.h"
#include "platform/FileSystem.h"
#include "shops/IShop.h"
#include "shops/ShopCaller.h"
#include "support/Error.h"
#include "support/Text.h"

namespace kanvio::testshop {
namespace {

enum class Kind { kNone, kFetch, kExport };

std::map<std::string, std::string> ReadScript() {
  std::map<std::string, std::string> script;
  std::string address = Settings().WEBSERVICE_URL();
  if (!text::StartsWith(address, "test:")) return script;
  std::size_t start = 5;
  while (start <= address.size()) {
    std::size_t end = address.find('&', start);
    if (end == std::string::npos) end = address.size();
    std::string pair = address.substr(start, end - start);
    if (auto eq = pair.find('='); eq != std::string::npos) script[pair.substr(0, eq)] = pair.substr(eq + 1);
    start = end + 1;
  }
  return script;
}

template <class Base>
class TestShop : public Base {
 public:
  TestShop(IWorker& worker, std::string family) : worker_(worker), family_(std::move(family)) {}

  std::int32_t HoleBestellungenVomShop(std::string& e, bool c) override {
    return Do("HoleBestellungenVomShop", Kind::kFetch, c, e);
  }
  std::int32_t HoleArtikellisteVomShop(std::string& e, bool c) override {
    return Do("HoleArtikellisteVomShop", Kind::kFetch, c, e);
  }
  std::int32_t HoleArtikelVomShop(std::string& e, bool c) override {
    return Do("HoleArtikelVomShop", Kind::kFetch, c, e);
  }
  std::int32_t KontrolliereVerbindungZumShop(std::string& e, bool c) override {
    return Do("KontrolliereVerbindungZumShop", Kind::kNone, c, e);
  }
  std::int32_t ExportArtikelZumShop(std::string& e, bool c) override {
    return Do("ExportArtikelZumShop", Kind::kExport, c, e);
  }
  std::int32_t SetzeBestellstatus(std::string& e, bool c) override {
    return Do("SetzeBestellstatus", Kind::kExport, c, e);
  }
  std::int32_t SetzeBestellstatusVonOrderID(std::string& e, const std::string&, bool c) override {
    return Do("SetzeBestellstatusVonOrderID", Kind::kNone, c, e);
  }
  std::int32_t SetzeLagerbestand(std::string& e, bool c) override {
    return Do("SetzeLagerbestand", Kind::kExport, c, e);
  }
  std::int32_t SetzeArtikelPreise(std::string& e, bool c) override {
    return Do("SetzeArtikelPreise", Kind::kExport, c, e);
  }
  std::int32_t ExportierePreisListenzuArtikel(std::string& e, bool c) override {
    return Do("ExportierePreisListenzuArtikel", Kind::kExport, c, e);
  }
  std::int32_t SucheAnzahlOffeneBestellungenImShop() override {
    std::string ignored;
    return Do("SucheAnzahlOffeneBestellungenImShop", Kind::kNone, false, ignored);
  }

 protected:
  std::int32_t Do(const std::string& operation, Kind kind, bool check, std::string& error) {
    auto script = ReadScript();
    if (auto journal = script.find("journal"); journal != script.end())
      std::ofstream(journal->second, std::ios::app)
          << family_ << " " << operation << (check ? " check" : "") << "\n";
    if (!check) {
      worker_.SetMaxValue(2);
      worker_.setUserStatusMessage("Testshop: " + operation, 1);
    }
    if (auto text = script.find(operation + ".text"); text != script.end()) error = text->second;
    std::string answer = script.count(operation) ? script[operation] : "1";
    if (answer == "throw") throw Error(operation + ": Testfehler");
    if (answer == "throw-std") throw std::runtime_error(operation + ": fremder Fehler");
    if (answer == "throw-other") throw 42;
    const std::int32_t result = std::stoi(answer);
    if (check || result != 1) return result;
    const std::string file = Settings().WEBSERVICE_RESULT_FILEPATH();
    if (kind == Kind::kFetch) {
      platform::WriteFileAtomically(file, "<?xml version=\"1.0\"?><" + operation + " />");
    } else if (kind == Kind::kExport && !std::ifstream(file)) {
      error = "Die Eingabedatei " + file + " fehlt.";
      return -1;
    }
    return result;
  }

 private:
  IWorker& worker_;
  const std::string family_;
};

class TestEbay : public TestShop<IShop> {
 public:
  using TestShop::TestShop;
  Marketplace marketplace() const override { return Marketplace::kEbay; }
};

const ShopCaller::Registrar kTestShop("testshop", [](IWorker& w) {
  return std::make_unique<TestShop<IShop>>(w, "testshop");
});
const ShopCaller::Registrar kTestEbay("testebay",
                                      [](IWorker& w) { return std::make_unique<TestEbay>(w, "testebay"); });

}  // namespace
}  // namespace kanvio::testshop
