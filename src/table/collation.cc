#include "table/collation.h"

#include <algorithm>
#include <initializer_list>
#include <optional>
#include <utility>

#include "platform/case_tables.h"
#include "platform/codepage.h"
#include "platform/locale.h"

namespace corvane::table {
namespace {

using Table = Collation::Table;

// The character at `i` of a string that ends at its zero byte or its end.
inline uint8_t ByteAt(std::string_view s, std::size_t i) {
  return i < s.size() ? static_cast<uint8_t>(s[i]) : 0;
}

inline uint16_t UnitAt(std::string_view s, std::size_t i) {
  if (2 * i + 1 >= s.size()) return 0;
  return static_cast<uint16_t>(static_cast<uint8_t>(s[2 * i]) |
                               static_cast<uint8_t>(s[2 * i + 1]) << 8);
}

// The one-character comparison of a non-Turkish locale (see the header):
// fold, then lower before upper, then the code point, which no two bytes
// share.
// That order as one number per byte: code points fit in 16 bits.
uint64_t AnsiSortKey(uint8_t b) {
  const auto& ansi = platform::AnsiCase::ForLocale(platform::kLocaleEnglishUs);
  const uint8_t lower = ansi.Lower(b);
  return uint64_t{platform::Cp1254ToUnicode(lower)} << 17 | uint64_t{lower != b} << 16 |
         platform::Cp1254ToUnicode(b);
}

int AnsiCharCompare(uint8_t x, uint8_t y) {
  const uint64_t kx = AnsiSortKey(x);
  const uint64_t ky = AnsiSortKey(y);
  return kx < ky ? -1 : (ky < kx ? 1 : 0);
}

// The weights FromCharComparison(AnsiCharCompare) gives, from the keys:
// sorting 256 numbers costs a fraction of the two thousand comparisons
// through a function, which every process that opens a table would pay.
Table AnsiWeights() {
  std::array<uint64_t, 256> keyed{};
  for (int b = 0; b < 256; ++b) keyed[b] = AnsiSortKey(static_cast<uint8_t>(b)) << 8 | static_cast<uint64_t>(b);
  std::sort(keyed.begin(), keyed.end());
  Table weights{};
  int run_start = 0;
  for (int i = 0; i < 256; ++i) {
    if (i > 0 && keyed[i - 1] >> 8 < keyed[i] >> 8) run_start = i;
    weights[keyed[i] & 0xFF] = static_cast<uint8_t>(run_start);
  }
  return weights;
}

// FNV-1a over the tables that decide an order; never 0, which means "none".
uint64_t MarkOf(std::initializer_list<const Collation::Table*> tables) {
  uint64_t h = 14695981039346656037ull;
  for (const Collation::Table* t : tables) {
    for (uint8_t b : *t) h = (h ^ b) * 1099511628211ull;
  }
  return h == 0 ? 1 : h;
}

}  // namespace

Collation::Collation(const Table& weights, const Table& upper, const Table& lower,
                     const Table& wide_upper, CharComparison fallback)
    : weights_(weights), upper_byte_(upper), wide_upper_(wide_upper), fallback_(std::move(fallback)) {
  std::array<bool, 256> seen{};
  uses_table_ = true;
  for (int b = 0; b < 256; ++b) {
    if (seen[weights_[b]]) uses_table_ = false;
    seen[weights_[b]] = true;
  }
  if (!uses_table_) return;
  zero_first_ = weights_[0] == 0;
  for (int b = 0; b < 256; ++b) {
    bytes_[weights_[b]] = static_cast<uint8_t>(b);
    upper_weight_[weights_[b]] = weights_[upper[b]];
    lower_weight_[weights_[b]] = weights_[lower[b]];
  }
  // The weights are a permutation, so lifting those below the zero byte's
  // by one keeps them distinct, in order, and clear of zero.
  for (int b = 1; b < 256; ++b) {
    prefix_rank_[b] = static_cast<uint8_t>(weights_[b] + (weights_[b] < weights_[0] ? 1 : 0));
  }
  mark_ = MarkOf({&weights_, &upper_weight_, &lower_weight_, &wide_upper_});
}

Collation Collation::FromCharComparison(const CharComparison& compare, const Table& upper,
                                        const Table& lower) {
  // Sorted, the bytes below x are those before its run of equals, so the
  // weights take about 2,000 comparisons instead of 65,536: every process
  // that opens a table pays for this once.
  std::array<uint8_t, 256> order{};
  for (int b = 0; b < 256; ++b) order[b] = static_cast<uint8_t>(b);
  // A merge sort stays within bounds even for a comparison that is no order.
  std::stable_sort(order.begin(), order.end(), [&compare](uint8_t a, uint8_t b) { return compare(a, b) < 0; });
  Table weights{};
  int run_start = 0;
  for (int i = 0; i < 256; ++i) {
    if (i > 0 && compare(order[i - 1], order[i]) < 0) run_start = i;
    weights[order[i]] = static_cast<uint8_t>(run_start);
  }
  return Collation(weights, upper, lower, upper, compare);
}

const Collation& Collation::ForLocale(int locale_id) {
  if (locale_id == platform::kLocaleTurkish) {
    static const Collation turkish(
        platform::TurkishCollationWeights(), platform::TurkishUpperTable(),
        platform::TurkishLowerTable(),
        // Wide strings are cased as people case text, without the blank quirk.
        platform::AnsiCase::ForLocale(platform::kLocaleTurkish).UpperTable(),
        [](uint8_t a, uint8_t b) {
          const Table& w = platform::TurkishCollationWeights();
          return int{w[a]} - int{w[b]};
        });
    return turkish;
  }
  static const Collation other = [] {
    const auto& ansi = platform::AnsiCase::ForLocale(platform::kLocaleEnglishUs);
    return Collation(AnsiWeights(), ansi.UpperTable(), ansi.LowerTable(), ansi.UpperTable(), AnsiCharCompare);
  }();
  return other;
}

const Collation& Collation::User() { return ForLocale(platform::UserLocaleId()); }

const Collation* Collation::ForMark(uint64_t mark) {
  if (mark == 0) return nullptr;
  // Mostly the user's own: then the other is never built.
  if (User().Mark() == mark) return &User();
  for (const int locale : {platform::kLocaleTurkish, platform::kLocaleEnglishUs}) {
    const Collation& known = ForLocale(locale);
    if (known.Mark() == mark) return &known;
  }
  return nullptr;
}

const char* Collation::Name() const {
  if (this == &ForLocale(platform::kLocaleTurkish)) return "Turkish";
  if (this == &ForLocale(platform::kLocaleEnglishUs)) return "US English";
  return "unnamed";
}

int Collation::Compare(std::string_view a, std::string_view b, bool case_insensitive, long limit) const {
  // Past both ends every position reads as the terminator, so no comparison
  // needs more steps than the longer view has bytes, plus one.
  std::size_t n = std::max(a.size(), b.size()) + 1;
  if (limit >= 0) n = std::min(n, static_cast<std::size_t>(limit));
  return uses_table_ ? CompareTable(a, b, case_insensitive, n)
                     : CompareFallback(a, b, case_insensitive, n);
}

int Collation::CompareTable(std::string_view a, std::string_view b, bool case_insensitive,
                            std::size_t limit) const {
  if (!case_insensitive) {
    for (std::size_t i = 0; i < limit; ++i) {
      const uint8_t ca = ByteAt(a, i);
      const uint8_t cb = ByteAt(b, i);
      if (ca == cb) {
        if (ca == 0) return 0;
        continue;
      }
      // The shorter string sorts first whatever weight the zero byte has.
      if (ca == 0) return -1;
      if (cb == 0) return 1;
      return int{weights_[ca]} - int{weights_[cb]};
    }
    return 0;
  }
  for (std::size_t i = 0; i < limit; ++i) {
    uint8_t wa = weights_[ByteAt(a, i)];
    uint8_t wb = weights_[ByteAt(b, i)];
    if (wa != wb) {
      wa = upper_weight_[wa];
      wb = upper_weight_[wb];
      if (wa != wb) return int{wa} - int{wb};
    }
    if (wa == 0) return 0;
  }
  return 0;
}

int Collation::CompareFoldedFrom(const uint8_t* a, const uint8_t* b, std::size_t n,
                                 std::size_t i) const {
  for (; i < n; ++i) {
    uint8_t wa = weights_[a[i]];
    uint8_t wb = weights_[b[i]];
    if (wa != wb) {
      wa = upper_weight_[wa];
      wb = upper_weight_[wb];
      if (wa != wb) return int{wa} - int{wb};
    }
    if (wa == 0) return 0;
  }
  // Past the width both strings have ended: equal.
  return 0;
}

int Collation::CompareFallback(std::string_view a, std::string_view b, bool case_insensitive,
                               std::size_t limit) const {
  for (std::size_t i = 0; i < limit; ++i) {
    const uint8_t ra = ByteAt(a, i);
    const uint8_t rb = ByteAt(b, i);
    if (ra == 0 || rb == 0) return ra == rb ? 0 : (ra == 0 ? -1 : 1);
    const uint8_t ca = case_insensitive ? upper_byte_[ra] : ra;
    const uint8_t cb = case_insensitive ? upper_byte_[rb] : rb;
    if (ca == cb) continue;
    const int c = fallback_(ca, cb);
    if (c != 0) return c;
  }
  return 0;
}

uint32_t Collation::WideKey(uint16_t unit, bool case_insensitive) const {
  const std::optional<uint8_t> byte = platform::UnicodeToCp1254(unit);
  if (!byte) return 0x100u + unit;
  return weights_[case_insensitive ? wide_upper_[*byte] : *byte];
}

int Collation::CompareWide(std::string_view a, std::string_view b, bool case_insensitive,
                           long limit) const {
  std::size_t n = std::max(a.size(), b.size()) / 2 + 1;
  if (limit >= 0) n = std::min(n, static_cast<std::size_t>(limit));
  for (std::size_t i = 0; i < n; ++i) {
    const uint16_t ua = UnitAt(a, i);
    const uint16_t ub = UnitAt(b, i);
    if (ua == 0 || ub == 0) {
      if (ua == ub) return 0;
      return ua == 0 ? -1 : 1;
    }
    if (ua == ub) continue;
    const uint32_t ka = WideKey(ua, case_insensitive);
    const uint32_t kb = WideKey(ub, case_insensitive);
    if (ka != kb) return ka < kb ? -1 : 1;
  }
  return 0;
}

}  // namespace corvane::table
