#include "shops/php/PHPFileConnector.h"

#include <charconv>
#include <pugixml.hpp>

#include "config/ConfigFileReader.h"
#include "config/Logger.h"
#include "config/Settings.h"
#include "hostfiles/BatchSize.h"
#include "hostfiles/HostXmlFile.h"
#include "hostfiles/ResultProtocol.h"
#include "hostfiles/XmlPackages.h"
#include "platform/FileSystem.h"
#include "shops/MergedArticleFile.h"
#include "shops/ShopRequests.h"
#include "shops/php/PhpScripts.h"
#include "support/Error.h"
#include "support/GermanNumber.h"
#include "support/Text.h"

namespace kanvio {
namespace {

using platform::HttpMethod;
using platform::HttpRequest;

constexpr std::chrono::milliseconds kLongTimeout{5'000'000};
const char* const kNotImplemented = "Der von Ihnen gewählte Webshop unterstützt diese Funktion nicht.";

// Failures that the host must read about: an ERP identifier without
// scripts, a package size that cannot cut, a paged download beyond bounds,
// an answer that the host could not import.
class SetupError : public Error {
 public:
  using Error::Error;
};

// How an operation's failures reach the host: the set-up's own texts are
// shown; an error status of the script ends quietly where the protocol says
// so; anything else is logged and leaves the host's text empty (or, for the
// operations that show it, the failure's message).
enum class StatusFailure { kLogged, kQuiet };
enum class FailureText { kEmpty, kMessage };

template <typename Body>
std::int32_t Guarded(std::string& error, Body&& body, StatusFailure status = StatusFailure::kLogged,
                     FailureText text = FailureText::kEmpty) {
  try {
    return body();
  } catch (const SetupError& e) {
    error = e.what();
    Logger::LogError(e);
  } catch (const HttpStatusError& e) {
    if (status == StatusFailure::kQuiet) return -1;
    error = text == FailureText::kMessage ? e.what() : "";
    Logger::LogError(e);
  } catch (const std::exception& e) {
    error = text == FailureText::kMessage ? e.what() : "";
    Logger::LogError(e);
  }
  return -1;
}

}  // namespace

struct PHPFileConnector::Connection {
  std::string base, erp, shop, login, password, result_path;
  bool accept_invalid_certificates = false;

  std::string Prefix() const {
    try {
      return php::ScriptPrefix(erp);
    } catch (const Error& e) {
      throw SetupError(e.what());
    }
  }
};

struct PHPFileConnector::Answer {
  int status = 0;
  std::string text;
  // The scripts answer 500 with a body that is read like any other answer.
  bool usable() const { return (status >= 200 && status < 300) || status == 500; }
  bool not_implemented() const { return status == 501; }
};

struct PHPFileConnector::Upload {
  const char* sync;
  const char* root;
  const char* row;
  const char* status_text;  // nullptr: never in packages
  bool failure_text;        // the failure's message goes into the error text
};

PHPFileConnector::PHPFileConnector(platform::HttpClientFactory factory) : factory_(std::move(factory)) {}
PHPFileConnector::~PHPFileConnector() = default;

const PHPFileConnector::Connection& PHPFileConnector::Open() {
  if (!connection_) {
    Settings settings;
    auto c = std::make_unique<Connection>();
    c->base = settings.WEBSERVICE_URL();
    c->erp = settings.ERP_SYSTEM();
    c->shop = settings.WEBSERVICE_SHOP();
    c->login = settings.WEBSERVICE_LOGIN();
    c->password = settings.WEBSERVICE_PASSWORD();
    c->result_path = settings.WEBSERVICE_RESULT_FILEPATH();
    c->accept_invalid_certificates =
        ConfigFileReader::GetValueFromGenerellConfig("AcceptInvalidCertificates");
    connection_ = std::move(c);
  }
  return *connection_;
}

// A 501 is repeated once without Content-Encoding; a 501 to the repeat is a
// failure like any other status the scripts should not answer.
void PHPFileConnector::FailOnRepeated501(const Answer& answer, bool isUtf8) {
  if (!isUtf8) throw HttpStatusError(answer.status, HttpStatusMessage(answer.status));
}

PHPFileConnector::Answer PHPFileConnector::Exchange(const HttpRequest& request) {
  if (!client_) client_ = factory_();
  auto response = client_->Send(request);
  Answer answer{response.status, response.Text()};
  if (!answer.usable() && !answer.not_implemented())
    throw HttpStatusError(answer.status, HttpStatusMessage(answer.status));
  return answer;
}

HttpRequest PHPFileConnector::Query(const std::string& url, bool long_running) const {
  HttpRequest request;
  request.method = HttpMethod::kGet;
  request.url = url;
  request.headers = {{"User-Agent", connection_->login}};
  if (long_running) request.total_timeout = request.inactivity_timeout = kLongTimeout;
  if (connection_->accept_invalid_certificates)
    request.certificate_policy = platform::CertificatePolicy::kAcceptInvalid;
  return request;
}

HttpRequest PHPFileConnector::FunctionCheck(const std::string& function, bool isUtf8) const {
  const auto& c = *connection_;
  HttpRequest request = Query(php::CheckUrl(c.base, c.Prefix(), function, c.shop), true);
  request.method = HttpMethod::kPost;
  request.headers = {{"Content-Type", "text/xml"}, {"User-Agent", c.login}};
  if (isUtf8) request.headers.emplace_back("Content-Encoding", "UTF-8");
  return request;
}

HttpRequest PHPFileConnector::buildWebRequest(const std::string& sync, const std::string& file,
                                              bool isUTF8) const {
  const auto& c = *connection_;
  HttpRequest request = Query(php::SyncUrl(c.base, c.Prefix(), c.shop, sync), true);
  request.method = HttpMethod::kPost;
  request.headers = {{"Content-Type", "text/xml"}, {"User-Agent", c.login}};
  if (isUTF8) request.headers.emplace_back("Content-Encoding", "UTF-8");
  request.body = file;
  return request;
}

void PHPFileConnector::WriteImportable(const std::string& text) const {
  try {
    CheckImportable(text);
  } catch (const Error& e) {
    throw SetupError(e.what());
  }
  platform::WriteFileAtomically(PathFromUtf8(connection_->result_path), text + "\r\n");
}

void PHPFileConnector::writeResult(const std::string& res, const std::string& typ) {
  ResultProtocol::Append(PathFromUtf8(Settings().WEBSERVICE_RESULT_FILEPATH()), typ, res);
}

std::int32_t PHPFileConnector::Check_Con(std::string& error) {
  try {
    const auto& c = Open();
    auto answer = Exchange(
        Query(php::CheckUrl(c.base, php::CheckConnectionPrefix(c.erp), "daten_holen", c.shop), false));
    // Only an answer that is read (200 or 500) can be a web page instead of
    // the script; a 501 is a failure whatever its body holds.
    if (answer.usable() && (text::Contains(answer.text, "<html") || text::Contains(answer.text, "html>")))
      return -1;
    if (answer.status != 500 && answer.usable()) return 1;
    error = HttpStatusMessage(answer.status);
    if (answer.not_implemented()) Logger::LogError(error);
    return -2;
  } catch (const std::exception& e) {
    error = e.what();
    Logger::LogError(e);
    return -2;
  }
}

std::int32_t PHPFileConnector::Check_Function(const std::string& function, std::string& error, bool isUtf8) {
  if (text::EqualsIgnoreCase(function, "not_implemented")) {
    error = kNotImplemented;
    return -2;
  }
  try {
    Open();
    auto answer = Exchange(FunctionCheck(function, isUtf8));
    if (answer.usable()) return text::Contains(answer.text, "1") ? 1 : -1;
    if (!isUtf8) throw HttpStatusError(answer.status, HttpStatusMessage(answer.status));
    std::string repeat_error;
    if (Check_Function(function, repeat_error, false) == 1) return 1;
    error = HttpStatusMessage(answer.status);
    return -2;
  } catch (const std::exception& e) {
    error = e.what();
    Logger::LogError(e);
    return -2;
  }
}

std::int32_t PHPFileConnector::GET_ORDERS_FROM_PHP_FILE(std::string& error) {
  return Guarded(error, [&] {
    const auto& c = Open();
    auto answer = Exchange(Query(php::OrdersUrl(c.base, c.Prefix(), c.shop), true));
    if (!answer.usable()) throw HttpStatusError(answer.status, HttpStatusMessage(answer.status));
    WriteImportable(answer.text);
    const bool nothing_new =
        text::Contains(answer.text, "OrderNotification") && !text::Contains(answer.text, "Bestellvorgang");
    return nothing_new ? 0 : 1;
  });
}

std::string PHPFileConnector::GET_PAGING_INFOS(std::string& error) {
  // A failed check only means no paging; its text (it is logged) would stay
  // in the text of a download that then succeeds.
  std::string check_error;
  if (Check_Function("paging_informationen", check_error, true) != 1) return "";
  try {
    const auto& c = Open();
    auto answer = Exchange(Query(php::SyncUrl(c.base, c.Prefix(), c.shop, "paging_informationen"), true));
    return answer.usable() ? answer.text : "";
  } catch (const HttpStatusError&) {
    return "";
  } catch (const std::exception& e) {
    error.clear();
    Logger::LogError(e);
    return "";
  }
}

std::int32_t PHPFileConnector::GET_ARTICLES_FROM_PHP_FILE(std::string& error, bool isUtf8, bool /*paging*/) {
  const std::string paging_answer = GET_PAGING_INFOS(error);
  std::optional<std::int64_t> count;
  if (!paging_answer.empty() && ConfigFileReader::GetValueFromGenerellConfig("PackageSplitting")) {
    pugi::xml_document doc;
    if (!doc.load_string(paging_answer.c_str()))
      throw XmlError("Die Paging-Informationen des Shops sind kein gültiges XML.");
    auto node = doc.select_node("/PagingInformations/ArticleCount").node();
    if (!node) throw XmlError("Die Paging-Informationen des Shops enthalten keine ArticleCount.");
    if (auto n = ParseGermanInt(node.child_value())) count = *n;
  }
  return Guarded(
      error, [&] { return count ? DownloadArticlePages(*count, isUtf8) : DownloadArticles(error, isUtf8); });
}

std::int32_t PHPFileConnector::DownloadArticles(std::string& error, bool isUtf8) {
  auto answer = Exchange(buildWebRequest("shop_to_lqx", "", isUtf8));
  if (answer.not_implemented()) {
    FailOnRepeated501(answer, isUtf8);
    return GET_ARTICLES_FROM_PHP_FILE(error, false, false) > 0 ? 1 : -1;
  }
  WriteImportable(answer.text);
  return text::Contains(answer.text, "Artikelimport") && !text::Contains(answer.text, "row") ? 0 : 1;
}

std::int32_t PHPFileConnector::DownloadArticlePages(std::int64_t count, bool isUtf8) {
  const std::int64_t amount = ConfiguredBatchSize();
  if (amount < 1) throw SetupError("Die Paketgröße PackageSplittingAmount muss mindestens 1 sein.");
  std::int64_t pages = 0;
  try {
    pages = ArticlePages::Count(count, amount);
  } catch (const Error& e) {
    throw SetupError(e.what());
  }
  ArticlePages texts;
  for (std::int64_t i = 0; i < pages; ++i) {
    const std::string sync =
        "shop_to_lqx&offset=" + std::to_string(amount * i) + "&limit=" + std::to_string(amount);
    auto answer = Exchange(buildWebRequest(sync, "", isUtf8));
    // The scripts' 500 and 501 on a page end the download as done, without a file.
    if (answer.status == 500 || answer.not_implemented()) return 1;
    try {
      texts.Add(std::move(answer.text));
    } catch (const Error& e) {
      throw SetupError(e.what());
    }
  }
  int error_count = 0;
  MergedArticleFile::SaveAsMergedXml(texts.Texts(), connection_->password,
                                     PathFromUtf8(connection_->result_path), error_count);
  return 1;
}

std::int32_t PHPFileConnector::GET_ARTICLELIST_FROM_SHOP(bool isUtf8) {
  try {
    Open();
    auto answer = Exchange(buildWebRequest("articlelist_from_shop", "", isUtf8));
    if (answer.not_implemented()) {
      FailOnRepeated501(answer, isUtf8);
      return GET_ARTICLELIST_FROM_SHOP(false) > 0 ? 1 : -1;
    }
    if (!text::Contains(answer.text, "ArtikelListeWebshop")) return -1;
    WriteImportable(answer.text);
    return text::Contains(answer.text, "row") ? 1 : 0;
  } catch (const HttpStatusError& e) {
    if (e.status() == 501) Logger::LogError(e);
    return -1;
  } catch (const std::exception&) {
    return -1;
  }
}

std::int32_t PHPFileConnector::SEND_ARTICLES_TO_PHP_FILE(std::string& error, IWorker* worker, bool isUtf8) {
  static const Upload kArticles{"lqx_to_shop", "Artikelexport", "row",
                                "Artikelexport - Upload von Paket: ", false};
  return UploadFile(kArticles, error, worker, isUtf8);
}

std::int32_t PHPFileConnector::SEND_ARTICLEPRICES_TO_SHOP(std::string& error, IWorker* worker, bool isUtf8) {
  static const Upload kPrices{"pricelist_to_shop", "Artikelpreisexport", "row",
                              "Artikelpreisexport - Upload von Paket: ", false};
  return UploadFile(kPrices, error, worker, isUtf8);
}

std::int32_t PHPFileConnector::SEND_STOCKVALUES_TO_SHOP(std::string& error, bool isUtf8) {
  static const Upload kStock{"stockvalue_to_shop", "LagerbestandExport", "Artikel", nullptr, true};
  return UploadFile(kStock, error, nullptr, isUtf8);
}

std::int32_t PHPFileConnector::UploadFile(const Upload& upload, std::string& error, IWorker* worker,
                                          bool isUtf8) {
  return Guarded(
      error,
      [&] {
        Open().Prefix();
        const bool packages =
            upload.status_text && ConfigFileReader::GetValueFromGenerellConfig("PackageSplitting");
        const std::int32_t result =
            packages ? UploadInPackages(upload, worker, isUtf8) : UploadWhole(upload, isUtf8);
        // 0 alone would reach the host as a success.
        if (result == 0) error = kUnknownUploadAnswer;
        return result;
      },
      StatusFailure::kLogged, upload.failure_text ? FailureText::kMessage : FailureText::kEmpty);
}

std::int32_t PHPFileConnector::EvaluateUploadAnswer(const std::string& answer,
                                                    std::vector<ExportProtocol>& protocols) {
  const bool success = text::Contains(answer, "SUCCESS");
  if (!success && !text::Contains(answer, "ROLLBACK")) return 0;
  protocols.push_back(ResultProtocol::FromAnswer(answer));
  return success ? 1 : -1;
}

void PHPFileConnector::AppendProtocols(const Upload& upload, std::vector<ExportProtocol>& protocols) const {
  if (protocols.empty()) return;
  try {
    ResultProtocol::Write(PathFromUtf8(connection_->result_path), upload.root, protocols);
  } catch (const std::exception& e) {
    Logger::LogError(e);
  }
  protocols.clear();
}

std::int32_t PHPFileConnector::UploadWhole(const Upload& upload, bool isUtf8) {
  auto answer = Exchange(
      buildWebRequest(upload.sync, HostXmlFile::LoadText(PathFromUtf8(connection_->result_path)), isUtf8));
  if (answer.not_implemented()) {
    FailOnRepeated501(answer, isUtf8);
    return UploadWhole(upload, false) > 0 ? 1 : -1;
  }
  std::vector<ExportProtocol> protocols;
  const auto result = EvaluateUploadAnswer(answer.text, protocols);
  AppendProtocols(upload, protocols);
  return result;
}

// The protocols of the packages are collected and appended in one save when
// the upload ends, however it ends: the host file may be large, and saving
// it once per package would make an upload quadratic in its size.
std::int32_t PHPFileConnector::UploadInPackages(const Upload& upload, IWorker* worker, bool isUtf8) {
  const int amount = ConfiguredBatchSize();
  if (amount < 1) throw SetupError("Die Paketgröße PackageSplittingAmount muss mindestens 1 sein.");
  XmlPackages packages(PathFromUtf8(connection_->result_path), upload.root, upload.row, upload.root, amount);
  const auto n = static_cast<std::int32_t>(packages.size());
  if (worker) worker->SetMaxValue(n + 1);
  std::vector<ExportProtocol> protocols;
  std::int64_t count = 0;
  try {
    for (std::int32_t k = 1; k <= n; ++k) {
      if (worker)
        worker->setUserStatusMessage(upload.status_text + std::to_string(k) + " von " + std::to_string(n), k);
      auto answer =
          Exchange(buildWebRequest(upload.sync, packages.Text(static_cast<std::size_t>(k - 1)), isUtf8));
      if (answer.not_implemented()) {
        AppendProtocols(upload, protocols);
        FailOnRepeated501(answer, isUtf8);
        return UploadInPackages(upload, worker, false) > 0 ? 1 : -1;
      }
      const auto result = EvaluateUploadAnswer(answer.text, protocols);
      if (answer.status == 500) {
        AppendProtocols(upload, protocols);
        return result;
      }
      count += result;
    }
  } catch (...) {
    AppendProtocols(upload, protocols);
    throw;
  }
  AppendProtocols(upload, protocols);
  return count >= n ? 1 : -1;
}

std::int32_t PHPFileConnector::SEND_ORDER_STATUS(std::string& error) {
  const auto& c = Open();
  const auto file = HostXmlFile::LoadForReading(PathFromUtf8(c.result_path));
  std::vector<std::string> numbers;
  for (auto order : file.Document().select_nodes("//Bestellvorgang")) {
    if (auto number = order.node().select_node(".//BestellnummerShop").node())
      numbers.push_back(number.text().get());
  }
  return Guarded(
      error,
      [&] {
        const std::string prefix = c.Prefix();
        for (const auto& number : numbers) {
          auto answer = Exchange(Query(php::OrderStateUrl(c.base, prefix, c.shop, number), false));
          if (answer.status == 500) return 1;
          if (answer.not_implemented()) return -1;
        }
        return 1;
      },
      StatusFailure::kQuiet);
}

std::int32_t PHPFileConnector::CHECK_AMOUNT_OPEN_ORDERS(std::string& error) {
  return Guarded(
      error,
      [&] {
        const auto& c = Open();
        auto answer = Exchange(Query(php::SyncUrl(c.base, c.Prefix(), c.shop, "check_open_orders"), true));
        if (!answer.usable()) return -1;
        const std::int32_t count = ParseGermanInt(answer.text).value_or(0);
        // A script answers -1 when it failed; any other negative is no count
        // either, and the host reads only -1 as a failure.
        if (count < -1) Logger::LogError("check_open_orders: keine Anzahl: " + answer.text);
        return count < -1 ? -1 : count;
      },
      StatusFailure::kQuiet);
}

}  // namespace kanvio
