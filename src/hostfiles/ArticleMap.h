#pragma once
// Articles by article number, iterated in the order they were added (the
// order of the host's file, which the shop updates follow).

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
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
    if (2 * (entries_.size() + 1) > slots_.size()) Rehash(2 * (entries_.size() + 1));
    std::uint32_t& slot = slots_[SlotOf(number)];
    if (slot != 0) return false;
    entries_.emplace_back(number, std::move(article));
    slot = static_cast<std::uint32_t>(entries_.size());
    return true;
  }

  void Reserve(std::size_t count) {
    entries_.reserve(count);
    if (2 * count > slots_.size()) Rehash(2 * count);
  }

  const Article* Find(const std::string& number) const {
    const std::uint32_t slot = slots_.empty() ? 0 : slots_[SlotOf(number)];
    return slot == 0 ? nullptr : &entries_[slot - 1].second;
  }
  Article* Find(const std::string& number) {
    const std::uint32_t slot = slots_.empty() ? 0 : slots_[SlotOf(number)];
    return slot == 0 ? nullptr : &entries_[slot - 1].second;
  }
  bool Contains(const std::string& number) const { return Find(number) != nullptr; }

  std::size_t size() const { return entries_.size(); }
  bool empty() const { return entries_.empty(); }
  const_iterator begin() const { return entries_.begin(); }
  const_iterator end() const { return entries_.end(); }

 private:
  // Where number's position (plus one) is kept, or the empty slot where it
  // belongs. Open addressing on positions: a node and a second copy of
  // every number per article would cost more than the articles' texts.
  std::size_t SlotOf(std::string_view number) const {
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = std::hash<std::string_view>{}(number)&mask;; i = (i + 1) & mask) {
      const std::uint32_t slot = slots_[i];
      if (slot == 0 || entries_[slot - 1].first == number) return i;
    }
  }
  void Rehash(std::size_t at_least) {
    std::size_t size = 16;
    while (size < at_least) size *= 2;
    slots_.assign(size, 0);
    for (std::size_t i = 0; i < entries_.size(); ++i)
      slots_[SlotOf(entries_[i].first)] = static_cast<std::uint32_t>(i + 1);
  }

  std::vector<value_type> entries_;
  std::vector<std::uint32_t> slots_;  // a power of two, at most half of them taken
};

}  // namespace kanvio
