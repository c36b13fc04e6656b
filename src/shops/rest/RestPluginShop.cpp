#include "shops/rest/RestPluginShop.h"

#include <charconv>
#include <vector>

#include "config/ConfigFileReader.h"
#include "config/Logger.h"
#include "config/Settings.h"
#include "hostfiles/BatchSize.h"
#include "hostfiles/HostXmlFile.h"
#include "hostfiles/ResultProtocol.h"
#include "hostfiles/XmlPackages.h"
#include "platform/FileSystem.h"
#include "shops/ShopRequests.h"
#include "shops/rest/AnyKanvio.h"
#include "support/Error.h"
#include "support/Text.h"

namespace kanvio {
namespace {

using platform::HttpMethod;

const char* const kNotImplemented = "Der von Ihnen gewählte Webshop unterstützt diese Funktion nicht.";

// A set-up the plug-in cannot serve: the host reads why, whatever the
// operation's error text would be otherwise.
class SetupError : public Error {
 public:
  using Error::Error;
};

// The operations whose failures leave the host's text empty.
template <typename Body>
std::int32_t QuietlyGuarded(std::string& error, Body&& body) {
  try {
    return body();
  } catch (const SetupError& e) {
    error = e.what();
    Logger::LogError(e);
  } catch (const std::exception& e) {
    error.clear();
    Logger::LogError(e);
  }
  return -1;
}

}  // namespace

std::optional<std::int64_t> RestPluginShop::ParseWholeNumber(std::string_view text) {
  const std::string trimmed = text::Trim(text);
  std::string_view digits = trimmed;
  if (digits.size() > 1 && digits[0] == '+' && digits[1] != '-') digits.remove_prefix(1);
  std::int64_t value = 0;
  const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (ec != std::errc() || end != digits.data() + digits.size() || digits.empty()) return std::nullopt;
  return value;
}

namespace {

// +1 for SUCCESS, -1 for ROLLBACK (both keep the protocol), 0 otherwise.
std::int32_t Evaluate(const std::string& answer, std::vector<ExportProtocol>& protocols) {
  const bool success = text::Contains(answer, "SUCCESS");
  if (!success && !text::Contains(answer, "ROLLBACK")) return 0;
  protocols.push_back(ResultProtocol::TryFromAnswer(answer).value_or(ExportProtocol{}));
  return success ? 1 : -1;
}

// A file with another root is left as it is; nothing here may end an upload.
void AppendProtocols(const std::string& file, const char* root, std::vector<ExportProtocol>& protocols) {
  if (protocols.empty()) return;
  try {
    ResultProtocol::Write(platform::PathFromUtf8(file), root, protocols);
  } catch (const std::exception& e) {
    Logger::LogError(e);
  }
  protocols.clear();
}

}  // namespace

struct RestPluginShop::Upload {
  const char* endpoint;
  const char* root;
  const char* row;
  const char* status_text;
  bool next_package_after_failure;
};

RestPluginShop::RestPluginShop(IWorker* worker, platform::HttpClientFactory http)
    : worker_(worker), http_(std::move(http)) {}

RestPluginShop::Session::Session(const RestPluginShop& shop) {
  Settings settings;
  const std::string erp = settings.ERP_SYSTEM();
  const std::string path = shop.BasePath(erp);
  if (path.empty())
    throw SetupError(
        "Das ERP-System \"" + erp +
        "\" wird von der Shop-Erweiterung nicht unterstützt. Erwartet wird \"ledgrox\" oder \"vd\".");
  base_url_ = settings.WEBSERVICE_URL() + path;
  set_up_ = AnyKanvio::HttpClient(HttpMethod::kGet, "");
  client_ = shop.http_();
}

platform::HttpResponse RestPluginShop::Session::Send(HttpMethod method, const std::string& endpoint,
                                                     std::string body) {
  // The settings store and the certificate switch are read once per
  // operation; the TLS versions again before every request.
  AnyKanvio::ApplySecurityProtocols();
  platform::HttpRequest request = set_up_;
  request.method = method;
  request.url = base_url_ + endpoint;
  request.body = std::move(body);
  request.tls_versions = AnyKanvio::AllowedTlsVersions();
  return client_->Send(request);
}

std::string RestPluginShop::Session::Get(const std::string& endpoint) {
  auto response = Send(HttpMethod::kGet, endpoint, {});
  if (response.status < 200 || response.status > 299)
    throw HttpStatusError(response.status, HttpStatusMessage(response.status));
  return response.Text();
}

std::string RestPluginShop::Session::Post(const std::string& endpoint, std::string body) {
  return Send(HttpMethod::kPost, endpoint, std::move(body)).Text();
}

std::int32_t RestPluginShop::SimpleDownload(const std::string& endpoint, std::string& error,
                                            bool save) const {
  try {
    Session session(*this);
    const std::string answer = session.Get(endpoint);
    if (AnyKanvio::ContainsIllegalContent(answer)) return 0;
    if (save) AnyKanvio::SaveToFile(answer);
    return 1;
  } catch (const std::exception& e) {
    error = e.what();
    Logger::LogError(e);
    return -1;
  }
}

void RestPluginShop::writeResult(const std::string& res, const std::string& typ) {
  std::vector<ExportProtocol> protocols{ResultProtocol::TryFromAnswer(res).value_or(ExportProtocol{})};
  AppendProtocols(Settings().WEBSERVICE_RESULT_FILEPATH(), typ.c_str(), protocols);
}

std::int32_t RestPluginShop::KontrolliereVerbindungZumShop(std::string& error, bool funcCheck) {
  return funcCheck ? 1 : SimpleDownload("getConnection", error, false);
}

std::int32_t RestPluginShop::HoleBestellungenVomShop(std::string& error, bool funcCheck) {
  return funcCheck ? 1 : SimpleDownload("getOpenOrders", error, true);
}

std::int32_t RestPluginShop::HoleArtikellisteVomShop(std::string& error, bool funcCheck) {
  return funcCheck ? 1 : SimpleDownload("getArticleList", error, true);
}

std::int32_t RestPluginShop::HoleArtikelVomShop(std::string& error, bool funcCheck) {
  return funcCheck ? 1 : SimpleDownload("getArticles", error, true);
}

std::int32_t RestPluginShop::SucheAnzahlOffeneBestellungenImShop() {
  try {
    Session session(*this);
    const std::string answer = session.Get("getOpenOrdersCount");
    if (AnyKanvio::ContainsIllegalContent(answer)) return 0;
    const auto count = ParseWholeNumber(answer);
    return count && *count >= 0 && *count <= INT32_MAX ? static_cast<std::int32_t>(*count) : 0;
  } catch (const std::exception& e) {
    Logger::LogError(e);
    return -1;
  }
}

std::int32_t RestPluginShop::SetzeBestellstatusVonOrderID(std::string&, const std::string&, bool funcCheck) {
  return funcCheck ? 0 : 1;
}

std::int32_t RestPluginShop::ExportierePreisListenzuArtikel(std::string& error, bool) {
  error = kNotImplemented;
  return shop_result::kNotOffered;
}

// A transport failure ends the article upload and reaches the worker,
// which logs it; only a set-up the plug-in cannot serve is told the host.
std::int32_t RestPluginShop::ExportArtikelZumShop(std::string& error, bool funcCheck) {
  if (funcCheck) return 1;
  static const Upload kArticles{"setArticles", "Artikelexport", "row", "Upload von Paket: ", false};
  try {
    return UploadFile(kArticles);
  } catch (const SetupError& e) {
    error = e.what();
    Logger::LogError(e);
    return -1;
  }
}

std::int32_t RestPluginShop::SetzeLagerbestand(std::string& error, bool funcCheck) {
  if (funcCheck) return 1;
  static const Upload kStock{"setStock", "LagerbestandExport", "Artikel",
                             "Lagerbestandsexport - Upload von Paket: ", true};
  return QuietlyGuarded(error, [&] { return UploadFile(kStock); });
}

// Prices always go whole: the plug-in applies a price list in one step.
std::int32_t RestPluginShop::SetzeArtikelPreise(std::string& error, bool funcCheck) {
  if (funcCheck) return 1;
  static const Upload kPrices{"setArticlePrices", "Artikelpreisexport", "row", nullptr, false};
  return QuietlyGuarded(error, [&] {
    Session session(*this);
    return UploadWhole(kPrices, session, Settings().WEBSERVICE_RESULT_FILEPATH());
  });
}

std::int32_t RestPluginShop::UploadFile(const Upload& upload) const {
  Session session(*this);
  const std::string file = Settings().WEBSERVICE_RESULT_FILEPATH();
  if (ConfigFileReader::GetValueFromGenerellConfig("PackageSplitting"))
    return UploadInPackages(upload, session, file);
  return UploadWhole(upload, session, file);
}

std::int32_t RestPluginShop::UploadWhole(const Upload& upload, Session& session,
                                         const std::string& file) const {
  const std::string answer = session.Post(upload.endpoint, AnyKanvio::FileContent(file));
  std::vector<ExportProtocol> protocols;
  const std::int32_t result = Evaluate(answer, protocols);
  AppendProtocols(file, upload.root, protocols);
  return result;
}

// The protocols are collected and appended in one save when the upload
// ends, however it ends: saving a large host file once per package would
// make the upload quadratic in its size.
std::int32_t RestPluginShop::UploadInPackages(const Upload& upload, Session& session,
                                              const std::string& file) const {
  const int amount = ConfiguredBatchSize();
  if (amount < 1) throw SetupError("Die Paketgröße PackageSplittingAmount muss mindestens 1 sein.");
  XmlPackages packages(platform::PathFromUtf8(file), upload.root, upload.row, upload.root, amount);
  const auto n = static_cast<std::int32_t>(packages.size());
  if (worker_) worker_->SetMaxValue(n + 1);
  std::vector<ExportProtocol> protocols;
  std::int64_t count = 0;
  for (std::int32_t k = 1; k <= n; ++k) {
    if (worker_)
      worker_->setUserStatusMessage(upload.status_text + std::to_string(k) + " von " + std::to_string(n), k);
    try {
      count +=
          Evaluate(session.Post(upload.endpoint, packages.Text(static_cast<std::size_t>(k - 1))), protocols);
    } catch (const std::exception& e) {
      if (!upload.next_package_after_failure) {
        AppendProtocols(file, upload.root, protocols);
        throw;
      }
      Logger::LogError(e);
    }
  }
  AppendProtocols(file, upload.root, protocols);
  return count >= n ? 1 : -1;
}

std::int32_t RestPluginShop::SetzeBestellstatus(std::string& error, bool funcCheck) {
  if (funcCheck) return 1;
  return QuietlyGuarded(error, [&] {
    Session session(*this);
    const auto file =
        HostXmlFile::LoadForReading(platform::PathFromUtf8(Settings().WEBSERVICE_RESULT_FILEPATH()));
    std::vector<std::string> numbers;
    for (auto order : file.Document().select_nodes("//Bestellvorgang")) {
      if (auto number = order.node().select_node(".//BestellnummerShop").node())
        numbers.push_back(number.text().get());
    }
    for (const auto& number : numbers) session.Get("setOrderStatus/id/" + EncodeOrderNumber(number));
    return 1;
  });
}

}  // namespace kanvio
