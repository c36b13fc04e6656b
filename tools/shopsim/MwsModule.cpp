#include "MwsModule.h"

#include <openssl/evp.h>
#include <openssl/hmac.h>

#include <algorithm>
#include <cstdio>
#include <optional>

namespace kanvio::shopsim {
namespace {

constexpr const char* kReportsNamespace = "http://mws.amazonaws.com/doc/2009-01-01/";
constexpr const char* kOrdersNamespace = "https://mws.amazonservices.com/Orders/2013-09-01";
constexpr std::size_t kMaxReportIds = 100;
constexpr std::size_t kMaxOrderIds = 50;
constexpr auto kTimestampTolerance = std::chrono::minutes(15);

std::string Base64(const unsigned char* data, std::size_t size) {
  std::string out(4 * ((size + 2) / 3), '\0');
  const int written =
      EVP_EncodeBlock(reinterpret_cast<unsigned char*>(out.data()), data, static_cast<int>(size));
  out.resize(static_cast<std::size_t>(written));
  return out;
}

std::string Md5Base64(const std::string& body) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int size = 0;
  EVP_Digest(body.data(), body.size(), digest, &size, EVP_md5(), nullptr);
  return Base64(digest, size);
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::string Decode(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '+') {
      out.push_back(' ');
    } else if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 &&
               HexValue(text[i + 2]) >= 0) {
      out.push_back(static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2])));
      i += 2;
    } else {
      out.push_back(text[i]);
    }
  }
  return out;
}

// RFC 3986, written here apart from the library's encoder so that the two
// check each other.
std::string Encode(const std::string& text) {
  std::string out;
  char hex[4];
  for (unsigned char c : text) {
    if (std::isalnum(c) || c == '-' || c == '_' || c == '.' || c == '~') {
      out.push_back(static_cast<char>(c));
    } else {
      std::snprintf(hex, sizeof hex, "%%%02X", c);
      out += hex;
    }
  }
  return out;
}

std::string Escape(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '&')
      out += "&amp;";
    else if (c == '<')
      out += "&lt;";
    else if (c == '>')
      out += "&gt;";
    else
      out.push_back(c);
  }
  return out;
}

std::string Element(const char* name, const std::string& text) {
  return std::string("<") + name + ">" + Escape(text) + "</" + name + ">";
}

std::string Iso(std::chrono::sys_seconds instant) {
  const auto day = std::chrono::floor<std::chrono::days>(instant);
  const std::chrono::year_month_day date{day};
  const std::chrono::hh_mm_ss time{instant - day};
  char text[40];
  std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02d+00:00", static_cast<int>(date.year()),
                static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                static_cast<int>(time.hours().count()), static_cast<int>(time.minutes().count()),
                static_cast<int>(time.seconds().count()));
  return text;
}

// "2026-03-02T09:30:00Z", "...+00:00", fractions allowed; UTC only.
std::optional<std::chrono::sys_seconds> ParseUtc(const std::string& text) {
  int y, mo, d, h, mi, s;
  char rest[16] = {};
  if (std::sscanf(text.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d%15s", &y, &mo, &d, &h, &mi, &s, rest) < 6)
    return std::nullopt;
  std::string zone = rest;
  if (!zone.empty() && zone[0] == '.') zone.erase(0, zone.find_first_not_of("0123456789", 1));
  if (!zone.empty() && zone != "Z" && zone != "+00:00") return std::nullopt;
  const std::chrono::year_month_day date{std::chrono::year(y), std::chrono::month(static_cast<unsigned>(mo)),
                                         std::chrono::day(static_cast<unsigned>(d))};
  if (!date.ok()) return std::nullopt;
  return std::chrono::sys_days(date) + std::chrono::hours(h) + std::chrono::minutes(mi) +
         std::chrono::seconds(s);
}

void Error(httplib::Response& response, int status, const std::string& code, const std::string& message,
           bool orders_api) {
  response.status = status;
  // The two APIs spell the request id differently; clients must read both.
  const char* id = orders_api ? "RequestId" : "RequestID";
  response.set_content(std::string("<?xml version=\"1.0\"?>\n<ErrorResponse xmlns=\"") +
                           (orders_api ? kOrdersNamespace : kReportsNamespace) +
                           "\"><Error><Type>Sender</Type>" + Element("Code", code) +
                           Element("Message", " " + message + " ") + "</Error><" + id + ">shopsim-" + code +
                           "</" + id + "></ErrorResponse>",
                       "text/xml");
}

std::string Money(const char* name, const std::optional<std::string>& amount, const std::string& currency) {
  if (!amount) return "";
  return std::string("<") + name + ">" + Element("CurrencyCode", currency) + Element("Amount", *amount) +
         "</" + name + ">";
}

}  // namespace

struct MwsModule::Call {
  std::string action;
  Form form;
  bool orders_api = false;

  std::string Get(const std::string& name) const {
    for (const auto& [key, value] : form) {
      if (key == name) return value;
    }
    return "";
  }
  bool Has(const std::string& name) const {
    return std::any_of(form.begin(), form.end(), [&](const auto& p) { return p.first == name; });
  }
  // Values of "Prefix1", "Prefix2", ... in order.
  std::vector<std::string> List(const std::string& prefix) const {
    std::vector<std::string> values;
    for (int n = 1; Has(prefix + std::to_string(n)); ++n) values.push_back(Get(prefix + std::to_string(n)));
    return values;
  }
  std::string Wrap(const std::string& result) const {
    return std::string("<?xml version=\"1.0\"?>\n<") + action + "Response xmlns=\"" +
           (orders_api ? kOrdersNamespace : kReportsNamespace) + "\"><" + action + "Result>" + result + "</" +
           action + "Result><ResponseMetadata><RequestId>shopsim-" + action +
           "</RequestId></ResponseMetadata></" + action + "Response>";
  }
};

MwsModule::MwsModule(MwsMarketplace& marketplace, RequestPipeline& pipeline)
    : marketplace_(marketplace), pipeline_(pipeline) {}

void MwsModule::Register(httplib::Server& server, const std::string& base_path) {
  const std::string root = EscapeForRegex(base_path + "/mws");
  server.Post(root + "(/|/Reports/2009-01-01)?",
              [this](const httplib::Request& request, httplib::Response& response) {
                Dispatch(request, response, false);
              });
  server.Post(root + "/Orders/2013-09-01",
              [this](const httplib::Request& request, httplib::Response& response) {
                Dispatch(request, response, true);
              });
}

MwsModule::Form MwsModule::ParseForm(const std::string& body) {
  Form form;
  std::size_t start = 0;
  while (start <= body.size()) {
    std::size_t end = body.find('&', start);
    if (end == std::string::npos) end = body.size();
    const std::string_view pair(body.data() + start, end - start);
    if (!pair.empty()) {
      const auto equals = pair.find('=');
      form.emplace_back(Decode(pair.substr(0, equals)),
                        equals == std::string_view::npos ? "" : Decode(pair.substr(equals + 1)));
    }
    start = end + 1;
  }
  return form;
}

std::string MwsModule::ExpectedSignature(const Form& form, const std::string& host, const std::string& path,
                                         const std::string& secret) {
  std::vector<std::pair<std::string, std::string>> sorted;
  for (const auto& [name, value] : form) {
    if (name != "Signature") sorted.emplace_back(Encode(name), Encode(value));
  }
  std::sort(sorted.begin(), sorted.end());
  std::string query;
  for (const auto& [name, value] : sorted) query += (query.empty() ? "" : "&") + name + "=" + value;
  std::string lower_host = host;
  std::transform(lower_host.begin(), lower_host.end(), lower_host.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  const std::string to_sign = "POST\n" + lower_host + "\n" + (path.empty() ? "/" : path) + "\n" + query;
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int size = 0;
  HMAC(EVP_sha256(), secret.data(), static_cast<int>(secret.size()),
       reinterpret_cast<const unsigned char*>(to_sign.data()), to_sign.size(), digest, &size);
  return Base64(digest, size);
}

void MwsModule::Dispatch(const httplib::Request& request, httplib::Response& response, bool orders_api) {
  marketplace_.NoteConnection(request.remote_addr + ":" + std::to_string(request.remote_port));
  Call call;
  call.form = ParseForm(request.body);
  call.action = call.Get("Action");
  call.orders_api = orders_api;
  std::string key;
  if (call.action == "GetReport") key = call.Get("ReportId");
  if (call.action == "ListOrderItems") key = call.Get("AmazonOrderId");
  if (call.action == "ManageReportSchedule") key = call.Get("ReportType");
  std::vector<std::string> targets;
  if (!key.empty()) targets.push_back("mws:" + call.action + ":" + key);
  targets.push_back("mws:" + call.action);
  targets.push_back("mws");
  pipeline_.Serve(request, response, targets,
                  [this, &call](const httplib::Request& req, httplib::Response& res) {
                    if (Verify(call, req, res, call.orders_api)) Answer(call, res);
                  });
}

bool MwsModule::Verify(const Call& call, const httplib::Request& request, httplib::Response& response,
                       bool orders_api) {
  for (const char* name : {"AWSAccessKeyId", "Action", "SignatureMethod", "SignatureVersion", "Timestamp",
                           "Version", "Signature"}) {
    if (call.Get(name).empty()) {
      Error(response, 400, "MissingParameter", std::string("The parameter ") + name + " is missing.",
            orders_api);
      return false;
    }
  }
  if (call.Get(orders_api ? "SellerId" : "Merchant").empty() && call.Get("SellerId").empty()) {
    Error(response, 400, "MissingParameter", "SellerId or Merchant is missing.", orders_api);
    return false;
  }
  const std::string access_key = marketplace_.AccessKeyId();
  if (!access_key.empty() && call.Get("AWSAccessKeyId") != access_key) {
    Error(response, 403, "InvalidAccessKeyId",
          "The AWS Access Key Id you provided does not exist in our records.", orders_api);
    return false;
  }
  if (call.Get("SignatureMethod") != "HmacSHA256" || call.Get("SignatureVersion") != "2" ||
      call.Get("Version") != (orders_api ? "2013-09-01" : "2009-01-01")) {
    Error(response, 400, "InvalidParameterValue", "Unsupported signature method or version.", orders_api);
    return false;
  }
  const auto timestamp = ParseUtc(call.Get("Timestamp"));
  const auto now = marketplace_.NowUtc();
  if (!timestamp || *timestamp < now - kTimestampTolerance || *timestamp > now + kTimestampTolerance) {
    Error(response, 400, "InvalidParameterValue",
          "Timestamp " + call.Get("Timestamp") + " must be in ISO8601 format and within 15 minutes.",
          orders_api);
    return false;
  }
  const std::string expected =
      ExpectedSignature(call.form, request.get_header_value("Host"), request.path, marketplace_.Secret());
  if (call.Get("Signature") != expected) {
    Error(response, 403, "SignatureDoesNotMatch",
          "The request signature we calculated does not match the signature you provided.", orders_api);
    return false;
  }
  return true;
}

void MwsModule::Answer(const Call& call, httplib::Response& response) {
  const std::string& action = call.action;
  if (!call.orders_api) {
    if (action == "GetReportList") return ReportList(call, response);
    if (action == "GetReportRequestList") return ReportRequestList(call, response);
    if (action == "GetReportListByNextToken" || action == "GetReportRequestListByNextToken")
      return ByNextToken(call, response, action);
    if (action == "GetReport") return GetReport(call, response);
    if (action == "UpdateReportAcknowledgements") return Acknowledge(call, response);
    if (action == "ManageReportSchedule") return Schedule(call, response);
  } else {
    if (action == "GetOrder") return GetOrder(call, response);
    if (action == "ListOrderItems") {
      const std::string id = call.Get("AmazonOrderId");
      const auto order = marketplace_.Order(id);
      if (!order) return Error(response, 400, "InvalidParameterValue", "Invalid AmazonOrderId: " + id, true);
      Pending pending{"ListOrderItems", {}, 0};
      for (std::size_t i = 0; i < order->items.size(); ++i)
        pending.ids.push_back(id + "#" + std::to_string(i));
      return OrderItems(call, response, std::move(pending));
    }
    if (action == "ListOrderItemsByNextToken") return ByNextToken(call, response, action);
  }
  Error(response, 400, "InvalidParameterValue", "Unknown action " + action + ".", call.orders_api);
}

std::string MwsModule::Remember(Pending pending) {
  std::lock_guard lock(mutex_);
  const std::string token = "c2hvcHNpbS10b2tlbi0" + std::to_string(next_token_++) + "=";
  pending_.emplace(token, std::move(pending));
  return token;
}

void MwsModule::ByNextToken(const Call& call, httplib::Response& response, const std::string& action) {
  Pending pending;
  {
    std::lock_guard lock(mutex_);
    const auto it = pending_.find(call.Get("NextToken"));
    if (it == pending_.end())
      return Error(response, 400, "InvalidParameterValue", "Invalid NextToken.", call.orders_api);
    pending = it->second;
  }
  if (action == "ListOrderItemsByNextToken") return OrderItems(call, response, std::move(pending));
  ReportPage(call, response, std::move(pending));
}

void MwsModule::ReportList(const Call& call, httplib::Response& response) {
  const auto types = call.List("ReportTypeList.Type.");
  const auto request_ids = call.List("ReportRequestIdList.Id.");
  const auto from = ParseUtc(call.Get("AvailableFromDate"));
  if (call.Has("AvailableFromDate") && !from)
    return Error(response, 400, "InvalidParameterValue", "AvailableFromDate is no date.", false);
  const std::string acknowledged = call.Get("Acknowledged");
  Pending pending{"GetReportList", {}, 0};
  for (const auto& report : marketplace_.Reports()) {
    if (!types.empty() && std::find(types.begin(), types.end(), report.type) == types.end()) continue;
    if (!request_ids.empty() &&
        std::find(request_ids.begin(), request_ids.end(), report.request_id) == request_ids.end())
      continue;
    if (from && report.available < *from) continue;
    if (!acknowledged.empty() && (acknowledged == "true") != report.acknowledged) continue;
    pending.ids.push_back(report.id);
  }
  ReportPage(call, response, std::move(pending));
}

void MwsModule::ReportRequestList(const Call& call, httplib::Response& response) {
  const auto types = call.List("ReportTypeList.Type.");
  const auto states = call.List("ReportProcessingStatusList.Status.");
  const auto from = ParseUtc(call.Get("RequestedFromDate"));
  if (call.Has("RequestedFromDate") && !from)
    return Error(response, 400, "InvalidParameterValue", "RequestedFromDate is no date.", false);
  Pending pending{"GetReportRequestList", {}, 0};
  for (const auto& request : marketplace_.ReportRequests()) {
    if (!types.empty() && std::find(types.begin(), types.end(), request.type) == types.end()) continue;
    if (!states.empty() && std::find(states.begin(), states.end(), request.status) == states.end()) continue;
    if (from && request.submitted < *from) continue;
    pending.ids.push_back(request.id);
  }
  ReportPage(call, response, std::move(pending));
}

void MwsModule::ReportPage(const Call& call, httplib::Response& response, Pending pending) {
  const std::size_t end = std::min(pending.ids.size(), pending.offset + marketplace_.ReportPageSize());
  std::string result;
  if (end < pending.ids.size()) {
    Pending rest = pending;
    rest.offset = end;
    result += Element("NextToken", Remember(std::move(rest))) + "<HasNext>true</HasNext>";
  } else {
    result += "<NextToken>none</NextToken><HasNext>false</HasNext>";
  }
  const bool requests = pending.kind == "GetReportRequestList";
  const auto all_requests = requests ? marketplace_.ReportRequests() : std::vector<MwsReportRequestRecord>{};
  for (std::size_t i = pending.offset; i < end; ++i) {
    if (requests) {
      for (const auto& request : all_requests) {
        if (request.id != pending.ids[i]) continue;
        result += "<ReportRequestInfo>" + Element("ReportRequestId", request.id) +
                  Element("ReportType", request.type) + "<Scheduled>false</Scheduled>" +
                  Element("SubmittedDate", Iso(request.submitted)) +
                  Element("ReportProcessingStatus", request.status);
        if (!request.generated_report_id.empty())
          result += Element("GeneratedReportId", request.generated_report_id);
        result += "</ReportRequestInfo>";
      }
    } else if (const auto report = marketplace_.Report(pending.ids[i])) {
      result += "<ReportInfo>" + Element("ReportId", report->id) + Element("ReportType", report->type) +
                (report->request_id.empty() ? "" : Element("ReportRequestId", report->request_id)) +
                Element("AvailableDate", Iso(report->available)) +
                Element("Acknowledged", report->acknowledged ? "true" : "false") + "</ReportInfo>";
    }
  }
  response.set_content(call.Wrap(result), "text/xml");
}

void MwsModule::GetReport(const Call& call, httplib::Response& response) {
  const auto report = marketplace_.Report(call.Get("ReportId"));
  if (!report) return Error(response, 400, "InvalidParameterValue", "Invalid ReportId.", false);
  response.set_header("Content-MD5", Md5Base64(report->body));
  response.set_content(report->body, report->body.rfind("<?xml", 0) == 0 ? "text/xml" : "text/plain");
}

void MwsModule::Acknowledge(const Call& call, httplib::Response& response) {
  const auto ids = call.List("ReportIdList.Id.");
  if (ids.empty() || ids.size() > kMaxReportIds)
    return Error(response, 400, "InvalidParameterValue", "ReportIdList must hold 1 to 100 ids.", false);
  std::string infos;
  int count = 0;
  for (const auto& id : ids) {
    if (call.Get("Acknowledged") != "true" || !marketplace_.Acknowledge(id)) continue;
    ++count;
    const auto report = marketplace_.Report(id);
    infos += "<ReportInfo>" + Element("ReportId", id) + Element("ReportType", report->type) +
             Element("AvailableDate", Iso(report->available)) + "<Acknowledged>true</Acknowledged>" +
             Element("AcknowledgedDate", Iso(marketplace_.NowUtc())) + "</ReportInfo>";
  }
  response.set_content(call.Wrap(Element("Count", std::to_string(count)) + infos), "text/xml");
}

void MwsModule::Schedule(const Call& call, httplib::Response& response) {
  const std::string type = call.Get("ReportType"), schedule = call.Get("Schedule");
  if (type.empty() || schedule.empty())
    return Error(response, 400, "InvalidParameterValue", "ReportType and Schedule are required.", false);
  if (!marketplace_.SetSchedule(type, schedule)) {
    response.set_content(call.Wrap("<Count>0</Count>"), "text/xml");
    return;
  }
  response.set_content(call.Wrap("<Count>1</Count><ReportSchedule>" + Element("ReportType", type) +
                                 Element("Schedule", schedule) +
                                 Element("ScheduledDate", Iso(marketplace_.NowUtc())) + "</ReportSchedule>"),
                       "text/xml");
}

void MwsModule::GetOrder(const Call& call, httplib::Response& response) {
  const auto ids = call.List("AmazonOrderId.Id.");
  if (ids.empty() || ids.size() > kMaxOrderIds)
    return Error(response, 400, "InvalidParameterValue", "AmazonOrderId must hold 1 to 50 ids.", true);
  std::string orders = "<Orders>";
  for (const auto& id : ids) {
    const auto order = marketplace_.Order(id);
    if (!order) continue;
    orders +=
        "<Order>" + Element("AmazonOrderId", order->id) + Element("PurchaseDate", order->purchase_date) +
        Element("LastUpdateDate", order->purchase_date) + Element("OrderStatus", order->status) +
        Element("FulfillmentChannel", order->status == "Shipped" ? "AFN" : "MFN") +
        Element("SalesChannel", order->sales_channel) + Element("ShipServiceLevel", order->service_level);
    if (order->status != "Pending") {
      orders += "<ShippingAddress>" + Element("Name", order->shipping.name) +
                Element("AddressLine1", order->shipping.line1) + Element("City", order->shipping.city) +
                Element("PostalCode", order->shipping.postal_code) +
                Element("CountryCode", order->shipping.country_code) + "</ShippingAddress>";
      orders += Money("OrderTotal", order->total, order->currency) +
                Element("BuyerEmail", order->buyer_email) + Element("BuyerName", order->buyer_name);
    }
    orders += "</Order>";
  }
  response.set_content(call.Wrap(orders + "</Orders>"), "text/xml");
}

void MwsModule::OrderItems(const Call& call, httplib::Response& response, Pending pending) {
  const std::string order_id = pending.ids.empty()
                                   ? call.Get("AmazonOrderId")
                                   : pending.ids.front().substr(0, pending.ids.front().find('#'));
  const auto order = marketplace_.Order(order_id);
  const std::size_t end = std::min(pending.ids.size(), pending.offset + marketplace_.OrderItemPageSize());
  std::string result;
  if (end < pending.ids.size()) {
    Pending rest = pending;
    rest.offset = end;
    result += Element("NextToken", Remember(std::move(rest)));
  }
  result += Element("AmazonOrderId", order_id) + "<OrderItems>";
  for (std::size_t i = pending.offset; order && i < end; ++i) {
    const auto& item = order->items[i];
    const std::string& currency = order->currency;
    result += "<OrderItem>" + Element("ASIN", item.asin) +
              Element("OrderItemId", order_id + "-" + std::to_string(i)) + Element("SellerSKU", item.sku) +
              Element("Title", item.title) + Element("QuantityOrdered", item.quantity) +
              Money("ItemPrice", item.item_price, currency) +
              Money("ShippingPrice", item.shipping_price, currency) +
              Money("GiftWrapPrice", item.gift_wrap_price, currency) +
              Money("ItemTax", item.item_tax, currency) + Money("GiftWrapTax", item.gift_wrap_tax, currency) +
              Money("ShippingDiscount", item.shipping_discount, currency) +
              Money("PromotionDiscount", item.promotion_discount, currency) +
              Money("CODFee", item.cod_fee, currency) +
              Money("CODFeeDiscount", item.cod_fee_discount, currency) + "</OrderItem>";
  }
  result += "</OrderItems>";
  response.set_content(call.Wrap(result), "text/xml");
}

}  // namespace kanvio::shopsim
