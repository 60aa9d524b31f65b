#include "hyphenation/word_reader.h"

#include <unicode/uchar.h>

#include <algorithm>
#include <string>

namespace corvane::hyphenation {
namespace {

constexpr size_t kJointMinimum = 2;

bool IsLetter(char32_t c) {
  if (c < 0x80) return (c | 0x20) >= U'a' && (c | 0x20) <= U'z';
  if (c == 0xFFFD) return false;
  const auto mask = U_GET_GC_MASK(static_cast<UChar32>(c));
  return (mask & (U_GC_L_MASK | U_GC_M_MASK)) != 0;
}

bool IsJoint(char32_t c) { return c == U'-' || c == U'\u2010' || c == U'/'; }

// The text as code points with their byte offsets (one more: the end).
struct Decoded {
  std::u32string points;
  std::vector<size_t> starts;
};

Decoded Decode(std::string_view text) {
  Decoded d;
  DecodeUtf8Into(text, d.points, &d.starts);
  d.starts.push_back(text.size());
  return d;
}

}  // namespace

std::vector<TextWord> ReadWords(std::string_view text, std::u32string_view inner) {
  const Decoded d = Decode(text);
  const std::u32string& p = d.points;
  auto inside = [&](size_t i) {
    return i > 0 && i + 1 < p.size() && IsLetter(p[i - 1]) && IsLetter(p[i + 1]) &&
           (inner.find(p[i]) != std::u32string_view::npos || IsJoint(p[i]));
  };
  std::vector<TextWord> words;
  size_t i = 0;
  while (i < p.size()) {
    if (!IsLetter(p[i])) {
      ++i;
      continue;
    }
    const size_t begin = i;
    while (i < p.size() && (IsLetter(p[i]) || inside(i))) ++i;
    words.push_back({d.starts[begin], d.starts[i]});
  }
  return words;
}

std::vector<size_t> WordBreaks(const PatternSet& set, std::string_view word, Minimums minimums, bool turkic) {
  // Work space kept between words: this runs once per word of a page.
  thread_local std::u32string lowered;
  thread_local std::vector<size_t> starts;
  thread_local std::vector<uint8_t> breaks;
  starts.clear();
  DecodeUtf8Into(word, lowered, &starts);
  starts.push_back(word.size());
  LowerInPlace(lowered, turkic);
  std::vector<size_t> out;
  size_t start = 0;
  for (size_t end = 0; end <= lowered.size(); ++end) {
    if (end < lowered.size() && !IsJoint(lowered[end])) continue;
    // A part between joints (or the word's ends) is a word of its own.
    Minimums m = minimums;
    if (start > 0) m.left = std::max<int>(m.left, kJointMinimum);
    if (end < lowered.size()) m.right = std::max<int>(m.right, kJointMinimum);
    const std::u32string_view part = std::u32string_view(lowered).substr(start, end - start);
    if (!part.empty()) {
      set.Breaks(part, m, breaks);
      for (size_t k = 1; k < part.size(); ++k) {
        if (breaks[k]) out.push_back(starts[start + k]);
      }
    }
    start = end + 1;
  }
  return out;
}

}  // namespace corvane::hyphenation
