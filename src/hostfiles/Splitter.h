#pragma once
// Batches of a fixed size for paged requests: item i goes to batch i / size.

#include <cstddef>
#include <ranges>
#include <vector>

#include "hostfiles/BatchSize.h"

namespace kanvio {

template <typename T>
class Splitter {
 public:
  // Batches in order, the last possibly shorter, never an empty one. Throws Error for a size below 1.
  template <std::ranges::input_range Range>
  static std::vector<std::vector<T>> Split(const Range& items, int size) {
    CheckBatchSize(size);
    std::vector<std::vector<T>> batches;
    std::size_t i = 0;
    for (const auto& item : items) {
      const std::size_t batch = i++ / static_cast<std::size_t>(size);
      if (batch == batches.size()) batches.emplace_back();
      batches[batch].push_back(item);
    }
    return batches;
  }
};

}  // namespace kanvio
