// FastReplace: replace every occurrence of a string in a text.
//
// The search is Boyer-Moore-Horspool. A case-insensitive search compares bytes
// after mapping both through an upper-case table of 256 entries made once per
// process from the user's locale (ANSI upper-casing over code page 1254).
// Matches never overlap: after a match the search resumes behind it.
#ifndef CORVANE_HTML_FAST_REPLACE_H_
#define CORVANE_HTML_FAST_REPLACE_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace corvane::html {

using UpperTable = std::array<uint8_t, 256>;

// The process-wide upper-case table used when `case_sensitive` is false.
const UpperTable& FastReplaceUpperTable();

// Returns `source` with each occurrence of `search` replaced by `replacement`
// (which may be empty). An empty source or an empty search string gives the
// source unchanged. When `ReplaceCount` is given it receives the number of
// replacements made.
std::string FastReplace(std::string_view source, std::string_view search,
                        std::string_view replacement, bool case_sensitive,
                        std::size_t* ReplaceCount = nullptr);

// The same with an explicit upper-case table, for callers (and tests) that
// need another locale's casing.
std::string FastReplace(std::string_view source, std::string_view search,
                        std::string_view replacement, bool case_sensitive,
                        const UpperTable& upper, std::size_t* ReplaceCount);

// True when `search` occurs in `text` (case-sensitive, byte for byte).
bool Contains(std::string_view text, std::string_view search);

}  // namespace corvane::html

#endif  // CORVANE_HTML_FAST_REPLACE_H_
