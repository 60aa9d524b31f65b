#include "hyphenation/hyphenator.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "hyphenation/pattern_matcher.h"

namespace corvane::hyphenation {
namespace {

constexpr char kNotice[] = "Corvane syllable hyphenator. Patterns: hyphen.tex (TeX)";

// The level codes are read eight at a time as the bytes of one integer.
static_assert(std::endian::native == std::endian::little);

char LowerAZ(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

uint64_t LengthBit(size_t length) { return uint64_t{1} << std::min<size_t>(length, 63); }

// Copies `n` bytes in words of eight: the destination has room for eight
// bytes past `n`, and the source is read past `n` only up to `readable_end`.
char* CopyBytes(char* to, const char* from, size_t n, const char* readable_end) {
  for (; n >= 8; n -= 8, to += 8, from += 8) std::memcpy(to, from, 8);
  if (n == 0) return to;
  if (readable_end - from >= 8) {
    std::memcpy(to, from, 8);
  } else {
    std::memcpy(to, from, n);
  }
  return to + n;
}

// The first space (or with kLines, LF) in [at, end), else end; eight bytes
// at a time while eight remain, a byte that equals neither having no bit
// set in `found`.
template <bool kLines>
const char* TokenEnd(const char* at, const char* end) {
  constexpr uint64_t kOnes = 0x0101010101010101ull;
  constexpr uint64_t kHighs = 0x8080808080808080ull;
  for (; end - at >= 8; at += 8) {
    uint64_t bytes;
    std::memcpy(&bytes, at, sizeof bytes);
    const uint64_t spaces = bytes ^ (kOnes * ' ');
    uint64_t found = (spaces - kOnes) & ~spaces;
    if constexpr (kLines) {
      const uint64_t lfs = bytes ^ (kOnes * '\n');
      found |= (lfs - kOnes) & ~lfs;
    }
    // Borrows make false finds only above a true one: the lowest is exact.
    found &= kHighs;
    if (found != 0) return at + std::countr_zero(found) / 8;
  }
  while (at < end && *at != ' ' && (!kLines || *at != '\n')) ++at;
  return at;
}

}  // namespace

// Pays for building the shared pattern structure here rather than on the
// first word.
TCorvaneHyphenator::TCorvaneHyphenator() : matcher_(&PatternMatcher::Instance()), copyright_(kNotice) {}

void TCorvaneHyphenator::SetExceptionList(const std::vector<std::string>& entries) {
  exceptions_ = entries;
  exception_index_valid_ = false;
}

void TCorvaneHyphenator::Hyphenate() {
  output_.clear();
  AppendMarkedTokens<false>(input_, output_);
}

std::string TCorvaneHyphenator::HyphenateWord(std::string_view word) {
  std::string result;
  if (word.empty()) return result;
  size_t used = 0;
  WriteWord(word, word.data() + word.size(), result, used);
  result.resize(used);
  return result;
}

void TCorvaneHyphenator::AppendMarkedLines(std::string_view text, std::string& out) {
  AppendMarkedTokens<true>(text, out);
  if (!text.empty() && text.back() != '\n') out += '\n';
}

// Tokens end at spaces, and with kLines at LF as well; the separators are
// copied as they stand.
template <bool kLines>
void TCorvaneHyphenator::AppendMarkedTokens(std::string_view text, std::string& out) {
  if (!exceptions_.empty() && (!exception_index_valid_ || exception_index_mark_ != mark_)) IndexExceptions();
  // Room for the usual share of marks at once; more is made as needed.
  size_t used = out.size();
  out.resize(used + text.size() + text.size() / 4 + kSlack);
  const char* at = text.data();
  const char* const end = at + text.size();
  while (at < end) {
    const char c = *at;
    if (c == ' ' || (kLines && c == '\n')) {
      if (out.size() - used < 1 + kSlack) out.resize(2 * out.size());
      out[used++] = c;
      ++at;
      continue;
    }
    const char* const word_end = TokenEnd<kLines>(at + 1, end);
    const std::string_view word(at, static_cast<size_t>(word_end - at));
    at = word_end;
    const size_t room = 2 * word.size() + kSlack;
    if (out.size() - used < room) out.resize(std::max(2 * out.size(), used + room));
    // Most words are of no length an exception has.
    if ((exception_lengths_ & LengthBit(word.size())) == 0 || exceptions_.empty()) {
      used = static_cast<size_t>(WriteFromPatterns(word, out.data() + used, end) - out.data());
    } else {
      WriteWord(word, end, out, used);
    }
  }
  out.resize(used);
}

// Writes the marked form of a non-empty word into `out` at `used`, making
// room as needed (kSlack bytes past the end, for the copies in words of
// eight), and moves `used` past it. Bytes of the word's buffer up to
// `readable_end` may be read.
void TCorvaneHyphenator::WriteWord(std::string_view word, const char* readable_end, std::string& out,
                                   size_t& used) {
  const std::string* entry = exceptions_.empty() ? nullptr : FindException(word);
  // A word with "-" stays as it is, whatever the list says; the pattern
  // path knows that too.
  if (entry != nullptr && std::memchr(word.data(), '-', word.size()) == nullptr) {
    MakeExceptionForm(word, *entry);
    if (out.size() - used < exception_form_.size() + kSlack) out.resize(used + exception_form_.size() + kSlack);
    std::memcpy(out.data() + used, exception_form_.data(), exception_form_.size());
    used += exception_form_.size();
    return;
  }
  const size_t room = 2 * word.size() + kSlack;
  if (out.size() - used < room) out.resize(std::max(2 * out.size(), used + room));
  used = static_cast<size_t>(WriteFromPatterns(word, out.data() + used, readable_end) - out.data());
}

void TCorvaneHyphenator::IndexExceptions() {
  exception_index_.clear();
  exception_lengths_ = 0;
  exception_firsts_.reset();
  exception_lasts_.reset();
  for (size_t i = 0; i < exceptions_.size(); ++i) {
    std::string key = exceptions_[i];
    key.erase(std::remove(key.begin(), key.end(), mark_), key.end());
    exception_lengths_ |= LengthBit(key.size());
    if (!key.empty()) {
      exception_firsts_.set(static_cast<unsigned char>(key.front()));
      exception_lasts_.set(static_cast<unsigned char>(key.back()));
    }
    exception_index_.emplace(std::move(key), i);  // the earlier entry wins
  }
  exception_index_valid_ = true;
  exception_index_mark_ = mark_;
}

const std::string* TCorvaneHyphenator::FindException(std::string_view word) {
  // The index follows the list and the mark; callers with many words check
  // this once.
  if (!exception_index_valid_ || exception_index_mark_ != mark_) IndexExceptions();
  if ((exception_lengths_ & LengthBit(word.size())) == 0 ||
      !exception_firsts_.test(static_cast<unsigned char>(LowerAZ(word.front()))) ||
      !exception_lasts_.test(static_cast<unsigned char>(LowerAZ(word.back())))) {
    return nullptr;
  }
  lowered_.assign(word);
  std::transform(lowered_.begin(), lowered_.end(), lowered_.begin(), LowerAZ);
  auto found = exception_index_.find(lowered_);
  return found == exception_index_.end() ? nullptr : &exceptions_[found->second];
}

// The entry's letters take the word's case position by position, stepping
// over at most one mark before each; where entry and word disagree (an entry
// with doubled marks) the entry's byte stays.
void TCorvaneHyphenator::MakeExceptionForm(std::string_view word, const std::string& entry) {
  std::string& form = exception_form_;
  form = entry;
  size_t at = 0;
  for (char original : word) {
    if (at < form.size() && form[at] == mark_) ++at;
    if (at < form.size() && LowerAZ(form[at]) == LowerAZ(original)) form[at] = original;
    ++at;
  }
}

char* TCorvaneHyphenator::WriteFromPatterns(std::string_view word, char* to, const char* readable_end) {
  const char* const from = word.data();
  const size_t length = word.size();
  // Most words have sixteen readable bytes after them, and then every piece
  // is copied sixteen bytes at a time, however short.
  if (readable_end - (from + length) >= 16) {
    return WritePieces(word, to, [](char* to, const char* from, size_t n) {
      for (; n > 16; n -= 16, to += 16, from += 16) std::memcpy(to, from, 16);
      std::memcpy(to, from, 16);
      return to + n;
    });
  }
  return WritePieces(word, to, [readable_end](char* to, const char* from, size_t n) {
    return CopyBytes(to, from, n, readable_end);
  });
}

template <typename Copy>
char* TCorvaneHyphenator::WritePieces(std::string_view word, char* to, Copy copy) {
  const char* const from = word.data();
  const size_t length = word.size();
  // Breaks need two bytes before them and three after, so a word of fewer
  // than five bytes has none.
  if (length < 5) return copy(to, from, length);
  if (scratch_.size() < length + PatternMatcher::kScratchExtra) {
    scratch_.assign(length + PatternMatcher::kScratchExtra, 0);
  }
  const uint8_t* codes = matcher_->FindLevelCodes(word, scratch_.data());
  if (codes == nullptr) return copy(to, from, length);

  // codes[i + 1] is the gap before word byte i, for i = 2 .. length - 3.
  const size_t last = length - 3;
  size_t copied = 0;
  for (size_t i = 2; i <= last; i += 8) {
    unsigned bits = PatternMatcher::OddBits(codes + i + 1);
    if (last - i < 7) bits &= (1u << (last - i + 1)) - 1;
    for (; bits != 0; bits &= bits - 1) {
      const size_t at = i + static_cast<size_t>(std::countr_zero(bits));
      to = copy(to, from + copied, at - copied);
      *to++ = mark_;
      copied = at;
    }
  }
  return copy(to, from + copied, length - copied);
}

}  // namespace corvane::hyphenation
