#include "MwsMarketplace.h"

#include <algorithm>

#include "platform/Crypto.h"
#include "support/DeploymentDefaults.h"
#include "support/KeyRoutine.h"

namespace kanvio::shopsim {
namespace {

std::chrono::sys_seconds SystemNow() {
  return std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now());
}

}  // namespace

MwsMarketplace::MwsMarketplace()
    : secret_(DecipherWithKeyRoutine(KANVIO_AMAZON_VALIDATIONKEY, KANVIO_KEYROUTINE_PASSPHRASE,
                                     platform::ToBytes(KANVIO_KEYROUTINE_SALT))),
      now_(SystemNow) {}

void MwsMarketplace::SetCredentials(std::string access_key_id, std::string secret) {
  std::lock_guard lock(mutex_);
  access_key_id_ = std::move(access_key_id);
  secret_ = std::move(secret);
}

std::string MwsMarketplace::Secret() const {
  std::lock_guard lock(mutex_);
  return secret_;
}

std::string MwsMarketplace::AccessKeyId() const {
  std::lock_guard lock(mutex_);
  return access_key_id_;
}

void MwsMarketplace::SetClock(Now now) {
  std::lock_guard lock(mutex_);
  now_ = now ? std::move(now) : Now(SystemNow);
}

std::chrono::sys_seconds MwsMarketplace::NowUtc() const {
  Now now;
  {
    std::lock_guard lock(mutex_);
    now = now_;
  }
  return now();
}

void MwsMarketplace::SetPageSizes(std::size_t reports, std::size_t order_items) {
  std::lock_guard lock(mutex_);
  report_page_size_ = std::max<std::size_t>(1, reports);
  order_item_page_size_ = std::max<std::size_t>(1, order_items);
}

std::size_t MwsMarketplace::ReportPageSize() const {
  std::lock_guard lock(mutex_);
  return report_page_size_;
}

std::size_t MwsMarketplace::OrderItemPageSize() const {
  std::lock_guard lock(mutex_);
  return order_item_page_size_;
}

void MwsMarketplace::AddOrder(MwsOrderRecord order) {
  std::lock_guard lock(mutex_);
  std::string id = order.id;
  orders_.insert_or_assign(std::move(id), std::move(order));
}

std::optional<MwsOrderRecord> MwsMarketplace::Order(const std::string& id) const {
  std::lock_guard lock(mutex_);
  const auto it = orders_.find(id);
  if (it == orders_.end()) return std::nullopt;
  return it->second;
}

std::size_t MwsMarketplace::OrderCount() const {
  std::lock_guard lock(mutex_);
  return orders_.size();
}

std::string MwsMarketplace::AddReport(const std::string& type, std::string body, const std::string& id) {
  const auto available = NowUtc() - std::chrono::hours(1);
  std::lock_guard lock(mutex_);
  MwsReportRecord report{
      id.empty() ? std::to_string(next_report_id_++) : id, type, std::move(body), available, false, {}};
  reports_.push_back(report);
  return report.id;
}

std::optional<MwsReportRecord> MwsMarketplace::Report(const std::string& id) const {
  std::lock_guard lock(mutex_);
  for (const auto& report : reports_) {
    if (report.id == id) return report;
  }
  return std::nullopt;
}

std::vector<MwsReportRecord> MwsMarketplace::Reports() const {
  std::lock_guard lock(mutex_);
  return reports_;
}

bool MwsMarketplace::Acknowledge(const std::string& id) {
  std::lock_guard lock(mutex_);
  for (auto& report : reports_) {
    if (report.id == id) {
      report.acknowledged = true;
      return true;
    }
  }
  return false;
}

std::string MwsMarketplace::AddReportRequest(const std::string& type, const std::string& report_id) {
  const auto submitted = NowUtc() - std::chrono::hours(2);
  std::lock_guard lock(mutex_);
  MwsReportRequestRecord request{std::to_string(next_request_id_++), type, "_DONE_", report_id, submitted};
  for (auto& report : reports_) {
    if (report.id == report_id) report.request_id = request.id;
  }
  requests_.push_back(request);
  return request.id;
}

std::vector<MwsReportRequestRecord> MwsMarketplace::ReportRequests() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

std::map<std::string, std::string> MwsMarketplace::Schedules() const {
  std::lock_guard lock(mutex_);
  return schedules_;
}

bool MwsMarketplace::SetSchedule(const std::string& type, const std::string& schedule) {
  std::lock_guard lock(mutex_);
  if (refused_schedules_.contains(type)) return false;
  schedules_[type] = schedule;
  return true;
}

void MwsMarketplace::RefuseSchedule(const std::string& type) {
  std::lock_guard lock(mutex_);
  refused_schedules_.insert(type);
}

void MwsMarketplace::NoteConnection(const std::string& peer) {
  std::lock_guard lock(mutex_);
  connections_.insert(peer);
}

std::size_t MwsMarketplace::ConnectionCount() const {
  std::lock_guard lock(mutex_);
  return connections_.size();
}

}  // namespace kanvio::shopsim
