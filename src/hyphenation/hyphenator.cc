#include "hyphenation/hyphenator.h"

#include <algorithm>
#include <cstring>

#include "hyphenation/pattern_matcher.h"

namespace corvane::hyphenation {
namespace {

constexpr char kNotice[] = "Corvane syllable hyphenator. Patterns: hyphen.tex (TeX)";

char LowerAZ(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

uint64_t LengthBit(size_t length) { return uint64_t{1} << std::min<size_t>(length, 63); }

}  // namespace

TCorvaneHyphenator::TCorvaneHyphenator() : copyright_(kNotice) {
  // Pay for building the shared pattern structure here rather than on the
  // first word.
  PatternMatcher::Instance();
}

void TCorvaneHyphenator::SetExceptionList(const std::vector<std::string>& entries) {
  exceptions_ = entries;
  exception_index_valid_ = false;
}

void TCorvaneHyphenator::Hyphenate() {
  output_.clear();
  output_.reserve(input_.size() + input_.size() / 4);
  const std::string_view text = input_;
  size_t at = 0;
  while (at < text.size()) {
    if (text[at] == ' ') {
      output_ += ' ';
      ++at;
      continue;
    }
    size_t end = text.find(' ', at);
    if (end == std::string_view::npos) end = text.size();
    AppendMarked(text.substr(at, end - at), output_);
    at = end;
  }
}

std::string TCorvaneHyphenator::HyphenateWord(std::string_view word) {
  std::string result;
  AppendMarked(word, result);
  return result;
}

void TCorvaneHyphenator::AppendMarked(std::string_view word, std::string& out) {
  if (word.empty()) return;
  if (std::memchr(word.data(), '-', word.size()) != nullptr) {
    out.append(word);
    return;
  }
  if (!exceptions_.empty()) {
    if (const std::string* entry = FindException(word)) {
      AppendException(word, *entry, out);
      return;
    }
  }
  AppendFromPatterns(word, out);
}

const std::string* TCorvaneHyphenator::FindException(std::string_view word) {
  if (!exception_index_valid_ || exception_index_mark_ != mark_) {
    exception_index_.clear();
    exception_lengths_ = 0;
    for (size_t i = 0; i < exceptions_.size(); ++i) {
      std::string key = exceptions_[i];
      key.erase(std::remove(key.begin(), key.end(), mark_), key.end());
      exception_lengths_ |= LengthBit(key.size());
      exception_index_.emplace(std::move(key), i);  // the earlier entry wins
    }
    exception_index_valid_ = true;
    exception_index_mark_ = mark_;
  }
  if ((exception_lengths_ & LengthBit(word.size())) == 0) return nullptr;
  lowered_.assign(word);
  std::transform(lowered_.begin(), lowered_.end(), lowered_.begin(), LowerAZ);
  auto found = exception_index_.find(lowered_);
  return found == exception_index_.end() ? nullptr : &exceptions_[found->second];
}

// The entry's letters take the word's case position by position, stepping
// over at most one mark before each; where entry and word disagree (an entry
// with doubled marks) the entry's byte stays.
void TCorvaneHyphenator::AppendException(std::string_view word, const std::string& entry,
                                         std::string& out) const {
  const size_t base = out.size();
  out += entry;
  size_t at = base;
  for (char original : word) {
    if (at < out.size() && out[at] == mark_) ++at;
    if (at < out.size() && LowerAZ(out[at]) == LowerAZ(original)) out[at] = original;
    ++at;
  }
}

void TCorvaneHyphenator::AppendFromPatterns(std::string_view word, std::string& out) {
  const PatternMatcher& matcher = PatternMatcher::Instance();
  const size_t length = word.size();
  levels_.resize(length + 3);
  matcher.FindLevels(word, levels_.data());

  // levels_[i + 1] is the gap before word byte i; breaks need two bytes
  // before them and three after.
  size_t marks = 0;
  for (size_t i = 2; i + 3 <= length; ++i) marks += levels_[i + 1] & 1;
  const size_t base = out.size();
  out.resize(base + length + marks);
  char* to = out.data() + base;
  for (size_t i = 0; i < length; ++i) {
    if (i >= 2 && i + 3 <= length && (levels_[i + 1] & 1) != 0) *to++ = mark_;
    *to++ = word[i];
  }
}

}  // namespace corvane::hyphenation
