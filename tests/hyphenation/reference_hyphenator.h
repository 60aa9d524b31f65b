// A deliberately plain hyphenator to check the engine against: the match
// table of (position, length) slots, the linear walk through a first
// character's run of the pattern table, the level pass and the
// case-restoring walk, each written the obvious way. The match table is
// sized to the word rather than fixed at 50 positions, so words of any
// length can be compared.
#ifndef CORVANE_TESTS_HYPHENATION_REFERENCE_HYPHENATOR_H_
#define CORVANE_TESTS_HYPHENATION_REFERENCE_HYPHENATOR_H_

#include <algorithm>
#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "hyphenation/pattern_table.h"

namespace corvane::hyphenation::reference {

inline bool IsDigit(char c) { return c >= '0' && c <= '9'; }
inline char Fold(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

inline const std::vector<std::string>& LettersOnlyForms() {
  static const std::vector<std::string> forms = [] {
    std::vector<std::string> all;
    for (std::string_view p : kPatterns) {
      std::string letters;
      for (char c : p) {
        if (!IsDigit(c)) letters += c;
      }
      all.push_back(letters);
    }
    return all;
  }();
  return forms;
}

// Entry number (1-based) whose letters-only form equals `text`, or 0.
inline int LookUp(std::string_view text) {
  for (int k = 0; k < kFirstCharCount; ++k) {
    if (kFirstCharIndex[k].first != text[0]) continue;
    const int last = k + 1 < kFirstCharCount ? kFirstCharIndex[k + 1].entry - 1 : kFirstCharIndexEnd;
    for (int entry = kFirstCharIndex[k].entry; entry <= last; ++entry) {
      const std::string& form = LettersOnlyForms()[entry - 1];
      if (form.size() == text.size() && form == text) return entry;
    }
    return 0;
  }
  return 0;
}

inline std::string HyphenateWord(std::string_view word, char mark, const std::vector<std::string>& exceptions) {
  if (word.empty()) return "";
  if (word.find('-') != std::string_view::npos) return std::string(word);
  std::string lower(word);
  for (char& c : lower) c = Fold(c);

  std::string result;
  bool excepted = false;
  for (const std::string& entry : exceptions) {
    std::string bare;
    for (char c : entry) {
      if (c != mark) bare += c;
    }
    if (bare == lower) {
      result = entry;
      excepted = true;
      break;
    }
  }

  const size_t len = lower.size();
  if (!excepted) {
    const std::string dotted = "." + lower + ".";
    const size_t n = dotted.size();
    std::vector<std::array<std::string_view, 6>> match(n + 1);  // [P][L - 1], P 1-based
    for (size_t length = 1; length <= 6; ++length) {
      for (size_t p = 1; p <= n; ++p) {
        if (int entry = LookUp(std::string_view(dotted).substr(p - 1, length))) {
          match[p][length - 1] = kPatterns[entry - 1];
        }
      }
    }
    std::vector<int> level(n + 2, 0);  // level[k]: gap before word character k
    for (size_t p = 1; p <= n; ++p) {
      for (size_t length = 6; length >= 1; --length) {
        size_t j = 0;
        for (char c : match[p][length - 1]) {
          if (IsDigit(c)) {
            level[p + j - 1] = std::max(level[p + j - 1], c - '0');
          } else {
            ++j;
          }
        }
      }
    }
    for (size_t k = 1; k <= len; ++k) {
      if (level[k] % 2 == 1 && k >= 3 && k + 2 <= len) result += mark;
      result += lower[k - 1];
    }
  }

  size_t at = 0;
  for (char original : word) {
    if (at < result.size() && result[at] == mark) ++at;
    if (at < result.size() && Fold(result[at]) == Fold(original)) result[at] = original;
    ++at;
  }
  return result;
}

// The token scan as written: pad with spaces, replace each token in place
// and resume after the inserted result, then drop the padding.
inline std::string Hyphenate(const std::string& input, char mark, const std::vector<std::string>& exceptions) {
  std::string text = " " + input + " ";
  size_t at = 0;
  while (at < text.size()) {
    while (at < text.size() && text[at] == ' ') ++at;
    if (at == text.size()) break;
    size_t end = text.find(' ', at);
    const std::string marked = HyphenateWord(std::string_view(text).substr(at, end - at), mark, exceptions);
    text.replace(at, end - at, marked);
    at += marked.size();
  }
  return text.substr(1, text.size() - 2);
}

}  // namespace corvane::hyphenation::reference

#endif  // CORVANE_TESTS_HYPHENATION_REFERENCE_HYPHENATOR_H_
