#include "hyphenation/word_reader.h"

#include <unicode/uchar.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>

namespace corvane::hyphenation {
namespace {

constexpr size_t kJointMinimum = 2;

bool IsLetter(char32_t c) {
  if (c < 0x80) return (c | 0x20) >= U'a' && (c | 0x20) <= U'z';
  // Latin-1's letters and all of Latin Extended-A, which hold most letters
  // of European pages, answered without the character database.
  if (c < 0x100) return c >= 0xC0 ? c != 0xD7 && c != 0xF7 : c == 0xAA || c == 0xB5 || c == 0xBA;
  if (c < 0x180) return true;
  if (c == 0xFFFD) return false;
  const auto mask = U_GET_GC_MASK(static_cast<UChar32>(c));
  return (mask & (U_GC_L_MASK | U_GC_M_MASK)) != 0;
}

constexpr bool IsAsciiLetter(unsigned char b) { return static_cast<unsigned>((b | 0x20) - 'a') < 26u; }

// What one byte is to the scanner without decoding: most text is ASCII.
enum ByteClass : uint8_t { kOther = 0, kAsciiLetter = 1, kNonAscii = 2 };
constexpr std::array<uint8_t, 256> kByteClass = [] {
  std::array<uint8_t, 256> t{};
  for (int b = 0; b < 256; ++b) {
    t[b] = b >= 0x80 ? kNonAscii : IsAsciiLetter(static_cast<unsigned char>(b)) ? kAsciiLetter : kOther;
  }
  return t;
}();

bool IsJoint(char32_t c) { return c == U'-' || c == U'\u2010' || c == U'/'; }

}  // namespace

std::vector<TextWord> ReadWords(std::string_view text, std::u32string_view inner) {
  std::vector<TextWord> words;
  WordScanner scanner(text, inner);
  for (TextWord word; scanner.Next(word);) words.push_back(word);
  return words;
}

char32_t WordScanner::At(size_t at, size_t& length) const {
  const auto b = static_cast<unsigned char>(text_[at]);
  length = 1;
  if (b < 0x80) return b;
  const int extra = (b & 0xE0) == 0xC0 ? 1 : (b & 0xF0) == 0xE0 ? 2 : (b & 0xF8) == 0xF0 ? 3 : -1;
  if (extra < 0 || at + static_cast<size_t>(extra) >= text_.size()) return 0xFFFD;
  char32_t c = extra == 1 ? (b & 0x1F) : extra == 2 ? (b & 0x0F) : (b & 0x07);
  for (int k = 1; k <= extra; ++k) {
    const auto next = static_cast<unsigned char>(text_[at + static_cast<size_t>(k)]);
    if ((next & 0xC0) != 0x80) return 0xFFFD;
    c = (c << 6) | (next & 0x3F);
  }
  static constexpr char32_t kLeast[] = {0, 0x80, 0x800, 0x10000};
  if (c < kLeast[extra] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0xFFFD;
  length = static_cast<size_t>(extra) + 1;
  return c;
}

// Whether `c` at `at` (after a letter) joins two letters; `next` is then
// where the letter after it starts.
bool WordScanner::Inside(size_t at, char32_t c, size_t length, size_t& next) const {
  if (!IsJoint(c) && inner_.find(c) == std::u32string_view::npos) return false;
  next = at + length;
  if (next >= text_.size()) return false;
  size_t after = 0;
  return IsLetter(At(next, after));
}

bool WordScanner::Next(TextWord& word) {
  const size_t n = text_.size();
  size_t length = 0;
  const auto* bytes = reinterpret_cast<const unsigned char*>(text_.data());
  // A local position: the member would be stored back on every byte.
  size_t at = at_;
  while (at < n) {
    const uint8_t kind = kByteClass[bytes[at]];
    if (kind == kAsciiLetter) break;
    if (kind == kOther) {
      ++at;
      continue;
    }
    if (IsLetter(At(at, length))) break;
    at += length;
  }
  if (at >= n) {
    at_ = at;
    return false;
  }
  word.begin = at;
  while (at < n) {
    const uint8_t kind = kByteClass[bytes[at]];
    if (kind == kAsciiLetter) {
      ++at;
      continue;
    }
    // Most words end at a space or a stop, which joins nothing.
    if (kind == kOther && !IsJoint(bytes[at]) && (inner_.empty() || inner_.find(bytes[at]) == inner_.npos)) break;
    const char32_t c = At(at, length);
    if (IsLetter(c)) {
      at += length;
      continue;
    }
    size_t next = 0;
    if (!Inside(at, c, length, next)) break;
    at = next;
  }
  word.end = at_ = at;
  return true;
}

std::vector<size_t> WordBreaks(const PatternSet& set, std::string_view word, Minimums minimums, bool turkic,
                               const OwnBreaks* own) {
  // Work space kept between words: this runs once per distinct word of a page.
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
      if (own == nullptr || !(*own)(part, breaks)) set.Breaks(part, m, breaks);
      for (size_t k = 1; k < part.size(); ++k) {
        if (breaks[k]) out.push_back(starts[start + k]);
      }
    }
    start = end + 1;
  }
  return out;
}

}  // namespace corvane::hyphenation
