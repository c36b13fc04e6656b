#include "shops/ebay/ReportManagement.h"

#include <fmt/format.h>

#include <optional>

#include "config/Logger.h"
#include "platform/Clock.h"
#include "shops/ebay/EbayParameter.h"
#include "shops/ebay/ImportedOrders.h"
#include "support/Error.h"

namespace kanvio {
namespace {

// Detail calls that get no answer this often in a row mean eBay is gone:
// going on would wait out a time-out per order.
constexpr int kMaxFailuresInARow = 3;
constexpr std::size_t kMaxEntries =
    std::size_t(ReportManagement::kMaxPages) * ReportManagement::kEntriesPerPage;

void LogQuietly(const std::string& message) {
  try {
    Logger::LogError(message);
  } catch (...) {
    // Nothing could report a log that cannot be written.
  }
}

// Entries move between pages while orders arrive; this names an entry on
// every page alike.
std::string KeyOf(const net::OrderTransaction& entry) {
  if (entry.transaction) {
    const auto& t = *entry.transaction;
    return "L:" + (t.order_line_item_id.empty() ? t.item_id + "-" + t.transaction_id : t.order_line_item_id);
  }
  if (entry.order) return "O:" + entry.order->order_id;
  return "";
}

bool ListsImported(const net::OrderTransaction& entry, const std::unordered_set<std::string>& imported) {
  if (entry.transaction) return imported.contains(entry.transaction->order_line_item_id);
  if (!entry.order) return false;
  for (const auto& transaction : entry.order->transactions)
    if (imported.contains(transaction.order_line_item_id)) return true;
  return false;
}

bool Accepted(const net::Transaction& transaction, const std::set<net::PaidStatus>& accepted) {
  return transaction.seller_paid_status && accepted.contains(*transaction.seller_paid_status);
}

// The choice of Select, made page by page as the sold list arrives: an
// entry seen on an earlier page counts as seen.
class Selection {
 public:
  Selection(const std::unordered_set<std::string>& imported, const std::set<net::PaidStatus>& accepted)
      : imported_(imported), accepted_(accepted) {}

  template <class Container>
  void Take(std::vector<net::OrderTransaction>& entries, Container& selected) {
    for (auto& entry : entries) {
      std::string key = KeyOf(entry);
      if (key.empty() || !seen_.insert(std::move(key)).second || ListsImported(entry, imported_)) continue;
      bool keep = false;
      if (entry.transaction) {
        // Complete is the transaction's CompleteStatus: payment made and processed.
        keep = entry.transaction->complete_status == net::CompleteStatus::Complete ||
               Accepted(*entry.transaction, accepted_);
      } else if (entry.order && !entry.order->transactions.empty()) {
        for (const auto& transaction : entry.order->transactions)
          keep = keep || Accepted(transaction, accepted_);
      }
      if (keep) selected.push_back(std::move(entry));
    }
  }

 private:
  const std::unordered_set<std::string>& imported_;
  const std::set<net::PaidStatus>& accepted_;
  std::unordered_set<std::string> seen_;
};

}  // namespace

ReportManagement::ReportManagement(net::EbayTradingClient& client, net::EbayApiContext context,
                                   IWorker* worker)
    : client_(client), context_(std::move(context)), worker_(worker) {}

std::vector<net::OrderTransaction> ReportManagement::Select(std::vector<net::OrderTransaction> entries,
                                                            const std::unordered_set<std::string>& imported,
                                                            const std::set<net::PaidStatus>& accepted) {
  std::vector<net::OrderTransaction> selected;
  Selection(imported, accepted).Take(entries, selected);
  return selected;
}

std::int32_t ReportManagement::GetReports(const Settings& settings, std::vector<service::EbayOrder>& orders) {
  orders.clear();
  const std::int32_t result =
      GetReports(settings, [&](service::EbayOrder& order, std::int32_t, std::int32_t total) {
        if (orders.empty()) orders.reserve(std::size_t(total));
        orders.push_back(std::move(order));
      });
  if (result < 0) orders.clear();
  return result;
}

std::int32_t ReportManagement::GetReports(const Settings& settings, const OrderSink& sink) {
  sink_failure_ = nullptr;
  try {
    const LocalDateTime from = settings.ebay_dateFrom();
    if (from == LocalDateTime{})
      LogQuietly("eBay: Das Datum ebay_dateFrom ist nicht gesetzt; es werden 31 Tage abgefragt.");
    const std::int32_t duration = EbayParameter::CalculateDuration(from, platform::CurrentClock().NowLocal());
    std::size_t listed = 0;
    std::deque<net::OrderTransaction> selected = ListSold(duration, settings, listed);
    if (listed == 0) {
      LogNotes();
      return 0;
    }
    const std::size_t wanted = selected.size();
    const std::int32_t fetched = getOrderDetails(std::move(selected), sink);
    LogNotes();
    if (fetched == 0 && failed_details_ > 0) {
      LogQuietly("eBay: Keine der " + std::to_string(wanted) + " neuen Bestellungen konnte abgeholt werden.");
      return -1;
    }
    return fetched == 0 ? 0 : 1;
  } catch (const std::exception& e) {
    LogNotes();
    if (sink_failure_) std::rethrow_exception(sink_failure_);
    LogQuietly(std::string("eBay: Die Bestellungen konnten nicht abgeholt werden: ") + e.what());
  }
  return -1;
}

std::deque<net::OrderTransaction> ReportManagement::ListSold(std::int32_t duration_days,
                                                             const Settings& settings, std::size_t& listed) {
  std::deque<net::OrderTransaction> selected;
  std::unordered_set<std::string> imported;
  std::set<net::PaidStatus> accepted;
  std::optional<Selection> selection;
  const auto take = [&](std::vector<net::OrderTransaction>& entries) {
    const std::size_t room = listed < kMaxEntries ? kMaxEntries - listed : 0;
    listed += entries.size();
    if (entries.size() > room) entries.resize(room);
    if (entries.empty()) return;
    if (!selection) {
      imported = ImportedOrders::Read(settings.ebay_importedOrders());
      accepted = EbayParameter::AcceptedPaidStatuses(settings.ebay_parameter());
      selection.emplace(imported, accepted);
    }
    selection->Take(entries, selected);
  };

  net::SoldListPage first = client_.GetMyeBaySelling(context_, duration_days, 1, kEntriesPerPage, notes_);
  if (!first.has_sold_list) return {};
  take(first.entries);
  std::int32_t pages = first.total_pages;
  if (pages > kMaxPages) {
    notes_.insert(fmt::format("eBay meldet {} Seiten verkaufter Artikel; gelesen werden die ersten {}.",
                              pages, kMaxPages));
    pages = kMaxPages;
  }
  for (std::int32_t page = 2; page <= pages; ++page) {
    net::SoldListPage next = client_.GetMyeBaySelling(context_, duration_days, page, kEntriesPerPage, notes_);
    take(next.entries);
  }
  if (listed > kMaxEntries)
    notes_.insert(fmt::format("eBay lieferte {} verkaufte Einträge; gelesen werden die ersten {}.", listed,
                              kMaxEntries));
  return selected;
}

std::int32_t ReportManagement::getOrderDetails(std::deque<net::OrderTransaction> entries,
                                               const OrderSink& sink) {
  const auto total = static_cast<std::int32_t>(entries.size());
  if (total == 0) return 0;
  if (worker_) worker_->SetMaxValue(total);
  std::int32_t number = 0, fetched = 0;
  const auto progress = [&] {
    ++number;
    if (worker_)
      worker_->setUserStatusMessage(fmt::format("Hole eBay-Bestellung {0} von {1}", number, total), number);
  };
  const auto hand_on = [&](std::optional<service::EbayOrder>& order) {
    if (!order) return;
    ++fetched;
    try {
      sink(*order, number, total);
    } catch (...) {
      sink_failure_ = std::current_exception();
      throw;
    }
  };
  // Single lines first, then combined orders; each entry is let go once
  // fetched, so that what the import holds shrinks as it goes.
  std::deque<net::OrderTransaction> combined;
  for (; !entries.empty(); entries.pop_front()) {
    net::OrderTransaction& entry = entries.front();
    if (!entry.transaction) {
      combined.push_back(std::move(entry));
      continue;
    }
    progress();
    auto order = FetchSingle(entry);
    hand_on(order);
  }
  for (; !combined.empty(); combined.pop_front()) {
    progress();
    auto order = FetchCombined(combined.front());
    hand_on(order);
  }
  return fetched;
}

template <class Call>
auto ReportManagement::Detail(std::string_view what, const std::string& whose, Call call)
    -> std::optional<decltype(call())> {
  try {
    auto result = call();
    failures_in_a_row_ = 0;
    return result;
  } catch (const net::EbayApiError& e) {
    failures_in_a_row_ = 0;
    ++failed_details_;
    LogQuietly(fmt::format("eBay: {} {}: {}", what, whose, e.what()));
  } catch (const Error& e) {
    ++failed_details_;
    LogQuietly(fmt::format("eBay: {} {}: {}", what, whose, e.what()));
    if (++failures_in_a_row_ >= kMaxFailuresInARow)
      throw Error("eBay antwortet nicht mehr; der Abruf der Bestellungen wurde abgebrochen.");
  }
  return std::nullopt;
}

std::optional<service::EbayOrder> ReportManagement::FetchSingle(net::OrderTransaction& entry) {
  const net::Transaction& t = *entry.transaction;
  auto item = Detail("GetItemTransactions für Artikel", t.item_id, [&] {
    return client_.GetItemTransactions(context_, t.item_id, t.transaction_id, notes_);
  });
  if (!item) return std::nullopt;
  auto address = Detail("GetUser für Käufer", t.buyer.user_id,
                        [&] { return client_.GetUser(context_, t.item_id, t.buyer.user_id, notes_); });
  net::ItemTransactions& result = *item;
  service::EbayOrder order{
      std::move(entry), std::move(result.transactions), {}, address ? std::move(*address) : std::nullopt};
  // The order holds the whole sale now; its item result keeps only what the
  // article line reads, rather than a second copy of buyer and addresses.
  result.transactions.clear();
  if (!order.Transaction.empty()) {
    const net::Transaction& sale = order.Transaction.front();
    net::Transaction& line = result.transactions.emplace_back();
    line.quantity_purchased = sale.quantity_purchased;
    line.transaction_price = sale.transaction_price;
    line.variation = sale.variation;
  }
  order.Item.push_back(std::move(result));
  return order;
}

std::optional<service::EbayOrder> ReportManagement::FetchCombined(net::OrderTransaction& entry) {
  const net::Order& sold = *entry.order;
  std::vector<std::optional<net::ItemTransactions>> items;
  for (const auto& t : sold.transactions)
    items.push_back(Detail("GetItemTransactions für Artikel", t.item_id, [&] {
      return client_.GetItemTransactions(context_, t.item_id, t.transaction_id, notes_);
    }));
  std::optional<net::Address> payment_address;
  for (const auto& t : sold.transactions) {
    auto address = Detail("GetUser für Käufer", t.buyer.user_id,
                          [&] { return client_.GetUser(context_, t.item_id, t.buyer.user_id, notes_); });
    if (address && *address) {
      payment_address = std::move(*address);
      break;
    }
  }
  auto details = Detail("GetOrderTransactions für Bestellung", sold.order_id,
                        [&] { return client_.GetOrderTransactions(context_, sold.order_id, notes_); });
  if (!details || !*details || (*details)->transactions.empty()) {
    LogQuietly("eBay: Die Sammelbestellung " + sold.order_id +
               " wurde ausgelassen: eBay lieferte sie nicht.");
    return std::nullopt;
  }
  net::Transaction transaction = std::move((*details)->transactions.front());
  if ((*details)->shipping_service_selected)
    transaction.shipping_service_selected = std::move((*details)->shipping_service_selected);
  service::EbayOrder order{std::move(entry), {}, std::move(items), std::move(payment_address)};
  order.Transaction.push_back(std::move(transaction));
  return order;
}

void ReportManagement::LogNotes() {
  for (const auto& note : notes_) {
    try {
      Logger::LogWarning("eBay: " + note);
    } catch (...) {
      // Nothing could report a log that cannot be written.
    }
  }
  notes_.clear();
}

}  // namespace kanvio
