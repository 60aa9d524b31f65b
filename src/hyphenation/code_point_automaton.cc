#include "hyphenation/code_point_automaton.h"

#include <algorithm>
#include <numeric>
#include <string_view>

#include "platform/error.h"

namespace corvane::hyphenation {
namespace {

constexpr size_t kMaxPatternLetters = 255;

}  // namespace

bool PatternList::Add(std::u32string_view written) {
  const size_t letters_before = letters.size();
  const size_t levels_before = levels.size();
  levels.push_back(0);
  for (char32_t c : written) {
    if (c >= U'0' && c <= U'9') {
      levels.back() = static_cast<uint8_t>(c - U'0');
    } else {
      letters.push_back(c);
      levels.push_back(0);
    }
  }
  if (letters.size() == letters_before) {
    levels.resize(levels_before);
    return false;
  }
  starts.push_back(static_cast<uint32_t>(letters.size()));
  return true;
}

CodePointAutomaton::CodePointAutomaton(PatternList patterns, Duplicates duplicates) {
  const size_t count = patterns.Size();
  for (size_t i = 0; i < count; ++i) {
    if (patterns.starts[i + 1] - patterns.starts[i] > kMaxPatternLetters) {
      throw Error("a hyphenation pattern is longer than 255 letters");
    }
  }
  // The alphabet, "." aside: it is always symbol 0.
  std::vector<bool> seen(kDenseLimit, false);
  std::vector<char32_t> alphabet;
  for (char32_t c : patterns.letters) {
    if (c == U'.') continue;
    if (c >= kDenseLimit) {
      alphabet.push_back(c);
    } else if (!seen[c]) {
      seen[c] = true;
      alphabet.push_back(c);
    }
  }
  std::sort(alphabet.begin(), alphabet.end());
  alphabet.erase(std::unique(alphabet.begin(), alphabet.end()), alphabet.end());
  if (alphabet.size() + 1 >= kNoSymbol) throw Error("hyphenation patterns use too many different letters");
  dense_symbol_.assign(kDenseLimit, kNoSymbol);
  dense_symbol_[U'.'] = 0;
  for (size_t i = 0; i < alphabet.size(); ++i) {
    const auto symbol = static_cast<uint16_t>(i + 1);
    if (alphabet[i] < kDenseLimit) {
      dense_symbol_[alphabet[i]] = symbol;
    } else {
      sparse_points_.push_back(alphabet[i]);
      sparse_symbols_.push_back(symbol);
    }
  }
  const size_t symbol_count = alphabet.size() + 1;

  // Patterns as symbol strings, sorted, equal forms merged: then every trie
  // node is a run of consecutive patterns sharing a prefix. Symbols are
  // stored one higher so that 0 can pad the four-symbol sort keys.
  std::vector<uint16_t> symbols(patterns.letters.size());
  for (size_t i = 0; i < symbols.size(); ++i) symbols[i] = static_cast<uint16_t>(SymbolOf(patterns.letters[i]) + 1);
  const uint32_t* starts = patterns.starts.data();
  auto length = [&](uint32_t p) { return starts[p + 1] - starts[p]; };
  auto symbol_at = [&](uint32_t p, uint32_t depth) { return static_cast<uint32_t>(symbols[starts[p] + depth] - 1); };
  std::vector<uint64_t> head(count, 0);
  for (uint32_t p = 0; p < count; ++p) {
    for (uint32_t d = 0; d < 4 && d < length(p); ++d) head[p] |= uint64_t{symbols[starts[p] + d]} << (48 - 16 * d);
  }
  auto less = [&](uint32_t a, uint32_t b) {
    if (head[a] != head[b]) return head[a] < head[b];
    const auto first_a = symbols.begin() + starts[a], last_a = symbols.begin() + starts[a + 1];
    const auto first_b = symbols.begin() + starts[b], last_b = symbols.begin() + starts[b + 1];
    if (std::lexicographical_compare(first_a, last_a, first_b, last_b)) return true;
    // Equal forms stay in file order, for Duplicates::kLaterWins.
    return std::equal(first_a, last_a, first_b, last_b) && a < b;
  };
  auto equal = [&](uint32_t a, uint32_t b) {
    return head[a] == head[b] && std::equal(symbols.begin() + starts[a], symbols.begin() + starts[a + 1],
                                            symbols.begin() + starts[b], symbols.begin() + starts[b + 1]);
  };
  auto levels_of = [&](uint32_t p) { return patterns.levels.data() + starts[p] + p; };
  std::vector<uint32_t> order(count);
  std::iota(order.begin(), order.end(), 0u);
  std::sort(order.begin(), order.end(), less);
  std::vector<uint32_t> unique_order;
  unique_order.reserve(order.size());
  size_t letter_total = 0;
  for (uint32_t index : order) {
    if (!unique_order.empty() && equal(unique_order.back(), index)) {
      if (duplicates == Duplicates::kLaterWins) {
        unique_order.back() = index;
        continue;
      }
      uint8_t* kept = levels_of(unique_order.back());
      const uint8_t* more = levels_of(index);
      for (size_t g = 0; g <= length(index); ++g) kept[g] = std::max(kept[g], more[g]);
      continue;
    }
    unique_order.push_back(index);
    letter_total += length(index);
  }
  pattern_count_ = unique_order.size();

  // Breadth first over runs: node u covers unique_order[begin, end) at depth d.
  struct Run {
    uint32_t begin, end, depth;
  };
  std::vector<Run> runs = {{0, static_cast<uint32_t>(unique_order.size()), 0}};
  runs.reserve(letter_total + 1);
  first_edge_.reserve(runs.capacity() + 1);
  digits_at_.reserve(runs.capacity());
  depth_.reserve(runs.capacity());
  for (size_t u = 0; u < runs.size(); ++u) {
    const Run run = runs[u];
    first_edge_.push_back(static_cast<uint32_t>(edge_symbol_.size()));
    depth_.push_back(static_cast<uint8_t>(run.depth));
    uint32_t i = run.begin;
    // The pattern that ends here sorts first in its run.
    if (i < run.end && length(unique_order[i]) == run.depth) {
      digits_at_.push_back(static_cast<uint32_t>(digits_.size()));
      const uint8_t* levels = levels_of(unique_order[i]);
      digits_.insert(digits_.end(), levels, levels + run.depth + 1);
      ++i;
    } else {
      digits_at_.push_back(kNone);
    }
    while (i < run.end) {
      const uint32_t symbol = symbol_at(unique_order[i], run.depth);
      uint32_t j = i + 1;
      while (j < run.end && symbol_at(unique_order[j], run.depth) == symbol) ++j;
      edge_symbol_.push_back(static_cast<uint16_t>(symbol));
      edge_target_.push_back(static_cast<uint32_t>(runs.size()));
      runs.push_back({i, j, run.depth + 1});
      i = j;
    }
  }
  first_edge_.push_back(static_cast<uint32_t>(edge_symbol_.size()));
  const size_t states = runs.size();

  root_row_.assign(symbol_count, 0);
  for (uint32_t e = first_edge_[0]; e < first_edge_[1]; ++e) root_row_[edge_symbol_[e]] = edge_target_[e];
  fail_.assign(states, 0);
  output_.assign(states, kNone);
  // States are numbered breadth first, so fail_ of every shallower state is
  // final before a deeper one needs it.
  for (uint32_t u = 0; u < states; ++u) {
    if (u != 0) output_[u] = digits_at_[u] != kNone ? u : output_[fail_[u]];
    for (uint32_t e = first_edge_[u]; e < first_edge_[u + 1]; ++e) {
      const uint32_t child = edge_target_[e];
      if (u == 0) continue;  // depth-one states fail to the root
      uint32_t f = fail_[u];
      for (;;) {
        const uint32_t next = Child(f, edge_symbol_[e]);
        if (next != 0) {
          fail_[child] = next;
          break;
        }
        if (f == 0) break;
        f = fail_[f];
      }
    }
  }
}

uint16_t CodePointAutomaton::SymbolOf(char32_t c) const {
  if (c < kDenseLimit) return dense_symbol_.empty() ? kNoSymbol : dense_symbol_[c];
  const auto it = std::lower_bound(sparse_points_.begin(), sparse_points_.end(), c);
  if (it == sparse_points_.end() || *it != c) return kNoSymbol;
  return sparse_symbols_[static_cast<size_t>(it - sparse_points_.begin())];
}

uint32_t CodePointAutomaton::Child(uint32_t state, uint16_t symbol) const {
  if (state == 0) return root_row_[symbol];
  const uint16_t* begin = edge_symbol_.data() + first_edge_[state];
  const uint16_t* end = edge_symbol_.data() + first_edge_[state + 1];
  // Most states have one to three children; a scan beats a search there.
  if (end - begin <= 8) {
    for (const uint16_t* p = begin; p != end; ++p) {
      if (*p == symbol) return edge_target_[static_cast<size_t>(p - edge_symbol_.data())];
      if (*p > symbol) return 0;
    }
    return 0;
  }
  const uint16_t* p = std::lower_bound(begin, end, symbol);
  return p != end && *p == symbol ? edge_target_[static_cast<size_t>(p - edge_symbol_.data())] : 0;
}

void CodePointAutomaton::Step(uint32_t& state, uint16_t symbol) const {
  if (symbol == kNoSymbol) {
    state = 0;
    return;
  }
  for (;;) {
    const uint32_t next = Child(state, symbol);
    if (next != 0 || state == 0) {
      state = next;
      return;
    }
    state = fail_[state];
  }
}

void CodePointAutomaton::FindLevels(std::u32string_view word, std::vector<uint8_t>& levels) const {
  const size_t dotted = word.size() + 2;
  levels.assign(dotted + 1, 0);
  if (pattern_count_ == 0) return;
  uint32_t state = 0;
  for (size_t t = 0; t < dotted; ++t) {
    const uint16_t symbol = t == 0 || t + 1 == dotted ? 0 : SymbolOf(word[t - 1]);
    Step(state, symbol);
    for (uint32_t o = output_[state]; o != kNone; o = output_[fail_[o]]) {
      const size_t depth = depth_[o];
      const uint8_t* digits = &digits_[digits_at_[o]];
      uint8_t* gap = &levels[t + 1 - depth];
      for (size_t j = 0; j <= depth; ++j) gap[j] = std::max(gap[j], digits[j]);
    }
  }
}

}  // namespace corvane::hyphenation
