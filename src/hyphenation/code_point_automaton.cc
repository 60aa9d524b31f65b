#include "hyphenation/code_point_automaton.h"

#include <algorithm>
#include <cstring>
#include <numeric>
#include <string_view>

#include "platform/error.h"

namespace corvane::hyphenation {
namespace {

// A state stores its digit count (depth + 1) in one byte while building.
constexpr size_t kMaxPatternLetters = 254;

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
      throw Error("a hyphenation pattern is longer than 254 letters");
    }
  }
  // The alphabet, "." aside: it is always symbol 0. Code points below
  // kDenseLimit are marked in their own table, numbered in order after.
  constexpr uint16_t kSeen = 0;
  dense_symbol_.assign(kDenseLimit, kNoSymbol);
  for (char32_t c : patterns.letters) {
    if (c < kDenseLimit) {
      dense_symbol_[c] = kSeen;
    } else {
      sparse_points_.push_back(c);
    }
  }
  std::sort(sparse_points_.begin(), sparse_points_.end());
  sparse_points_.erase(std::unique(sparse_points_.begin(), sparse_points_.end()), sparse_points_.end());
  dense_symbol_[U'.'] = kNoSymbol;
  size_t letter_count = 0;
  for (char32_t c = 0; c < kDenseLimit; ++c) {
    if (dense_symbol_[c] == kSeen) dense_symbol_[c] = static_cast<uint16_t>(++letter_count);
  }
  if (letter_count + sparse_points_.size() + 1 >= kNoSymbol) {
    throw Error("hyphenation patterns use too many different letters");
  }
  dense_symbol_[U'.'] = 0;
  for (size_t i = 0; i < sparse_points_.size(); ++i) {
    sparse_symbols_.push_back(static_cast<uint16_t>(letter_count + 1 + i));
  }
  const size_t symbol_count = letter_count + sparse_points_.size() + 1;

  // The trie, depth first, sorting as it goes: node u covers
  // order[begin, end) at depth d, the patterns whose first d symbols spell
  // its string; its children edges[first_edge[u] .. first_edge[u + 1]).
  // Splitting each run by its next symbol costs one small integer sort per
  // node instead of comparing whole strings of symbols, and equal forms
  // meet in the run of the node where they end. Nodes are numbered in the
  // order of their records (depth first, children in symbol order), so the
  // passes below read and write memory in sequence.
  std::vector<uint16_t> symbols(patterns.letters.size());
  for (size_t i = 0; i < symbols.size(); ++i) {
    const char32_t c = patterns.letters[i];
    symbols[i] = c < kDenseLimit ? dense_symbol_[c] : SymbolOf(c);
  }
  const uint32_t* starts = patterns.starts.data();
  auto length = [&](uint32_t p) { return starts[p + 1] - starts[p]; };
  auto levels_of = [&](uint32_t p) { return patterns.levels.data() + starts[p] + p; };
  struct Run {
    uint32_t begin, end, depth;
    uint32_t edge;  // the parent's edge to this node, kNone for the root
  };
  struct Edge {
    uint32_t symbol, target;
  };
  std::vector<uint32_t> order(count);
  std::iota(order.begin(), order.end(), 0u);
  std::vector<Run> pending = {{0, static_cast<uint32_t>(count), 0, kNone}};
  std::vector<uint32_t> first_edge;
  std::vector<uint32_t> depth_of;
  std::vector<Edge> edges;
  std::vector<uint32_t> own_pattern;  // per node: the pattern ending there, or kNone
  // A node per letter read at most, and the root. Reserving the most keeps
  // growth from copying, and untouched reserve costs no memory.
  const size_t most_nodes = patterns.letters.size() + 1;
  first_edge.reserve(most_nodes + 1);
  depth_of.reserve(most_nodes);
  edges.reserve(most_nodes);
  own_pattern.reserve(most_nodes);
  // Sort keys: the next symbol + 1 (0: the pattern ends here) above the
  // pattern's index, so equal forms stay in file order.
  std::vector<uint64_t> keys;
  std::vector<uint32_t> bucket_start(symbol_count + 2);
  std::vector<uint32_t> scratch(count);
  size_t unique = 0;
  while (!pending.empty()) {
    const Run run = pending.back();
    pending.pop_back();
    const auto u = static_cast<uint32_t>(first_edge.size());
    if (run.edge != kNone) edges[run.edge].target = u;
    first_edge.push_back(static_cast<uint32_t>(edges.size()));
    depth_of.push_back(run.depth);
    uint32_t* const first = order.data() + run.begin;
    const uint32_t size = run.end - run.begin;
    auto key_of = [&](uint32_t p) -> uint32_t {
      return length(p) == run.depth ? 0 : uint32_t{symbols[starts[p] + run.depth]} + 1;
    };
    if (size > 2 * symbol_count + 64) {
      // Large runs (near the root): a stable counting sort.
      std::fill(bucket_start.begin(), bucket_start.end(), 0);
      for (uint32_t i = 0; i < size; ++i) ++bucket_start[key_of(first[i]) + 1];
      std::partial_sum(bucket_start.begin(), bucket_start.end(), bucket_start.begin());
      for (uint32_t i = 0; i < size; ++i) scratch[bucket_start[key_of(first[i])]++] = first[i];
      std::copy_n(scratch.begin(), size, first);
    } else if (size > 1) {
      keys.resize(size);
      for (uint32_t i = 0; i < size; ++i) keys[i] = uint64_t{key_of(first[i])} << 32 | first[i];
      std::sort(keys.begin(), keys.end());
      for (uint32_t i = 0; i < size; ++i) first[i] = static_cast<uint32_t>(keys[i]);
    }
    uint32_t i = run.begin;
    if (i < run.end && length(order[i]) == run.depth) {
      // Equal forms: merged into the first, or the last in the file kept.
      uint32_t kept = order[i++];
      for (; i < run.end && length(order[i]) == run.depth; ++i) {
        if (duplicates == Duplicates::kLaterWins) {
          kept = order[i];
          continue;
        }
        uint8_t* into = levels_of(kept);
        const uint8_t* more = levels_of(order[i]);
        for (size_t g = 0; g <= run.depth; ++g) into[g] = std::max(into[g], more[g]);
      }
      own_pattern.push_back(kept);
      ++unique;
    } else {
      own_pattern.push_back(kNone);
    }
    const size_t first_child = pending.size();
    while (i < run.end) {
      const uint32_t symbol = symbols[starts[order[i]] + run.depth];
      uint32_t j = i + 1;
      while (j < run.end && symbols[starts[order[j]] + run.depth] == symbol) ++j;
      pending.push_back({i, j, run.depth + 1, static_cast<uint32_t>(edges.size())});
      edges.push_back({symbol, 0});
      i = j;
    }
    // The first child is numbered next.
    std::reverse(pending.begin() + static_cast<std::ptrdiff_t>(first_child), pending.end());
  }
  pattern_count_ = unique;
  const auto states = static_cast<uint32_t>(first_edge.size());
  first_edge.push_back(static_cast<uint32_t>(edges.size()));

  // Breadth-first order (by depth), in which a node's failure node and its
  // digits are final before any deeper node needs them.
  std::vector<uint32_t> by_depth(kMaxPatternLetters + 2, 0);
  for (uint32_t u = 0; u < states; ++u) ++by_depth[depth_of[u] + 1];
  std::partial_sum(by_depth.begin(), by_depth.end(), by_depth.begin());
  std::vector<uint32_t> breadth_first(states);
  for (uint32_t u = 0; u < states; ++u) breadth_first[by_depth[depth_of[u]]++] = u;

  std::vector<uint32_t> root_child(symbol_count, 0);
  for (uint32_t e = first_edge[0]; e < first_edge[1]; ++e) root_child[edges[e].symbol] = edges[e].target;
  auto child = [&](uint32_t u, uint32_t symbol) -> uint32_t {
    if (u == 0) return root_child[symbol];
    for (uint32_t e = first_edge[u]; e < first_edge[u + 1]; ++e) {
      if (edges[e].symbol == symbol) return edges[e].target;
    }
    return 0;
  };
  // Per node, in that order: its digits merged with those of every pattern
  // that ends its string (its failure node's, merged already), so one set
  // applies per symbol read; then its children's failure nodes. A set is
  // stored as its length (depth + 1) and the digits.
  std::vector<uint32_t> fail(states, 0);
  std::vector<uint8_t> digits;
  digits.reserve(patterns.levels.size() * 2);
  std::vector<uint32_t> merged(states, kNone);
  for (uint32_t k = 1; k < states; ++k) {
    const uint32_t u = breadth_first[k];
    const uint32_t inherited = merged[fail[u]];
    if (own_pattern[u] != kNone || inherited != kNone) {
      const uint32_t depth = depth_of[u];
      const auto at = static_cast<uint32_t>(digits.size());
      digits.resize(at + depth + 2, 0);
      digits[at] = static_cast<uint8_t>(depth + 1);
      uint8_t* mine = &digits[at + 1];
      if (own_pattern[u] != kNone) std::copy_n(levels_of(own_pattern[u]), depth + 1, mine);
      if (inherited != kNone) {
        const uint8_t* theirs = &digits[inherited + 1];
        const uint32_t offset = depth + 1 - digits[inherited];
        for (uint32_t g = 0; g < digits[inherited]; ++g) mine[offset + g] = std::max(mine[offset + g], theirs[g]);
      }
      merged[u] = at;
    }
    for (uint32_t e = first_edge[u]; e < first_edge[u + 1]; ++e) {
      for (uint32_t f = fail[u];; f = fail[f]) {
        const uint32_t next = child(f, edges[e].symbol);
        if (next != 0 || f == 0) {
          fail[edges[e].target] = next;
          break;
        }
      }
    }
  }

  // Records in node order (layout at records_).
  std::vector<uint32_t> offset(states + 1, 0);
  for (uint32_t u = 0; u < states; ++u) {
    const uint32_t digit_count = merged[u] == kNone ? 0 : digits[merged[u]];
    const uint64_t next = uint64_t{offset[u]} + kRecordHead + 2 * (first_edge[u + 1] - first_edge[u]) +
                          (digit_count + 3) / 4;
    if (next > kMaxOffset) throw Error("hyphenation patterns too many for one automaton");
    offset[u + 1] = static_cast<uint32_t>(next);
  }
  records_.resize(offset[states]);
  for (uint32_t u = 0; u < states; ++u) {
    uint32_t* record = &records_[offset[u]];
    record[0] = offset[fail[u]];
    const uint32_t digit_count = merged[u] == kNone ? 0 : digits[merged[u]];
    record[1] = (first_edge[u + 1] - first_edge[u]) | digit_count << 16;
    uint32_t* pair = record + kRecordHead;
    for (uint32_t e = first_edge[u]; e < first_edge[u + 1]; ++e, pair += 2) {
      pair[0] = edges[e].symbol;
      pair[1] = offset[edges[e].target];
    }
    if (digit_count != 0) std::memcpy(pair, &digits[merged[u] + 1], digit_count);
  }
  root_row_.assign(symbol_count, 0);
  for (uint32_t symbol = 0; symbol < symbol_count; ++symbol) root_row_[symbol] = offset[root_child[symbol]];
  state_count_ = states;
}

uint16_t CodePointAutomaton::SymbolOf(char32_t c) const {
  if (c < kDenseLimit) return dense_symbol_.empty() ? kNoSymbol : dense_symbol_[c];
  const auto it = std::lower_bound(sparse_points_.begin(), sparse_points_.end(), c);
  if (it == sparse_points_.end() || *it != c) return kNoSymbol;
  return sparse_symbols_[static_cast<size_t>(it - sparse_points_.begin())];
}

uint32_t CodePointAutomaton::Step(uint32_t state, uint16_t symbol) const {
  if (symbol == kNoSymbol) return 0;
  const uint32_t* records = records_.data();
  for (;;) {
    if (state == 0) return root_row_[symbol];
    const uint32_t* record = records + state;
    const uint32_t* pair = record + kRecordHead;
    const uint32_t* end = pair + 2 * (record[1] & 0xFFFF);
    // Most nodes have one to three children, in symbol order.
    for (; pair != end; pair += 2) {
      if (pair[0] >= symbol) {
        if (pair[0] == symbol) return pair[1];
        break;
      }
    }
    state = record[0];
  }
}

void CodePointAutomaton::FindLevels(std::u32string_view word, std::vector<uint8_t>& levels) const {
  const size_t dotted = word.size() + 2;
  levels.assign(dotted + 1, 0);
  if (pattern_count_ == 0) return;
  uint32_t state = 0;
  for (size_t t = 0; t < dotted; ++t) {
    const uint16_t symbol = t == 0 || t + 1 == dotted ? 0 : SymbolOf(word[t - 1]);
    state = Step(state, symbol);
    if (state == 0) continue;
    const uint32_t* record = &records_[state];
    const size_t count = record[1] >> 16;
    if (count == 0) continue;
    const auto* digits = reinterpret_cast<const uint8_t*>(record + kRecordHead + 2 * (record[1] & 0xFFFF));
    uint8_t* gap = &levels[t + 2 - count];
    for (size_t j = 0; j < count; ++j) gap[j] = std::max(gap[j], digits[j]);
  }
}

}  // namespace corvane::hyphenation
