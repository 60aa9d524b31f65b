// String collation of the table engine: 256 byte weights built once per
// process from the user's locale (the built-in Turkish order under 1055,
// else the platform's one-character comparison), with upper- and lower-case
// tables in weight space; when the weights are not a permutation of 0..255,
// comparisons fall back to the platform's string comparison.
//
// Turkish (1055): weights from platform::TurkishCollationWeights(), casing
// from the engine's Turkish case tables. Those tables map the blank to the
// zero byte, and the case-insensitive comparison stops where the first
// string's weight is zero, so "ab " and "ab c" both equal "ab" without
// regard to case. Keys were stored in that order; it must not be "fixed".
//
// Any other locale: there is no system collation to ask, so the platform's
// one-character comparison is defined here, for code page 1254 bytes, as the
// order of (code point of the lower-case form, upper case after lower case,
// code point of the byte itself), code points from Cp1254ToUnicode and
// casing from platform::AnsiCase::ForLocale(1033). It is a strict total
// order, so its weights always form a permutation: letters come as a A b B
// ..., accented letters after z in code point order. Casing in weight space
// comes from AnsiCase, which has no blank quirk.
//
// Wide strings (UTF-16LE code units, ended by a zero unit or the field's
// end) compare unit by unit through the same weights: a unit the code page
// holds weighs as its byte (case-insensitively, as the AnsiCase upper case
// of its byte), any other unit sorts after all of them by its value.
//
// Comparisons never allocate; a collation is immutable once built, and the
// locale collations live for the whole run.
#ifndef CORVANE_TABLE_COLLATION_H_
#define CORVANE_TABLE_COLLATION_H_

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string_view>

namespace corvane::table {

class Collation {
 public:
  using Table = std::array<uint8_t, 256>;
  // <0, 0, >0 as `a` sorts before, with, after `b`.
  using CharComparison = std::function<int(uint8_t a, uint8_t b)>;

  static const Collation& ForLocale(int locale_id);
  // For platform::UserLocaleId().
  static const Collation& User();
  // The locale collation whose Mark() is `mark`, or null when none has it:
  // a saved index names the order it was sorted in by its mark, and is
  // checked in that order whatever this process's locale.
  static const Collation* ForMark(uint64_t mark);
  // How people know this collation: "Turkish" or "US English" (the order
  // every other locale uses); "unnamed" for one made from a comparison.
  const char* Name() const;

  // A collation from a one-character comparison and byte casing tables,
  // built the way non-Turkish locales are: the weight of x is the number of
  // bytes that compare below x. When that is no permutation, string
  // comparison falls back to `compare` character by character.
  static Collation FromCharComparison(const CharComparison& compare, const Table& upper,
                                     const Table& lower);

  // Compares two strings, each ended by its zero byte or by its view's end:
  // case-sensitively by weights, or case-insensitively as the engine does
  // (unequal weights replaced by their upper-case weights; the comparison
  // ends where the first string's weight is zero). `limit` bounds the
  // characters compared (partial keys); negative = no limit.
  int Compare(std::string_view a, std::string_view b, bool case_insensitive, long limit = -1) const;

  // The same for two string fields of one width, read in place: the probe of
  // every index search comes through here, so it is inline.
  int CompareField(const uint8_t* a, const uint8_t* b, std::size_t width, bool case_insensitive,
                   long limit = -1) const {
    if (!uses_table_) {
      return Compare({reinterpret_cast<const char*>(a), width},
                     {reinterpret_cast<const char*>(b), width}, case_insensitive, limit);
    }
    const std::size_t n = limit >= 0 && static_cast<std::size_t>(limit) < width
                              ? static_cast<std::size_t>(limit)
                              : width;
    // Neighbouring keys share long prefixes: skip equal bytes eight at a
    // time while none of them ends the string. Equal bytes have equal
    // weights, and only the zero byte weighs zero when zero_first_.
    std::size_t i = 0;
    if (!case_insensitive || zero_first_) {
      constexpr uint64_t kOnes = 0x0101010101010101ull;
      constexpr uint64_t kHighs = 0x8080808080808080ull;
      for (; i + 8 <= n; i += 8) {
        uint64_t x;
        uint64_t y;
        std::memcpy(&x, a + i, 8);
        std::memcpy(&y, b + i, 8);
        const uint64_t stop = (x ^ y) | ((x - kOnes) & ~x & kHighs);
        if (stop != 0) {
          // The lowest flagged byte is exact: the first that differs or
          // ends the string. Go straight to it where bytes load in order.
          if constexpr (std::endian::native == std::endian::little) {
            i += static_cast<std::size_t>(std::countr_zero(stop)) / 8;
          }
          break;
        }
      }
    }
    if (case_insensitive) return CompareFoldedFrom(a, b, n, i);
    for (; i < n; ++i) {
      const uint8_t ca = a[i];
      const uint8_t cb = b[i];
      if (ca != cb) {
        if (ca == 0) return -1;
        if (cb == 0) return 1;
        return int{weights_[ca]} - int{weights_[cb]};
      }
      if (ca == 0) return 0;
    }
    return 0;
  }

  // Wide strings as raw UTF-16LE bytes (an odd last byte is ignored);
  // `limit` counts code units.
  int CompareWide(std::string_view a, std::string_view b, bool case_insensitive,
                  long limit = -1) const;

  // Eight characters of a string field packed into one number whose
  // unsigned order is the case-sensitive order of CompareField over those
  // characters: a byte per character, first character highest, the
  // terminator and everything after it (or past `width`) zero. Equal
  // prefixes say nothing about what follows unless they end in zero, in
  // which case both strings have ended and compare equal. Index searches
  // compare these before they touch a record. Meaningful only when
  // UsesTable().
  uint64_t Prefix(const uint8_t* field, std::size_t width) const {
    const std::size_t n = width < 8 ? width : 8;
    uint64_t p = 0;
    std::size_t i = 0;
    for (; i < n && field[i] != 0; ++i) p = (p << 8) | prefix_rank_[field[i]];
    return i == 0 ? 0 : p << (8 * (8 - i));
  }

  bool UsesTable() const { return uses_table_; }
  // A fingerprint of the order and casing (weights, case tables in weight
  // space, wide casing): two collations with the same mark sort and fold
  // every string alike. 0 for a collation without a table, whose order
  // lies in a function and cannot be named. Saved indexes carry it, so an
  // index sorted under this collation need not be checked again.
  uint64_t Mark() const { return mark_; }
  uint8_t Weight(uint8_t byte) const { return weights_[byte]; }
  // The byte of a weight, and the upper- and lower-case weight of a weight
  // (meaningful only when UsesTable()).
  uint8_t ByteOf(uint8_t weight) const { return bytes_[weight]; }
  uint8_t UpperWeight(uint8_t weight) const { return upper_weight_[weight]; }
  uint8_t LowerWeight(uint8_t weight) const { return lower_weight_[weight]; }

 private:
  Collation(const Table& weights, const Table& upper, const Table& lower, const Table& wide_upper,
            CharComparison fallback);

  // The case-insensitive rest of CompareField from position `i` on.
  int CompareFoldedFrom(const uint8_t* a, const uint8_t* b, std::size_t n, std::size_t i) const;
  int CompareTable(std::string_view a, std::string_view b, bool case_insensitive,
                   std::size_t limit) const;
  int CompareFallback(std::string_view a, std::string_view b, bool case_insensitive,
                      std::size_t limit) const;
  uint32_t WideKey(uint16_t unit, bool case_insensitive) const;

  bool uses_table_ = false;
  uint64_t mark_ = 0;
  bool zero_first_ = false;  // the zero byte, and only it, weighs zero
  std::array<uint8_t, 256> weights_{};
  std::array<uint8_t, 256> bytes_{};        // weight -> byte
  std::array<uint8_t, 256> upper_weight_{};  // in weight space
  std::array<uint8_t, 256> lower_weight_{};
  std::array<uint8_t, 256> upper_byte_{};  // byte casing the tables came from
  std::array<uint8_t, 256> wide_upper_{};  // casing for wide strings (no blank quirk)
  // Weights re-ranked so that only the terminator ranks zero: it ends a
  // string before any character whatever its own weight, and Prefix()
  // needs the zero for its padding.
  std::array<uint8_t, 256> prefix_rank_{};
  CharComparison fallback_;                // one-character order without a table
};

}  // namespace corvane::table

#endif  // CORVANE_TABLE_COLLATION_H_
