#include "hyphenation/built_in_english.h"

#include <algorithm>
#include <set>
#include <string_view>

#include "hyphenation/pattern_matcher.h"
#include "hyphenation/pattern_table.h"

namespace corvane::hyphenation {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string LettersOnly(std::string_view pattern) {
  std::string letters;
  for (char c : pattern) {
    if (!IsDigit(c)) letters += c;
  }
  return letters;
}

}  // namespace

std::string BuiltInEnglishPatternText() {
  // The classic matcher walks each first character's run of the table and
  // keeps the first entry of each spelling; a set built from the same
  // entries gives the same levels, since levels only ever take a maximum.
  std::string text;
  std::set<std::string> seen;
  for (int k = 0; k < kFirstCharCount; ++k) {
    const char first = kFirstCharIndex[k].first;
    const int begin = kFirstCharIndex[k].entry;
    const int last = k + 1 < kFirstCharCount ? kFirstCharIndex[k + 1].entry - 1 : kFirstCharIndexEnd;
    for (int entry = std::max(begin, 1); entry <= std::min(last, kPatternCount); ++entry) {
      const std::string_view pattern = kPatterns[entry - 1];
      const std::string letters = LettersOnly(pattern);
      if (letters.empty() || letters[0] != first || letters.size() > PatternMatcher::kMaxLetters) continue;
      if (!seen.insert(letters).second) continue;
      text.append(pattern);
      text += '\n';
    }
  }
  return text;
}

std::shared_ptr<const PatternSet> BuiltInEnglishSet() {
  static const std::shared_ptr<const PatternSet> set = std::make_shared<const PatternSet>(
      PatternSet::FromTexText(BuiltInEnglishPatternText(), "h-e-ll-os", kBuiltInEnglishMinimums));
  return set;
}

}  // namespace corvane::hyphenation
