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

PatternMatcher PatternMatcher::Build() { return PatternMatcher(); }

PatternMatcher::PatternMatcher(const Packed& packed)
    : next_(packed.next),
      window_(packed.window),
      sink_(static_cast<uint16_t>(packed.window.size() - 1)),
      entry_count_(packed.entry_count) {
  MapSymbols();
  MakeStarts();
}

void PatternMatcher::MakeStarts() {
  start_state_.assign(kSymbols * kColumns, 0);
  start_window_.assign(kSymbols * kColumns, 0);
  for (size_t first = 0; first < kSymbols; ++first) {
    for (size_t second = 0; second < kSymbols; ++second) {
      size_t state = 0;
      uint64_t window = 0;
      for (size_t symbol : {size_t{kDotSymbol}, first, second}) {
        state = next_[state * kColumns + symbol];
        window = (window >> 8) | window_[state];
      }
      start_state_[first * kColumns + second] = static_cast<uint16_t>(state);
      start_window_[first * kColumns + second] = window;
    }
  }
}

void PatternMatcher::MapSymbols() {
  std::fill(std::begin(symbol_of_), std::end(symbol_of_), kNoSymbol);
  symbol_of_[static_cast<unsigned char>('.')] = kDotSymbol;
  symbol_of_[static_cast<unsigned char>('-')] = kDashSymbol;
  for (int c = 0; c < 26; ++c) {
    symbol_of_['a' + c] = static_cast<uint8_t>(1 + c);
    symbol_of_['A' + c] = static_cast<uint8_t>(1 + c);
  }
}

PatternMatcher::PatternMatcher() {
  MapSymbols();

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
  MakeStarts();
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
    if (symbol >= kNoSymbol || letters == kMaxLetters) return;
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
// eight-gap window of the state (byte 7 - r), each level v as its low v bits.
uint64_t WindowOf(uint64_t levels_from_end) {
  uint64_t window = 0;
  for (int r = 0; r < 8; ++r) {
    const uint64_t level = (levels_from_end >> (8 * r)) & 0xFF;
    window |= ((uint64_t{1} << level) - 1) << (8 * (7 - r));
  }
  return window;
}

}  // namespace

void PatternMatcher::Pack(std::vector<BuildNode>& trie) {
  // Only a far larger pattern table than the built-in one could get here.
  if (trie.size() + 1 > kMaxStates) throw Error("pattern automaton exceeds its state space");
  const size_t states = trie.size() + 1;
  const auto sink = static_cast<uint16_t>(trie.size());
  std::vector<uint16_t> fail(states, 0);
  std::vector<uint16_t>& next = built_next_;
  next.assign(states * kColumns, 0);
  std::fill_n(&next[size_t{sink} * kColumns], kSymbols, sink);
  // Breadth first, so that a state's failure state, being shallower, is
  // complete before the state itself.
  std::vector<size_t> queue = {0};
  queue.reserve(states);
  for (size_t head = 0; head < queue.size(); ++head) {
    const size_t u = queue[head];
    BuildNode& node = trie[u];
    if (u != 0) node.levels_from_end = MaxLevels(node.levels_from_end, trie[fail[u]].levels_from_end);
    // Where the failure state goes, except where a child of this one leads
    // on; kNoSymbol always back to the root, kDashSymbol to the sink.
    uint16_t* const row = &next[u * kColumns];
    if (u != 0) std::memcpy(row, &next[size_t{fail[u]} * kColumns], kColumns * sizeof(uint16_t));
    row[kNoSymbol] = 0;
    row[kDashSymbol] = sink;
    for (size_t symbol = 0; symbol < kNoSymbol; ++symbol) {
      const auto child = static_cast<size_t>(node.children[symbol]);
      if (child == 0) continue;
      fail[child] = row[symbol];
      row[symbol] = static_cast<uint16_t>(child);
      queue.push_back(child);
    }
  }
  std::vector<uint64_t>& window = built_window_;
  window.assign(states, 0);
  for (size_t u = 0; u < trie.size(); ++u) window[u] = WindowOf(trie[u].levels_from_end);
  next_ = next;
  window_ = window;
  sink_ = sink;
}

const uint8_t* PatternMatcher::FindLevelCodes(std::string_view word, uint8_t* scratch) const {
  const uint16_t* next = next_.data();
  const uint64_t* windows = window_.data();
  // Slot t receives the gap that leaves the window at step t, gap t - 7;
  // the first seven slots thus take gaps before the word, all zero.
  uint8_t* slot = scratch;
  uint64_t window = 0;
  size_t state = 0;
  auto step = [&](uint8_t symbol) {
    state = next[state * kColumns + symbol];
    *slot++ = static_cast<uint8_t>(window);
    window = (window >> 8) | windows[state];
  };
  const char* at = word.data();
  const char* const end = at + word.size();
  if (word.size() >= 2) {
    const size_t pair = symbol_of_[static_cast<unsigned char>(at[0])] * kColumns +
                        symbol_of_[static_cast<unsigned char>(at[1])];
    state = start_state_[pair];
    window = start_window_[pair];
    std::memset(slot, 0, 3);
    slot += 3;
    at += 2;
  } else {
    step(kDotSymbol);
  }
  for (; at < end; ++at) step(symbol_of_[static_cast<unsigned char>(*at)]);
  step(kDotSymbol);
  if (state == sink_) return nullptr;
  // The last eight gaps are still in the window.
  for (int j = 0; j < 8; ++j) slot[j] = static_cast<uint8_t>(window >> (8 * j));
  std::memset(slot + 8, 0, 8);
  return scratch + 7;
}

}  // namespace corvane::hyphenation
