// LikePattern: the "like" match of filter expressions.
//
// "%" matches any run of characters, the empty run included, wherever it
// stands (so 'a%%' matches "a" and '%%' the empty text); "_" matches any one
// character; every other character matches itself. Value and pattern must
// end together.
//
// Case-insensitively, two characters match exactly when the collation's
// case-insensitive comparison finds them equal: under a weight table when
// their upper-case weights agree (the Turkish tables pair i with İ and ı
// with I, as "=" does), without one when the fallback comparison says so.
// A plain difference of 32 between codes is not used: it would pair "1"
// with "Q" and "@" with "`".
//
// Wide-string values are matched on 16-bit units, case-insensitively
// through the collation's wide comparison of single units.
//
// A match runs in time proportional to value length x pattern length at
// worst and never allocates.
#ifndef CORVANE_TABLE_LIKE_PATTERN_H_
#define CORVANE_TABLE_LIKE_PATTERN_H_

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace corvane::table {

class Collation;

class LikePattern {
 public:
  // `collation` is the one the table compares by; it must outlive the
  // pattern (the locale collations live for the whole run).
  LikePattern(std::string_view pattern, bool case_insensitive, const Collation& collation);
  // A pattern over 16-bit units, for wide-string fields.
  LikePattern(std::u16string_view pattern, bool case_insensitive, const Collation& collation);

  bool Matches(std::string_view value) const;
  bool Matches(std::u16string_view value) const;

 private:
  // Case classes: two bytes match case-insensitively when their classes
  // are equal (the identity when case matters).
  std::array<uint8_t, 256> byte_class_{};
  std::string pattern_;
  std::u16string wide_pattern_;
  bool case_insensitive_ = false;
  const Collation* collation_ = nullptr;  // wide units are folded through it
};

}  // namespace corvane::table

#endif  // CORVANE_TABLE_LIKE_PATTERN_H_
