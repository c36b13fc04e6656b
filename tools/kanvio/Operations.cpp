#include "Operations.h"

#include <filesystem>

#include "platform/FileSystem.h"
#include "support/Error.h"

namespace kanvio::tool {

const std::vector<Operation>& Operations() {
  static const std::vector<Operation> operations = {
      {"count-orders", "GetUnimportedOrdersCount", "", "prints the number of open orders in the shop"},
      {"get-orders", "GetOrders", "FILE", "fetches new orders and writes them to the orders file FILE"},
      {"get-article-list", "GetWebshopArticleList", "FILE", "writes the shop's article list to FILE"},
      {"get-articles", "GetArticles", "FILE", "writes the shop's articles to FILE"},
      {"set-articles", "SetArticles", "FILE",
       "exports the articles in FILE (written by the ERP) to the shop"},
      {"set-prices", "SetArticlePrices", "FILE", "exports the article prices in FILE to the shop"},
      {"set-stock", "SetStockValues", "FILE", "exports the stock values in FILE to the shop"},
      {"set-price-lists", "SetPriceLists", "FILE",
       "exports the price lists in FILE and assigns them to articles"},
      {"set-order-states", "SetOrderStatus", "FILE", "sets the order states listed in FILE in the shop"},
      {"supports", "FunctionSupported", "FUNCTION",
       "asks whether the shop offers FUNCTION, an export name such as GetOrders or SetStockValues, or "
       "CHECKCON; an empty error text means yes"},
      {"manage-reports", "ManageReportSchedule", "", "Amazon: switches the automatic order reports on"},
      {"manage-fba-reports", "ManageReportScheduleFBA", "",
       "Amazon: switches the automatic FBA order reports on"},
      {"get-reports", "GetReports", "",
       "Amazon: downloads the newest order reports into the Amazon report folder"},
  };
  return operations;
}

std::vector<Step> ParseSteps(const std::vector<std::string>& words) {
  std::vector<Step> steps;
  for (std::size_t i = 0; i < words.size(); ++i) {
    const Operation* found = nullptr;
    for (const auto& operation : Operations()) {
      if (operation.command == words[i]) found = &operation;
    }
    if (found == nullptr) throw Error("unknown operation: " + words[i]);
    Step step{found, ""};
    if (!found->argument.empty()) {
      if (++i == words.size())
        throw Error(std::string(found->command) + " needs " + std::string(found->argument));
      step.argument = words[i];
      if (found->argument == "FILE" && step.argument.empty())
        throw Error(std::string(found->command) + " needs FILE, not an empty text");
    }
    steps.push_back(step);
  }
  return steps;
}

std::string OperationsHelp() {
  std::string help = "Operations (run in the given order, after the initialisation):\n";
  for (const auto& operation : Operations()) {
    std::string usage = std::string(operation.command);
    if (!operation.argument.empty()) usage += " " + std::string(operation.argument);
    usage.resize(std::max<std::size_t>(usage.size() + 1, 27), ' ');
    help += "  " + usage + std::string(operation.help) + " [" + std::string(operation.export_name) + "]\n";
  }
  return help;
}

std::string AbsolutePath(const std::string& path) {
  return platform::PathToUtf8(std::filesystem::absolute(platform::PathFromUtf8(path)));
}

Answer Run(const ConnectorLibrary& library, const Step& step) {
  const Operation& operation = *step.operation;
  const std::string name(operation.export_name);
  if (name == "GetReports") return library.GetReports();
  if (operation.argument.empty()) return library.Call(name);
  if (operation.argument == "FILE") return library.Call(name, AbsolutePath(step.argument));
  return library.Call(name, step.argument);
}

}  // namespace kanvio::tool
