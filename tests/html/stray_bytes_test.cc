// UTF-8 pages holding bytes that are not UTF-8, through the whole path the
// command-line tool takes: decoding, the pass, encoding.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "html/hyphenation_pass.h"
#include "html/soft_hyphens.h"
#include "platform/codepage.h"
#include "platform/text_codec.h"

namespace corvane::html {
namespace {

// Bytes that are not UTF-8, each counted alone, as the codec keeps them.
std::size_t StrayBytes(std::string_view s) {
  std::size_t count = 0;
  for (std::size_t valid = platform::ValidUtf8Prefix(s); valid < s.size(); valid = platform::ValidUtf8Prefix(s)) {
    ++count;
    s.remove_prefix(valid + 1);
  }
  return count;
}

// Random Turkish-looking text with random high bytes put anywhere, even
// inside characters: hyphenated, it has the page's stray bytes and no more,
// and without its soft hyphens it is the page.
TEST(StrayBytesTest, HyphenatingNeverBreaksACharacter) {
  hyphenation::TCorvaneHyphenator engine;
  engine.SetMark('_');
  const std::string letters[] = {"ğ", "ş", "ı", "İ", "ö", "ü", "ç", "a", "e", "i", "o", "k", "l",
                                 "m", "r", "t", "n", "d", "中", "😀", " ", "\t", "\n", "<b>", "</b>"};
  std::mt19937 rng(1254);
  std::size_t hyphens = 0;
  for (int round = 0; round < 300; ++round) {
    std::string page = round % 2 == 0 ? "\xEF\xBB\xBF<p>" : "<meta charset=\"utf-8\"><p>";
    const std::size_t declaration = page.size();
    for (int k = static_cast<int>(rng() % 200); k > 0; --k) page += letters[rng() % std::size(letters)];
    for (int k = static_cast<int>(rng() % 4) + 1; k > 0; --k) {
      const std::size_t at = declaration + rng() % (page.size() - declaration + 1);
      page.insert(at, 1, static_cast<char>(0x80 + rng() % 0x80));
    }
    const platform::DocumentText doc = platform::DecodeDocument(page, platform::Encoding::kAuto);
    ASSERT_TRUE(doc.utf8);
    HyphenationPass pass(engine, nullptr, nullptr);
    pass.AddWordByte(platform::kUnmappablePlaceholder);
    const std::string result = platform::EncodeDocument(pass.HyphenateDocument(doc.text), doc);
    ASSERT_EQ(StrayBytes(result), StrayBytes(page)) << page;
    ASSERT_EQ(RemoveSoftHyphens(result), page);
    hyphens += (result.size() - page.size()) / 5;
  }
  EXPECT_GT(hyphens, 1000u);  // the pages were hyphenated, not passed over
}

}  // namespace
}  // namespace corvane::html
