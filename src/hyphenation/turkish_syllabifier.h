// Turkish syllabification, in marked-word notation ("ki_tap"): the rule the
// word list was made with, and the passes' fallback for Turkish words the
// list lacks (an agglutinative language has more forms than any list).
//
// Rules (code page 1254 text):
//   - every syllable has exactly one vowel (a e ı i o ö u ü â î û);
//   - two vowels side by side split between them (sa_at);
//   - one consonant between vowels goes to the next syllable (ki_tap);
//   - of two or more, the last goes to the next syllable (kar_deş, Türk_çe);
//     "program" thus gives prog_ram, as the Turkish Language Association
//     writes it;
//   - consonants before the first vowel stay with the first syllable
//     (tren, spor, kral are one syllable) and those after the last vowel
//     with the last;
//   - no mark leaves a single letter before the first mark or after the last
//     (a_ra_ba gives ara_ba).
// Letters of both cases are recognised; everything else is a consonant.
#ifndef CORVANE_HYPHENATION_TURKISH_SYLLABIFIER_H_
#define CORVANE_HYPHENATION_TURKISH_SYLLABIFIER_H_

#include <cstdint>
#include <string>
#include <string_view>

namespace corvane::hyphenation {

bool IsTurkishVowel(uint8_t c);

// `word` with `mark` between its syllables.
std::string Syllabify(std::string_view word, char mark = '_');

}  // namespace corvane::hyphenation

#endif  // CORVANE_HYPHENATION_TURKISH_SYLLABIFIER_H_
