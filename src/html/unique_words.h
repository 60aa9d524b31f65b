// The distinct words of a text, in order of first appearance, each with the
// language of the stretch it was met in.
//
// There is no cap: a book-length document has more distinct words than any
// fixed table would hold, and every one of them deserves its soft hyphens.
// Memory grows with the text.
#ifndef CORVANE_HTML_UNIQUE_WORDS_H_
#define CORVANE_HTML_UNIQUE_WORDS_H_

#include <cstddef>
#include <deque>
#include <string>
#include <string_view>

#include "html/language.h"
#include "html/word_table.h"

namespace corvane::html {

struct UniqueWord {
  std::string word;
  Language language;
  bool operator==(const UniqueWord&) const = default;
};

class UniqueWords {
 public:
  static constexpr std::size_t kMinWordLength = 3;

  // Splits `text` at spaces, tabs, CRs and LFs and takes each word: one
  // trailing ")", "]", ".", ",", ":", ";", "?" or "!" is dropped, then one
  // leading "(" or "["; what is left counts as a word when not empty, and
  // joins the table when it has at least 3 bytes and is new in `language`
  // (the same word in a Turkish and an English stretch is two entries).
  void AddText(std::string_view text, Language language = Language::kEnglish);

  UniqueWords() = default;
  UniqueWords(const UniqueWords&) = delete;  // seen_ points into words_
  UniqueWords& operator=(const UniqueWords&) = delete;

  // A deque, so that the views in seen_ stay valid as it grows.
  const std::deque<UniqueWord>& words() const { return words_; }
  std::size_t total_words() const { return total_words_; }

 private:
  void AddWord(std::string_view word, Language language);

  std::deque<UniqueWord> words_;
  WordTable seen_[2];  // by language
  std::size_t total_words_ = 0;
};

// `word` with one trailing and one leading punctuation byte trimmed.
inline std::string_view TrimWord(std::string_view word) {
  if (!word.empty()) {
    switch (word.back()) {
      case ')': case ']': case '.': case ',': case ':': case ';': case '?': case '!':
        word.remove_suffix(1);
    }
  }
  if (!word.empty() && (word.front() == '(' || word.front() == '[')) word.remove_prefix(1);
  return word;
}

}  // namespace corvane::html

#endif  // CORVANE_HTML_UNIQUE_WORDS_H_
