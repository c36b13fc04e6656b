#include "worker/formWorker.h"

#include <charconv>
#include <cstdlib>
#include <filesystem>
#include <string_view>
#include <utility>

#include "config/Logger.h"
#include "config/Settings.h"
#include "platform/FileSystem.h"
#include "shops/IAmazonShop.h"
#include "support/Error.h"
#include "support/Text.h"
#include "support/UserMessages.h"
#include "worker/ColorTable.h"
#include "worker/InitShopCommand.h"
#include "worker/LogFailure.h"

namespace kanvio {
namespace {

constexpr const char* kTaskNotStarted =
    "Der Vorgang konnte nicht gestartet werden. Bitte versuchen Sie es erneut.";
constexpr const char* kUnknownFailure = "Bei dem Vorgang ist ein unbekannter Fehler aufgetreten.";
constexpr const char* kCountFailed = "Die Anzahl der offenen Bestellungen konnte nicht ermittelt werden.";

using Message = const std::string& (*)();
using M = UserMessages;

// What the window shows after the connector answered.
struct Reaction {
  Message message = nullptr;
  bool warn = false;  // followed by the warning that articles may be missing
};

struct Operation {
  std::string_view name;
  Message before;
  std::int32_t (*call)(IShop& shop, std::string& error);
  Reaction done, nothing, failed, other;  // results 1, 0, -1, anything else
  bool counts_open_orders;
  bool checks_input_file;
};

IAmazonShop& Amazon(IShop& shop) {
  if (auto* amazon = dynamic_cast<IAmazonShop*>(&shop)) return *amazon;
  throw Error("Diese Operation erfordert den Amazon-Connector.");
}

// The Amazon rows come first. A stored name selects the first row whose name
// it contains; every name that the exports store selects exactly one row.
const Operation kOperations[] = {
    {.name = "MANAGE_FBA_REPORTS_SCHEDULE",
     .before = &M::AMAZON_SET_FBA_REPORTS,
     .call = [](IShop& s, std::string& e) { return Amazon(s).AktiviereAutoFbaReportErzeugung(e, false); },
     .done = {&M::AMAZON_SET_FBA_REPORTS_SUCCESS},
     .nothing = {&M::AMAZON_SET_FBA_REPORTS_ERROR},
     .failed = {&M::AMAZON_SET_FBA_REPORTS_ERROR},
     .other = {&M::AMAZON_SET_FBA_REPORTS_ERROR},
     .counts_open_orders = false,
     .checks_input_file = false},
    {.name = "MANAGE_REPORTS_SCHEDULE",
     .before = &M::AMAZON_SET_REPORTS,
     .call = [](IShop& s, std::string& e) { return Amazon(s).AktiviereAutoReportErzeugung(e, false); },
     .done = {&M::AMAZON_SET_REPORTS_SUCCESS},
     .nothing = {&M::AMAZON_SET_REPORTS_ERROR},
     .failed = {&M::AMAZON_SET_REPORTS_ERROR},
     .other = {&M::AMAZON_SET_REPORTS_ERROR},
     .counts_open_orders = false,
     .checks_input_file = false},
    {.name = "GET_REPORTS",
     .before = &M::AMAZON_GET_REPORTS,
     .call = [](IShop& s, std::string& e) { return Amazon(s).HoleBerichteVonAmazon(e); },
     .done = {&M::AMAZON_GET_REPORTS_SUCCESS},
     .nothing = {},
     .failed = {},
     .other = {},
     .counts_open_orders = false,
     .checks_input_file = false},
    {.name = "FIND_ORDERS",
     .before = &M::GET_OPEN_ORDERS_COUNT,
     .call = [](IShop& s, std::string&) { return s.SucheAnzahlOffeneBestellungenImShop(); },
     .done = {},
     .nothing = {},
     .failed = {},
     .other = {},
     .counts_open_orders = true,
     .checks_input_file = false},
    {.name = "GET_ORDERS",
     .before = &M::ORDERS_GET,
     .call = [](IShop& s, std::string& e) { return s.HoleBestellungenVomShop(e, false); },
     .done = {&M::ORDERS_GET_SUCCESS},
     .nothing = {&M::ORDERS_GET_NOTHING_NEW},
     .failed = {&M::ORDERS_GET_ERROR},
     .other = {&M::ORDERS_GET_NOTHING_NEW},
     .counts_open_orders = false,
     .checks_input_file = false},
    {.name = "GET_WEBSHOPARTICLELIST",
     .before = &M::ARTICLELIST_GET,
     .call = [](IShop& s, std::string& e) { return s.HoleArtikellisteVomShop(e, false); },
     .done = {&M::ARTICLELIST_GET_SUCCESS},
     .nothing = {&M::NO_ARTICLE},
     .failed = {&M::ARTICLELIST_GET_ERROR},
     .other = {},
     .counts_open_orders = false,
     .checks_input_file = false},
    {.name = "GET_ARTICLES",
     .before = &M::ARTICLE_GET,
     .call = [](IShop& s, std::string& e) { return s.HoleArtikelVomShop(e, false); },
     .done = {&M::ARTICLE_GET_SUCCESS},
     .nothing = {&M::NO_ARTICLE},
     .failed = {&M::ARTICLE_GET_ERROR},
     .other = {},
     .counts_open_orders = false,
     .checks_input_file = false},
    {.name = "SET_ARTICLES",
     .before = &M::ARTICLE_EXPORT,
     .call = [](IShop& s, std::string& e) { return s.ExportArtikelZumShop(e, false); },
     .done = {&M::ARTICLE_EXPORT_SUCCESS},
     .nothing = {&M::ARTICLE_EXPORT_NO_ARTICLE},
     .failed = {&M::ARTICLE_EXPORT_ERROR},
     .other = {&M::ARTICLE_EXPORT_ERROR},
     .counts_open_orders = false,
     .checks_input_file = false},
    {.name = "SET_ARTICLEPRICES",
     .before = &M::ARTICLEPRICE_EXPORT,
     .call = [](IShop& s, std::string& e) { return s.SetzeArtikelPreise(e, false); },
     .done = {&M::ARTICLEPRICE_EXPORT_SUCCESS},
     .nothing = {},
     .failed = {&M::ARTICLEPRICE_EXPORT_ERROR, true},
     .other = {},
     .counts_open_orders = false,
     .checks_input_file = false},
    {.name = "SET_STOCKVALUES",
     .before = &M::ARTICLESTOCK_EXPORT,
     .call = [](IShop& s, std::string& e) { return s.SetzeLagerbestand(e, false); },
     .done = {&M::ARTICLESTOCK_EXPORT_SUCCESS},
     .nothing = {},
     .failed = {&M::ARTICLESTOCK_EXPORT_ERROR, true},
     .other = {},
     .counts_open_orders = false,
     .checks_input_file = false},
    {.name = "SET_PRICELISTS",
     .before = &M::ARTICLE_PRICE_LIST_EXPORT,
     .call = [](IShop& s, std::string& e) { return s.ExportierePreisListenzuArtikel(e, false); },
     .done = {&M::ARTICLE_PRICE_LIST_EXPORT_SUCCESS},
     .nothing = {&M::ARTICLE_PRICE_LIST_EXPORT_NO_MAPPING, true},
     .failed = {&M::ARTICLE_PRICE_LIST_EXPORT_ERROR, true},
     .other = {&M::ARTICLE_PRICE_LIST_EXPORT_NO_MAPPING, true},
     .counts_open_orders = false,
     .checks_input_file = false},
    {.name = "SET_ORDERSTATESFROMFILE",
     .before = &M::ORDER_CHANGE_STATES,
     .call = [](IShop& s, std::string& e) { return s.SetzeBestellstatus(e, false); },
     .done = {&M::ORDER_CHANGE_STATES_SUCCESS},
     .nothing = {&M::ORDER_CHANGE_STATES_ERROR},
     .failed = {&M::ORDER_CHANGE_STATES_ERROR},
     .other = {&M::ORDER_CHANGE_STATES_ERROR},
     .counts_open_orders = false,
     .checks_input_file = true},
};

const Operation* FindOperation(std::string_view methode) {
  for (const auto& operation : kOperations) {
    if (text::Contains(methode, operation.name)) return &operation;
  }
  return nullptr;
}

const Reaction& ReactionTo(const Operation& operation, std::int32_t result) {
  switch (result) {
    case shop_result::kDone:
      return operation.done;
    case shop_result::kNothing:
      return operation.nothing;
    case shop_result::kFailed:
      return operation.failed;
    default:
      return operation.other;
  }
}

bool FileExists(const std::string& utf8_path) {
  std::error_code ec;
  return std::filesystem::exists(platform::PathFromUtf8(utf8_path), ec);
}

// Empty: a thread of the worker's own.
formWorker::TaskStart& TaskStartSlot() {
  static formWorker::TaskStart start;
  return start;
}

}  // namespace

formWorker::ScopedTaskStart::ScopedTaskStart(TaskStart start)
    : previous_(std::exchange(TaskStartSlot(), std::move(start))) {}

formWorker::ScopedTaskStart::~ScopedTaskStart() { TaskStartSlot() = std::move(previous_); }

formWorker::formWorker(bool visible) : formWorker(visible, platform::CreateProgressView(), nullptr) {}

formWorker::formWorker(bool visible, std::unique_ptr<platform::ProgressView> view, Pause pause)
    : isVisable_(visible),
      view_(std::move(view)),
      pause_(pause ? std::move(pause) : Pause([](auto length) { std::this_thread::sleep_for(length); })),
      pause_length_(PauseFromEnvironment()) {
  ColorTable::CreateApplicationColors();
}

formWorker::~formWorker() {
  if (task_.joinable()) task_.join();
}

std::chrono::milliseconds formWorker::PauseFromEnvironment() {
  const char* text = std::getenv("KANVIO_WORKER_PAUSE_MS");
  if (text == nullptr) return kPause;
  std::string_view digits(text);
  unsigned milliseconds = 0;
  auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), milliseconds);
  if (digits.empty() || ec != std::errc() || end != digits.data() + digits.size()) return kPause;
  return std::chrono::milliseconds(milliseconds);
}

IShop* formWorker::InitShop(const std::string& erp, const std::string& shopName, const std::string& shopUrl,
                            const std::string& user, const std::string& pwd) {
  shop_.reset();
  InitShopCommand command(shopName, *this);
  command.Execute();
  std::unique_ptr<IShop> shop = command.GetShop();

  Settings settings;
  settings.set_ERP_SYSTEM(text::ToLower(erp));
  settings.set_WEBSERVICE_SHOP(shopName);
  settings.set_WEBSERVICE_URL(text::TrimEnd(shopUrl, "/"));
  settings.set_WEBSERVICE_LOGIN(user);
  settings.set_WEBSERVICE_PASSWORD(pwd);
  // Only a connector whose connection data are stored may serve: it reads
  // them from the store, where a failed save leaves the data of another shop.
  settings.Save();
  shop_ = std::move(shop);
  return shop_.get();
}

bool formWorker::ShowDialog() {
  // Neither the count nor the text of the operation before may answer for
  // this one, whether it runs or not.
  openOrders_ = kOpenOrdersSentinel;
  fehlerMeldung_.clear();
  maximum_ = kInitialMaximum;
  const bool started = StartTask();
  struct Joiner {
    std::thread& task;
    ~Joiner() {
      if (task.joinable()) task.join();
    }
  } joiner{task_};
  view_->RunModal(isVisable_, ColorTable::Colors());
  LogMissingWindow();
  return started;
}

bool formWorker::StartTask() {
  try {
    auto task = [this] { runMethod(); };
    task_ = TaskStartSlot() ? TaskStartSlot()(task) : std::thread(task);
    return true;
  } catch (...) {
    LogCaughtFailure();
    fehlerMeldung_ = kTaskNotStarted;
    // Without a task nobody would queue the close, and the host would hang.
    closeForm();
    return false;
  }
}

// Without a desktop (a service, no display) the operation runs without a
// window; one line per worker tells why nothing showed.
void formWorker::LogMissingWindow() {
  if (missing_window_logged_) return;
  const std::string reason = view_->MissingWindowReason();
  if (reason.empty()) return;
  missing_window_logged_ = true;
  try {
    Logger::LogWarning(
        "Das Fortschrittsfenster konnte nicht angezeigt werden, der Vorgang läuft ohne Fenster: " + reason);
  } catch (...) {
  }
}

void formWorker::runMethod() {
  // One operation finds the host's log switch and file once.
  const Logger::Session log_session;
  try {
    Settings settings;
    if (shop_) {
      RunOperation(settings.WEBSERVICE_METHODE(), settings.WEBSERVICE_INPUTORDERS_FILEPATH());
    } else {
      ShowMessage(UserMessages::SHOP_NOT_FOUND());
    }
    Wait();
  } catch (const std::exception& failure) {
    LogFailure(failure);
    // Without a text the host would take the failed operation for a success.
    if (fehlerMeldung_.empty()) fehlerMeldung_ = failure.what();
  } catch (...) {
    LogCaughtFailure();
    if (fehlerMeldung_.empty()) fehlerMeldung_ = kUnknownFailure;
  }
  closeForm();
}

void formWorker::RunOperation(const std::string& methode, const std::string& input_file) {
  const Operation* operation = FindOperation(methode);
  if (operation == nullptr) return;
  ShowMessage(operation->before());
  if (operation->checks_input_file && !FileExists(input_file))
    LogFailure("SET_ORDERSTATESFROMFILE: Die Eingabedatei " + input_file + " existiert nicht.");
  // A count that raises has failed; the sentinel would reach the host as 1.
  if (operation->counts_open_orders) openOrders_ = shop_result::kFailed;
  const std::int32_t result = operation->call(*shop_, fehlerMeldung_);
  if (operation->counts_open_orders) {
    openOrders_ = result;
    // The count has no error text of its own; -1 must not reach the host without one.
    if (result == shop_result::kFailed && fehlerMeldung_.empty()) fehlerMeldung_ = kCountFailed;
  }
  // The host learns of a failure only by its text: a connector that failed
  // without one would reach it as a success.
  if (result == shop_result::kFailed && fehlerMeldung_.empty() && operation->failed.message != nullptr)
    fehlerMeldung_ = operation->failed.message();
  const Reaction& reaction = ReactionTo(*operation, result);
  if (reaction.message != nullptr) ShowMessage(reaction.message());
  if (reaction.warn) WarnArticlesMayMiss();
}

void formWorker::WarnArticlesMayMiss() {
  Wait();
  ShowMessage(UserMessages::ARTICLES_MAY_MISS());
  Wait();
}

void formWorker::setUserStatusMessage(const std::string& msg, std::int32_t value) {
  Post([this, msg, value] {
    view_->SetStatusText(msg);
    if (value >= 0 && value <= maximum_) view_->SetProgressValue(value);
  });
}

void formWorker::SetMaxValue(std::int32_t value) {
  Post([this, value] {
    if (value < 0) return;  // a bar has no negative maximum; keep the current one
    maximum_ = value;
    view_->SetProgressMaximum(value);
  });
}

void formWorker::closeForm() {
  Post([this] { view_->Close(); });
}

void formWorker::Post(std::function<void()> action) {
  view_->Post([action = std::move(action)] {
    try {
      action();
    } catch (...) {
      LogCaughtFailure();
    }
  });
}

}  // namespace kanvio
