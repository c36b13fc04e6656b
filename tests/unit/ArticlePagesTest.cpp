// The bounds of a paged article download.
#include <gtest/gtest.h>

#include "shops/ShopRequests.h"
#include "support/Error.h"

namespace kanvio {
namespace {

TEST(ArticlePagesTest, PagesAreCountedUpToTheLimit) {
  EXPECT_EQ(ArticlePages::Count(120, 50), 3);
  EXPECT_EQ(ArticlePages::Count(0, 50), 0);
  EXPECT_EQ(ArticlePages::Count(1'000'000, 10), ArticlePages::kMaxPages);
  EXPECT_THROW(ArticlePages::Count(1'000'001, 10), Error);
}

TEST(ArticlePagesTest, PagesTogetherOverTheLimitFail) {
  ArticlePages pages(3 << 20);
  pages.Add(std::string(2 << 20, 'x'));
  try {
    pages.Add(std::string(2 << 20, 'y'));
    FAIL() << "no Error";
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(),
                 "Die Artikelseiten des Shops sind zusammen größer als 3 MB und werden nicht gelesen.");
  }
  EXPECT_EQ(pages.Texts().size(), 1u);
}

}  // namespace
}  // namespace kanvio
