#include "hyphenation/code_point_automaton.h"

#include <algorithm>
#include <cstring>
#include <numeric>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/error.h"

namespace corvane::hyphenation {
namespace {

// A state stores its digit count (depth + 1) in one byte while building,
// and the walk never follows more failures than a state is deep.
constexpr size_t kMaxPatternLetters = 254;
constexpr uint32_t kNone = 0xFFFFFFFF;
// Code points below this map through a table; the rest by binary search.
constexpr char32_t kDenseLimit = 0x3000;

constexpr uint32_t kHeaderWords = 8;
constexpr uint32_t kRecordHead = 2;
constexpr uint32_t kHasRow = 0x80000000u;
constexpr uint32_t kMaxOffset = 0xFFFFFFF0;
constexpr uint32_t kDotsOnlyFlag = 1;
// A state with at least this many children gets a full row, the shallowest
// first (the walk spends most of its steps near the root, and a row there
// also saves the failures a list would follow), while the rows stay within
// kRowBudgetWords: half a megabyte, a tenth of the largest sets' records.
constexpr uint32_t kRowMinChildren = 2;
constexpr size_t kRowBudgetWords = 128 * 1024;

// The padding before and after the records, in words: reading the digits
// and the first children of any record that starts within the records
// never leaves the image.
constexpr uint32_t kLeadWords = 64;
constexpr uint32_t kTailWords = 16;
// Digits are applied sixteen at a time.
constexpr uint32_t kDigitBlock = 16;
// Levels are written this far past their buffer's start, so that a forged
// digit count can only write into the margin.
constexpr size_t kLevelsMargin = 256;
typedef uint8_t DigitBlock __attribute__((vector_size(kDigitBlock)));
// kMasks + 16 - n: n bytes of ones, then zeros.
constexpr uint8_t kMasks[2 * kDigitBlock] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                              0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};

// Rows are numbered in 16 bits of a record's head.
constexpr uint32_t kMaxRow = 0xFFFF;

constexpr size_t Words16(size_t count) { return (count + 1) / 2; }

// The index of `symbol` among the first `count` (at most 8) of `symbols`,
// or 8; reads 16 bytes whatever `count` is.
inline uint32_t FindSymbol(const uint16_t* symbols, uint32_t count, uint16_t symbol) {
#if defined(__SSE2__)
  const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(symbols));
  const __m128i wanted = _mm_set1_epi16(static_cast<short>(symbol));
  const auto equal = static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi16(block, wanted)));
  const uint32_t mine = equal & ((1u << (2 * count)) - 1);
  return mine != 0 ? static_cast<uint32_t>(__builtin_ctz(mine)) / 2 : 8;
#else
  for (uint32_t i = 0; i < count; ++i) {
    if (symbols[i] == symbol) return i;
  }
  return 8;
#endif
}

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

CodePointAutomaton::CodePointAutomaton() : CodePointAutomaton(PatternList()) {}

CodePointAutomaton::CodePointAutomaton(PatternList patterns, Duplicates duplicates) {
  const size_t count = patterns.Size();
  bool dots_only = false;
  for (size_t i = 0; i < count; ++i) {
    const size_t letters = patterns.starts[i + 1] - patterns.starts[i];
    if (letters > kMaxPatternLetters) throw Error("a hyphenation pattern is longer than 254 letters");
    const char32_t* first = patterns.letters.data() + patterns.starts[i];
    dots_only = dots_only || std::all_of(first, first + letters, [](char32_t c) { return c == U'.'; });
  }
  // The alphabet, "." aside: it is always symbol 0. Code points below
  // kDenseLimit are marked in their own table, numbered in order after.
  constexpr uint16_t kSeen = 0;
  char32_t dense_limit = U'.' + 1;
  std::vector<char32_t> sparse_points;
  for (char32_t c : patterns.letters) {
    if (c < kDenseLimit) {
      dense_limit = std::max<char32_t>(dense_limit, c + 1);
    } else {
      sparse_points.push_back(c);
    }
  }
  std::vector<uint16_t> dense(dense_limit, kNoSymbol);
  for (char32_t c : patterns.letters) {
    if (c < kDenseLimit) dense[c] = kSeen;
  }
  std::sort(sparse_points.begin(), sparse_points.end());
  sparse_points.erase(std::unique(sparse_points.begin(), sparse_points.end()), sparse_points.end());
  dense[U'.'] = kNoSymbol;
  size_t letter_count = 0;
  for (char32_t c = 0; c < dense_limit; ++c) {
    if (dense[c] == kSeen) dense[c] = static_cast<uint16_t>(++letter_count);
  }
  if (letter_count + sparse_points.size() + 1 >= kNoSymbol) {
    throw Error("hyphenation patterns use too many different letters");
  }
  dense[U'.'] = 0;
  std::vector<uint16_t> sparse_symbols;
  for (size_t i = 0; i < sparse_points.size(); ++i) {
    sparse_symbols.push_back(static_cast<uint16_t>(letter_count + 1 + i));
  }
  const size_t symbol_count = letter_count + sparse_points.size() + 1;

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
    if (c < kDenseLimit) {
      symbols[i] = dense[c];
    } else {
      const auto at = std::lower_bound(sparse_points.begin(), sparse_points.end(), c) - sparse_points.begin();
      symbols[i] = sparse_symbols[static_cast<size_t>(at)];
    }
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
  // The digits a record keeps: from the first nonzero one on.
  std::vector<uint8_t> kept_digits(states, 0);
  for (uint32_t u = 0; u < states; ++u) {
    if (merged[u] == kNone) continue;
    const uint8_t* set = &digits[merged[u] + 1];
    const uint8_t n = digits[merged[u]];
    uint8_t lead = 0;
    while (lead < n && set[lead] == 0) ++lead;
    kept_digits[u] = static_cast<uint8_t>(n - lead);
  }

  // Rows for the busiest states, the shallowest first. A row's entries are
  // the states the walk would reach, failures followed; a state without a
  // row of its own is resolved through the trie.
  std::vector<uint32_t> row_of(states, kNone);
  std::vector<uint32_t> row_states = {0};
  row_of[0] = 0;
  for (uint32_t k = 1; k < states; ++k) {
    const uint32_t u = breadth_first[k];
    if (first_edge[u + 1] - first_edge[u] < kRowMinChildren) continue;
    if ((row_states.size() + 1) * symbol_count > kRowBudgetWords || row_states.size() > kMaxRow) break;
    row_of[u] = static_cast<uint32_t>(row_states.size());
    row_states.push_back(u);
  }
  auto next_state = [&](uint32_t u, uint32_t symbol) -> uint32_t {
    for (uint32_t f = u;; f = fail[f]) {
      const uint32_t next = child(f, symbol);
      if (next != 0 || f == 0) return next;
    }
  };

  // Records in node order (layout in the header).
  auto list_words = [&](uint32_t u) -> uint32_t {
    const uint32_t children = first_edge[u + 1] - first_edge[u];
    return row_of[u] != kNone ? 0 : static_cast<uint32_t>(Words16(children)) + children;
  };
  // offset[u] is where u's fail word goes, its digits just before it.
  std::vector<uint32_t> offset(states, 0);
  uint64_t end = 0;
  for (uint32_t u = 0; u < states; ++u) {
    const uint64_t at = end + (kept_digits[u] + 3u) / 4;
    end = at + kRecordHead + list_words(u);
    if (end > kMaxOffset) throw Error("hyphenation patterns too many for one automaton");
    offset[u] = static_cast<uint32_t>(at);
  }
  const auto record_words = static_cast<uint32_t>(end);
  const size_t dense_words = Words16(dense.size());
  const size_t sparse_words = sparse_points.size() + Words16(sparse_points.size());
  const size_t row_words = row_states.size() * symbol_count;
  const size_t total_words =
      kHeaderWords + dense_words + sparse_words + row_words + kLeadWords + record_words + kTailWords;
  auto storage = std::make_shared<std::vector<uint64_t>>((total_words + 1) / 2, 0);
  auto* words = reinterpret_cast<uint32_t*>(storage->data());
  words[0] = static_cast<uint32_t>(symbol_count);
  words[1] = static_cast<uint32_t>(dense.size());
  words[2] = static_cast<uint32_t>(sparse_points.size());
  words[3] = static_cast<uint32_t>(row_states.size());
  words[4] = record_words;
  words[5] = states;
  words[6] = static_cast<uint32_t>(unique);
  words[7] = dots_only ? kDotsOnlyFlag : 0;
  uint32_t* at = words + kHeaderWords;
  std::copy(dense.begin(), dense.end(), reinterpret_cast<uint16_t*>(at));
  at += dense_words;
  std::copy(sparse_points.begin(), sparse_points.end(), at);
  at += sparse_points.size();
  std::copy(sparse_symbols.begin(), sparse_symbols.end(), reinterpret_cast<uint16_t*>(at));
  at += Words16(sparse_points.size());
  // A row is its failure state's row (shallower, so made already, where it
  // has one) with the state's own children put in.
  std::vector<uint32_t> row_next(row_states.size() * symbol_count);
  for (size_t r = 0; r < row_states.size(); ++r) {
    const uint32_t u = row_states[r];
    uint32_t* next = &row_next[r * symbol_count];
    if (u == 0) {
      std::copy(root_child.begin(), root_child.end(), next);
      continue;
    }
    if (row_of[fail[u]] != kNone) {
      std::copy_n(&row_next[size_t{row_of[fail[u]]} * symbol_count], symbol_count, next);
    } else {
      for (uint32_t symbol = 0; symbol < symbol_count; ++symbol) next[symbol] = next_state(fail[u], symbol);
    }
    for (uint32_t e = first_edge[u]; e < first_edge[u + 1]; ++e) next[edges[e].symbol] = edges[e].target;
  }
  for (uint32_t state : row_next) *at++ = offset[state];
  uint32_t* records = at + kLeadWords;
  for (uint32_t u = 0; u < states; ++u) {
    uint32_t* record = &records[offset[u]];
    record[0] = offset[fail[u]];
    const uint32_t children = first_edge[u + 1] - first_edge[u];
    record[1] = uint32_t{kept_digits[u]} << 16;
    const auto after = record + kRecordHead;
    if (row_of[u] != kNone) {
      record[1] |= kHasRow | row_of[u];
    } else {
      record[1] |= children;
      auto* symbol = reinterpret_cast<uint16_t*>(after);
      uint32_t* target = after + Words16(children);
      for (uint32_t e = first_edge[u]; e < first_edge[u + 1]; ++e) {
        *symbol++ = static_cast<uint16_t>(edges[e].symbol);
        *target++ = offset[edges[e].target];
      }
    }
    if (kept_digits[u] != 0) {
      const uint8_t n = digits[merged[u]];
      std::memcpy(reinterpret_cast<uint8_t*>(record) - kept_digits[u], &digits[merged[u] + 1 + n - kept_digits[u]],
                  kept_digits[u]);
    }
  }
  Attach(reinterpret_cast<const uint8_t*>(words), total_words * 4);
  owner_ = std::move(storage);
}

CodePointAutomaton CodePointAutomaton::FromImage(const uint8_t* image, size_t size,
                                                 std::shared_ptr<const void> owner) {
  CodePointAutomaton automaton;
  if (reinterpret_cast<uintptr_t>(image) % 8 != 0 || !automaton.Attach(image, size)) {
    throw Error("not a pattern automaton image");
  }
  automaton.owner_ = std::move(owner);
  return automaton;
}

bool CodePointAutomaton::Attach(const uint8_t* image, size_t size) {
  if (size < kHeaderWords * 4 || size % 4 != 0) return false;
  const auto* words = reinterpret_cast<const uint32_t*>(image);
  const uint64_t symbols = words[0], dense = words[1], sparse = words[2], rows = words[3], records = words[4];
  // Every count is below 2^32, so none of these sums can overflow.
  const uint64_t need =
      kHeaderWords + Words16(dense) + sparse + Words16(sparse) + rows * symbols + kLeadWords + records + kTailWords;
  if (symbols == 0 || symbols >= kNoSymbol || dense > kDenseLimit || rows == 0 || rows > kMaxRow + 1 ||
      records < kRecordHead || need != size / 4 ||
      words[7] & ~kDotsOnlyFlag) {
    return false;
  }
  image_ = image;
  image_size_ = size;
  symbol_count_ = static_cast<uint32_t>(symbols);
  dense_limit_ = static_cast<uint32_t>(dense);
  sparse_count_ = static_cast<uint32_t>(sparse);
  row_count_ = static_cast<uint32_t>(rows);
  record_words_ = static_cast<uint32_t>(records);
  state_count_ = words[5];
  pattern_count_ = words[6];
  dots_only_pattern_ = (words[7] & kDotsOnlyFlag) != 0;
  const uint32_t* at = words + kHeaderWords;
  dense_symbol_ = reinterpret_cast<const uint16_t*>(at);
  at += Words16(dense);
  sparse_points_ = at;
  at += sparse;
  sparse_symbols_ = reinterpret_cast<const uint16_t*>(at);
  at += Words16(sparse);
  rows_ = at;
  records_ = rows_ + rows * symbols + kLeadWords;
  return true;
}

inline uint16_t CodePointAutomaton::SymbolOf(char32_t c) const {
  if (c < dense_limit_) return dense_symbol_[c];
  if (sparse_count_ == 0) return kNoSymbol;
  const uint32_t* end = sparse_points_ + sparse_count_;
  const uint32_t* it = std::lower_bound(sparse_points_, end, static_cast<uint32_t>(c));
  if (it == end || *it != c) return kNoSymbol;
  return sparse_symbols_[it - sparse_points_];
}

namespace {

// What the walk reads, copied into locals: the levels it writes are bytes,
// which may alias anything, so members would be loaded again after every
// store.
struct Walk {
  const uint32_t* records;
  uint32_t last_head;  // the largest offset at which a record's head fits
  const uint32_t* rows;
  uint32_t row_count;
  uint32_t columns;

  // The state after reading `symbol` in `state` (both record offsets).
  // Every record is checked against the end of the image before it is
  // read, and no more failures are followed than the deepest state has: a
  // forged image walks to the root instead of out of bounds or round a loop.
  uint32_t Step(uint32_t state, uint16_t symbol) const {
    if (symbol >= columns) return 0;
    for (size_t hops = 0; hops <= kMaxPatternLetters; ++hops) {
      if (state > last_head) return 0;
      const uint32_t* record = records + state;
      const uint32_t head = record[1];
      const uint32_t count = head & 0xFFFF;
      if (head & kHasRow) return count < row_count ? rows[size_t{count} * columns + symbol] : 0;
      const auto* symbols = reinterpret_cast<const uint16_t*>(record + kRecordHead);
      const uint32_t* targets = record + kRecordHead + Words16(count);
      // Eight children at a time; the image's padding covers reading the
      // first eight of any record, real or not.
      if (count > 8 && Words16(count) + count > last_head - state) return 0;
      const uint32_t found = FindSymbol(symbols, std::min<uint32_t>(count, 8), symbol);
      if (found != 8) return targets[found];
      for (uint32_t first = 8; first < count; first += 8) {
        const uint32_t more = FindSymbol(symbols + first, std::min<uint32_t>(count - first, 8), symbol);
        if (more != 8) return targets[first + more];
      }
      state = record[0];
    }
    return 0;
  }
};

}  // namespace

const uint8_t* CodePointAutomaton::Levels(std::u32string_view word) const {
  if (pattern_count_ == 0) return nullptr;
  const size_t dotted = word.size() + 2;
  // The word as symbols, once: each is read by one step. The levels have
  // room for a 16-byte store at the last gap.
  thread_local std::vector<uint16_t> symbols;
  thread_local std::vector<uint8_t> levels;
  symbols.resize(dotted);
  symbols[0] = 0;
  symbols[dotted - 1] = 0;
  bool known = dots_only_pattern_;
  for (size_t i = 0; i < word.size(); ++i) {
    const uint16_t symbol = SymbolOf(word[i]);
    symbols[i + 1] = symbol;
    known |= symbol != kNoSymbol;
  }
  // No pattern can match a word with none of its letters.
  if (!known) return nullptr;
  // Room before the first gap for the digits of any record, real or not,
  // and after the last for a 16-byte store.
  if (levels.size() < kLevelsMargin + dotted + 1 + kDigitBlock) {
    levels.resize(kLevelsMargin + dotted + 1 + kDigitBlock + 32);
  }
  uint8_t* const out = levels.data() + kLevelsMargin;
  // Cleared a block at a time: a call to memset with a size that changes
  // from word to word costs a mispredicted branch or two.
  const DigitBlock zero = {};
  for (size_t at = 0; at < dotted + 1; at += kDigitBlock) std::memcpy(out + at, &zero, kDigitBlock);
  const Walk walk{records_, record_words_ - kRecordHead, rows_, row_count_, symbol_count_};
  const uint16_t* const symbol = symbols.data();
  uint32_t state = 0;
  for (size_t t = 0; t < dotted; ++t) {
    state = walk.Step(state, symbol[t]);
    if (state > walk.last_head) state = 0;
    // Applied even when there are none: a mask of zeros costs less than a
    // branch the walk cannot predict. Sixteen gaps at a time, the bytes
    // after the digits (the record itself) masked off.
    const uint32_t count = (walk.records[state + 1] >> 16) & 0xFF;
    const uint8_t* digits = reinterpret_cast<const uint8_t*>(walk.records + state) - count;
    uint8_t* gap = out + t + 2 - count;
    uint32_t j = 0;
    do {
      DigitBlock mine, theirs, mask;
      std::memcpy(&mine, gap + j, kDigitBlock);
      std::memcpy(&theirs, digits + j, kDigitBlock);
      std::memcpy(&mask, kMasks + kDigitBlock - std::min(count - j, kDigitBlock), kDigitBlock);
      theirs &= mask;
      mine = mine > theirs ? mine : theirs;
      std::memcpy(gap + j, &mine, kDigitBlock);
      j += kDigitBlock;
    } while (j < count);
  }
  return out;
}

void CodePointAutomaton::FindLevels(std::u32string_view word, std::vector<uint8_t>& levels) const {
  const uint8_t* found = Levels(word);
  levels.assign(word.size() + 3, 0);
  if (found != nullptr) std::copy_n(found, levels.size(), levels.begin());
}

bool CodePointAutomaton::MarkBreaks(std::u32string_view word, uint8_t* breaks) const {
  const uint8_t* levels = Levels(word);
  if (levels == nullptr) return false;
  uint8_t any = 0;
  for (size_t k = 1; k < word.size(); ++k) {
    const uint8_t odd = levels[k + 1] & 1;
    breaks[k] |= odd;
    any |= odd;
  }
  return any != 0;
}

}  // namespace corvane::hyphenation
