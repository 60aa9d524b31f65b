// Fixed byte tables for code page 1254 text: ASCII casing, the Turkish
// casing of the table engine, and the Turkish collation order.
//
// The tables are constants of the program; the references stay valid for
// the whole run.
//
// The Turkish case tables are those the table engine compares string keys
// with, and they differ from ordinary casing on purpose: upper case maps the
// blank (20) to the zero byte (00) and lower case maps the zero byte to the
// blank. The engine's case-insensitive comparison stops at a zero weight, so
// a trailing blank in one key against the end of the other compares equal.
// Nothing but that comparison should use these two tables; casing of text
// for people goes through AnsiCase (locale.h).
//
//   Turkish upper case          Turkish lower case
//   61-7A -> 41-5A, but 69->DD  41-5A -> 61-7A, but 49->FD
//   E0-F6 -> C0-D6              C0-D6 -> E0-F6
//   F9-FC -> D9-DC              D9-DC -> F9-FC
//   FD (ı) -> 49 (I)            DD (İ) -> 69 (i)
//   FE (ş) -> DE (Ş)            DE (Ş) -> FE (ş)
//   20 (blank) -> 00            00 -> 20 (blank)
//   every other byte, D7 D8 F7 F8 FF among them, maps to itself
#ifndef CORVANE_PLATFORM_CASE_TABLES_H_
#define CORVANE_PLATFORM_CASE_TABLES_H_

#include <array>
#include <cstdint>

namespace corvane::platform {

// Only A-Z / a-z change; for word keys, the hyphenation engine and tag names.
const std::array<uint8_t, 256>& AsciiUpperTable();
const std::array<uint8_t, 256>& AsciiLowerTable();

const std::array<uint8_t, 256>& TurkishUpperTable();
const std::array<uint8_t, 256>& TurkishLowerTable();

// The 256 byte values from lowest weight (0) to highest (255): each letter
// in lower case before upper case with its accented forms after it, dotless
// ı before I and i before İ, control characters before punctuation, the
// unassigned bytes last. A permutation of 0..255.
const std::array<uint8_t, 256>& TurkishCollationOrder();

// The inverse of TurkishCollationOrder: the weight of each byte.
const std::array<uint8_t, 256>& TurkishCollationWeights();

}  // namespace corvane::platform

#endif  // CORVANE_PLATFORM_CASE_TABLES_H_
