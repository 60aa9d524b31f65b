#include "html/pattern_language_pass.h"

#include <algorithm>
#include <unordered_map>

#include "html/entities.h"
#include "html/markup.h"
#include "hyphenation/word_reader.h"
#include "platform/codepage.h"

namespace corvane::html {
namespace {

// Breaks already found, by spelling: a page repeats its words many times.
using BreakCache = std::unordered_map<std::string, std::vector<size_t>>;

// One stretch of text and letter references in UTF-8, with the source
// offset of each of its bytes where it is not the page's own UTF-8 (empty
// then). A decoded reference's bytes all stand at the reference's "&", so a
// break before the letter goes before the reference and one after it past
// the ";".
struct Utf8Stretch {
  std::string_view text;
  std::string converted;
  std::vector<uint32_t> source;

  Utf8Stretch(std::string_view page, const std::vector<ByteKind>& kinds, std::size_t begin, std::size_t end,
              bool utf8) {
    const std::string_view bytes = page.substr(begin, end - begin);
    const auto* kind = kinds.data() + begin;
    if (utf8 && std::find(kind, kind + bytes.size(), ByteKind::kLetter) == kind + bytes.size()) {
      text = bytes;
      return;
    }
    for (std::size_t i = 0; i < bytes.size();) {
      const std::size_t before = converted.size();
      std::size_t next = i + 1;
      if (kind[i] == ByteKind::kLetter) {
        next = std::min(bytes.find(';', i), bytes.size() - 1) + 1;
        const uint8_t letter = DecodeReference(bytes.substr(i, next - i)).value_or('?');
        hyphenation::AppendUtf8(platform::Cp1254ToUnicode(letter), converted);
      } else if (utf8) {
        converted += bytes[i];
      } else {
        hyphenation::AppendUtf8(platform::Cp1254ToUnicode(static_cast<uint8_t>(bytes[i])), converted);
      }
      source.insert(source.end(), converted.size() - before, static_cast<uint32_t>(begin + i));
      i = next;
    }
    source.push_back(static_cast<uint32_t>(end));
    text = converted;
  }
  // The page offset of byte `offset` of the text, for a stretch at `begin`.
  std::size_t PageOffset(std::size_t begin, std::size_t offset) const {
    return source.empty() ? begin + offset : source[offset];
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
    std::size_t* tag_words = missing ? nullptr : &result.words_by_tag[stretches[k].tag];
    const std::size_t end = k + 1 < stretches.size() ? stretches[k + 1].from : page.size();
    for (std::size_t a = stretches[k].from; a < end;) {
      if (kinds[a] != ByteKind::kText && kinds[a] != ByteKind::kLetter) {
        ++a;
        continue;
      }
      std::size_t b = a;
      while (b < end && (kinds[b] == ByteKind::kText || kinds[b] == ByteKind::kLetter)) ++b;
      const Utf8Stretch stretch(page, kinds, a, b, settings.utf8);
      for (const hyphenation::TextWord& word : hyphenation::ReadWords(stretch.text)) {
        if (missing) {
          ++result.words_without_patterns;
          continue;
        }
        ++result.words;
        ++*tag_words;
        const std::string_view spelling = stretch.text.substr(word.begin, word.end - word.begin);
        if (CodePointCount(spelling) < settings.min_word_length) continue;
        auto [it, added] = cache->try_emplace(std::string(spelling));
        if (added) it->second = hyphenation::WordBreaks(*language->set, spelling, language->minimums, language->turkic);
        if (it->second.empty()) continue;
        ++result.words_hyphenated;
        for (std::size_t at : it->second) cuts.push_back(stretch.PageOffset(a, word.begin + at));
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
