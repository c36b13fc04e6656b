#include "EpagesModule.h"

#include <map>
#include <optional>
#include <vector>

#include "EpagesAnswers.h"
#include "net/SoapAnswer.h"
#include "platform/Crypto.h"
#include "support/Text.h"

namespace kanvio::shopsim {
namespace {

constexpr std::string_view kUrnPrefix = "urn://epages.de/WebService/";

struct ServiceInfo {
  std::string_view name, urn, types_urn;
};

constexpr ServiceInfo kServices[] = {
    {"OrderService", "urn://epages.de/WebService/OrderService/2011/01",
     "urn://epages.de/WebService/OrderTypes/2011/01"},
    {"CustomerService", "urn://epages.de/WebService/CustomerService/2007/08",
     "urn://epages.de/WebService/CustomerTypes/2007/08"},
    {"ProductService", "urn://epages.de/WebService/ProductService/2011/10",
     "urn://epages.de/WebService/ProductTypes/2011/10"},
    {"ProductTypeService", "urn://epages.de/WebService/ProductTypeService/2007/10",
     "urn://epages.de/WebService/ProductTypeTypes/2007/10"},
    {"CatalogService", "urn://epages.de/WebService/CatalogService/2011/03",
     "urn://epages.de/WebService/CatalogTypes/2011/03"},
    {"AssignmentService", "urn://epages.de/WebService/AssignmentService/2005/01",
     "urn://epages.de/WebService/AssignmentTypes/2005/01"},
    {"PriceListService", "urn://epages.de/WebService/PriceListService/2010/08",
     "urn://epages.de/WebService/PriceListTypes/2010/08"},
    {"PriceListAssignmentService", "urn://epages.de/WebService/PriceListAssignmentService/2005/01",
     "urn://epages.de/WebService/PriceListAssignmentTypes/2005/01"},
    {"ProductImageService", "urn://epages.de/WebService/ProductImageService/2006/03",
     "urn://epages.de/WebService/ProductImageTypes/2006/03"},
};

std::vector<std::string> Strings(const pugi::xml_node& list) {
  std::vector<std::string> strings;
  net::ForEachItem(list, [&](const pugi::xml_node& item) { strings.emplace_back(item.child_value()); });
  return strings;
}

std::optional<std::pair<std::string, std::string>> BasicCredentials(const std::string& header) {
  if (!text::StartsWith(header, "Basic ")) return std::nullopt;
  try {
    const std::string decoded = platform::ToString(platform::Base64Decode(text::Trim(header.substr(6))));
    const auto colon = decoded.find(':');
    if (colon == std::string::npos) return std::nullopt;
    return std::make_pair(decoded.substr(0, colon), decoded.substr(colon + 1));
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

void WriteAddress(EpagesAnswer& answer, std::string_view name, const EpagesAddress& a) {
  answer.BeginRecord(name, "namesp2:TAddressNamed");
  const std::pair<std::string_view, const std::string*> texts[] = {
      {"Company", &a.company},
      {"AddressExtension", &a.address_extension},
      {"Salutation", &a.salutation},
      {"Title", &a.title},
      {"FirstName", &a.first_name},
      {"LastName", &a.last_name},
      {"Street", &a.street},
      {"Street2", &a.street2},
      {"Zipcode", &a.zipcode},
      {"City", &a.city},
      {"CountryID", &a.country_id},
      {"EMail", &a.email},
      {"Phone", &a.phone},
      {"Fax", &a.fax},
      {"VATID", &a.vat_id},
      {"BankAccountHolder", &a.bank_account_holder},
      {"BankAccountNo", &a.bank_account_no},
      {"BankCode", &a.bank_code},
      {"BankName", &a.bank_name},
      {"Gender", &a.gender}};
  // The server leaves out what the address does not have.
  for (const auto& [element, value] : texts) {
    if (!value->empty()) answer.String(element, *value);
  }
  answer.End();
}

void WriteLine(EpagesAnswer& answer, std::string_view name, std::string_view type, const EpagesLineItem& line,
               std::string_view method_element) {
  answer.BeginRecord(name, type);
  answer.String("Name", line.name);
  answer.String("SKU", line.sku);
  if (!line.product.empty()) answer.String("Product", line.product);
  if (!method_element.empty() && !line.method.empty()) answer.String(method_element, line.method);
  if (!line.choice_name.empty()) answer.String("ChoiceName", line.choice_name);
  answer.Float("Quantity", line.quantity);
  answer.Float("LineItemPrice", line.price);
  answer.Float("TaxRate", line.tax_rate);
  answer.End();
}

void WriteLines(EpagesAnswer& answer, std::string_view name, std::string_view type,
                const std::vector<EpagesLineItem>& lines) {
  answer.BeginArray(name, type, lines.size());
  for (const auto& line : lines) WriteLine(answer, type.substr(type.find(':') + 2), type, line, "");
  answer.End();
}

void WriteOrder(EpagesAnswer& answer, const EpagesOrder& order, const std::string& path) {
  answer.String("Path", path);
  answer.String("Alias", order.alias);
  answer.String("Class", "/Shops/DemoShop/Classes/Order");
  answer.String("Customer", path.substr(0, path.find("/Orders/")));
  answer.String("CreationDate", order.creation_date);
  for (const auto& [name, date] : order.status_dates) answer.String(name, date);
  answer.BeginArray("Attributes", "namesp1:TAttribute", order.comment.empty() ? 0 : 1);
  if (!order.comment.empty()) {
    answer.BeginRecord("Attribute", "namesp1:TAttribute");
    answer.String("Name", "CustomerComment");
    answer.String("Value", order.comment);
    answer.End();
  }
  answer.End();
  WriteAddress(answer, "BillingAddress", order.billing);
  if (order.shipping) WriteAddress(answer, "ShippingAddress", *order.shipping);
  answer.BeginRecord("LineItemContainer", "namesp2:TLineItemContainerOut");
  answer.String("CurrencyID", "EUR");
  answer.String("TaxModel", order.tax_model);
  answer.Float("GrandTotal", order.grand_total);
  WriteLines(answer, "ProductLineItems", "namesp2:TProductLineItemOut", order.products);
  if (order.shipping_line)
    WriteLine(answer, "ShippingLineItem", "namesp2:TShippingLineItem", *order.shipping_line,
              "ShippingMethod");
  if (order.payment_line)
    WriteLine(answer, "PaymentLineItem", "namesp2:TPaymentLineItem", *order.payment_line, "PaymentMethod");
  if (!order.payment_discounts.empty())
    WriteLines(answer, "PaymentDiscountLineItems", "namesp2:TPaymentDiscountLineItem",
               order.payment_discounts);
  if (order.coupons) WriteLines(answer, "CouponLineItems", "namesp2:TCouponLineItem", *order.coupons);
  if (!order.discounts.empty())
    WriteLines(answer, "GlobalValueDiscountLineItems", "namesp2:TGlobalValueDiscountLineItem",
               order.discounts);
  if (!order.shipping_options.empty())
    WriteLines(answer, "ShippingOptionLineItems", "namesp2:TShippingOptionLineItem", order.shipping_options);
  answer.End();
}

}  // namespace

struct EpagesModule::Call {
  const ServiceInfo* service = nullptr;
  std::string operation;
  pugi::xml_node parameters;  // the operation element
  std::vector<std::string> targets;
};

void EpagesModule::Register(httplib::Server& server, const std::string& base_path) {
  server.Post(
      EscapeForRegex(base_path) + "/.*\\.soap",
      [this](const httplib::Request& request, httplib::Response& response) { Serve(request, response); });
}

void EpagesModule::Serve(const httplib::Request& request, httplib::Response& response) {
  pugi::xml_document document;
  Call call;
  call.targets = {"epages"};
  const pugi::xml_node envelope = document.load_buffer(request.body.data(), request.body.size())
                                      ? document.document_element()
                                      : pugi::xml_node();
  const pugi::xml_node body = net::Child(envelope, "Body");
  for (pugi::xml_node child = body.first_child(); child; child = child.next_sibling()) {
    if (child.type() != pugi::node_element) continue;
    call.parameters = child;
    call.operation = std::string(net::LocalName(child));
    for (const ServiceInfo& service : kServices) {
      if (net::NamespaceUri(child) == service.urn) call.service = &service;
    }
    break;
  }
  if (call.service) {
    const std::string service = "epages:" + std::string(call.service->name);
    call.targets = {service + ":" + call.operation, service, "epages"};
  }
  pipeline_.Serve(request, response, call.targets,
                  [&](const httplib::Request& req, httplib::Response& res) { Answer(call, req, res); });
}

void EpagesModule::Answer(const Call& call, const httplib::Request& request, httplib::Response& response) {
  const auto credentials = BasicCredentials(request.get_header_value("Authorization"));
  if (!credentials || !shop_.Accepts(credentials->first, credentials->second)) {
    response.status = 401;
    response.set_header("WWW-Authenticate", "Basic realm=\"shopsim\"");
    return;
  }
  std::string xml;
  const std::string name = call.service ? std::string(call.service->name) + "." + call.operation : "";
  if (name == "OrderService.find") xml = FindOrders(call);
  if (name == "OrderService.getInfo") xml = OrderInfo(call);
  if (name == "OrderService.update") xml = UpdateOrders(call);
  if (name == "CustomerService.getInfo") xml = CustomerInfo(call);
  if (xml.empty() && call.service) {
    xml = products_.Answer(name, call.service->types_urn, call.parameters,
                           [&](const std::string& key) { return ItemError(call, key); });
  }
  if (xml.empty()) {
    const std::string urn = call.parameters ? std::string(net::NamespaceUri(call.parameters)) : "";
    response.status = 500;
    response.set_content(SoapFaultEnvelope("soap:Client", "WebService doesn't exist (URI=" + urn +
                                                              ", operation=" + call.operation + ")"),
                         "text/xml; charset=utf-8");
    return;
  }
  response.status = 200;
  response.set_header("SOAPServer", "shopsim");
  response.set_content(xml, "text/xml; charset=utf-8");
}

std::optional<std::string> EpagesModule::ItemError(const Call& call, const std::string& path) const {
  const auto failure = failures_.Find({call.targets.front() + ":" + path});
  if (failure && failure->kind == FailureKind::kItemError) return failure->body;
  return std::nullopt;
}

std::string EpagesModule::FindOrders(const Call& call) const {
  std::map<std::string, bool> flags;
  for (const pugi::xml_node flag : net::Child(call.parameters, "SearchParameters").children()) {
    if (flag.type() != pugi::node_element) continue;
    const std::string value = text::Trim(flag.child_value());
    flags[std::string(net::LocalName(flag))] = value == "true" || value == "1";
  }
  const auto paths = shop_.FindOrders(flags);
  EpagesAnswer answer("find", call.service->types_urn);
  answer.BeginArray("Orders", "xsd:string", paths.size());
  for (const auto& path : paths) answer.String("Order", path);
  return answer.Finish();
}

std::string EpagesModule::OrderInfo(const Call& call) const {
  const auto paths = Strings(net::Child(call.parameters, "Orders"));
  EpagesAnswer answer("getInfo", call.service->types_urn);
  answer.BeginArray("Orders", "namesp2:TGetInfo_Return", paths.size());
  for (const auto& path : paths) {
    answer.BeginRecord("Order", "namesp2:TGetInfo_Return");
    const auto order = shop_.Order(path);
    const auto error = ItemError(call, path);
    if (order && !error) {
      WriteOrder(answer, *order, shop_.OrderPath(*order));
    } else {
      answer.String("Path", path);
      answer.Error(error.value_or("Object with path " + path + " was not found."));
    }
    answer.End();
  }
  return answer.Finish();
}

std::string EpagesModule::UpdateOrders(const Call& call) {
  EpagesAnswer answer("update", call.service->types_urn);
  const pugi::xml_node list = net::Child(call.parameters, "Orders");
  std::vector<pugi::xml_node> items;
  net::ForEachItem(list, [&](const pugi::xml_node& item) { items.push_back(item); });
  answer.BeginArray("Orders", "namesp2:TUpdate_Return", items.size());
  for (const pugi::xml_node& item : items) {
    const std::string path = net::Text(item, "Path");
    std::map<std::string, std::string> dates;
    net::ForEachItem(net::Child(item, "Attributes"), [&](const pugi::xml_node& attribute) {
      const std::string attribute_name = net::Text(attribute, "Name");
      if (attribute_name.ends_with("On")) dates[attribute_name] = net::Text(attribute, "Value");
    });
    answer.BeginRecord("Order", "namesp2:TUpdate_Return");
    answer.String("Path", path);
    const auto error = ItemError(call, path);
    if (!error && shop_.UpdateOrder(path, dates)) {
      answer.Boolean("updated", true);
    } else {
      answer.Error(error.value_or("Object with path " + path + " was not found."));
    }
    answer.End();
  }
  return answer.Finish();
}

std::string EpagesModule::CustomerInfo(const Call& call) const {
  const auto paths = Strings(net::Child(call.parameters, "Customers"));
  EpagesAnswer answer("getInfo", call.service->types_urn);
  answer.BeginArray("Customers", "namesp2:TGetInfo_Return", paths.size());
  for (const auto& path : paths) {
    answer.BeginRecord("Customer", "namesp2:TGetInfo_Return");
    answer.String("Path", path);
    const auto customer = shop_.Customer(path);
    const auto error = ItemError(call, path);
    if (customer && !error) {
      answer.String("Alias", customer->alias);
      WriteAddress(answer, "BillingAddress", customer->billing);
    } else {
      answer.Error(error.value_or("Object with path " + path + " was not found."));
    }
    answer.End();
  }
  return answer.Finish();
}

}  // namespace kanvio::shopsim
