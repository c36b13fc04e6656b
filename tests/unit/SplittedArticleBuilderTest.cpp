// Cutting lists and maps into batches.
#include <gtest/gtest.h>

#include <map>
#include <numeric>
#include <string>
#include <vector>

#include "hostfiles/ArticleMap.h"
#include "hostfiles/SplittedArticleBuilder.h"
#include "hostfiles/Splitter.h"
#include "support/Error.h"

namespace kanvio {
namespace {

template <typename T>
std::vector<std::size_t> Sizes(const std::vector<std::vector<T>>& batches) {
  std::vector<std::size_t> sizes;
  for (const auto& batch : batches) sizes.push_back(batch.size());
  return sizes;
}

std::vector<int> Numbers(int count) {
  std::vector<int> numbers(static_cast<std::size_t>(count));
  std::iota(numbers.begin(), numbers.end(), 0);
  return numbers;
}

template <typename T>
std::vector<T> Joined(const std::vector<std::vector<T>>& batches) {
  std::vector<T> all;
  for (const auto& batch : batches) all.insert(all.end(), batch.begin(), batch.end());
  return all;
}

using Sized = std::vector<std::size_t>;

struct BatchCase {
  int items;
  int amount;
  Sized list;        // SplitList and Split
  Sized dictionary;  // SplitDictionary
};

TEST(SplittedArticleBuilderTest, BatchSizesFollowTheirRules) {
  const BatchCase cases[] = {
      {200, 100, {100, 100}, {100, 100, 0}},
      {250, 100, {100, 100, 50}, {100, 100, 50}},
      {0, 100, {}, {0}},
      {99, 100, {99}, {99}},
      {3, 1, {1, 1, 1}, {1, 1, 1, 0}},
  };
  for (const BatchCase& c : cases) {
    SCOPED_TRACE(std::to_string(c.items) + " at " + std::to_string(c.amount));
    const std::vector<int> items = Numbers(c.items);
    std::map<int, int> map;
    for (int i : items) map[i] = i;

    const auto list = SplittedArticleBuilder<int>::SplitList(items, c.amount);
    EXPECT_EQ(Sizes(list), c.list);
    EXPECT_EQ(Joined(list), items);
    const auto split = Splitter<int>::Split(items, c.amount);
    EXPECT_EQ(Sizes(split), c.list);
    EXPECT_EQ(Joined(split), items);
    const auto dictionary = SplittedArticleBuilder<int, int>::SplitDictionary(map, c.amount);
    EXPECT_EQ(Sizes(dictionary), c.dictionary);
    EXPECT_EQ(Joined(dictionary), items);
  }
}

TEST(SplittedArticleBuilderTest, ArticlesAreBatchedInFileOrder) {
  ArticleMap articles;
  for (const char* number : {"Z", "A", "M"}) articles.Add(number, Article{.Artikelnummer = number});
  const auto batches = SplittedArticleBuilder<std::string, Article>::SplitDictionary(articles, 2);
  ASSERT_EQ(Sizes(batches), (Sized{2, 1}));
  EXPECT_EQ(batches[0][1].Artikelnummer, "A");
  EXPECT_EQ(batches[1][0].Artikelnummer, "M");

  const std::string array[] = {"a", "b", "c"};
  EXPECT_EQ(Sizes(SplittedArticleBuilder<std::string>::SplitArray(array, 2)), (Sized{2, 1}));
}

// A size below one could never finish a batch.
TEST(SplittedArticleBuilderTest, SizeBelowOneIsRefused) {
  const std::vector<int> items = Numbers(3);
  const std::map<int, int> map{{1, 1}};
  for (int amount : {0, -1}) {
    EXPECT_THROW(SplittedArticleBuilder<int>::SplitList(items, amount), Error);
    EXPECT_THROW(SplittedArticleBuilder<int>::SplitArray(items, amount), Error);
    EXPECT_THROW((SplittedArticleBuilder<int, int>::SplitDictionary(map, amount)), Error);
    EXPECT_THROW(Splitter<int>::Split(items, amount), Error);
  }
}

}  // namespace
}  // namespace kanvio
