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
//     exactly as no pattern could contain it. A word is turned into symbols
//     once, before the walk;
//   - a state is the offset of its record in one array (see the image
//     below): its failure state (the longest proper suffix of its string
//     that is also a trie node), its digits and its children. Records lie in
//     depth-first order, so walking down one pattern reads memory in
//     sequence;
//   - the root and the states with two or more children nearest to it
//     (where a walk spends most of its steps and a list of children is
//     long) have a full row instead, symbol -> next state with the failure
//     states already followed, so one load replaces a search and a chain of
//     failures; other states list their children's symbols together, so
//     that eight are compared at once;
//   - a state's digits are merged with those of every pattern that ends its
//     string, so each symbol read applies one set of digits; zero digits
//     before the first nonzero one are not stored.
//
// Equal letter forms given twice ("a1str", "as1tr") are merged by taking
// the larger digit at each gap, which is what applying both would do, or,
// where the file's own convention says so, the later one replaces the
// earlier.
//
// The automaton is one block of memory, its image, which the compiled-set
// cache (pattern_cache.h) stores as it is and maps back. Image layout, in
// 32-bit words of the machine's order (little-endian wherever an image is
// stored); every section starts on a word:
//
//   word  field
//   0     symbol count S (the dot included)
//   1     dense map entries D (code points 0 .. D-1 map through a table)
//   2     sparse code points P (at or above D, by binary search)
//   3     rows R, the root's first
//   4     record words W
//   5     states
//   6     patterns
//   7     flags: bit 0 set when some pattern is made of dots alone
//   8     dense map: D 16-bit symbols (0xFFFF: not in the alphabet), padded
//   ..    sparse code points: P words, ascending
//   ..    their symbols: P 16-bit values, padded
//   ..    rows: R x S words, the record of the state after each symbol
//   ..    64 words of zeros
//   ..    records: W words. A state is the offset of its record's first
//         word, the root's 0. Its c digits (the last c gaps around its
//         string, the last for the gap after its last symbol) end just
//         before that word, the padding to a word before them; then
//           [0] the record of its failure state
//           [1] bits 0-15: its row, or n, its number of children; bits
//               16-23: c; bit 31: set when it has a row
//           then, without a row, n 16-bit symbols in ascending order,
//           padded to a word, and the n records of the children they lead
//           to
//   ..    16 words of zeros
//
// The padding lets the walk read 16 bytes at a time: digits and symbols
// are compared and applied in blocks, with masks, rather than one by one.
//
// An image from a file is untrusted: FromImage checks every count, size and
// table entry it can check cheaply, and the walk checks each record it
// reaches against the image's end and never follows more failures than the
// deepest state has, so a forged image gives wrong marks at worst, never a
// crash or a hang. (A damaged one is the cache's checksum's business.)
//
// Immutable after construction; copies share the image; concurrent readers
// are safe.
#ifndef CORVANE_HYPHENATION_CODE_POINT_AUTOMATON_H_
#define CORVANE_HYPHENATION_CODE_POINT_AUTOMATON_H_

#include <cstddef>
#include <cstdint>
#include <memory>
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

  CodePointAutomaton();
  explicit CodePointAutomaton(PatternList patterns, Duplicates duplicates = Duplicates::kMerge);

  // An automaton over an image made by another (see Image()), `owner`
  // keeping its memory alive; the image must be aligned to 8 bytes. Throws
  // corvane::Error when the image is not one.
  static CodePointAutomaton FromImage(const uint8_t* image, size_t size, std::shared_ptr<const void> owner);

  // The levels of "." + word + ".": `levels` gets word.size() + 3 slots,
  // levels[g] being the largest digit any pattern places in the gap before
  // dotted symbol g. `word` must already be lower-cased as the patterns are.
  void FindLevels(std::u32string_view word, std::vector<uint8_t>& levels) const;
  // Sets breaks[k] to 1 for each k in 1 .. word.size() - 1 whose gap (before
  // letter k) has an odd level, leaving the other slots as they are; true
  // when it set any. `breaks` has word.size() + 1 slots.
  bool MarkBreaks(std::u32string_view word, uint8_t* breaks) const;

  // The image, for storing; valid while this automaton (or a copy) lives.
  std::string_view Image() const { return {reinterpret_cast<const char*>(image_), image_size_}; }

  size_t PatternCount() const { return pattern_count_; }
  size_t StateCount() const { return state_count_; }
  bool Empty() const { return pattern_count_ == 0; }

 private:
  static constexpr uint16_t kNoSymbol = 0xFFFF;

  uint16_t SymbolOf(char32_t c) const;
  // The levels of the dotted word (as FindLevels) in this thread's work
  // space, valid until its next call; nullptr when no pattern can match.
  const uint8_t* Levels(std::u32string_view word) const;
  // Points the views below into the image; false if its sizes disagree.
  bool Attach(const uint8_t* image, size_t size);

  std::shared_ptr<const void> owner_;
  const uint8_t* image_ = nullptr;
  size_t image_size_ = 0;
  // Views into the image.
  const uint16_t* dense_symbol_ = nullptr;
  uint32_t dense_limit_ = 0;
  const uint32_t* sparse_points_ = nullptr;
  const uint16_t* sparse_symbols_ = nullptr;
  uint32_t sparse_count_ = 0;
  const uint32_t* rows_ = nullptr;
  uint32_t row_count_ = 0;
  uint32_t symbol_count_ = 0;
  const uint32_t* records_ = nullptr;
  uint32_t record_words_ = 0;
  bool dots_only_pattern_ = false;
  size_t state_count_ = 0;
  size_t pattern_count_ = 0;
};

}  // namespace corvane::hyphenation

#endif  // CORVANE_HYPHENATION_CODE_POINT_AUTOMATON_H_
