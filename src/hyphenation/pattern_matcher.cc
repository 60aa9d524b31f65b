#include "hyphenation/pattern_matcher.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "hyphenation/pattern_table.h"
#include "platform/error.h"

namespace corvane::hyphenation {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

size_t LettersOnlyLength(std::string_view pattern) {
  return static_cast<size_t>(std::count_if(pattern.begin(), pattern.end(), [](char c) { return !IsDigit(c); }));
}

char FirstLetter(std::string_view pattern) {
  for (char c : pattern) {
    if (!IsDigit(c)) return c;
  }
  return '\0';
}

}  // namespace

const PatternMatcher& PatternMatcher::Instance() {
  static const PatternMatcher matcher;
  return matcher;
}

PatternMatcher::PatternMatcher() {
  std::fill(std::begin(symbol_of_), std::end(symbol_of_), kNoSymbol);
  symbol_of_[static_cast<unsigned char>('.')] = kDotSymbol;
  for (int c = 0; c < 26; ++c) {
    symbol_of_['a' + c] = static_cast<uint8_t>(1 + c);
    symbol_of_['A' + c] = static_cast<uint8_t>(1 + c);
  }

  // Visit the entries the way a lookup would: each character's run, in
  // index order, so that the first of two equal forms is the one kept.
  std::vector<BuildNode> trie(1);
  // Room for the most states the entries could make, so that the trie is
  // never copied as it grows; pages never reached are never touched.
  trie.reserve(1 + static_cast<size_t>(kPatternCount) * kMaxLetters);
  for (int k = 0; k < kFirstCharCount; ++k) {
    const char first = kFirstCharIndex[k].first;
    const int begin = kFirstCharIndex[k].entry;
    const int last = k + 1 < kFirstCharCount ? kFirstCharIndex[k + 1].entry - 1 : kFirstCharIndexEnd;
    for (int entry = std::max(begin, 1); entry <= std::min(last, kPatternCount); ++entry) {
      std::string_view pattern = kPatterns[entry - 1];
      if (FirstLetter(pattern) != first || LettersOnlyLength(pattern) > kMaxLetters) continue;
      Insert(trie, pattern.data(), pattern.size());
    }
  }
  Pack(trie);
}

void PatternMatcher::Insert(std::vector<BuildNode>& trie, const char* pattern, size_t length) {
  uint8_t symbols[kMaxLetters];
  uint8_t gap_values[kMaxLetters + 1] = {};
  size_t letters = 0;
  for (size_t i = 0; i < length; ++i) {
    const char c = pattern[i];
    if (IsDigit(c)) {
      gap_values[letters] = std::max(gap_values[letters], static_cast<uint8_t>(c - '0'));
      continue;
    }
    // Upper-case letters share symbols with lower-case ones for word bytes,
    // but a pattern written with one could never equal a lowered substring.
    const uint8_t symbol = c >= 'A' && c <= 'Z' ? kNoSymbol : symbol_of_[static_cast<unsigned char>(c)];
    if (symbol == kNoSymbol || letters == kMaxLetters) return;
    symbols[letters++] = symbol;
  }

  size_t node = 0;
  for (size_t i = 0; i < letters; ++i) {
    if (trie[node].children[symbols[i]] == 0) {
      trie[node].children[symbols[i]] = static_cast<int>(trie.size());
      const int depth = trie[node].depth + 1;
      trie.emplace_back().depth = depth;
    }
    node = static_cast<size_t>(trie[node].children[symbols[i]]);
  }
  BuildNode& terminal = trie[node];
  if (terminal.terminal) return;
  terminal.terminal = true;
  for (size_t gap = 0; gap <= letters; ++gap) {
    terminal.levels_from_end |= static_cast<uint64_t>(gap_values[gap]) << (8 * (letters - gap));
  }
  ++entry_count_;
}

namespace {

// Byte-wise maximum of two sets of levels, each byte below 0x80.
uint64_t MaxLevels(uint64_t a, uint64_t b) {
  constexpr uint64_t kHighs = 0x8080808080808080ull;
  const uint64_t a_not_below = ((a | kHighs) - b) & kHighs;  // per byte: a >= b
  const uint64_t take_a = (a_not_below >> 7) * 0xFF;
  return (a & take_a) | (b & ~take_a);
}

// The levels counted back from the end (byte r = r gaps back) as the
// eight-gap window of the state (byte 7 - r).
uint64_t WindowOf(uint64_t levels_from_end) {
  uint64_t window = 0;
  for (int r = 0; r < 8; ++r) window |= ((levels_from_end >> (8 * r)) & 0xFF) << (8 * (7 - r));
  return window;
}

}  // namespace

void PatternMatcher::Pack(std::vector<BuildNode>& trie) {
  // Only a far larger pattern table than the built-in one could get here.
  if (trie.size() > kMaxStates) throw Error("pattern automaton exceeds its state space");
  const size_t states = trie.size();
  // The transitions are written straight into their final 16-bit form (a
  // state fits in 15 bits), the digit marks added once all windows are known.
  std::vector<uint16_t> fail(states, 0);
  next_.assign(states * kColumns, 0);
  // Breadth first, so that a state's failure state, being shallower, is
  // complete before the state itself.
  std::vector<size_t> queue = {0};
  queue.reserve(states);
  for (size_t head = 0; head < queue.size(); ++head) {
    const size_t u = queue[head];
    BuildNode& node = trie[u];
    if (u != 0) node.levels_from_end = MaxLevels(node.levels_from_end, trie[fail[u]].levels_from_end);
    // Where the failure state goes, except where a child of this one leads
    // on; kNoSymbol always back to the root.
    uint16_t* const row = &next_[u * kColumns];
    if (u != 0) std::memcpy(row, &next_[size_t{fail[u]} * kColumns], kColumns * sizeof(uint16_t));
    row[kNoSymbol] = 0;
    for (size_t symbol = 0; symbol < kColumns; ++symbol) {
      const auto child = static_cast<size_t>(node.children[symbol]);
      if (child == 0 || symbol == kNoSymbol) continue;
      fail[child] = row[symbol];
      row[symbol] = static_cast<uint16_t>(child);
      queue.push_back(child);
    }
  }
  window_.assign(states, 0);
  std::vector<uint16_t> digit_mark(states, 0);
  for (size_t u = 0; u < states; ++u) {
    window_[u] = WindowOf(trie[u].levels_from_end);
    digit_mark[u] = window_[u] != 0 ? kHasDigits : 0;
  }
  for (uint16_t& entry : next_) entry |= digit_mark[entry];
}

void PatternMatcher::FindLevels(std::string_view word, uint8_t* levels) const {
  const uint16_t* next = next_.data();
  const uint64_t* windows = window_.data();
  // window byte j is the gap t - 7 + j after reading dotted symbol t - 1;
  // the bytes for gaps before 0 stay zero and are never written out.
  uint64_t window = 0;
  size_t state = 0;
  size_t t = 0;  // dotted symbols read
  auto step = [&](uint8_t symbol) {
    const uint16_t entry = next[state * kColumns + symbol];
    state = entry & kStateMask;
    // Gap t + 1 enters the window; gap t - 7 leaves it, final.
    if (t >= 7) levels[t - 7] = static_cast<uint8_t>(window);
    window >>= 8;
    if (entry & kHasDigits) window = MaxLevels(window, windows[state]);
    ++t;
  };
  step(kDotSymbol);
  for (char c : word) step(symbol_of_[static_cast<unsigned char>(c)]);
  step(kDotSymbol);
  // The last eight gaps, t - 7 .. t, are still in the window.
  for (size_t g = t >= 7 ? t - 7 : 0; g <= t; ++g) levels[g] = static_cast<uint8_t>(window >> (8 * (g + 7 - t)));
}

}  // namespace corvane::hyphenation
