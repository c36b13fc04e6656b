// kanvio: a host program for the connector library. One run is one
// connection: an initialisation, any number of operations, DeInit.
#include <CLI/CLI.hpp>
#include <filesystem>
#include <iostream>
#include <optional>

#include "ConnectorLibrary.h"
#include "Operations.h"
#include "platform/CommandLine.h"
#include "platform/DynamicLibrary.h"
#include "platform/Environment.h"
#include "platform/FileSystem.h"
#include "support/Error.h"

namespace kanvio::tool {
namespace {

constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
constexpr int kExitNoLibrary = 3;

struct Options {
  std::string library;
  std::string erp = "ledgrox";
  std::string shop, url, user, password;
  std::string amazon, language;
  std::string ebay, site, token, imported_orders;
  bool sandbox = false;
  std::string date, parameter;
  std::string status_log = "stderr";
  std::string pause_ms;
  std::vector<std::string> words;
};

void KANVIO_CALL IgnoreStatus(const void*) {}

std::filesystem::path DefaultLibrary() {
  return (platform::ExecutablePath().parent_path() / KANVIO_LIBRARY_DIR / KANVIO_LIBRARY_FILE_NAME)
      .lexically_normal();
}

void AddOptions(CLI::App& app, Options& o) {
  app.add_option("--library", o.library,
                 "the connector library [default: " KANVIO_LIBRARY_DIR "/" KANVIO_LIBRARY_FILE_NAME
                 " beside kanvio]");
  app.add_option("--erp", o.erp, "the ERP the library works for: ledgrox or vd")->capture_default_str();

  const char* shop_group = "Web shop (Init)";
  auto* shop = app.add_option("--shop", o.shop,
                              "shop system as the ERP names it, e.g. Gambio, \"xt:Commerce Veyton\", "
                              "\"Shopware 4\", ePages, Strato")
                   ->group(shop_group);
  auto* url = app.add_option("--url", o.url, "address of the shop")->group(shop_group);
  app.add_option("--user", o.user, "user name of the shop's interface")->group(shop_group)->needs(shop);
  app.add_option("--password", o.password, "password of the shop's interface")
      ->group(shop_group)
      ->needs(shop);
  shop->needs(url);
  url->needs(shop);

  const char* amazon_group = "Amazon (InitAmazon)";
  auto* amazon =
      app.add_option("--amazon", o.amazon, "merchant id of the Amazon seller account")->group(amazon_group);
  app.add_option("--language", o.language, "language of the account [default: de]")
      ->group(amazon_group)
      ->needs(amazon);

  const char* ebay_group = "eBay (InitEbay, SetEbayImportedOrdersPath)";
  auto* ebay = app.add_option("--ebay", o.ebay, "user name of the eBay seller account")->group(ebay_group);
  app.add_option("--site", o.site, "eBay site id [default: 77, Germany]")->group(ebay_group)->needs(ebay);
  app.add_flag("--sandbox", o.sandbox, "use eBay's sandbox")->group(ebay_group)->needs(ebay);
  app.add_option("--token", o.token, "eBay token known so far")->group(ebay_group)->needs(ebay);
  app.add_option("--imported-orders", o.imported_orders,
                 "the ERP's list of eBay orders already imported (read to skip them)")
      ->group(ebay_group);

  const char* market_group = "Amazon and eBay";
  app.add_option("--date", o.date, "fetch orders from this date and time on (dd.MM.yyyy HH:mm:ss)")
      ->group(market_group);
  app.add_option("--parameter", o.parameter, "marketplace options")->group(market_group);

  shop->excludes(amazon)->excludes(ebay);
  amazon->excludes(ebay);

  app.add_option("--status-log", o.status_log,
                 "where the progress window's status lines go: stderr, a file, or none")
      ->capture_default_str();
  app.add_option("--pause-ms", o.pause_ms, "pause after each operation in milliseconds [default: 1500]")
      ->check(CLI::NonNegativeNumber);
  app.add_option("operations", o.words, "OPERATION [ARGUMENT] ... as listed below");
}

// Settings for the library, read when it makes its progress window.
void PrepareEnvironment(const Options& o) {
  if (o.status_log == "none")
    platform::UnsetEnvironment("KANVIO_STATUS_LOG");
  else
    platform::SetEnvironment("KANVIO_STATUS_LOG", o.status_log);
  if (!o.pause_ms.empty()) platform::SetEnvironment("KANVIO_WORKER_PAUSE_MS", o.pause_ms);
}

class Session {
 public:
  explicit Session(const ConnectorLibrary& library) : library_(library) {}

  // Whatever fails on the way, the connection ends with DeInit, as the ERP's does.
  int Run(const Options& o, const std::vector<Step>& steps) {
    Print("InitStatusAnzeige", {library_.InitStatusAnzeige(&IgnoreStatus), ""});
    bool connected = false;
    Attempt("SetEbayImportedOrdersPath", [&] {
      if (!o.imported_orders.empty())
        Note("SetEbayImportedOrdersPath",
             library_.Call("SetEbayImportedOrdersPath", AbsolutePath(o.imported_orders)));
    });
    Attempt("initialisation", [&] { connected = Connect(o); });
    if (connected) {
      for (const auto& step : steps) {
        const std::string name(step.operation->export_name);
        Attempt(std::string(step.operation->command), [&] { Note(name, tool::Run(library_, step)); });
      }
    } else if (!steps.empty()) {
      std::cout << "No connection: operations skipped." << std::endl;
    }
    Attempt("DeInit", [&] { Note("DeInit", library_.DeInit()); });
    Print("DeInitStatusAnzeige", {library_.DeInitStatusAnzeige(), ""});
    return failed_ ? kExitFailed : 0;
  }

 private:
  // A failure on kanvio's side of a call is reported and counts as a failed
  // export; the session goes on with the next step.
  template <typename Body>
  void Attempt(const std::string& what, Body&& body) {
    try {
      body();
    } catch (const std::exception& e) {
      std::cout << std::flush;
      std::cerr << "kanvio: " << what << ": " << e.what() << std::endl;
      failed_ = true;
    }
  }

  // Without connection options the operations run unconnected, as a host
  // that skipped the initialisation would.
  bool Connect(const Options& o) {
    Answer answer;
    std::string name;
    if (!o.shop.empty()) {
      name = "Init";
      answer = library_.Init(o.erp, o.shop, o.url, o.user, o.password);
    } else if (!o.amazon.empty()) {
      name = "InitAmazon";
      answer = library_.InitAmazon(o.erp, o.amazon, o.language, o.date, o.parameter);
    } else if (!o.ebay.empty()) {
      name = "InitEbay";
      std::string token = o.token;
      answer =
          library_.InitEbay(o.erp, o.ebay, o.site, o.date, o.sandbox ? "True" : "False", o.parameter, token);
      if (answer.code == 1 && token != o.token) std::cout << "A new eBay token was stored." << std::endl;
    } else {
      return true;
    }
    Note(name, answer);
    return answer.code != -1;
  }

  void Note(const std::string& name, const Answer& answer) {
    Print(name, answer);
    failed_ = failed_ || answer.Failed();
  }

  static void Print(const std::string& name, const Answer& answer) {
    std::cout << name << " = " << answer.code;
    if (!answer.text.empty()) std::cout << "; Fehlermeldung: " << answer.text;
    std::cout << std::endl;
  }

  const ConnectorLibrary& library_;
  bool failed_ = false;
};

// The arguments as UTF-8, in the form CLI11 parses.
class Arguments {
 public:
  Arguments(int argc, char** argv) : texts_(platform::CommandLineArguments(argc, argv)) {
    for (auto& text : texts_) pointers_.push_back(text.data());
  }
  int argc() const { return static_cast<int>(pointers_.size()); }
  char** argv() { return pointers_.data(); }

 private:
  std::vector<std::string> texts_;
  std::vector<char*> pointers_;
};

int Main(int argc, char** argv) {
  CLI::App app{
      "kanvio runs one connection of the marlixKanvio connector library the way the ERP does: an "
      "initialisation (web shop, Amazon or eBay), the operations in the order given, DeInit. It prints "
      "each export's result code and error text.\n\n"
      "Example: kanvio --shop gambio --url https://shop.example --user admin --password secret "
      "count-orders get-orders orders.xml set-stock stock.xml"};
  Options o;
  AddOptions(app, o);
  app.footer(OperationsHelp() +
             "\nExit status: 0 every export succeeded; 1 an export answered -1 or returned an error text, "
             "or a call could not be made; 2 wrong usage; 3 the library could not be loaded.");
  std::vector<Step> steps;
  try {
    Arguments arguments(argc, argv);
    app.parse(arguments.argc(), arguments.argv());
    steps = ParseSteps(o.words);
  } catch (const CLI::ParseError& e) {
    return app.exit(e) == 0 ? 0 : kExitUsage;
  } catch (const Error& e) {
    std::cerr << "kanvio: " << e.what() << "\nRun with --help for more information." << std::endl;
    return kExitUsage;
  }

  std::optional<ConnectorLibrary> library;
  try {
    PrepareEnvironment(o);
    library.emplace(o.library.empty() ? DefaultLibrary() : platform::PathFromUtf8(o.library));
  } catch (const std::exception& e) {
    std::cerr << "kanvio: " << e.what() << std::endl;
    return kExitNoLibrary;
  }
  return Session(*library).Run(o, steps);
}

}  // namespace
}  // namespace kanvio::tool

int main(int argc, char** argv) {
  try {
    return kanvio::tool::Main(argc, argv);
  } catch (const std::exception& e) {
    std::cerr << "kanvio: " << e.what() << std::endl;
  } catch (...) {
    std::cerr << "kanvio: unknown failure" << std::endl;
  }
  return 1;
}
