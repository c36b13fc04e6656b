#pragma once
// Cutting uploads into batches and packages, under one name by the number of
// type parameters:
//   SplittedArticleBuilder<T>     lists of T
//   SplittedArticleBuilder<K, V>  the values of a map from K to V
//   SplittedArticleBuilder<>      whole upload files into XML packages
// The size is given or else PackageSplittingAmount of the shop configuration
// file; a size below 1 throws Error.

#include <cstddef>
#include <filesystem>
#include <iterator>
#include <ranges>
#include <type_traits>
#include <utility>
#include <vector>

#include "hostfiles/BatchSize.h"
#include "hostfiles/XmlPackages.h"

namespace kanvio {

template <typename... T>
class SplittedArticleBuilder;

template <typename T>
class SplittedArticleBuilder<T> {
 public:
  using Batches = std::vector<std::vector<T>>;

  // Consecutive batches of amount items; the last may be shorter; no items, no batch.
  static Batches SplitList(const std::vector<T>& items, int amount) { return SplitArray(items, amount); }
  static Batches SplitList(const std::vector<T>& items) { return SplitList(items, ConfiguredBatchSize()); }

  template <std::ranges::input_range Range>
  static Batches SplitArray(const Range& items, int amount) {
    CheckBatchSize(amount);
    const auto size = static_cast<std::size_t>(amount);
    Batches batches;
    for (const auto& item : items) {
      if (batches.empty() || batches.back().size() == size) batches.emplace_back().reserve(size);
      batches.back().push_back(item);
    }
    return batches;
  }
  template <std::ranges::input_range Range>
  static Batches SplitArray(const Range& items) {
    return SplitArray(items, ConfiguredBatchSize());
  }
};

template <typename K, typename V>
class SplittedArticleBuilder<K, V> {
 public:
  using Batches = std::vector<std::vector<V>>;

  // The values of map (a range of key-value pairs, such as std::map<K, V> or
  // ArticleMap) in its order, a batch closed after every amount values. The
  // remaining batch is always added, so the result ends with a batch that
  // may be empty: 200 values at 100 give 100, 100 and 0; no values give one
  // empty batch.
  template <std::ranges::input_range Map>
  static Batches SplitDictionary(const Map& map, int amount) {
    CheckBatchSize(amount);
    const auto size = static_cast<std::size_t>(amount);
    Batches batches;
    std::vector<V> batch;
    for (const auto& [key, value] : map) {
      batch.push_back(value);
      if (batch.size() == size) batches.push_back(std::exchange(batch, {}));
    }
    batches.push_back(std::move(batch));
    return batches;
  }
  template <std::ranges::input_range Map>
  static Batches SplitDictionary(const Map& map) {
    return SplitDictionary(map, ConfiguredBatchSize());
  }
};

template <>
class SplittedArticleBuilder<> {
 public:
  // The rows //Artikelexport/row in packages with the root Artikelexport.
  static XmlPackages SplitArticleExport(const std::filesystem::path& file, int amount);
  // The rows //Artikelpreisexport/row in packages with the root Artikelpreisexport.
  static XmlPackages SplitArticlePriceExport(const std::filesystem::path& file, int amount);
  // The rows //LagerbestandExport/Artikel in packages with the root LagerbestandExport.
  static XmlPackages SplitStockExport(const std::filesystem::path& file, int amount);

  // The same for the file named by WEBSERVICE_RESULT_FILEPATH, cut at PackageSplittingAmount.
  static XmlPackages SplitArticleExport();
  static XmlPackages SplitArticlePriceExport();
  static XmlPackages SplitStockExport();
};

}  // namespace kanvio
