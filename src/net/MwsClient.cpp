#include "net/MwsClient.h"

#include <set>
#include <utility>

#include "config/Logger.h"
#include "platform/Crypto.h"
#include "platform/FileSystem.h"
#include "platform/HttpUrl.h"
#include "support/Text.h"

namespace kanvio::net {
namespace {

std::string ErrorMessage(std::string_view action, int status, const MwsErrorInfo& info) {
  std::string message =
      "Amazon MWS meldet bei " + std::string(action) + " einen Fehler (HTTP " + std::to_string(status) + ")";
  if (!info.code.empty()) message += ": " + info.code;
  if (!info.message.empty()) message += " - " + info.message;
  if (!info.request_id.empty()) message += " (RequestId " + info.request_id + ")";
  return message;
}

// The Host header as the HTTP clients send it: the port only when it is not
// the scheme's default.
std::string HostHeader(const platform::HttpUrl& url) {
  const bool default_port = url.port == (url.secure ? 443 : 80);
  return text::ToLower(default_port ? url.host : url.host + ":" + std::to_string(url.port));
}

// Parsed in the answer's own text, which the document keeps: every order
// of an import has an answer, and a copy for the parser would be one more.
std::unique_ptr<MwsClient::Answer::Parsed> ParseAnswer(std::string_view action, std::string&& body) {
  auto answer = std::make_unique<MwsClient::Answer::Parsed>();
  answer->text = std::move(body);
  const auto parsed = answer->document.load_buffer_inplace(answer->text.data(), answer->text.size());
  if (!parsed)
    throw XmlError("Die Antwort von Amazon MWS auf " + std::string(action) +
                   " ist kein gültiges XML: " + parsed.description());
  return answer;
}

// Whether name is action followed by suffix ("GetOrderResult").
bool NamedAfter(std::string_view name, std::string_view action, std::string_view suffix) {
  return name.size() == action.size() + suffix.size() && name.starts_with(action) && name.ends_with(suffix);
}

void LogRetry(std::string_view action, const std::exception& failure, std::chrono::seconds wait) {
  try {
    Logger::LogWarning(std::string(action) + " wird in " + std::to_string(wait.count()) +
                       " s wiederholt: " + failure.what());
  } catch (...) {
    // A log that cannot be written must not end the retries.
  }
}

}  // namespace

MwsError::MwsError(std::string_view action, int status, MwsErrorInfo info)
    : Error(ErrorMessage(action, status, info)), status_(status), info_(std::move(info)) {}

std::string ContentMd5(std::string_view body) {
  return platform::Base64Encode(platform::Md5(platform::ToBytes(body)));
}

MwsClient::MwsClient(MwsClientConfig config, const platform::HttpClientFactory& http)
    : config_(std::move(config)) {
  const auto url = platform::HttpUrl::Parse(config_.service_url);
  if (!url) throw Error("Die Adresse des Amazon-Dienstes ist ungültig: " + config_.service_url);
  host_ = HostHeader(*url);
  path_ = url->target.substr(0, url->target.find('?'));
  http_ = http();
  request_.method = platform::HttpMethod::kPost;
  request_.url = config_.service_url;
  request_.headers = {{"Content-Type", "application/x-www-form-urlencoded; charset=utf-8"},
                      {"User-Agent", config_.user_agent}};
  request_.total_timeout = config_.total_timeout;
  request_.inactivity_timeout = config_.inactivity_timeout;
}

platform::HttpResponse MwsClient::Send(std::string_view action, const MwsParameters& parameters) {
  MwsParameterViews all;
  // Room for the signer's four as well: one allocation per request.
  all.reserve(parameters.size() + 7);
  all.insert(all.end(), parameters.begin(), parameters.end());
  all.emplace_back("Action", action);
  all.emplace_back(config_.seller_parameter, config_.seller_id);
  all.emplace_back("Version", config_.version);
  request_.body = MwsSignedBody(std::move(all), config_.access_key_id, config_.secret_key, host_, path_,
                                platform::CurrentClock().NowUtc());
  const platform::HttpRequest& request = request_;
  ++requests_sent_;
  platform::HttpResponse response = http_->Send(request);
  if (response.status != 200) {
    MwsErrorInfo info;
    pugi::xml_document document;
    if (document.load_buffer(response.body.data(), response.body.size())) {
      if (auto parsed = ParseErrorResponse(document)) info = std::move(*parsed);
    }
    throw MwsError(action, response.status, std::move(info));
  }
  return response;
}

template <class Attempt>
auto MwsClient::WithRetries(std::string_view action, Attempt attempt) {
  for (std::size_t retry = 0;; ++retry) {
    const bool last = retry == kRetryWaits.size();
    try {
      return attempt();
    } catch (const MwsError& e) {
      if (!e.Transient() || last) throw;
      LogRetry(action, e, kRetryWaits[retry]);
    } catch (const TransportError& e) {
      if (last) throw;
      LogRetry(action, e, kRetryWaits[retry]);
    } catch (const ContentMd5Error& e) {
      if (e.missing() || last) throw;
      LogRetry(action, e, kRetryWaits[retry]);
    }
    platform::CurrentClock().Sleep(kRetryWaits[retry]);
  }
}

MwsClient::Answer MwsClient::Call(std::string_view action, const MwsParameters& parameters) {
  platform::HttpResponse response = WithRetries(action, [&] { return Send(action, parameters); });
  Answer answer;
  answer.parsed = ParseAnswer(action, std::move(response.body));
  const pugi::xml_document& document = answer.parsed->document;
  if (auto error = ParseErrorResponse(document)) throw MwsError(action, response.status, *error);
  const pugi::xml_node root = document.document_element();
  if (!NamedAfter(MwsLocalName(root), action, "Response"))
    throw XmlError("Die Antwort von Amazon MWS auf " + std::string(action) + " ist <" +
                   std::string(root.name()) + "> statt <" + std::string(action) + "Response>.");
  for (pugi::xml_node node = root.first_child(); node && !answer.result; node = node.next_sibling()) {
    if (node.type() == pugi::node_element && NamedAfter(MwsLocalName(node), action, "Result"))
      answer.result = node;
  }
  if (!answer.result)
    throw XmlError("Der Antwort von Amazon MWS auf " + std::string(action) + " fehlt <" +
                   std::string(action) + "Result>.");
  return answer;
}

void MwsClient::ForEachPage(std::string_view action, const MwsParameters& parameters,
                            std::string_view next_action, const PageReader& page) {
  std::optional<std::string> token = page(Call(action, parameters).result);
  std::set<std::string> seen;
  for (std::size_t pages = 1; token; ++pages) {
    if (pages >= kMaxPages) {
      Logger::LogWarning(std::string(next_action) + ": nach " + std::to_string(kMaxPages) +
                         " Seiten abgebrochen; die übrigen Einträge folgen beim nächsten Abruf.");
      return;
    }
    if (!seen.insert(*token).second) {
      Logger::LogWarning(std::string(next_action) + ": Amazon MWS liefert den NextToken " + *token +
                         " ein zweites Mal; die Seiten werden nicht weiter abgerufen.");
      return;
    }
    token = page(Call(next_action, {{"NextToken", *token}}).result);
  }
}

std::size_t MwsClient::Download(std::string_view action, const MwsParameters& parameters,
                                const std::filesystem::path& target) {
  const platform::HttpResponse response = WithRetries(action, [&] {
    platform::HttpResponse answer = Send(action, parameters);
    const auto sent = answer.Header("Content-MD5");
    if (!sent)
      throw ContentMd5Error("Der Bericht von Amazon MWS kam ohne Content-MD5 und wird nicht gespeichert.",
                            true);
    if (text::Trim(*sent) != ContentMd5(answer.body))
      throw ContentMd5Error("Der Bericht von Amazon MWS passt nicht zu seiner Content-MD5 " +
                                text::Trim(*sent) + " und wird nicht gespeichert.",
                            false);
    return answer;
  });
  platform::WriteFileAtomically(target, response.body);
  return response.body.size();
}

}  // namespace kanvio::net
