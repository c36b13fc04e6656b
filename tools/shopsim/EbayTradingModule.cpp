#include "EbayTradingModule.h"

#include <charconv>
#include <pugixml.hpp>
#include <set>

#include "EbayAnswerXml.h"

namespace kanvio::shopsim {
namespace {

constexpr const char* kXml = "text/xml; charset=utf-8";
constexpr const char* kHtml = "text/html; charset=utf-8";
constexpr const char* kApiPath = "/ws/api.dll";
constexpr const char* kSignInPath = R"(/signin(-sandbox)?/([A-Za-z.]+)/ws/eBayISAPI\.dll)";
const std::set<std::string> kTokenCalls = {"GetSessionID", "FetchToken", "GetTokenStatus"};
constexpr int kMaxDays = 60;
constexpr int kMaxEntriesPerPage = 200;

std::string Text(pugi::xml_node node) { return node.text().get(); }

std::optional<int> Number(const std::string& text) {
  int value = 0;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || result.ec != std::errc() || result.ptr != text.data() + text.size())
    return std::nullopt;
  return value;
}

std::string Escape(const std::string& text) {
  std::string escaped;
  for (char c : text) {
    switch (c) {
      case '&':
        escaped += "&amp;";
        break;
      case '<':
        escaped += "&lt;";
        break;
      case '>':
        escaped += "&gt;";
        break;
      case '"':
        escaped += "&quot;";
        break;
      default:
        escaped += c;
    }
  }
  return escaped;
}

// One call's request, read.
struct Call {
  std::string name;
  pugi::xml_document document;
  pugi::xml_node root;
  bool well_formed = false;

  explicit Call(const httplib::Request& request) : name(request.get_header_value("X-EBAY-API-CALL-NAME")) {
    well_formed = bool(document.load_buffer(request.body.data(), request.body.size()));
    root = document.document_element();
  }
  pugi::xml_node operator[](const char* child) const { return root.child(child); }
};

class Answerer {
 public:
  Answerer(EbayMarket& market, const httplib::Request& request, const Call& call)
      : market_(market), request_(request), call_(call) {}

  std::string Answer() {
    if (auto refused = Refusal()) return *refused;
    const std::string& name = call_.name;
    if (name == "GetSessionID") return GetSessionID();
    if (name == "FetchToken") return FetchToken();
    if (name == "GetTokenStatus") return GetTokenStatus();
    if (name == "GetMyeBaySelling") return GetMyeBaySelling();
    if (name == "GetItemTransactions") return GetItemTransactions();
    if (name == "GetUser") return GetUser();
    return GetOrderTransactions();
  }

 private:
  std::string Failure(const std::string& code, const std::string& message) const {
    return EbayAnswerXml::Failure(call_.name.empty() ? "Unknown" : call_.name, code, message);
  }

  // What eBay refuses before it looks at the call.
  std::optional<std::string> Refusal() const {
    static const std::set<std::string> kCalls = {
        "GetSessionID",        "FetchToken", "GetTokenStatus",      "GetMyeBaySelling",
        "GetItemTransactions", "GetUser",    "GetOrderTransactions"};
    if (!kCalls.contains(call_.name)) return Failure("2", "Unsupported API call.");
    if (!call_.well_formed || std::string(call_.root.name()) != call_.name + "Request")
      return Failure("5", "The request is not a " + call_.name + " request.");
    if (!Number(request_.get_header_value("X-EBAY-API-SITEID")))
      return Failure("10012", "Invalid or missing site id.");
    if (request_.get_header_value("X-EBAY-API-COMPATIBILITY-LEVEL").empty())
      return Failure("10009", "Missing compatibility level.");
    if (kTokenCalls.contains(call_.name)) {
      for (const char* header : {"X-EBAY-API-DEV-NAME", "X-EBAY-API-APP-NAME", "X-EBAY-API-CERT-NAME"})
        if (request_.get_header_value(header).empty())
          return Failure("1.24", "Application keys are missing.");
    }
    if (call_.name == "GetSessionID" || call_.name == "FetchToken") return std::nullopt;
    const std::string token = Text(call_["RequesterCredentials"].child("eBayAuthToken"));
    const auto status = market_.TokenStatus(token);
    if (!status) return Failure("931", "Auth token is invalid.");
    if (call_.name != "GetTokenStatus" && *status != "Active")
      return Failure("932", "Auth token is hard expired.");
    return std::nullopt;
  }

  std::string GetSessionID() {
    if (Text(call_["RuName"]).empty()) return Failure("21916016", "RuName is missing.");
    const std::string session = market_.OpenSession();
    return EbayAnswerXml::Success("GetSessionID", [&](pugi::xml_node root) {
      root.append_child("SessionID").text().set(session.c_str());
    });
  }

  std::string FetchToken() {
    const auto token = market_.FetchToken(Text(call_["SessionID"]));
    if (!token) return Failure("21916017", "The end user has not completed Auth & Auth sign in flow.");
    return EbayAnswerXml::Success("FetchToken", [&](pugi::xml_node root) {
      root.append_child("eBayAuthToken").text().set(token->c_str());
      root.append_child("HardExpirationTime").text().set("2027-09-01T00:00:00.000Z");
    });
  }

  std::string GetTokenStatus() {
    const std::string token = Text(call_["RequesterCredentials"].child("eBayAuthToken"));
    const std::string status = market_.TokenStatus(token).value_or("Invalid");
    return EbayAnswerXml::Success("GetTokenStatus", [&](pugi::xml_node root) {
      pugi::xml_node node = root.append_child("TokenStatus");
      node.append_child("Status").text().set(status.c_str());
      node.append_child("EIASToken").text().set("nY+sHZ2PrBmdj6wVnY+sEZ2PrA2dj6w");
      node.append_child("ExpirationTime").text().set("2027-09-01T00:00:00.000Z");
    });
  }

  std::string GetMyeBaySelling() {
    const pugi::xml_node sold_list = call_["SoldList"];
    if (Text(sold_list.child("Include")) != "true")
      return EbayAnswerXml::Success("GetMyeBaySelling", [](pugi::xml_node) {});
    const auto days = Number(Text(sold_list.child("DurationInDays")));
    const auto per_page = Number(Text(sold_list.child("Pagination").child("EntriesPerPage")));
    const auto page = Number(Text(sold_list.child("Pagination").child("PageNumber")));
    if (!days || *days < 0 || *days > kMaxDays) return Failure("20137", "Invalid DurationInDays.");
    if (!per_page || *per_page < 1 || *per_page > kMaxEntriesPerPage || !page || *page < 1)
      return Failure("340", "Invalid pagination.");
    const auto now = std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now());
    const std::size_t per = std::size_t(*per_page);
    std::size_t total = 0;
    const auto sold =
        market_.SoldSince(now - std::chrono::days(*days), (std::size_t(*page) - 1) * per, per, total);
    const std::size_t pages = (total + per - 1) / per;
    return EbayAnswerXml::Success("GetMyeBaySelling", [&](pugi::xml_node root) {
      pugi::xml_node list = root.append_child("SoldList");
      pugi::xml_node array = list.append_child("OrderTransactionArray");
      for (const auto& entry : sold) EbayAnswerXml::AppendSoldEntry(array, entry);
      pugi::xml_node pagination = list.append_child("PaginationResult");
      pagination.append_child("TotalNumberOfPages").text().set(std::to_string(pages).c_str());
      pagination.append_child("TotalNumberOfEntries").text().set(std::to_string(total).c_str());
    });
  }

  std::string GetItemTransactions() {
    const std::string item_id = Text(call_["ItemID"]);
    const std::string transaction_id = Text(call_["TransactionID"]);
    const auto sale = market_.Sale(item_id, transaction_id);
    if (!sale) return Failure("21916060", "Item or transaction not found.");
    const std::string order_id = Text(call_["IncludeContainingOrder"]) == "true"
                                     ? market_.ContainingOrderId(item_id, transaction_id)
                                     : std::string();
    return EbayAnswerXml::Success("GetItemTransactions", [&](pugi::xml_node root) {
      root.append_child("HasMoreTransactions").text().set("false");
      EbayAnswerXml::AppendListing(root, *sale);
      EbayAnswerXml::AppendDetailedTransaction(root.append_child("TransactionArray"), *sale,
                                               market_.Buyer(sale->buyer_id), order_id);
    });
  }

  std::string GetUser() {
    const auto buyer = market_.Buyer(Text(call_["UserID"]));
    if (!buyer) return Failure("21916041", "User not found.");
    return EbayAnswerXml::Success("GetUser", [&](pugi::xml_node root) {
      pugi::xml_node user = root.append_child("User");
      user.append_child("UserID").text().set(buyer->user_id.c_str());
      user.append_child("Email").text().set(buyer->email.c_str());
      if (buyer->payment)
        EbayAnswerXml::AppendAddress(user.append_child("SellerInfo"), "SellerPaymentAddress",
                                     *buyer->payment);
    });
  }

  std::string GetOrderTransactions() {
    const auto order = market_.CombinedOrder(Text(call_["OrderIDArray"].child("OrderID")));
    return EbayAnswerXml::Success("GetOrderTransactions", [&](pugi::xml_node root) {
      pugi::xml_node array = root.append_child("OrderArray");
      if (!order) return;
      pugi::xml_node node = array.append_child("Order");
      node.append_child("OrderID").text().set(order->order_id.c_str());
      node.append_child("OrderStatus").text().set("Completed");
      EbayAnswerXml::AppendShipping(node, order->lines.front());
      pugi::xml_node transactions = node.append_child("TransactionArray");
      for (const auto& line : order->lines)
        EbayAnswerXml::AppendDetailedTransaction(transactions, line, market_.Buyer(line.buyer_id),
                                                 order->order_id);
    });
  }

  EbayMarket& market_;
  const httplib::Request& request_;
  const Call& call_;
};

}  // namespace

EbayTradingModule::EbayTradingModule(EbayMarket& market, RequestPipeline& pipeline)
    : market_(market), pipeline_(pipeline) {}

void EbayTradingModule::Register(httplib::Server& server, const std::string&) {
  server.Post(kApiPath, [this](const auto& req, auto& res) { Dispatch(req, res); });
  server.Get(kSignInPath, [this](const auto& req, auto& res) { ShowSignInPage(req, res); });
  server.Post(kSignInPath, [this](const auto& req, auto& res) { SubmitSignIn(req, res); });
}

void EbayTradingModule::Dispatch(const httplib::Request& request, httplib::Response& response) {
  const Call call(request);
  std::vector<std::string> targets;
  if (call.name == "GetMyeBaySelling")
    targets.push_back("ebay:GetMyeBaySelling:page=" +
                      Text(call["SoldList"].child("Pagination").child("PageNumber")));
  if (call.name == "GetItemTransactions")
    targets.push_back("ebay:GetItemTransactions:item=" + Text(call["ItemID"]));
  targets.push_back("ebay:" + call.name);
  targets.push_back("ebay");
  pipeline_.Serve(request, response, targets, [&](const auto&, auto& res) {
    res.set_content(Answerer(market_, request, call).Answer(), kXml);
  });
}

void EbayTradingModule::ShowSignInPage(const httplib::Request& request, httplib::Response& response) {
  pipeline_.Serve(request, response, {"ebay-signin"}, [&](const auto&, auto& res) {
    const std::string session = request.get_param_value("SessID");
    const auto sessions = market_.Sessions();
    if (std::find(sessions.begin(), sessions.end(), session) == sessions.end()) {
      res.set_content("<html><body><p>Diese Anmeldung ist nicht mehr gültig.</p></body></html>", kHtml);
      return;
    }
    const std::string action = Escape(request.target);
    res.set_content(
        "<html><head><title>Einloggen</title></head><body><h1>Einloggen</h1>"
        "<form method=\"post\" action=\"" +
            action +
            "\">"
            "<input type=\"text\" id=\"userid\" name=\"userid\" value=\"\">"
            "<input type=\"password\" id=\"pass\" name=\"pass\" value=\"\">"
            "<input type=\"submit\" id=\"sgnBt\" value=\"Einloggen\"></form></body></html>",
        kHtml);
  });
}

void EbayTradingModule::SubmitSignIn(const httplib::Request& request, httplib::Response& response) {
  pipeline_.Serve(request, response, {"ebay-signin"}, [&](const auto&, auto& res) {
    if (!market_.SignIn(request.get_param_value("SessID"), request.get_param_value("userid"))) {
      res.set_content("<html><body><p>Diese Anmeldung ist nicht mehr gültig.</p></body></html>", kHtml);
      return;
    }
    res.set_content(
        "<html><body><h1>Authorization successfully completed</h1>"
        "<p>Sie können dieses Fenster jetzt schließen.</p></body></html>",
        kHtml);
  });
}

}  // namespace kanvio::shopsim
