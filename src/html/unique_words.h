// The distinct words of a text, in order of first appearance.
#ifndef CORVANE_HTML_UNIQUE_WORDS_H_
#define CORVANE_HTML_UNIQUE_WORDS_H_

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace corvane::html {

class UniqueWords {
 public:
  static constexpr std::size_t kMaxUniqueWords = 10000;
  static constexpr std::size_t kMinWordLength = 3;

  // Splits `text` at spaces, tabs, CRs and LFs and takes each word: one
  // trailing ")", "]", ".", ",", ":", ";", "?" or "!" is dropped, then one
  // leading "(" or "["; what is left counts as a word when not empty, and
  // joins the table when it has at least 3 bytes, is new, and the table is
  // not full.
  void AddText(std::string_view text);

  UniqueWords() = default;
  UniqueWords(const UniqueWords&) = delete;  // seen_ points into words_
  UniqueWords& operator=(const UniqueWords&) = delete;

  const std::vector<std::string>& words() const { return words_; }
  std::size_t total_words() const { return total_words_; }

 private:
  void AddWord(std::string_view word);

  std::vector<std::string> words_;
  std::unordered_set<std::string_view> seen_;  // views into words_ elements
  std::size_t total_words_ = 0;
};

// `word` with one trailing and one leading punctuation byte trimmed.
std::string_view TrimWord(std::string_view word);

}  // namespace corvane::html

#endif  // CORVANE_HTML_UNIQUE_WORDS_H_
