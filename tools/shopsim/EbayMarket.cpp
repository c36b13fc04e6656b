#include "EbayMarket.h"

#include <algorithm>

namespace kanvio::shopsim {

void EbayMarket::AddBuyer(EbayBuyerRecord buyer) {
  std::lock_guard lock(mutex_);
  buyers_.insert_or_assign(buyer.user_id, std::move(buyer));
}

void EbayMarket::AddSold(EbaySoldRecord sold) {
  std::lock_guard lock(mutex_);
  sold_.push_back(std::move(sold));
}

std::vector<EbaySoldRecord> EbayMarket::SoldSince(std::chrono::sys_seconds since) const {
  std::lock_guard lock(mutex_);
  std::vector<EbaySoldRecord> found;
  for (const auto& sold : sold_)
    if (!sold.lines.empty() && sold.lines.front().created >= since) found.push_back(sold);
  std::stable_sort(found.begin(), found.end(), [](const auto& a, const auto& b) {
    return a.lines.front().created > b.lines.front().created;
  });
  return found;
}

std::optional<EbayBuyerRecord> EbayMarket::Buyer(const std::string& user_id) const {
  std::lock_guard lock(mutex_);
  const auto found = buyers_.find(user_id);
  if (found == buyers_.end()) return std::nullopt;
  return found->second;
}

std::optional<EbaySaleRecord> EbayMarket::Sale(const std::string& item_id,
                                               const std::string& transaction_id) const {
  std::lock_guard lock(mutex_);
  for (const auto& sold : sold_)
    for (const auto& line : sold.lines)
      if (line.item_id == item_id && line.transaction_id == transaction_id) return line;
  return std::nullopt;
}

std::optional<EbaySoldRecord> EbayMarket::CombinedOrder(const std::string& order_id) const {
  std::lock_guard lock(mutex_);
  for (const auto& sold : sold_)
    if (!sold.order_id.empty() && sold.order_id == order_id) return sold;
  return std::nullopt;
}

std::string EbayMarket::ContainingOrderId(const std::string& item_id,
                                          const std::string& transaction_id) const {
  std::lock_guard lock(mutex_);
  for (const auto& sold : sold_)
    for (const auto& line : sold.lines)
      if (line.item_id == item_id && line.transaction_id == transaction_id) return sold.order_id;
  return "";
}

std::size_t EbayMarket::SoldCount() const {
  std::lock_guard lock(mutex_);
  return sold_.size();
}

std::string EbayMarket::OpenSession() {
  std::lock_guard lock(mutex_);
  std::string id = "SimSession+" + std::to_string(session_order_.size() + 1) + "/Auth=";
  sessions_[id] = Session{std::chrono::steady_clock::now(), {}, {}};
  session_order_.push_back(id);
  return id;
}

bool EbayMarket::SignIn(const std::string& session_id, const std::string& user_id) {
  std::lock_guard lock(mutex_);
  const auto found = sessions_.find(session_id);
  if (found == sessions_.end()) return false;
  found->second.user_id = user_id.empty() ? "unbekannt" : user_id;
  return true;
}

bool EbayMarket::SignedIn(const Session& session) const {
  if (!session.user_id.empty()) return true;
  return sign_in_after_ && std::chrono::steady_clock::now() - session.opened >= *sign_in_after_;
}

std::optional<std::string> EbayMarket::FetchToken(const std::string& session_id) {
  std::lock_guard lock(mutex_);
  const auto found = sessions_.find(session_id);
  if (found == sessions_.end() || !SignedIn(found->second)) return std::nullopt;
  Session& session = found->second;
  if (session.token.empty()) {
    session.token = "AgAAAA**SimToken" + std::to_string(++issued_) + "**";
    tokens_[session.token] = "Active";
  }
  return session.token;
}

void EbayMarket::SetSignInAfter(std::optional<std::chrono::milliseconds> delay) {
  std::lock_guard lock(mutex_);
  sign_in_after_ = delay;
}

std::string EbayMarket::SignedInUser(const std::string& session_id) const {
  std::lock_guard lock(mutex_);
  const auto found = sessions_.find(session_id);
  return found == sessions_.end() ? std::string() : found->second.user_id;
}

std::vector<std::string> EbayMarket::Sessions() const {
  std::lock_guard lock(mutex_);
  return session_order_;
}

std::string EbayMarket::IssueToken() {
  std::lock_guard lock(mutex_);
  std::string token = "AgAAAA**SimToken" + std::to_string(++issued_) + "**";
  tokens_[token] = "Active";
  return token;
}

void EbayMarket::SetTokenStatus(const std::string& token, const std::string& status) {
  std::lock_guard lock(mutex_);
  tokens_[token] = status;
}

std::optional<std::string> EbayMarket::TokenStatus(const std::string& token) const {
  std::lock_guard lock(mutex_);
  const auto found = tokens_.find(token);
  if (found == tokens_.end()) return std::nullopt;
  return found->second;
}

}  // namespace kanvio::shopsim
