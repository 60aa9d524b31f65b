// Finds every built-in pattern that occurs in a dotted word and raises the
// word's gap levels to the largest digit any of them places there.
//
// The table's own lookup rule is a linear walk: a substring of at most
// kMaxLetters characters is compared with every entry in its first
// character's run of the table (see pattern_table.h). The matcher answers
// the same question with a trie over "." and a-z holding exactly the entries
// that walk can find:
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
// symbols of "a"-"z" so callers need not lower-case the word first; every
// other byte outside "." and a-z maps to kNoSymbol and ends a match.
//
// The matcher is immutable after construction and shared by all hyphenators
// in the process (Instance()); concurrent readers are safe.
#ifndef CORVANE_HYPHENATION_PATTERN_MATCHER_H_
#define CORVANE_HYPHENATION_PATTERN_MATCHER_H_

#include <cstddef>
#include <cstdint>
#include <vector>

namespace corvane::hyphenation {

class PatternMatcher {
 public:
  static constexpr size_t kMaxLetters = 6;
  static constexpr uint8_t kNoSymbol = 27;
  static constexpr uint8_t kDotSymbol = 0;

  static const PatternMatcher& Instance();

  // Symbol of a word byte ('.' and letters of either case), else kNoSymbol.
  uint8_t SymbolOf(unsigned char byte) const { return symbol_of_[byte]; }

  // `symbols` is the dotted word as symbols, `count` of them. `levels` has
  // count + 1 slots, levels[t] being the gap before symbol t.
  void RaiseLevels(const uint8_t* symbols, size_t count, uint8_t* levels) const;

  // Number of entries that can take effect; for tests of the reachability rules.
  size_t EntryCount() const { return entry_count_; }

 private:
  // Rows of the child table have one column per symbol plus one for
  // kNoSymbol that is always empty, so a foreign byte needs no test of its own.
  static constexpr size_t kColumns = 28;
  static constexpr uint16_t kIdMask = 0x3FFF;
  static constexpr uint16_t kHasDigits = 0x4000;
  static constexpr uint16_t kHasChildren = 0x8000;

  // The trie as it is built; Pack() turns it into the lookup form.
  struct BuildNode {
    int children[kColumns] = {};
    bool terminal = false;
    uint64_t digits = 0;
  };

  PatternMatcher();
  void Insert(std::vector<BuildNode>& trie, const char* pattern, size_t length);
  void Pack(const std::vector<BuildNode>& trie);

  uint8_t symbol_of_[256];
  // A child entry is a node id with kHasDigits and kHasChildren; 0 means no
  // child. Nodes with children are numbered first, so such a node's id is
  // also its row here (row 0 is the root).
  std::vector<uint16_t> next_;
  // Per node id: up to 7 (gap offset << 4 | digit) bytes, lowest first,
  // ending at a zero byte.
  std::vector<uint64_t> digits_;
  size_t entry_count_ = 0;
};

}  // namespace corvane::hyphenation

#endif  // CORVANE_HYPHENATION_PATTERN_MATCHER_H_
