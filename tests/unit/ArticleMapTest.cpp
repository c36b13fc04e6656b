// The article map keeps file order, refuses a number twice and finds every
// number, whether it was reserved for or grew past its room.
#include <gtest/gtest.h>

#include <string>

#include "hostfiles/ArticleMap.h"

namespace kanvio {
namespace {

TEST(ArticleMapTest, KeepsOrderRefusesRepeatsAndFindsEveryNumber) {
  for (const std::size_t reserved : {std::size_t{0}, std::size_t{3}, std::size_t{5000}}) {
    SCOPED_TRACE(reserved);
    ArticleMap map;
    EXPECT_EQ(map.Find("A1"), nullptr);
    map.Reserve(reserved);
    for (int i = 0; i < 5000; ++i) {
      Article article;
      article.Artikelnummer = "A" + std::to_string(i);
      article.Gewicht = static_cast<float>(i);
      ASSERT_TRUE(map.Add(article.Artikelnummer, article));
    }
    Article repeated;
    repeated.Gewicht = -1;
    EXPECT_FALSE(map.Add("A42", repeated));
    EXPECT_FALSE(map.Add("A4999", repeated));
    ASSERT_EQ(map.size(), 5000u);
    int i = 0;
    for (const auto& [number, article] : map) {
      ASSERT_EQ(number, "A" + std::to_string(i));
      ASSERT_EQ(article.Gewicht, static_cast<float>(i));
      ++i;
    }
    for (int k = 0; k < 5000; k += 7) {
      const Article* found = map.Find("A" + std::to_string(k));
      ASSERT_NE(found, nullptr);
      EXPECT_EQ(found->Gewicht, static_cast<float>(k));
    }
    EXPECT_FALSE(map.Contains("A5000"));
    EXPECT_FALSE(map.Contains(""));
    EXPECT_FALSE(map.Contains("a1"));
    map.Find("A7")->Gewicht = 70;
    EXPECT_EQ(static_cast<const ArticleMap&>(map).Find("A7")->Gewicht, 70);
  }
}

}  // namespace
}  // namespace kanvio
