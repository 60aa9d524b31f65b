// Words of Unicode text as a reader sees them, and where a pattern set
// breaks them; what the page passes use for languages other than the
// classic English and Turkish path.
//
// A word is a run of letters as Unicode defines them (general categories L
// and M), plus the characters of `inner` (a set's own: the apostrophe, the
// Catalan middle dot) where a letter stands on both sides. Anything else
// ends it, so punctuation of any kind at either end ("“«¿(…) is never part
// of a word. Letters joined by one hard hyphen (- or U+2010) or slash form a
// compound, which is hyphenated part by part, each part a word of its own,
// with no break within two letters of a joint.
//
// Offsets are bytes of the UTF-8 text; a malformed byte is no letter.
#ifndef CORVANE_HYPHENATION_WORD_READER_H_
#define CORVANE_HYPHENATION_WORD_READER_H_

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

#include "hyphenation/pattern_set.h"

namespace corvane::hyphenation {

// A compound (or a plain word) of the text: [begin, end), its parts
// separated by one joint character each.
struct TextWord {
  size_t begin = 0;
  size_t end = 0;
};

// The words of `text`, in order.
std::vector<TextWord> ReadWords(std::string_view text, std::u32string_view inner = U"");

// The same words one at a time, with no allocation: what a page pass uses
// over every word of a page. ASCII is told apart without decoding.
class WordScanner {
 public:
  // `text` and `inner` must outlive the scanner.
  explicit WordScanner(std::string_view text, std::u32string_view inner = U"") : text_(text), inner_(inner) {}

  // The next word; false at the end of the text.
  bool Next(TextWord& word);

 private:
  // The code point at `at` and its length in bytes; a malformed byte is
  // U+FFFD, one byte long.
  char32_t At(size_t at, size_t& length) const;
  bool Inside(size_t at, char32_t c, size_t length, size_t& next) const;

  std::string_view text_;
  std::u32string_view inner_;
  size_t at_ = 0;
};

// A user's own marked forms, asked before the patterns for each part of a
// word, lower-cased: true, with `breaks` as PatternSet::Breaks gives them,
// when the user marked that word. Its marks stand as written, minimums
// aside.
using OwnBreaks = std::function<bool(std::u32string_view part, std::vector<uint8_t>& breaks)>;

// Byte offsets, within `word`, before which a soft hyphen goes: each part
// through `own` when it knows it, else through `set` with `minimums` (at
// least two letters kept beside a joint), matched lower-cased (`turkic` for
// Turkish and Azeri I and İ).
std::vector<size_t> WordBreaks(const PatternSet& set, std::string_view word, Minimums minimums,
                               bool turkic = false, const OwnBreaks* own = nullptr);

}  // namespace corvane::hyphenation

#endif  // CORVANE_HYPHENATION_WORD_READER_H_
