#include "EpagesShop.h"

#include <algorithm>

namespace kanvio::shopsim {
namespace {

constexpr char kPartnerSeparator = '\x01';

// "NotInProcess" -> {"InProcessOn", false}; "IsPaid" -> {"PaidOn", true}.
std::optional<std::pair<std::string, bool>> StatusFlag(const std::string& flag) {
  if (flag.starts_with("Not")) return std::make_pair(flag.substr(3) + "On", false);
  if (flag == "IsViewed") return std::make_pair(std::string("ViewedOn"), true);
  if (flag.starts_with("Is")) return std::make_pair(flag.substr(2) + "On", true);
  return std::nullopt;
}

}  // namespace

std::string EpagesShop::Relative(const std::string& path) const {
  const std::string prefix = ShopPath() + "/";
  return path.starts_with(prefix) ? path.substr(prefix.size()) : path;
}

std::string EpagesShop::OrderPath(const EpagesOrder& order) const {
  return CustomerPath(order.customer) + "/Orders/" + order.alias;
}

std::string EpagesShop::CustomerPath(const std::string& alias) const {
  return ShopPath() + "/Customers/" + alias;
}

void EpagesShop::AddOrder(EpagesOrder order) {
  std::lock_guard lock(mutex_);
  order_index_[Relative(OrderPath(order))] = orders_.size();
  orders_.push_back(std::move(order));
}

void EpagesShop::AddCustomer(EpagesCustomer customer) {
  std::lock_guard lock(mutex_);
  customers_[customer.alias] = std::move(customer);
}

std::vector<std::string> EpagesShop::FindOrders(const std::map<std::string, bool>& flags) const {
  std::lock_guard lock(mutex_);
  std::vector<std::string> paths;
  for (const EpagesOrder& order : orders_) {
    bool matches = true;
    for (const auto& [flag, value] : flags) {
      const auto status = StatusFlag(flag);
      // Setting a flag to false has no effect.
      if (!status || !value) continue;
      if (order.status_dates.contains(status->first) != status->second) matches = false;
    }
    if (matches) paths.push_back(OrderPath(order));
  }
  return paths;
}

std::optional<EpagesOrder> EpagesShop::Order(const std::string& path) const {
  std::lock_guard lock(mutex_);
  const auto found = order_index_.find(Relative(path));
  if (found == order_index_.end()) return std::nullopt;
  return orders_[found->second];
}

std::optional<EpagesCustomer> EpagesShop::Customer(const std::string& path) const {
  std::lock_guard lock(mutex_);
  const std::string relative = Relative(path);
  if (!relative.starts_with("Customers/")) return std::nullopt;
  const auto found = customers_.find(relative.substr(10));
  if (found == customers_.end()) return std::nullopt;
  return found->second;
}

bool EpagesShop::UpdateOrder(const std::string& path, const std::map<std::string, std::string>& dates) {
  std::lock_guard lock(mutex_);
  const auto found = order_index_.find(Relative(path));
  if (found == order_index_.end()) return false;
  for (const auto& [name, date] : dates) orders_[found->second].status_dates[name] = date;
  return true;
}

std::vector<EpagesOrder> EpagesShop::Orders() const {
  std::lock_guard lock(mutex_);
  return orders_;
}

void EpagesShop::SetPartnerTokens(std::string part1, std::string part2) {
  std::lock_guard lock(mutex_);
  token1_ = std::move(part1);
  token2_ = std::move(part2);
}

bool EpagesShop::Accepts(const std::string& user, const std::string& password) const {
  std::lock_guard lock(mutex_);
  if (user == kUser && password == kPassword) return true;
  const std::string partner_user = ShopPath() + "/Users/" + kShopId + kPartnerSeparator + token1_;
  return user == partner_user && password == std::string(kPassword) + kPartnerSeparator + token2_;
}

}  // namespace kanvio::shopsim
