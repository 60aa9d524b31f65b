#include "html/pattern_language_pass.h"

#include <algorithm>
#include <unordered_map>

#include "html/markup.h"
#include "hyphenation/word_reader.h"
#include "platform/codepage.h"

namespace corvane::html {
namespace {

// Breaks already found, by spelling: a page repeats its words many times.
using BreakCache = std::unordered_map<std::string, std::vector<size_t>>;

// One text stretch in UTF-8, with the source offset of each of its bytes
// when the page is code page 1254 (empty when the page is UTF-8 itself).
struct Utf8Stretch {
  std::string_view text;
  std::string converted;
  std::vector<uint32_t> source;

  Utf8Stretch(std::string_view bytes, bool utf8) : text(bytes) {
    if (utf8) return;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
      const std::size_t before = converted.size();
      hyphenation::AppendUtf8(platform::Cp1254ToUnicode(static_cast<uint8_t>(bytes[i])), converted);
      source.insert(source.end(), converted.size() - before, static_cast<uint32_t>(i));
    }
    source.push_back(static_cast<uint32_t>(bytes.size()));
    text = converted;
  }
  std::size_t SourceOffset(std::size_t utf8_offset) const {
    return source.empty() ? utf8_offset : source[utf8_offset];
  }
};

std::size_t CodePointCount(std::string_view utf8) {
  return static_cast<std::size_t>(
      std::count_if(utf8.begin(), utf8.end(), [](char c) { return (static_cast<uint8_t>(c) & 0xC0) != 0x80; }));
}

}  // namespace

PatternPassResult HyphenateOtherLanguages(std::string_view page, const LanguageScopes& start,
                                          const ExclusionRules& exclusions, const PatternLanguageLookup& languages,
                                          const PatternPassSettings& settings) {
  PatternPassResult result;
  std::vector<ByteKind> kinds = ClassifyMarkup(page);
  MarkExcludedElements(page, kinds, exclusions);
  const std::vector<TaggedStretch> stretches = MapLanguageTags(page, kinds, start);

  std::vector<std::size_t> cuts;
  std::unordered_map<const PatternLanguage*, BreakCache> caches;
  for (std::size_t k = 0; k < stretches.size(); ++k) {
    if (stretches[k].language != Language::kOther) continue;
    const PatternLanguage* language = languages(stretches[k].tag);
    const bool missing = language == nullptr;
    if (missing && std::find(result.tags_without_patterns.begin(), result.tags_without_patterns.end(),
                             stretches[k].tag) == result.tags_without_patterns.end()) {
      result.tags_without_patterns.push_back(stretches[k].tag);
    }
    BreakCache* cache = missing ? nullptr : &caches[language];
    const std::size_t end = k + 1 < stretches.size() ? stretches[k + 1].from : page.size();
    for (std::size_t a = stretches[k].from; a < end;) {
      if (kinds[a] != ByteKind::kText) {
        ++a;
        continue;
      }
      std::size_t b = a;
      while (b < end && kinds[b] == ByteKind::kText) ++b;
      // A letter reference continues the word beside it, which is then not
      // the word read here.
      const bool letter_before = a > 0 && kinds[a - 1] == ByteKind::kLetter;
      const bool letter_after = b < page.size() && kinds[b] == ByteKind::kLetter;
      const Utf8Stretch stretch(page.substr(a, b - a), settings.utf8);
      for (const hyphenation::TextWord& word : hyphenation::ReadWords(stretch.text)) {
        if (missing) {
          ++result.words_without_patterns;
          continue;
        }
        ++result.words;
        if ((word.begin == 0 && letter_before) || (word.end == stretch.text.size() && letter_after)) continue;
        const std::string_view spelling = stretch.text.substr(word.begin, word.end - word.begin);
        if (CodePointCount(spelling) < settings.min_word_length) continue;
        auto [it, added] = cache->try_emplace(std::string(spelling));
        if (added) it->second = hyphenation::WordBreaks(*language->set, spelling, language->minimums, language->turkic);
        if (it->second.empty()) continue;
        ++result.words_hyphenated;
        for (std::size_t at : it->second) cuts.push_back(a + stretch.SourceOffset(word.begin + at));
      }
      a = b;
    }
  }
  for (const auto& [language, cache] : caches) result.unique_words += cache.size();

  result.soft_hyphens = cuts.size();
  result.text.reserve(page.size() + cuts.size() * settings.soft_hyphen.size());
  std::size_t at = 0;
  for (std::size_t cut : cuts) {
    result.text.append(page.substr(at, cut - at));
    result.text += settings.soft_hyphen;
    at = cut;
  }
  result.text.append(page.substr(at));
  return result;
}

}  // namespace corvane::html
