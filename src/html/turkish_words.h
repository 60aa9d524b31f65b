// The Turkish syllable rule as the passes apply it to whole words of a page.
//
//   - the rule itself (hyphenation/turkish_syllabifier.h): at least 2
//     letters before the first mark and after the last, any letter case,
//     dotted and dotless I included (HİÇBİR gives HİÇ_BİR, Irmak Ir_mak);
//   - in a word holding an apostrophe (' or code page 1254's ’) only the part
//     before the first one is marked, since what follows is a suffix spelled
//     apart (Ankara'dan gives An_ka_ra'dan);
//   - a word holding a digit or any other byte that is not a letter is not
//     for the rule (the caller falls back to the pattern engine);
//   - a word without a vowel gets no mark.
#ifndef CORVANE_HTML_TURKISH_WORDS_H_
#define CORVANE_HTML_TURKISH_WORDS_H_

#include <optional>
#include <string>
#include <string_view>

namespace corvane::html {

// The marked form of `word` by the rule, or nullopt when the word is not for it.
std::optional<std::string> MarkTurkishWord(std::string_view word, char mark = '_');

}  // namespace corvane::html

#endif  // CORVANE_HTML_TURKISH_WORDS_H_
