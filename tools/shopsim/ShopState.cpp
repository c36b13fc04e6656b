#include "ShopState.h"

#include <algorithm>

namespace kanvio::shopsim {
namespace {

template <typename Items>
auto FindArticle(Items& articles, const std::string& number) {
  return std::find_if(articles.begin(), articles.end(),
                      [&](const ShopArticle& article) { return article.number == number; });
}

}  // namespace

void ShopState::AddOrder(ShopOrder order) {
  {
    std::lock_guard lock(mutex_);
    orders_.push_back(std::move(order));
  }
  NotifyChanged();
}

std::vector<ShopOrder> ShopState::Orders() const {
  std::lock_guard lock(mutex_);
  return orders_;
}

std::vector<ShopOrder> ShopState::UnfetchedOrders() const {
  std::lock_guard lock(mutex_);
  std::vector<ShopOrder> open;
  std::copy_if(orders_.begin(), orders_.end(), std::back_inserter(open),
               [](const ShopOrder& order) { return !order.fetched; });
  return open;
}

std::size_t ShopState::OpenOrderCount() const {
  std::lock_guard lock(mutex_);
  return std::count_if(orders_.begin(), orders_.end(), [](const ShopOrder& order) { return !order.fetched; });
}

bool ShopState::MarkFetched(const std::string& number) {
  bool found = false;
  {
    std::lock_guard lock(mutex_);
    state_ids_.push_back(number);
    for (auto& order : orders_) {
      if (order.number != number) continue;
      order.fetched = true;
      found = true;
    }
  }
  NotifyChanged();
  return found;
}

std::vector<std::string> ShopState::ReceivedStateIds() const {
  std::lock_guard lock(mutex_);
  return state_ids_;
}

void ShopState::PutArticle(ShopArticle article) {
  {
    std::lock_guard lock(mutex_);
    auto it = FindArticle(articles_, article.number);
    if (it == articles_.end())
      articles_.push_back(std::move(article));
    else
      *it = std::move(article);
  }
  NotifyChanged();
}

std::optional<ShopArticle> ShopState::Article(const std::string& number) const {
  std::lock_guard lock(mutex_);
  auto it = FindArticle(articles_, number);
  if (it == articles_.end()) return std::nullopt;
  return *it;
}

std::vector<ShopArticle> ShopState::Articles() const {
  std::lock_guard lock(mutex_);
  return articles_;
}

std::vector<ShopArticle> ShopState::ArticlePage(std::size_t offset, std::size_t limit) const {
  std::lock_guard lock(mutex_);
  if (offset >= articles_.size()) return {};
  const std::size_t end = offset + std::min(limit, articles_.size() - offset);
  return {articles_.begin() + offset, articles_.begin() + end};
}

std::size_t ShopState::ArticleCount() const {
  std::lock_guard lock(mutex_);
  return articles_.size();
}

std::size_t ShopState::StoreUpdates(const std::vector<ArticleUpdate>& updates, bool create_missing) {
  std::size_t stored = 0;
  {
    std::lock_guard lock(mutex_);
    for (const auto& update : updates) {
      auto it = FindArticle(articles_, update.number);
      if (it == articles_.end()) {
        if (!create_missing) continue;
        articles_.push_back(ShopArticle{update.number, {}});
        it = articles_.end() - 1;
      }
      for (const auto& [name, value] : update.fields) it->fields[name] = value;
      ++stored;
    }
  }
  if (stored > 0) NotifyChanged();
  return stored;
}

void ShopState::SetFunctionOffered(const std::string& function_name, bool offered) {
  std::lock_guard lock(mutex_);
  if (offered)
    functions_off_.erase(function_name);
  else
    functions_off_.insert(function_name);
}

bool ShopState::IsFunctionOffered(const std::string& function_name) const {
  std::lock_guard lock(mutex_);
  return !functions_off_.contains(function_name);
}

void ShopState::SetRollbackArticle(std::string number) {
  std::lock_guard lock(mutex_);
  rollback_article_ = std::move(number);
}

std::string ShopState::RollbackArticle() const {
  std::lock_guard lock(mutex_);
  return rollback_article_;
}

void ShopState::SetPassword(std::string password) {
  std::lock_guard lock(mutex_);
  password_ = std::move(password);
}

std::string ShopState::Password() const {
  std::lock_guard lock(mutex_);
  return password_;
}

void ShopState::SetArticlesImportLimit(std::size_t limit) {
  std::lock_guard lock(mutex_);
  articles_import_limit_ = limit;
}

std::size_t ShopState::ArticlesImportLimit() const {
  std::lock_guard lock(mutex_);
  return articles_import_limit_;
}

void ShopState::SetChangeListener(std::function<void()> listener) {
  std::lock_guard lock(mutex_);
  listener_ = std::move(listener);
}

void ShopState::NotifyChanged() const {
  std::function<void()> listener;
  {
    std::lock_guard lock(mutex_);
    listener = listener_;
  }
  if (listener) listener();
}

}  // namespace kanvio::shopsim
