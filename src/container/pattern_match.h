// Name matching shared by the file stores.
//
// Store names are compared the way the stored files' owners expect: letter
// case does not matter, but only for A-Z. Names are code page 1254 bytes on
// the way in and UTF-8 bytes on disk, so folding anything above 0x7F would
// need to know which; leaving those bytes alone keeps a name equal to itself
// in either encoding.
//
// Patterns know two wildcards: "*" stands for any run of characters (also
// none) and "?" for exactly one. Every other byte stands for itself. A dot is
// not special, so "*.dat" does not match "dat" and "*" matches names with or
// without an extension.
#ifndef CORVANE_CONTAINER_PATTERN_MATCH_H_
#define CORVANE_CONTAINER_PATTERN_MATCH_H_

#include <string>
#include <string_view>

namespace corvane::container {

// The byte with A-Z folded to a-z.
inline char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string FoldAscii(std::string_view text);

// Equal ignoring the case of A-Z.
bool SameName(std::string_view a, std::string_view b);

// Whether `name` matches `pattern` as a whole. Runs in O(name × pattern) at
// worst, whatever the number of stars, so a hostile pattern cannot hang a
// directory listing.
bool MatchesPattern(std::string_view name, std::string_view pattern);

// The name without its extension: everything from the last dot on is cut,
// unless that dot belongs to a leading directory part or starts the name.
std::string StripExtension(std::string_view name);

}  // namespace corvane::container

#endif  // CORVANE_CONTAINER_PATTERN_MATCH_H_
