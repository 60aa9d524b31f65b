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
//   - states are the trie nodes in breadth-first order, so a state's failure
//     state always has a smaller number; each state's children lie together,
//     sorted by symbol (first_edge_[s] .. first_edge_[s + 1]), and the root's
//     are also kept as one dense row indexed by symbol;
//   - per state: its failure state (the longest proper suffix of its string
//     that is also a trie node) and the first of its outputs: the patterns
//     that end its string, longest first, chained so that matching visits
//     only patterns that match.
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
  size_t StateCount() const { return states_.empty() ? 0 : states_.size() - 1; }
  bool Empty() const { return pattern_count_ == 0; }

 private:
  static constexpr uint32_t kNone = 0xFFFFFFFF;
  static constexpr uint16_t kNoSymbol = 0xFFFF;
  // Code points below this map through a table; the rest by binary search.
  static constexpr char32_t kDenseLimit = 0x3000;

  uint16_t SymbolOf(char32_t c) const;
  uint32_t Child(uint32_t state, uint16_t symbol) const;
  void Step(uint32_t& state, uint16_t symbol) const;

  std::vector<uint16_t> dense_symbol_;    // code point -> symbol, below kDenseLimit
  std::vector<char32_t> sparse_points_;   // sorted code points at or above it
  std::vector<uint16_t> sparse_symbols_;  // their symbols
  struct State {
    uint32_t first_edge;  // its children are edges_[first_edge, next state's first_edge)
    uint32_t fail;
    uint32_t output;      // first of the outputs_ that end here, or kNone
  };
  struct Edge {
    uint32_t symbol;
    uint32_t target;
  };
  // A pattern ending at a state, and the next one ending at its failure
  // chain (a suffix of it).
  struct Output {
    uint32_t digits_at;  // its depth + 1 digits in digits_
    uint32_t depth;
    uint32_t next;
  };

  std::vector<uint32_t> root_row_;  // symbol -> child of the root (0: none)
  std::vector<State> states_;       // plus one that bounds the last state's edges
  std::vector<Edge> edges_;
  std::vector<Output> outputs_;
  std::vector<uint8_t> digits_;
  size_t pattern_count_ = 0;
};

}  // namespace corvane::hyphenation

#endif  // CORVANE_HYPHENATION_CODE_POINT_AUTOMATON_H_
