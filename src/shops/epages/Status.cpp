#include "shops/epages/Status.h"

#include "config/Logger.h"
#include "config/Settings.h"
#include "hostfiles/HostXmlFile.h"
#include "shops/epages/CredentialBuilder.h"
#include "shops/epages/ServiceClients.h"
#include "support/DateTime.h"
#include "support/Error.h"
#include "support/Resources.h"

namespace kanvio::epages {
namespace {

std::vector<std::string> StatusNames(const std::string& list) {
  std::vector<std::string> names;
  std::string::size_type start = 0;
  while (start <= list.size()) {
    auto end = list.find('#', start);
    if (end == std::string::npos) end = list.size();
    if (end > start) names.push_back(list.substr(start, end - start));
    start = end + 1;
  }
  return names;
}

std::vector<std::string> TextsOf(const pugi::xml_node& node, const char* xpath) {
  std::vector<std::string> texts;
  for (const pugi::xpath_node& found : node.select_nodes(xpath))
    texts.emplace_back(found.node().child_value());
  return texts;
}

}  // namespace

std::vector<OrderStateRecord> Status::ReadOrderStates(const pugi::xml_node& document) {
  std::vector<OrderStateRecord> records;
  const pugi::xpath_node_set orders = document.select_nodes("//Bestellvorgang");
  if (orders.empty()) {
    const auto numbers = TextsOf(document, "//BestellnummerShop");
    const auto customers = TextsOf(document, "//KundennummerWebshop");
    if (customers.size() < numbers.size())
      throw Error("Die Datei enthält " + std::to_string(numbers.size()) + " Bestellnummern, aber nur " +
                  std::to_string(customers.size()) + " Kundennummern.");
    for (std::size_t i = 0; i < numbers.size(); ++i) records.push_back({numbers[i], customers[i]});
    return records;
  }
  for (const pugi::xpath_node& order : orders) {
    const pugi::xml_node number = order.node().select_node(".//BestellnummerShop").node();
    const pugi::xml_node customer = order.node().select_node(".//KundennummerWebshop").node();
    if (!number || !customer) {
      Logger::LogError("Bestellstatus: Bestellvorgang ohne " +
                       std::string(!number ? "BestellnummerShop" : "KundennummerWebshop") +
                       " übersprungen (" +
                       (number     ? number.child_value()
                        : customer ? customer.child_value()
                                   : "") +
                       ").");
      continue;
    }
    records.push_back({number.child_value(), customer.child_value()});
  }
  return records;
}

std::int32_t Status::SetOrdersStatuses(std::string& error, const platform::HttpClientFactory& http) {
  try {
    Settings settings;
    // One time stamp for every attribute of the run, in the invariant form
    // whatever the regional settings say.
    const std::string stamp = LocalDateTime::Now().ToIso();
    OrderUpdate update;
    for (const std::string& name : StatusNames(settings.SetOrderStatusList()))
      update.Attributes.push_back({name, stamp});

    const std::string file = settings.WEBSERVICE_RESULT_FILEPATH();
    const HostXmlFile states = HostXmlFile::LoadForReading(platform::PathFromUtf8(file));
    const std::vector<OrderStateRecord> records = ReadOrderStates(states.Document());
    const std::string shop_path = ShopPath(settings);

    OrderServiceClient order_service(settings, http);
    std::string first_failed, first_failure;
    for (const OrderStateRecord& record : records) {
      update.Path = shop_path + "/Customers/" + record.customer_number + "/Orders/" + record.order_number;
      std::string failure;
      if (!order_service.Update({update}, failure) && first_failed.empty()) {
        first_failed = record.order_number;
        first_failure = failure;
      }
    }
    if (first_failed.empty()) return 1;
    error = Resources::SETSTATUS_ERROR() + " Erste fehlgeschlagene Bestellung: " + first_failed + " (" +
            first_failure + ")";
    return -1;
  } catch (const std::exception& e) {
    Logger::LogError(e);
    error = Resources::SETSTATUS_ERROR() + " " + e.what();
    return -1;
  }
}

}  // namespace kanvio::epages
