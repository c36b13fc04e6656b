#pragma once

#include <cstddef>
#include <functional>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "ShopRecords.h"

namespace kanvio::shopsim {

// The simulated shop: orders, articles and the shop's own switches. Every
// member may be called from any thread.
class ShopState {
 public:
  void AddOrder(ShopOrder order);
  std::vector<ShopOrder> Orders() const;
  std::vector<ShopOrder> UnfetchedOrders() const;
  std::size_t OpenOrderCount() const;
  // Records the id as received and marks the order with that number as
  // fetched; false when there is no such order.
  bool MarkFetched(const std::string& number);
  std::vector<std::string> ReceivedStateIds() const;

  // Adds the article, or replaces the one with the same number.
  void PutArticle(ShopArticle article);
  std::optional<ShopArticle> Article(const std::string& number) const;
  std::vector<ShopArticle> Articles() const;
  // Articles [offset, offset + limit) in the shop's order.
  std::vector<ShopArticle> ArticlePage(std::size_t offset, std::size_t limit) const;
  std::size_t ArticleCount() const;
  // Applies all updates at once and answers how many were stored. An update
  // for an unknown article creates it only when `create_missing` is set.
  std::size_t StoreUpdates(const std::vector<ArticleUpdate>& updates, bool create_missing);

  // Functions are offered unless switched off.
  void SetFunctionOffered(const std::string& function_name, bool offered);
  bool IsFunctionOffered(const std::string& function_name) const;
  // An upload package holding this article number is rolled back; empty: none.
  void SetRollbackArticle(std::string number);
  std::string RollbackArticle() const;
  // Enciphers paged article answers when not empty.
  void SetPassword(std::string password);
  std::string Password() const;
  // The page size the REST plug-in's configuration offers; 0: no paging.
  void SetArticlesImportLimit(std::size_t limit);
  std::size_t ArticlesImportLimit() const;

  // Called after every change of orders or articles, on the changing thread,
  // without the state's lock held.
  void SetChangeListener(std::function<void()> listener);

 private:
  void NotifyChanged() const;

  mutable std::mutex mutex_;
  // State below is protected by mutex_.
  std::vector<ShopOrder> orders_;
  std::vector<std::string> state_ids_;
  std::vector<ShopArticle> articles_;
  std::set<std::string> functions_off_;
  std::string rollback_article_;
  std::string password_;
  std::size_t articles_import_limit_ = 0;
  std::function<void()> listener_;
};

}  // namespace kanvio::shopsim
