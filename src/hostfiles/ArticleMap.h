#pragma once
// Articles by article number, iterated in the order they were added (the
// order of the host's file, which the shop updates follow).

#include <cstddef>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "hostfiles/Containers.h"

namespace kanvio {

class ArticleMap {
 public:
  using value_type = std::pair<std::string, Article>;
  using const_iterator = std::vector<value_type>::const_iterator;

  // Adds the article unless the number is taken; false leaves the map as it was.
  bool Add(const std::string& number, Article article) {
    if (!index_.try_emplace(number, entries_.size()).second) return false;
    entries_.emplace_back(number, std::move(article));
    return true;
  }

  void Reserve(std::size_t count) {
    entries_.reserve(count);
    index_.reserve(count);
  }

  const Article* Find(const std::string& number) const {
    auto it = index_.find(number);
    return it == index_.end() ? nullptr : &entries_[it->second].second;
  }
  Article* Find(const std::string& number) {
    auto it = index_.find(number);
    return it == index_.end() ? nullptr : &entries_[it->second].second;
  }
  bool Contains(const std::string& number) const { return index_.count(number) != 0; }

  std::size_t size() const { return entries_.size(); }
  bool empty() const { return entries_.empty(); }
  const_iterator begin() const { return entries_.begin(); }
  const_iterator end() const { return entries_.end(); }

 private:
  std::vector<value_type> entries_;
  std::unordered_map<std::string, std::size_t> index_;  // number -> position in entries_
};

}  // namespace kanvio
