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
  states_.reserve(runs.capacity() + 1);
  edges_.reserve(runs.capacity());
  outputs_.reserve(pattern_count_);
  std::vector<uint32_t> own_output;  // per state: its own pattern's output, or kNone
  own_output.reserve(runs.capacity());
  for (size_t u = 0; u < runs.size(); ++u) {
    const Run run = runs[u];
    states_.push_back({static_cast<uint32_t>(edges_.size()), 0, kNone});
    uint32_t i = run.begin;
    // The pattern that ends here sorts first in its run.
    if (i < run.end && length(unique_order[i]) == run.depth) {
      own_output.push_back(static_cast<uint32_t>(outputs_.size()));
      outputs_.push_back({static_cast<uint32_t>(digits_.size()), run.depth, kNone});
      const uint8_t* levels = levels_of(unique_order[i]);
      digits_.insert(digits_.end(), levels, levels + run.depth + 1);
      ++i;
    } else {
      own_output.push_back(kNone);
    }
    while (i < run.end) {
      const uint32_t symbol = symbol_at(unique_order[i], run.depth);
      uint32_t j = i + 1;
      while (j < run.end && symbol_at(unique_order[j], run.depth) == symbol) ++j;
      edges_.push_back({symbol, static_cast<uint32_t>(runs.size())});
      runs.push_back({i, j, run.depth + 1});
      i = j;
    }
  }
  const size_t states = runs.size();
  states_.push_back({static_cast<uint32_t>(edges_.size()), 0, kNone});  // bounds the last state's edges

  root_row_.assign(symbol_count, 0);
  for (uint32_t e = states_[0].first_edge; e < states_[1].first_edge; ++e) root_row_[edges_[e].symbol] = edges_[e].target;
  // States are numbered breadth first, so the failure state of every
  // shallower state is final before a deeper one needs it.
  for (uint32_t u = 0; u < states; ++u) {
    if (u == 0) continue;  // depth-one states fail to the root
    for (uint32_t e = states_[u].first_edge; e < states_[u + 1].first_edge; ++e) {
      uint32_t f = states_[u].fail;
      for (;;) {
        const uint32_t next = Child(f, static_cast<uint16_t>(edges_[e].symbol));
        if (next != 0) {
          states_[edges_[e].target].fail = next;
          break;
        }
        if (f == 0) break;
        f = states_[f].fail;
      }
    }
  }
  // Each state's digits merged with those of every pattern that ends its
  // string (its failure state's, already merged), so that matching applies
  // one set per symbol read.
  std::vector<uint8_t> own_digits = std::move(digits_);
  digits_.clear();
  std::vector<uint32_t> depth(states, 0);
  for (uint32_t u = 0; u < states; ++u) {
    for (uint32_t e = states_[u].first_edge; e < states_[u + 1].first_edge; ++e) depth[edges_[e].target] = depth[u] + 1;
  }
  for (uint32_t u = 1; u < states; ++u) {
    const uint32_t inherited = states_[states_[u].fail].output;
    if (own_output[u] == kNone && inherited == kNone) continue;
    const uint32_t d = depth[u];
    const uint32_t at = static_cast<uint32_t>(digits_.size());
    digits_.resize(at + d + 1, 0);
    if (own_output[u] != kNone) {
      std::copy_n(own_digits.begin() + outputs_[own_output[u]].digits_at, d + 1, digits_.begin() + at);
    }
    if (inherited != kNone) {
      const Output& from = outputs_[inherited];
      const size_t offset = d - from.depth;
      for (uint32_t g = 0; g <= from.depth; ++g) {
        uint8_t& slot = digits_[at + offset + g];
        slot = std::max(slot, digits_[from.digits_at + g]);
      }
    }
    states_[u].output = static_cast<uint32_t>(outputs_.size());
    outputs_.push_back({at, d, kNone});
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
  const Edge* begin = edges_.data() + states_[state].first_edge;
  const Edge* end = edges_.data() + states_[state + 1].first_edge;
  // Most states have one to three children; a scan beats a search there.
  if (end - begin <= 8) {
    for (const Edge* p = begin; p != end; ++p) {
      if (p->symbol >= symbol) return p->symbol == symbol ? p->target : 0;
    }
    return 0;
  }
  const Edge* p = std::lower_bound(begin, end, symbol, [](const Edge& e, uint32_t s) { return e.symbol < s; });
  return p != end && p->symbol == symbol ? p->target : 0;
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
    state = states_[state].fail;
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
    const uint32_t o = states_[state].output;
    if (o == kNone) continue;
    const Output& out = outputs_[o];
    const uint8_t* digits = &digits_[out.digits_at];
    uint8_t* gap = &levels[t + 1 - out.depth];
    for (size_t j = 0; j <= out.depth; ++j) gap[j] = std::max(gap[j], digits[j]);
  }
}

}  // namespace corvane::hyphenation
