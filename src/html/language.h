// Which language each stretch of a page is in, and so which rule marks the
// words that neither the user's dictionary nor the word list holds: Turkish
// words by the Turkish syllable rule, English ones by the pattern engine.
//
// The setting is English, Turkish or automatic. Automatic gives each position
// the language of the innermost scope around it, else the page's own:
//   scope  a start tag carrying lang or xml:lang opens one (not a void element
//          such as br or img, not a tag ending in "/>"); a value starting with
//          "tr", in any letter case, is Turkish, any other value English. The
//          next end tag of the same name closes it and every scope opened
//          after it; a scope never closed runs to the end. Scopes are read
//          from the tags alone, with no element tree: broken markup can
//          misplace a scope's end but never fail the pass.
//   page   Turkish when at least 1 % of the letters outside markup (letter
//          references read as their letters) are one of ç ğ ı ö ş ü Ç Ğ İ Ö
//          Ş Ü, else English.
// Language changes only at tags, so every text run has one language.
//
// Where the caller gives TagReading, lang values are read by it instead: a
// value may then name a language neither rule serves (kOther), whose words
// this pass leaves to the pattern sets (pattern_language_pass.h), and a page
// the Turkish rule does not claim takes the reading's default.
#ifndef CORVANE_HTML_LANGUAGE_H_
#define CORVANE_HTML_LANGUAGE_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "html/markup.h"

namespace corvane::html {

class DecodedView;

// A setting, or the language of a stretch. kOther is a language the
// classic pass leaves alone: an installed pattern set's, or one nothing
// serves; its tag says which.
enum class Language : uint8_t { kEnglish = 0, kTurkish = 1, kAuto = 2, kOther = 3 };

// How lang values and the page's default are read when more than English
// and Turkish are known.
struct TagReading {
  // The classic language of a lang value (kOther for any other language).
  std::function<Language(std::string_view tag)> classify;
  // The language of a page with no tag that the Turkish rule does not
  // claim, and classify(default_tag); a fixed kOther setting is this tag.
  std::string default_tag;
  Language default_language = Language::kEnglish;
};

// The language state at one point of a page: the page's own language and the
// scopes open there. Fed the page's tags in order, it follows the page.
class LanguageScopes {
 public:
  // A fixed setting ignores tags; kAuto needs the page's own language.
  // `reading`, when given, must outlive the object and its copies.
  LanguageScopes(Language setting, Language page, const TagReading* reading = nullptr);

  // `tag` is a tag's text between "<" and ">" (a missing ">" at the end of
  // the text is allowed).
  void Feed(std::string_view tag);

  Language Current() const { return scopes_.empty() ? page_ : scopes_.back().language; }
  // The lang value behind Current(): the reading's default tag outside every
  // scope (empty without a reading).
  std::string_view CurrentTag() const { return scopes_.empty() ? std::string_view(page_tag_) : scopes_.back().tag; }
  bool Fixed() const { return fixed_; }
  // Whether any scope is open, so that an end tag could close one.
  bool HasScopes() const { return !scopes_.empty(); }

 private:
  struct Scope {
    std::string name;  // a-z folded
    Language language;
    std::string tag;
  };
  bool fixed_;
  Language page_;
  std::string page_tag_;
  const TagReading* reading_;
  std::vector<Scope> scopes_;
  // Positions in scopes_ of the open scopes of each name, ascending, so an
  // end tag finds its earliest scope at once however deep the page nests.
  std::unordered_map<std::string, std::vector<std::size_t>> open_by_name_;
  // Open scopes by the last five bits of their name's first letter: an end
  // tag whose name starts with none of them closes nothing, and most end
  // tags of a page under one lang are such.
  std::array<uint32_t, 32> open_by_initial_{};
};

// Languages over a text as change points: one language from each point to
// the next.
class LanguageMap {
 public:
  explicit LanguageMap(Language whole = Language::kEnglish) : changes_{{0, whole}} {}

  Language At(std::size_t offset) const;
  bool Uniform() const { return changes_.size() == 1; }
  bool Holds(Language language) const;

  // `from` must not lie before the last change added.
  void Change(std::size_t from, Language language);

  // This map of a page's source in the offsets of its decoded view. Changes
  // lie just past tags, never inside a reference, so none is lost.
  LanguageMap InViewOf(const DecodedView& view) const;

 private:
  std::vector<std::pair<std::size_t, Language>> changes_;
};

// The 1 % rule over the bytes of `text` whose kind is kText; `text` may be a
// decoded view or the page itself, where each letter reference (kind
// kLetter) counts as its letter.
Language PageLanguage(std::string_view text, const std::vector<ByteKind>& kinds);

// The languages over `text` (a page or its decoded view, see decoded_view.h,
// with its kinds) for a pass that starts in the state `start`.
LanguageMap MapLanguages(std::string_view text, const std::vector<ByteKind>& kinds,
                         LanguageScopes start);

// A stretch from `from` to the next one's start, with its lang value.
struct TaggedStretch {
  std::size_t from;
  Language language;
  std::string tag;
};

// The same as MapLanguages, each stretch with its tag; consecutive
// stretches differ in language or tag.
std::vector<TaggedStretch> MapLanguageTags(std::string_view text, const std::vector<ByteKind>& kinds,
                                           LanguageScopes start);

// The state at the start of a pass over `view_text` (a page or its decoded
// view) as a whole.
LanguageScopes LanguageScopesOfPage(std::string_view view_text,
                                    const std::vector<ByteKind>& view_kinds, Language setting,
                                    const TagReading* reading = nullptr);

// The state at source offset `offset` of the whole text `page`, for a pass
// over a selection that begins there: the page's own language and the scopes
// of the tags before the offset, read by `reading` when given.
LanguageScopes LanguageScopesAt(std::string_view page, std::size_t offset, Language setting,
                                const TagReading* reading = nullptr);

// ç ğ ı ö ş ü Ç Ğ İ Ö Ş Ü in code page 1254.
bool IsTurkishSpecialLetter(uint8_t byte);

}  // namespace corvane::html

#endif  // CORVANE_HTML_LANGUAGE_H_
