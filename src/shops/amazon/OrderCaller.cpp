#include "shops/amazon/OrderCaller.h"

#include <iterator>
#include <string_view>

#include "config/Logger.h"
#include "platform/Clock.h"
#include "support/Error.h"
#include "support/Text.h"

namespace kanvio {
namespace {

// What one attempt came to.
enum class Outcome { kAnswered, kServiceError, kOtherFailure, kNoAnswer };

// `what` names the call for the log; made only when there is something to log.
template <class What, class Call>
Outcome Attempt(const What& what, Call call) {
  try {
    call();
    return Outcome::kAnswered;
  } catch (const net::MwsError& e) {
    Logger::LogError(std::string(e.what()) + " - " + what());
    return Outcome::kServiceError;
  } catch (const TransportError& e) {
    Logger::LogError(std::string(e.what()) + " - " + what());
    return Outcome::kNoAnswer;
  } catch (const std::exception& e) {
    Logger::LogError(std::string(e.what()) + " - " + what());
    return Outcome::kOtherFailure;
  }
}

[[noreturn]] void OutOfReach(const std::string& what) {
  throw TransportError("Amazon MWS ist nicht erreichbar (" + what + ").");
}

}  // namespace

OrderCaller::OrderCaller(const platform::HttpClientFactory& http) : client_(getAmazonOrderConfig(), http) {}

std::vector<net::MwsOrder> OrderCaller::GetOrderInformations(std::span<const std::string> ids) {
  net::MwsParameters parameters;
  for (std::size_t i = 0; i < ids.size(); ++i)
    parameters.emplace_back("AmazonOrderId.Id." + std::to_string(i + 1), ids[i]);
  const auto what = [&ids] { return "GetOrder für " + std::to_string(ids.size()) + " Bestellungen"; };
  for (int attempt = 1; attempt <= kGetOrderAttempts; ++attempt) {
    std::vector<net::MwsOrder> orders;
    const Outcome outcome = Attempt(
        what, [&] { orders = net::ParseOrderPage(client_.Call("GetOrder", parameters).result).entries; });
    if (outcome == Outcome::kAnswered && !orders.empty()) return orders;
    if (outcome == Outcome::kServiceError) platform::CurrentClock().Sleep(kGetOrderWait);
    if (outcome == Outcome::kNoAnswer) OutOfReach(what());
  }
  return {};
}

std::optional<std::vector<net::MwsOrderItem>> OrderCaller::GetOrderItemsService(
    const std::string& amazonOrderId) {
  const auto what = [&amazonOrderId] { return "ListOrderItems für " + amazonOrderId; };
  // Kept from order to order: its strings keep their room.
  if (item_parameters_.size() != 1) item_parameters_.assign(1, {"AmazonOrderId", {}});
  item_parameters_[0].second = amazonOrderId;
  for (int attempt = 1; attempt <= kListOrderItemsAttempts; ++attempt) {
    std::vector<net::MwsOrderItem> items;
    bool listed = false;
    const Outcome outcome = Attempt(what, [&] {
      items.clear();
      client_.ForEachPage("ListOrderItems", item_parameters_, "ListOrderItemsByNextToken",
                          [&](pugi::xml_node result) {
                            listed = listed || static_cast<bool>(net::MwsChild(result, "OrderItems"));
                            auto page = net::ParseOrderItemPage(result);
                            if (items.empty())
                              items = std::move(page.entries);
                            else
                              items.insert(items.end(), std::make_move_iterator(page.entries.begin()),
                                           std::make_move_iterator(page.entries.end()));
                            return page.next_token;
                          });
    });
    if (outcome == Outcome::kAnswered && listed) return items;
    if (outcome == Outcome::kServiceError) platform::CurrentClock().Sleep(kListOrderItemsWait);
    if (outcome == Outcome::kNoAnswer) OutOfReach(what());
  }
  return std::nullopt;
}

std::vector<std::string> OrderCaller::GetOrderStatusToFind() const {
  static constexpr std::pair<std::string_view, std::string_view> kSwitches[] = {
      {"/canceled=1", "Canceled"}, {"/partiallyshipped=1", "PartiallyShipped"}, {"/pending=1", "Pending"},
      {"/shipped=1", "Shipped"},   {"/unfulfillable=1", "Unfulfillable"},       {"/unshipped=1", "Unshipped"},
  };
  const std::string parameter = text::ToLower(Amazon_parameter());
  std::vector<std::string> states;
  for (const auto& [option, state] : kSwitches) {
    if (text::Contains(parameter, option)) states.emplace_back(state);
  }
  if (states.empty()) states = {"Unshipped", "PartiallyShipped"};
  return states;
}

}  // namespace kanvio
