#include "hyphenation/pattern_matcher.h"

#include <algorithm>
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
      trie.emplace_back();
    }
    node = static_cast<size_t>(trie[node].children[symbols[i]]);
  }
  BuildNode& terminal = trie[node];
  if (terminal.terminal) return;
  terminal.terminal = true;
  int shift = 0;
  for (size_t gap = 0; gap <= letters; ++gap) {
    if (gap_values[gap] == 0) continue;
    terminal.digits |= static_cast<uint64_t>(gap << 4 | gap_values[gap]) << shift;
    shift += 8;
  }
  ++entry_count_;
}

void PatternMatcher::Pack(const std::vector<BuildNode>& trie) {
  auto has_children = [](const BuildNode& n) {
    return std::any_of(std::begin(n.children), std::end(n.children), [](int c) { return c != 0; });
  };
  // Root first, then the other nodes with children, then the leaves.
  std::vector<uint16_t> id(trie.size(), 0);
  size_t rows = 1;
  for (size_t i = 1; i < trie.size(); ++i) {
    if (has_children(trie[i])) id[i] = static_cast<uint16_t>(rows++);
  }
  size_t next_id = rows;
  for (size_t i = 1; i < trie.size(); ++i) {
    if (!has_children(trie[i])) id[i] = static_cast<uint16_t>(next_id++);
  }
  // Only a far larger pattern table than the built-in one could get here.
  if (next_id > kIdMask) throw Error("pattern trie exceeds its id space");

  next_.assign(rows * kColumns, 0);
  digits_.assign(next_id, 0);
  for (size_t i = 0; i < trie.size(); ++i) {
    digits_[id[i]] = trie[i].digits;
    if (i != 0 && !has_children(trie[i])) continue;
    for (size_t symbol = 0; symbol < kColumns; ++symbol) {
      const int child = trie[i].children[symbol];
      if (child == 0) continue;
      const BuildNode& c = trie[static_cast<size_t>(child)];
      uint16_t entry = id[static_cast<size_t>(child)];
      if (c.digits != 0) entry |= kHasDigits;
      if (has_children(c)) entry |= kHasChildren;
      next_[id[i] * kColumns + symbol] = entry;
    }
  }
}

void PatternMatcher::RaiseLevels(const uint8_t* symbols, size_t count, uint8_t* levels) const {
  const uint16_t* next = next_.data();
  const uint64_t* digits = digits_.data();
  for (size_t start = 0; start < count; ++start) {
    const size_t end = std::min(count, start + kMaxLetters);
    uint8_t* gaps = levels + start;
    size_t row = 0;
    for (size_t at = start; at < end; ++at) {
      const uint16_t entry = next[row * kColumns + symbols[at]];
      if (entry & kHasDigits) {
        for (uint64_t d = digits[entry & kIdMask]; d != 0; d >>= 8) {
          uint8_t& level = gaps[(d >> 4) & 0x0F];
          level = std::max(level, static_cast<uint8_t>(d & 0x0F));
        }
      }
      if ((entry & kHasChildren) == 0) break;
      row = entry & kIdMask;
    }
  }
}

}  // namespace corvane::hyphenation
