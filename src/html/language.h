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
#ifndef CORVANE_HTML_LANGUAGE_H_
#define CORVANE_HTML_LANGUAGE_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "html/markup.h"

namespace corvane::html {

class DecodedView;

// A setting, or (English and Turkish only) the language of a stretch.
enum class Language : uint8_t { kEnglish = 0, kTurkish = 1, kAuto = 2 };

// The language state at one point of a page: the page's own language and the
// scopes open there. Fed the page's tags in order, it follows the page.
class LanguageScopes {
 public:
  // A fixed setting ignores tags; kAuto needs the page's own language.
  LanguageScopes(Language setting, Language page);

  // `tag` is a tag's text between "<" and ">" (a missing ">" at the end of
  // the text is allowed).
  void Feed(std::string_view tag);

  Language Current() const { return scopes_.empty() ? page_ : scopes_.back().language; }
  bool Fixed() const { return fixed_; }
  // Whether any scope is open, so that an end tag could close one.
  bool HasScopes() const { return !scopes_.empty(); }

 private:
  struct Scope {
    std::string name;  // a-z folded
    Language language;
  };
  bool fixed_;
  Language page_;
  std::vector<Scope> scopes_;
  // Positions in scopes_ of the open scopes of each name, ascending, so an
  // end tag finds its earliest scope at once however deep the page nests.
  std::unordered_map<std::string, std::vector<std::size_t>> open_by_name_;
};

// Languages over a text as change points: one language from each point to
// the next.
class LanguageMap {
 public:
  explicit LanguageMap(Language whole = Language::kEnglish) : changes_{{0, whole}} {}

  Language At(std::size_t offset) const;
  bool Uniform() const { return changes_.size() == 1; }

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

// The state at the start of a pass over `view_text` (a page or its decoded
// view) as a whole.
LanguageScopes LanguageScopesOfPage(std::string_view view_text,
                                    const std::vector<ByteKind>& view_kinds, Language setting);

// The state at source offset `offset` of the whole text `page`, for a pass
// over a selection that begins there: the page's own language and the scopes
// of the tags before the offset.
LanguageScopes LanguageScopesAt(std::string_view page, std::size_t offset, Language setting);

// ç ğ ı ö ş ü Ç Ğ İ Ö Ş Ü in code page 1254.
bool IsTurkishSpecialLetter(uint8_t byte);

}  // namespace corvane::html

#endif  // CORVANE_HTML_LANGUAGE_H_
