// kanvio-shopsim: the demo shop on loopback. Runs until SIGINT or SIGTERM.

#include <signal.h>

#include <CLI/CLI.hpp>
#include <iostream>
#include <string>
#include <vector>

#include "ShopSimulator.h"

namespace {

using kanvio::shopsim::ShopSimulator;
using kanvio::shopsim::SimulatorOptions;

struct CommandLine {
  SimulatorOptions options;
  std::vector<std::string> failures;
  std::vector<std::string> functions_off;
  std::string rollback_article;
  std::size_t epages_orders = 0;
  std::size_t epages_products = 0;
  std::string mws_access_key_id, mws_secret;
  std::size_t mws_page_size = 10, mws_item_page_size = 10;
  long long ebay_sign_in_after_ms = -1;
  std::vector<std::string> ebay_tokens;
};

void AddOptions(CLI::App& app, CommandLine& line) {
  app.add_option("--port", line.options.port, "port on 127.0.0.1; 0 picks a free one")
      ->check(CLI::Range(0, 65535));
  app.add_option("--base-path", line.options.base_path,
                 "path the PHP scripts and REST plug-ins live below, e.g. /shop");
  app.add_option("--password", line.options.password, "enciphers paged article answers (at most 32 bytes)");
  app.add_option("--articles-import-limit", line.options.articles_import_limit,
                 "page size the REST plug-in's configuration offers; 0: no paging")
      ->capture_default_str();
  app.add_option("--state-file", line.options.state_file,
                 "file the shop's state is written to after each change");
  app.add_option("--fail", line.failures,
                 "TARGET=FAILURE, e.g. sync:lqx_to_shop=500:text, val=501-utf8, sync=501:text, orders=html, "
                 "sync=slow:2000, del=drop, rest:getArticles:offset=50=500, mws:GetReport=2*503, "
                 "mws:GetReport=md5-wrong; targets: orders, val, sync, del, sync:VALUE, val:FUNCTION, rest, "
                 "rest:ENDPOINT, rest:getArticles:offset=N, epages:SERVICE:OPERATION[:PATH], mws, mws:ACTION, "
                 "mws:ACTION:KEY");
  app.add_option("--function-off", line.functions_off, "function the check script answers 0 for");
  app.add_option("--rollback-article", line.rollback_article, "article number that rolls its package back");
  app.add_flag("!--no-demo-data", line.options.demo_data, "start with an empty shop");
  app.add_option("--mws-access-key-id", line.mws_access_key_id,
                 "the only access key id the MWS endpoints accept; any when not given");
  app.add_option("--mws-secret", line.mws_secret,
                 "secret key MWS requests must be signed with [default: the library's built-in key]");
  app.add_option("--mws-page-size", line.mws_page_size, "reports per page of the MWS report lists")
      ->capture_default_str();
  app.add_option("--mws-item-page-size", line.mws_item_page_size, "order lines per page of ListOrderItems")
      ->capture_default_str();
  app.add_option("--epages-orders", line.epages_orders,
                 "further ePages orders of five lines each, for runs with many orders");
  app.add_option(
      "--epages-products", line.epages_products,
      "further ePages products P1, P2, ... (every tenth a variation), for runs with many articles");
  app.add_option("--ebay-sign-in-after-ms", line.ebay_sign_in_after_ms,
                 "eBay: sign-in sessions count as signed in this long after they were opened (0: at once); "
                 "without it only the sign-in page signs them in")
      ->check(CLI::NonNegativeNumber);
  app.add_option("--ebay-generated-orders", line.options.ebay_generated_orders,
                 "eBay: paid single orders added to the seller's sold list");
  app.add_option("--ebay-token", line.ebay_tokens,
                 "eBay: TOKEN[=STATUS], a token eBay knows (status Active unless given, e.g. Expired)");
}

void ApplySwitches(ShopSimulator& simulator, const CommandLine& line) {
  for (const auto& text : line.failures) {
    if (!simulator.Failures().SetFromSwitch(text))
      throw CLI::ValidationError("--fail", "cannot read '" + text + "'");
  }
  for (const auto& function : line.functions_off) simulator.Shop().SetFunctionOffered(function, false);
  simulator.Shop().SetRollbackArticle(line.rollback_article);
  if (line.epages_orders > 0) simulator.Epages().AddGeneratedOrders(line.epages_orders, 5);
  if (line.epages_products > 0) simulator.Epages().AddGeneratedProducts(line.epages_products);
  auto& marketplace = simulator.Marketplace();
  if (!line.mws_secret.empty() || !line.mws_access_key_id.empty())
    marketplace.SetCredentials(line.mws_access_key_id,
                               line.mws_secret.empty() ? marketplace.Secret() : line.mws_secret);
  marketplace.SetPageSizes(line.mws_page_size, line.mws_item_page_size);
  for (const auto& text : line.ebay_tokens) {
    const auto equals = text.find('=');
    simulator.Ebay().SetTokenStatus(text.substr(0, equals),
                                    equals == std::string::npos ? "Active" : text.substr(equals + 1));
  }
}

int WaitForTermination(const sigset_t& signals) {
  int signal = 0;
  sigwait(&signals, &signal);
  return signal;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{
      "kanvio-shopsim: a demo shop on loopback that speaks the shop-side PHP scripts and the REST "
      "plug-ins (below /MarlixKanvio/, /MarlixKanvioVD/, /marlix/ledgrox/ and /marlix/vardemo/), "
      "the ePages SOAP services (any path ending in .soap, user /Shops/DemoShop/Users/admin, password demo), "
      "the marketplace web service (Reports below /mws/, Orders below /mws/Orders/2013-09-01) and "
      "eBay's Trading API (/ws/api.dll) with its sign-in page (/signin/DOMAIN/ws/eBayISAPI.dll)"};
  CommandLine line;
  AddOptions(app, line);
  CLI11_PARSE(app, argc, argv);

  // Blocked before any thread starts, so that only sigwait() receives them.
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);

  try {
    if (line.ebay_sign_in_after_ms >= 0)
      line.options.ebay_sign_in_after = std::chrono::milliseconds(line.ebay_sign_in_after_ms);
    ShopSimulator simulator(line.options);
    ApplySwitches(simulator, line);
    simulator.Start();
    std::cout << "listening on 127.0.0.1:" << simulator.Port() << std::endl;
    WaitForTermination(signals);
    simulator.Stop();
  } catch (const CLI::Error& error) {
    return app.exit(error);
  } catch (const std::exception& error) {
    std::cerr << error.what() << std::endl;
    return 1;
  }
  return 0;
}
