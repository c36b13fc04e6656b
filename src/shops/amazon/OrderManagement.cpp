#include "shops/amazon/OrderManagement.h"

#include <algorithm>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "config/Logger.h"
#include "config/XMLFileRepair.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "shops/amazon/AmazonOrderBuilder.h"
#include "shops/amazon/FbaData.h"
#include "shops/amazon/ReportFiles.h"
#include "support/Error.h"
#include "support/Text.h"

namespace kanvio {
namespace {

std::string Name(const std::filesystem::path& file) { return platform::PathToUtf8(file.filename()); }

bool IsEmptyFile(const std::filesystem::path& file) {
  std::error_code ec;
  return std::filesystem::file_size(file, ec) == 0 && !ec;
}

// Distinct non-empty ids in order of first appearance.
template <class Range, class Id>
void AddDistinctIds(const Range& entries, Id id, std::vector<std::string>& ids,
                    std::unordered_set<std::string_view>& seen) {
  for (const auto& entry : entries) {
    const std::string& value = id(entry);
    if (!value.empty() && seen.insert(value).second) ids.push_back(value);
  }
}

template <class Range, class Id>
std::vector<std::string> DistinctIds(const Range& entries, Id id) {
  std::vector<std::string> ids;
  std::unordered_set<std::string_view> seen;  // views of the entries' ids
  seen.reserve(entries.size());
  AddDistinctIds(entries, id, ids, seen);
  return ids;
}

// A report beyond the memory of the process would fail every run again.
ReportFormatError TooLarge() { return ReportFormatError("Der Bericht ist zu groß, um ihn zu lesen."); }

}  // namespace

OrderManagement::OrderManagement(IWorker* worker, OrderCaller& caller, orders::OrderXmlWriter& writer,
                                 std::filesystem::path folder)
    : worker_(worker), caller_(caller), writer_(writer), folder_(std::move(folder)) {}

std::vector<std::filesystem::path> OrderManagement::ReportFiles(const std::filesystem::path& folder,
                                                                const char* ending) {
  std::vector<std::filesystem::path> files;
  std::error_code ec;
  for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    if (it->is_regular_file(ec) &&
        text::EqualsIgnoreCase(platform::PathToUtf8(it->path().extension()), ending))
      files.push_back(it->path());
  }
  // One order on every platform, whatever the folder listing gives.
  std::sort(files.begin(), files.end(),
            [](const auto& a, const auto& b) { return platform::PathToUtf8(a) < platform::PathToUtf8(b); });
  return files;
}

void OrderManagement::SetAside(const std::filesystem::path& file, const std::exception& why) {
  auto bad = file;
  bad += ".bad";
  try {
    platform::ReplaceFile(file, bad);
    Logger::LogError("Der Amazon-Bericht " + Name(file) + " kann nicht gelesen werden und wurde in " +
                     Name(bad) + " umbenannt: " + why.what());
  } catch (const std::exception& e) {
    Logger::LogError("Der Amazon-Bericht " + Name(file) + " kann nicht gelesen werden (" + why.what() +
                     ") und nicht umbenannt werden: " + e.what());
  }
}

void OrderManagement::ShowTotal(int total) {
  if (worker_) worker_->setUserStatusMessage(std::to_string(total) + " Bestellung(en) abgeholt ...", -1);
}

OrderManagement::OrderMap OrderManagement::FetchOrders(const std::vector<std::string>& ids) {
  OrderMap orders;
  orders.reserve(ids.size());
  for (std::size_t start = 0; start < ids.size(); start += OrderCaller::kMaxIdsPerGetOrder) {
    const std::size_t end = std::min(ids.size(), start + OrderCaller::kMaxIdsPerGetOrder);
    for (auto& order : caller_.GetOrderInformations(std::span(ids).subspan(start, end - start))) {
      std::string id = order.AmazonOrderId;
      orders.emplace(std::move(id), std::move(order));
    }
  }
  return orders;
}

template <class Build>
bool OrderManagement::Import(const std::string& id, const OrderMap& orders, int throttle_count, int& total,
                             int& written, Build build) {
  if (written_ids_.contains(id)) return true;
  const auto order = orders.find(id);
  if (order == orders.end()) {
    Logger::LogWarning("Amazon liefert die Bestellung " + id +
                       " nicht; sie wird beim nächsten Abruf erneut gesucht.");
    return false;
  }
  if (throttle_count >= kThrottleAfter) platform::CurrentClock().Sleep(kThrottleWait);
  const auto items = caller_.GetOrderItemsService(id);
  if (!items || items->empty()) {
    Logger::LogWarning("Amazon liefert keine Positionen der Bestellung " + id +
                       "; sie wird beim nächsten Abruf erneut geholt.");
    return false;
  }
  try {
    writer_.WriteOrder(build(order->second, *items));
  } catch (const std::exception& e) {
    Logger::LogError("Die Amazon-Bestellung " + id + " wurde nicht geschrieben: " + e.what());
    return false;
  }
  written_ids_.insert(id);
  ++written;
  ShowTotal(++total);
  return true;
}

std::int32_t OrderManagement::PassResult(const char* pass, std::size_t first_report, int written,
                                         const std::exception* failure) {
  if (failure != nullptr) {
    Logger::LogError(std::string(pass) + ": " + failure->what());
    failure_ = failure->what();
  }
  if (written > 0) return 1;
  if (failure != nullptr) return -1;
  std::size_t waiting = 0;
  for (std::size_t r = first_report; r < reports_.size(); ++r)
    waiting +=
        static_cast<std::size_t>(std::count(reports_[r].consumed.begin(), reports_[r].consumed.end(), false));
  if (waiting == 0) return 0;
  // Nothing new for the host, but orders stuck at Amazon: not "nothing new".
  failure_ =
      std::to_string(waiting) + " Einträge der " + pass +
      " konnten nicht vollständig bei Amazon nachgeschlagen werden; sie werden beim nächsten Abruf erneut "
      "versucht.";
  Logger::LogWarning(failure_);
  return -1;
}

void OrderManagement::ShipmentReport(Report& report, FlatFileTable&& table, int& total, int& written) {
  const FbaData::Layout layout(table.columns);
  std::vector<FbaData> rows;
  rows.reserve(table.rows.size());
  for (auto& row : table.rows) FbaData::FromRow(layout, std::move(row.values), rows.emplace_back());
  report.consumed.assign(rows.size(), false);

  const auto ids =
      DistinctIds(rows, [](const FbaData& row) -> const std::string& { return row._amazon_order_id; });
  const OrderMap orders = FetchOrders(ids);
  std::unordered_map<std::string_view, bool> done;  // per order id: what became of its first row
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const FbaData& row = rows[i];
    if (row._amazon_order_id.empty()) {
      report.consumed[i] = true;
      continue;
    }
    // Further rows of an order (more shipped items) share its first row's fate.
    if (const auto first = done.find(row._amazon_order_id); first != done.end()) {
      report.consumed[i] = first->second;
      continue;
    }
    const std::string& id = row._amazon_order_id;
    const auto order = orders.find(id);
    bool consumed;
    if (order != orders.end() && !written_ids_.contains(id) &&
        (text::ToLower(order->second.OrderStatus) != "shipped" ||
         order->second.SalesChannel == "Non-Amazon")) {
      consumed = true;  // not an order to import
    } else if (order != orders.end() && !written_ids_.contains(id) && row._purchase_date.empty() &&
               row._payments_date.empty()) {
      Logger::LogInfo("Different SalesChanel:" + order->second.SalesChannel);
      consumed = true;
    } else {
      consumed = Import(id, orders, total, total, written,
                        [&row](const net::MwsOrder& found, const std::vector<net::MwsOrderItem>& items) {
                          return amazon_orders::ShipmentOrder(row, found, items);
                        });
    }
    done.emplace(row._amazon_order_id, consumed);
    report.consumed[i] = consumed;
  }
}

std::int32_t OrderManagement::getOrdersForFBA(int& total) {
  int written = 0;
  const std::size_t first = reports_.size();
  try {
    for (const auto& file : ReportFiles(folder_, ".txt")) {
      if (IsEmptyFile(file)) continue;
      FlatFileTable table;
      try {
        table = FlatFileTable::Read(file);
        if (!FbaData::Layout(table.columns).HasColumn("amazon-order-id"))
          throw ReportFormatError(
              "Dem Bericht fehlt die Spalte amazon-order-id; er ist kein Versandbericht.");
      } catch (const ReportFormatError& e) {
        SetAside(file, e);
        continue;
      } catch (const std::bad_alloc&) {
        SetAside(file, TooLarge());
        continue;
      }
      reports_.push_back({file, true, {}});
      ShipmentReport(reports_.back(), std::move(table), total, written);
    }
  } catch (const std::exception& e) {
    return PassResult("Amazon-Versandberichte", first, written, &e);
  }
  return PassResult("Amazon-Versandberichte", first, written, nullptr);
}

std::int32_t OrderManagement::getOrdersByXML(int& total) {
  int written = 0;
  const std::size_t first = reports_.size();
  try {
    std::vector<std::vector<OrderReportEntry>> entries;
    for (const auto& file : ReportFiles(folder_, ".xml")) {
      if (IsEmptyFile(file)) {
        reports_.push_back({file, false, {}});
        entries.emplace_back();
        continue;
      }
      try {
        // Read once: the repair works on the bytes the parser then takes.
        std::string bytes = ReadReportBytes(file);
        XMLFileRepair repair(file, bytes);
        entries.push_back(ParseOrderReportInPlace(bytes));
        reports_.push_back({file, false, std::vector<bool>(entries.back().size(), false)});
      } catch (const ReportFormatError& e) {
        SetAside(file, e);
      } catch (const std::bad_alloc&) {
        SetAside(file, TooLarge());
      }
    }
    std::vector<std::string> ids;
    std::unordered_set<std::string_view> seen;  // views of the entries' ids
    for (const auto& file_entries : entries)
      AddDistinctIds(
          file_entries,
          [](const OrderReportEntry& entry) -> const std::string& { return entry.AmazonOrderID; }, ids, seen);
    if (ids.empty()) {
      for (std::size_t f = 0; f < entries.size(); ++f)
        reports_[first + f].consumed.assign(entries[f].size(), true);
      return 0;
    }
    const OrderMap orders = FetchOrders(ids);
    for (std::size_t f = 0; f < entries.size(); ++f) {
      Report& report = reports_[first + f];
      for (std::size_t j = 0; j < entries[f].size(); ++j) {
        const OrderReportEntry& entry = entries[f][j];
        if (entry.AmazonOrderID.empty()) {
          report.consumed[j] = true;
          continue;
        }
        report.consumed[j] =
            Import(entry.AmazonOrderID, orders, written, total, written,
                   [&entry](const net::MwsOrder& found, const std::vector<net::MwsOrderItem>& items) {
                     return amazon_orders::ReportOrder(entry, found, items);
                   });
      }
    }
  } catch (const std::exception& e) {
    return PassResult("Amazon-Bestellberichte", first, written, &e);
  }
  return PassResult("Amazon-Bestellberichte", first, written, nullptr);
}

void OrderManagement::FinishReports() {
  for (const Report& report : reports_) {
    const bool all = std::all_of(report.consumed.begin(), report.consumed.end(), [](bool c) { return c; });
    const bool none = !report.consumed.empty() &&
                      std::none_of(report.consumed.begin(), report.consumed.end(), [](bool c) { return c; });
    try {
      if (all) {
        std::filesystem::remove(report.file);
      } else if (!none) {
        std::vector<bool> keep(report.consumed.size());
        std::transform(report.consumed.begin(), report.consumed.end(), keep.begin(),
                       [](bool c) { return !c; });
        if (report.flat) {
          FlatFileTable::Read(report.file).Rewrite(report.file, keep);
        } else {
          RewriteOrderReport(report.file, keep);
        }
      }
    } catch (const std::exception& e) {
      Logger::LogError(
          "Der Amazon-Bericht " + Name(report.file) +
          " konnte nach dem Abruf nicht aufgeräumt werden; seine Bestellungen kommen erneut: " + e.what());
    }
  }
  reports_.clear();
}

}  // namespace kanvio
