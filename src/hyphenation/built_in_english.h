// The built-in English patterns (data/hyphen.tex, as pattern_table.h holds
// them) as a pattern set over code points, for English read as Unicode words
// like every other language.
//
// The set holds exactly what the classic engine (hyphenator.h) can match,
// chosen by the build (tools/gen_english_patterns.cc):
// the entries its lookup reaches (at most PatternMatcher::kMaxLetters
// symbols, the first of two entries with the same letters) and its one
// exception word, "h-e-ll-os". With kBuiltInEnglishMinimums (two letters
// before a break, three after it, as the classic engine keeps) a lower-case
// word of a-z gets the classic engine's breaks; the set's minimums cut the
// exception's first break, which the classic engine keeps.
#ifndef CORVANE_HYPHENATION_BUILT_IN_ENGLISH_H_
#define CORVANE_HYPHENATION_BUILT_IN_ENGLISH_H_

#include <memory>

#include "hyphenation/pattern_set.h"

namespace corvane::hyphenation {

inline constexpr Minimums kBuiltInEnglishMinimums{2, 3};

// Compiled (or mapped from the pattern cache, pattern_cache.h) on first
// use, once per process; shared read-only by every thread.
std::shared_ptr<const PatternSet> BuiltInEnglishSet();

}  // namespace corvane::hyphenation

#endif  // CORVANE_HYPHENATION_BUILT_IN_ENGLISH_H_
