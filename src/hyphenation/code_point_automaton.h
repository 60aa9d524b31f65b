// The patterns of one language as an automaton over Unicode code points.
//
// The built-in English automaton (pattern_matcher.h) has a 28-column row per
// state and an eight-gap window, which suits 26 letters and patterns of at
// most six. Other languages have alphabets of 30 to 90 letters and patterns
// of up to 20 symbols, and some sets hold 60 000 patterns, so this one is
// packed differently and built when a page first needs the language:
//
//   - symbols: "." is symbol 0; every other code point the patterns hold
//     gets 1..N in code-point order. A word code point outside the alphabet
//     ends every match in progress (the automaton goes back to the root),
//     exactly as no pattern could contain it;
//   - a state is the offset of its record in one array (see records_): its
//     failure state (the longest proper suffix of its string that is also a
//     trie node), its digits and its children. Records lie in depth-first
//     order, so walking down one pattern reads memory in sequence; the
//     root's children are also one row indexed by symbol;
//   - a state's digits are merged with those of every pattern that ends its
//     string, so each symbol read applies one set of digits.
//
// Equal letter forms given twice ("a1str", "as1tr") are merged by taking
// the larger digit at each gap, which is what applying both would do, or,
// where the file's own convention says so, the later one replaces the
// earlier.
//
// Immutable after construction; concurrent readers are safe.
#ifndef CORVANE_HYPHENATION_CODE_POINT_AUTOMATON_H_
#define CORVANE_HYPHENATION_CODE_POINT_AUTOMATON_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::hyphenation {

// Patterns as read, kept flat: pattern i has the letters
// letters[starts[i] .. starts[i + 1]) and the digits of the gaps around them
// at levels[starts[i] + i ..], one more than its letters ("a1b" adds "ab"
// and {0, 1, 0}).
struct PatternList {
  std::vector<char32_t> letters;
  std::vector<uint8_t> levels;
  std::vector<uint32_t> starts = {0};

  size_t Size() const { return starts.size() - 1; }
  // Adds a pattern written with digits between its letters; false (nothing
  // added) when it has no letter.
  bool Add(std::u32string_view written);
};

class CodePointAutomaton {
 public:
  enum class Duplicates { kMerge, kLaterWins };

  CodePointAutomaton() = default;
  explicit CodePointAutomaton(PatternList patterns, Duplicates duplicates = Duplicates::kMerge);

  // The levels of "." + word + ".": `levels` gets word.size() + 3 slots,
  // levels[g] being the largest digit any pattern places in the gap before
  // dotted symbol g. `word` must already be lower-cased as the patterns are.
  void FindLevels(std::u32string_view word, std::vector<uint8_t>& levels) const;

  size_t PatternCount() const { return pattern_count_; }
  size_t StateCount() const { return state_count_; }
  bool Empty() const { return pattern_count_ == 0; }

 private:
  static constexpr uint32_t kNone = 0xFFFFFFFF;
  static constexpr uint16_t kNoSymbol = 0xFFFF;
  // Code points below this map through a table; the rest by binary search.
  static constexpr char32_t kDenseLimit = 0x3000;

  // Words at the head of a node's record, before its (symbol, child) pairs.
  static constexpr uint32_t kRecordHead = 2;
  static constexpr uint32_t kMaxOffset = 0xFFFFFFF0;

  uint16_t SymbolOf(char32_t c) const;
  // The state after reading `symbol` in `state` (both record offsets).
  uint32_t Step(uint32_t state, uint16_t symbol) const;

  std::vector<uint16_t> dense_symbol_;    // code point -> symbol, below kDenseLimit
  std::vector<char32_t> sparse_points_;   // sorted code points at or above it
  std::vector<uint16_t> sparse_symbols_;  // their symbols
  std::vector<uint32_t> root_row_;        // symbol -> record of the root's child (0: none)
  // One record per state, the root's first at offset 0, in 32-bit words:
  //   [0] the record of its failure state
  //   [1] n, its number of children, in the low 16 bits; c, its number of
  //       digits (0, or its depth + 1), in the high 16
  //   [2 .. 2 + 2n) (symbol, child record) pairs in symbol order
  //   then c bytes, padded to a word: the merged digits of the gaps around
  //   its string, the last for the gap after its last symbol
  std::vector<uint32_t> records_;
  size_t state_count_ = 0;
  size_t pattern_count_ = 0;
};

}  // namespace corvane::hyphenation

#endif  // CORVANE_HYPHENATION_CODE_POINT_AUTOMATON_H_
