// The hyphenation patterns of one language, read from the files the system's
// packages install, and the breaks they give a word.
//
// Two file forms are read:
//   - TeX's pattern text: "hyph-TAG.pat.txt", UTF-8 patterns separated by
//     white space, with "hyph-TAG.hyp.txt" beside it holding exception words
//     written with "-" at their breaks;
//   - the dictionaries of office suites: "hyph_LL_CC.dic", whose first line
//     names the encoding of the rest. Option lines set the minimums
//     (LEFTHYPHENMIN, RIGHTHYPHENMIN, COMPOUNDLEFTHYPHENMIN,
//     COMPOUNDRIGHTHYPHENMIN) and the strings never broken at (NOHYPHEN);
//     "NEXTLEVEL" ends the first of two levels. The first level finds the
//     joints of compounds; each part between two joints is then a word of its
//     own to the second, with the compound minimums at inner joints. A file
//     without NEXTLEVEL gets a first level that joins at hyphens and
//     apostrophes, and its own patterns form the second. Patterns that
//     change the spelling at a break ("ssz/sz=sz,2,3") are skipped and
//     counted: a soft hyphen cannot respell a word. A later pattern with
//     the same letters as an earlier one replaces it, as such files expect.
//
// Words given to Breaks() are lower-cased already (see LowerWord()); breaks
// are counted in code points.
#ifndef CORVANE_HYPHENATION_PATTERN_SET_H_
#define CORVANE_HYPHENATION_PATTERN_SET_H_

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "hyphenation/code_point_automaton.h"

namespace corvane::hyphenation {

// Letters kept whole at the start and at the end of a word.
struct Minimums {
  int left = 2;
  int right = 2;
};

class PatternSet {
 public:
  // Reads "*.pat.txt" and, when given, its exceptions file.
  static PatternSet FromTexFiles(const std::string& patterns_file, const std::string& exceptions_file,
                                 Minimums minimums);
  // Reads a "*.dic" dictionary.
  static PatternSet FromDicFile(const std::string& file);
  // The same from text already read (for the files above and for tests).
  static PatternSet FromTexText(std::string_view patterns, std::string_view exceptions, Minimums minimums);
  static PatternSet FromDicText(std::string_view text, const std::string& name);

  // The set's own minimums (TeX's configuration or the dictionary's lines).
  Minimums OwnMinimums() const { return minimums_; }
  // Patterns skipped because they respell the word at a break.
  size_t SkippedPatterns() const { return skipped_; }
  size_t PatternCount() const;

  // breaks[k] (k in 1 .. word.size() - 1) is 1 where the word may break
  // before its letter k; `breaks` gets word.size() + 1 slots.
  void Breaks(std::u32string_view word, Minimums minimums, std::vector<uint8_t>& breaks) const;

 private:
  // Stores and maps compiled sets (pattern_cache.cc).
  friend class PatternSetFile;

  // Exception words looked up by view, without a copy per word.
  struct WordHash {
    using is_transparent = void;
    size_t operator()(std::u32string_view word) const { return std::hash<std::u32string_view>()(word); }
  };
  using ExceptionMap = std::unordered_map<std::u32string, std::vector<uint8_t>, WordHash, std::equal_to<>>;

  Minimums minimums_;
  // Letters kept whole beside a joint, inside a compound: the compound
  // lines where given, else the plain ones where given, else three; on the
  // side before a joint (or the word's end) never under two.
  Minimums joint_minimums_{3, 3};
  // Two levels only for dictionaries; TeX's sets use second_ alone.
  std::optional<CodePointAutomaton> first_;
  CodePointAutomaton second_;
  std::vector<std::u32string> no_break_at_;
  // Exception words to their breaks, as Breaks() gives them.
  ExceptionMap exceptions_;
  size_t skipped_ = 0;
};

// The UTF-8 word with `mark` at each of its breaks ("Sil_ben_tren_nung");
// matched lower-cased, written with its own letters.
std::string MarkedWord(const PatternSet& set, std::string_view word, Minimums minimums, bool turkic = false,
                       char mark = '_');

// UTF-8 to code points; a malformed sequence becomes U+FFFD, so nothing is
// lost silently into a match. `starts`, when given, gets the byte offset of
// each code point.
std::u32string DecodeUtf8(std::string_view text, std::vector<size_t>* starts = nullptr);
// The same into `out` (replaced); `starts` is appended to.
void DecodeUtf8Into(std::string_view text, std::u32string& out, std::vector<size_t>* starts);
void AppendUtf8(char32_t c, std::string& out);
// Simple lower-casing by Unicode's rules; `turkic` maps I to ı and İ to i.
std::u32string LowerWord(std::u32string_view word, bool turkic = false);
void LowerInPlace(std::u32string& word, bool turkic = false);

}  // namespace corvane::hyphenation

#endif  // CORVANE_HYPHENATION_PATTERN_SET_H_
