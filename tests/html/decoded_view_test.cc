#include "html/decoded_view.h"

#include <gtest/gtest.h>

#include <random>

namespace corvane::html {
namespace {

// A view that keeps only the text bits reads and maps the page exactly as
// one that keeps the kinds, and its bits say kText where the kinds do.
TEST(DecodedViewTest, TextBitsAgreeWithTheKinds) {
  std::mt19937 rng(1254);
  const char* const pieces[] = {"&uuml;", "&#305;", "&amp;", "<b>", "</b>", "<!-- x -->", "kitap ", "a", "&#x131"};
  for (int round = 0; round < 2000; ++round) {
    std::string page;
    for (int k = static_cast<int>(rng() % 40); k > 0; --k) page += pieces[rng() % 9];
    const DecodedView full(page, ClassifyMarkup(page));
    const DecodedView bits(page, ClassifyMarkup(page), DecodedView::KeepKinds::kTextOnly);
    ASSERT_EQ(bits.Text(), full.Text()) << page;
    EXPECT_TRUE(bits.Kinds().empty());
    for (std::size_t i = 0; i < full.Text().size(); ++i) {
      ASSERT_EQ(bits.IsText(i), full.Kinds()[i] == ByteKind::kText) << page << " at " << i;
      ASSERT_EQ(full.IsText(i), bits.IsText(i));
    }
    std::size_t cursor = 0;
    for (std::size_t at = 0; at <= full.Text().size(); ++at) {
      ASSERT_EQ(bits.SourceOffset(at, cursor), full.SourceOffset(at)) << page << " at " << at;
    }
  }
}

}  // namespace
}  // namespace corvane::html
