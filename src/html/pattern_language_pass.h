// Soft hyphens for the stretches of a page in every language but Turkish
// (and English under the classic setting): each stretch's words are read as
// Unicode words (hyphenation/word_reader.h) and broken by the pattern set
// of the stretch's lang value, English by the built-in one.
//
// It runs over the page's own bytes: UTF-8 pages as they are, code page
// 1254 pages read through UTF-8 one text stretch at a time, so their bytes
// never change beyond the soft hyphens written. Where the page has stretches
// for the classic pass, it runs after that pass, over its result; the
// classic pass left these stretches untouched (Language::kOther), so the two
// never write into the same word. Where it has none, the classic pass and
// its code page round trip are skipped (HyphenateWithPatternsAlone).
//
// The page is read once: each distinct spelling is broken once and its
// breaks kept, so the many repeats of a page's words cost a lookup each.
//
// Letter references ("&auml;") are read as their letters. A word is left
// whole where it
//   - stands in markup, hidden content or an excluded element (exclusions.h),
//   - touches "_" or a digit: "CHAPTER_TITLE", "mp3player" and "utf8" are
//     names, codes and identifiers, which a break would only garble (the
//     classic pass leaves a word with "_" whole too),
//   - is shorter than the minimum word length, counted in letters,
//   - is in a language whose patterns are not installed (then counted).
#ifndef CORVANE_HTML_PATTERN_LANGUAGE_PASS_H_
#define CORVANE_HTML_PATTERN_LANGUAGE_PASS_H_

#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "html/exclusions.h"
#include "html/language.h"
#include "html/word_lookup.h"
#include "hyphenation/pattern_set.h"

namespace corvane::html {

// What breaks the words of one language.
struct PatternLanguage {
  std::shared_ptr<const hyphenation::PatternSet> set;
  hyphenation::Minimums minimums;
  bool turkic = false;  // Turkish and Azeri case rules for I and İ
};

// The language for a lang value, or null when none is installed. The
// result must stay valid for the pass.
using PatternLanguageLookup = std::function<const PatternLanguage*(std::string_view tag)>;

struct PatternPassSettings {
  std::size_t min_word_length = 0;  // letters; shorter words stay whole
  bool utf8 = true;                 // else the page is code page 1254 bytes
  // Written at each break, in the page's own bytes.
  std::string soft_hyphen = "&shy;";
  // The user's own marked forms (code page 1254, as the classic pass asks
  // them), which win over every language's patterns; none when null. A
  // large page asks it from two threads at once.
  WordLookup* own_words = nullptr;
  // Pages from this size on are hyphenated on two threads, each taking a
  // half; the result is the same byte for byte.
  std::size_t parallel_from = std::size_t{2} << 20;
};

struct PatternPassResult {
  std::string text;
  std::size_t words = 0;         // words read in stretches with patterns
  std::size_t unique_words = 0;
  std::size_t words_hyphenated = 0;
  std::size_t soft_hyphens = 0;
  std::size_t words_without_patterns = 0;
  std::vector<std::string> tags_without_patterns;  // as met, each once
  std::map<std::string, std::size_t> words_by_tag;  // words read, by the stretch's tag as written
};

// `start` is the state the classic pass started in (its StartState()).
PatternPassResult HyphenateOtherLanguages(std::string_view page, const LanguageScopes& start,
                                          const ExclusionRules& exclusions, const PatternLanguageLookup& languages,
                                          const PatternPassSettings& settings);

// How the classic pass would start on a page: its setting (kAuto, or a
// fixed language), the page's declared language under kAuto (a book's;
// else the 1 % rule decides), and how lang values read.
struct ClassicStart {
  Language setting = Language::kAuto;
  std::optional<Language> page_language;
  const TagReading* reading = nullptr;
  // TurkishLetterCount() of the page, when the caller has counted already.
  std::optional<std::size_t> turkish_letters;
};

// Whether one byte in a hundred of the page is one of ç ğ ı ö ş ü Ç Ğ İ Ö
// Ş Ü (read as UTF-8 when `utf8`, else as code page 1254; references too):
// such a page is all but surely Turkish, and goes to the classic pass
// without a first look for the pattern pass alone.
bool MostlyTurkish(std::string_view page, bool utf8);
// How many such letters the page holds, counted up to one more than a
// hundredth of the page: MostlyTurkish() is whether that is more.
std::size_t TurkishLetterCount(std::string_view page, bool utf8);

// The whole hyphenation of `page` (in its own bytes, without soft hyphens)
// when no stretch of it is for the classic pass: then the pattern pass
// alone gives what the two passes would. Nothing when a stretch may be
// Turkish (or English under the classic setting); the caller then runs the
// classic pass and HyphenateOtherLanguages after it.
std::optional<PatternPassResult> HyphenateWithPatternsAlone(std::string_view page, const ClassicStart& start,
                                                            const ExclusionRules& exclusions,
                                                            const PatternLanguageLookup& languages,
                                                            const PatternPassSettings& settings);

}  // namespace corvane::html

#endif  // CORVANE_HTML_PATTERN_LANGUAGE_PASS_H_
