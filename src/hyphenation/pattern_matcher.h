// Finds every built-in pattern that occurs in a dotted word and raises the
// word's gap levels to the largest digit any of them places there.
//
// The table's own lookup rule is a linear walk: a substring of at most
// kMaxLetters characters is compared with every entry in its first
// character's run of the table (see pattern_table.h). The matcher answers
// the same question with a trie over "." and a-z holding exactly the entries
// that walk can find, run as an automaton (Aho and Corasick's): one step per
// symbol of the word, each state being the longest suffix of the symbols
// read that begins some entry, and carrying the merged digits of every entry
// that ends there (its own and those of its proper suffixes). Since levels
// only ever take a maximum, applying those merged digits at each position
// is the same as applying every matching entry one by one. The entries:
//   - entries whose letters-only form is longer than kMaxLetters, since no
//     looked-up substring is that long;
//   - entries standing in another character's run of the index, since the
//     walk for their own first character never reaches them (the shipped
//     table has none, but the rule costs nothing to keep);
//   - a later entry with the same letters-only form as an earlier reachable
//     one, since the walk stops at the first.
// A substring shorter than its slot (at the end of the word) is the same
// string as the slot that ends there, and levels only ever take a maximum,
// so matching each distinct substring once gives identical levels.
//
// Input bytes are mapped to trie symbols by kSymbolOf: "A"-"Z" share the
// symbols of "a"-"z" so callers need not lower-case the word first; "-" has
// a symbol of its own that leads to a sink state, since the engine leaves a
// word holding it as it is; every other byte maps to kNoSymbol and ends a
// match.
//
// Levels are coded by the set of their lower values (level v as the low v
// bits), so that the largest of several levels is their bitwise OR and one
// step merges a state's levels without comparing them: the walk costs a few
// loads and one OR per symbol, with no branch. Each row of the transition
// table is one 64-byte cache line, and the states are numbered breadth
// first, so the shallow states that most steps visit share few lines, and
// the first three steps of a word are one look-up in a table of their own.
//
// The matcher is immutable after construction and shared by all hyphenators
// in the process (Instance()); concurrent readers are safe. Building it is
// about a millisecond, paid by every run of a command, so the build of the
// programs does it once: a generator packs the automaton into arrays that
// Instance() uses where they lie.
#ifndef CORVANE_HYPHENATION_PATTERN_MATCHER_H_
#define CORVANE_HYPHENATION_PATTERN_MATCHER_H_

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string_view>
#include <vector>

namespace corvane::hyphenation {

class PatternMatcher {
 public:
  static constexpr size_t kMaxLetters = 6;
  static constexpr uint8_t kNoSymbol = 27;
  static constexpr uint8_t kDashSymbol = 28;
  static constexpr uint8_t kDotSymbol = 0;
  // Slots FindLevelCodes needs beyond the word's own length.
  static constexpr size_t kScratchExtra = 24;

  // The automaton as arrays: what the generator writes out and Instance()
  // reads back.
  struct Packed {
    std::span<const uint16_t> next;
    std::span<const uint64_t> window;
    size_t entry_count = 0;
  };

  // The built-in automaton, ready-made.
  static const PatternMatcher& Instance();

  // The same automaton built from the pattern table now.
  static PatternMatcher Build();

  Packed packed() const { return {next_, window_, entry_count_}; }

  // A moved matcher keeps its arrays where they were; a copy could not.
  PatternMatcher(PatternMatcher&&) = default;
  PatternMatcher(const PatternMatcher&) = delete;
  PatternMatcher& operator=(const PatternMatcher&) = delete;

  // Symbol of a word byte ('.' and letters of either case, '-'), else kNoSymbol.
  uint8_t SymbolOf(unsigned char byte) const { return symbol_of_[byte]; }

  // The levels of the dotted word "." + word + "." in their code (see
  // above): null for a word holding "-", else a pointer p into `scratch`
  // with p[t] the code of the gap before dotted symbol t, for t = 0 ..
  // word.size() + 2, followed by eight zero bytes. `scratch` has
  // word.size() + kScratchExtra slots.
  const uint8_t* FindLevelCodes(std::string_view word, uint8_t* scratch) const;

  // Bit j set when the level coded in codes[j] is odd, for j = 0 .. 7.
  static unsigned OddBits(const uint8_t* codes) {
    uint64_t x;
    std::memcpy(&x, codes, sizeof x);
    // A level is odd when its code has an odd number of bits: fold each
    // byte's bits onto its lowest, then gather the lowest bits, the first
    // byte's lowest (the byte order of the machine is little-endian).
    x ^= x >> 4;
    x ^= x >> 2;
    x ^= x >> 1;
    x &= 0x0101010101010101ull;
    return static_cast<unsigned>((x * 0x0102040810204080ull) >> 56);
  }

  // Number of entries that can take effect; for tests of the reachability rules.
  size_t EntryCount() const { return entry_count_; }

 private:
  // Rows of the transition table have one column per symbol, one for
  // kNoSymbol, which always leads back to the root (no entry holds it), and
  // one for kDashSymbol, which always leads to the sink; the rest pads the
  // row to a cache line. The sink is the last state; it leads only to
  // itself and places no digits.
  static constexpr size_t kColumns = 32;
  static constexpr size_t kSymbols = 29;
  static constexpr size_t kMaxStates = size_t{1} << 16;

  // The trie as it is built; Pack() turns it into the automaton.
  struct BuildNode {
    int children[kColumns] = {};
    int depth = 0;
    bool terminal = false;
    // Level per gap counted back from the end of the node's string: byte r
    // is the gap r symbols before the gap after its last symbol.
    uint64_t levels_from_end = 0;
  };

  PatternMatcher();
  explicit PatternMatcher(const Packed& packed);
  void MapSymbols();
  void Insert(std::vector<BuildNode>& trie, const char* pattern, size_t length);
  void Pack(std::vector<BuildNode>& trie);
  void MakeStarts();

  uint8_t symbol_of_[256];
  // Per state and symbol: the next state. State 0 is the root.
  std::span<const uint16_t> next_;
  // Per state: its merged levels over the last eight gaps, coded as above,
  // byte 7 - r being the gap r symbols before the gap after the symbol just
  // read. No entry reaches further back than kMaxLetters gaps, so a gap that
  // has left the eight is final.
  std::span<const uint64_t> window_;
  uint16_t sink_ = 0;
  size_t entry_count_ = 0;
  // What next_ and window_ show when the automaton was built here rather
  // than taken ready-made.
  std::vector<uint16_t> built_next_;
  std::vector<uint64_t> built_window_;
  // The state and window after "." and the word's first two symbols, for
  // each pair of symbols (kColumns apart): the three steps every word of two
  // or more bytes begins with, taken at once.
  std::vector<uint16_t> start_state_;
  std::vector<uint64_t> start_window_;
};

}  // namespace corvane::hyphenation

#endif  // CORVANE_HYPHENATION_PATTERN_MATCHER_H_
