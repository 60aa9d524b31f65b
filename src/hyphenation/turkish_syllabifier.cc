#include "hyphenation/turkish_syllabifier.h"

#include <vector>

namespace corvane::hyphenation {
namespace {

// Fewest letters a hyphenated piece may keep at either end of the word.
constexpr std::size_t kMinPiece = 2;

}  // namespace

bool IsTurkishVowel(uint8_t c) {
  switch (c) {
    case 'a': case 'e': case 'i': case 'o': case 'u':
    case 'A': case 'E': case 'I': case 'O': case 'U':
    case 0xFD:  // ı
    case 0xDD:  // İ
    case 0xF6: case 0xD6:  // ö Ö
    case 0xFC: case 0xDC:  // ü Ü
    case 0xE2: case 0xC2:  // â Â
    case 0xEE: case 0xCE:  // î Î
    case 0xFB: case 0xDB:  // û Û
      return true;
    default:
      return false;
  }
}

std::string Syllabify(std::string_view word, char mark) {
  std::vector<std::size_t> vowels;
  for (std::size_t i = 0; i < word.size(); ++i) {
    if (IsTurkishVowel(static_cast<uint8_t>(word[i]))) vowels.push_back(i);
  }
  // A break before byte `at` for each pair of neighbouring vowels.
  std::vector<std::size_t> breaks;
  for (std::size_t k = 1; k < vowels.size(); ++k) {
    const std::size_t prev = vowels[k - 1];
    const std::size_t next = vowels[k];
    const std::size_t at = next - prev == 1 ? next : next - 1;
    if (at >= kMinPiece && word.size() - at >= kMinPiece) breaks.push_back(at);
  }
  std::string out;
  out.reserve(word.size() + breaks.size());
  std::size_t b = 0;
  for (std::size_t i = 0; i < word.size(); ++i) {
    if (b < breaks.size() && breaks[b] == i) {
      out += mark;
      ++b;
    }
    out += word[i];
  }
  return out;
}

}  // namespace corvane::hyphenation
