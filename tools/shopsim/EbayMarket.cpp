#include "EbayMarket.h"

#include <algorithm>

namespace kanvio::shopsim {

void EbayMarket::AddBuyer(EbayBuyerRecord buyer) {
  std::lock_guard lock(mutex_);
  buyers_.insert_or_assign(buyer.user_id, std::move(buyer));
}

void EbayMarket::AddSold(EbaySoldRecord sold) {
  if (sold.lines.empty()) return;
  std::lock_guard lock(mutex_);
  sold_.push_back(std::move(sold));
  indexed_ = false;
}

void EbayMarket::Index() const {
  if (indexed_) return;
  std::stable_sort(sold_.begin(), sold_.end(), [](const EbaySoldRecord& a, const EbaySoldRecord& b) {
    return a.lines.front().created > b.lines.front().created;
  });
  lines_.clear();
  combined_.clear();
  for (std::size_t i = 0; i < sold_.size(); ++i) {
    if (!sold_[i].order_id.empty()) combined_[sold_[i].order_id] = i;
    for (std::size_t j = 0; j < sold_[i].lines.size(); ++j)
      lines_[{sold_[i].lines[j].item_id, sold_[i].lines[j].transaction_id}] = {i, j};
  }
  indexed_ = true;
}

std::vector<EbaySoldRecord> EbayMarket::SoldSince(std::chrono::sys_seconds since, std::size_t offset,
                                                  std::size_t count, std::size_t& total) const {
  std::lock_guard lock(mutex_);
  Index();
  total = std::size_t(
      std::find_if(sold_.begin(), sold_.end(),
                   [&](const EbaySoldRecord& sold) { return sold.lines.front().created < since; }) -
      sold_.begin());
  std::vector<EbaySoldRecord> page;
  for (std::size_t i = offset; i < total && i < offset + count; ++i) page.push_back(sold_[i]);
  return page;
}

std::optional<EbayBuyerRecord> EbayMarket::Buyer(const std::string& user_id) const {
  std::lock_guard lock(mutex_);
  const auto found = buyers_.find(user_id);
  if (found == buyers_.end()) return std::nullopt;
  return found->second;
}

const EbaySaleRecord* EbayMarket::FindLine(const std::string& item_id, const std::string& transaction_id,
                                           std::size_t* sold_index) const {
  Index();
  const auto found = lines_.find({item_id, transaction_id});
  if (found == lines_.end()) return nullptr;
  if (sold_index) *sold_index = found->second.first;
  return &sold_[found->second.first].lines[found->second.second];
}

std::optional<EbaySaleRecord> EbayMarket::Sale(const std::string& item_id,
                                               const std::string& transaction_id) const {
  std::lock_guard lock(mutex_);
  const EbaySaleRecord* line = FindLine(item_id, transaction_id, nullptr);
  if (line == nullptr) return std::nullopt;
  return *line;
}

std::optional<EbaySoldRecord> EbayMarket::CombinedOrder(const std::string& order_id) const {
  std::lock_guard lock(mutex_);
  Index();
  const auto found = combined_.find(order_id);
  if (found == combined_.end()) return std::nullopt;
  return sold_[found->second];
}

std::string EbayMarket::ContainingOrderId(const std::string& item_id,
                                          const std::string& transaction_id) const {
  std::lock_guard lock(mutex_);
  std::size_t index = 0;
  if (FindLine(item_id, transaction_id, &index) == nullptr) return "";
  return sold_[index].order_id;
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
