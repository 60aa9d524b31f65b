#include "html/unique_words.h"

#include "html/markup.h"

namespace corvane::html {

std::string_view TrimWord(std::string_view word) {
  if (!word.empty()) {
    switch (word.back()) {
      case ')': case ']': case '.': case ',': case ':': case ';': case '?': case '!':
        word.remove_suffix(1);
    }
  }
  if (!word.empty() && (word.front() == '(' || word.front() == '[')) word.remove_prefix(1);
  return word;
}

void UniqueWords::AddText(std::string_view text, Language language) {
  std::size_t i = 0;
  const std::size_t n = text.size();
  while (i < n) {
    while (i < n && IsWordSeparator(text[i])) ++i;
    std::size_t end = i;
    while (end < n && !IsWordSeparator(text[end])) ++end;
    if (end > i) AddWord(text.substr(i, end - i), language);
    i = end;
  }
}

void UniqueWords::AddWord(std::string_view word, Language language) {
  word = TrimWord(word);
  if (word.empty()) return;
  ++total_words_;
  if (word.size() < kMinWordLength) return;
  std::unordered_set<std::string_view>& seen = seen_[language == Language::kTurkish ? 1 : 0];
  if (seen.count(word)) return;
  words_.push_back({std::string(word), language});
  seen.insert(words_.back().word);
}

}  // namespace corvane::html
