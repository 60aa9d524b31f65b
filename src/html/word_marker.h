// The marked form of one word, as both passes and the command-line tool need
// it: the user's dictionary and the word list first, then the rule of the
// word's language: the Turkish syllable rule for a Turkish word it suits,
// the hyphenation engine for every other word.
#ifndef CORVANE_HTML_WORD_MARKER_H_
#define CORVANE_HTML_WORD_MARKER_H_

#include <string>
#include <string_view>

#include "html/language.h"
#include "html/word_lookup.h"
#include "hyphenation/hyphenator.h"

namespace corvane::html {

inline constexpr char kMarkChar = '_';

class WordMarker {
 public:
  // `engine` must use "_" as its mark. `lookup` may be null (engine only).
  // Neither is owned.
  WordMarker(hyphenation::TCorvaneHyphenator& engine, WordLookup* lookup)
      : engine_(engine), lookup_(lookup) {}

  // The word with "_" between its parts and its own capitals. The key is the
  // word with A-Z lower-cased; a stored form is used only when removing its
  // marks gives exactly the key (a form stored cut short, or damaged, would
  // otherwise change the word's letters), else the language's rule answers.
  std::string MarkedForm(const std::string& word, Language language = Language::kEnglish);

 private:
  hyphenation::TCorvaneHyphenator& engine_;
  WordLookup* lookup_;
};

// Carries the capitals of `word` over to `marked`, its lower-case marked form:
// each character of the word is aligned with the marked form after stepping
// over one mark, and takes the word's byte where the two agree ignoring A-Z
// case. "Kitap" with "ki_tap" gives "Ki_tap".
std::string RestoreCase(std::string_view word, std::string marked, char mark = kMarkChar);

// Runs of marks collapsed to one, so that every mark stands between parts.
std::string CollapseMarks(std::string_view marked, char mark = kMarkChar);

}  // namespace corvane::html

#endif  // CORVANE_HTML_WORD_MARKER_H_
