#include "html/word_marker.h"

#include <optional>

#include "html/turkish_words.h"

namespace corvane::html {
namespace {

char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

}  // namespace

std::string RestoreCase(std::string_view word, std::string marked, char mark) {
  std::size_t j = 0;
  for (char c : word) {
    if (j < marked.size() && marked[j] == mark) ++j;
    if (j >= marked.size()) break;
    if (FoldAscii(marked[j]) == FoldAscii(c)) marked[j] = c;
    ++j;
  }
  return marked;
}

std::string CollapseMarks(std::string_view marked, char mark) {
  std::string out;
  out.reserve(marked.size());
  for (char c : marked) {
    if (c == mark && !out.empty() && out.back() == mark) continue;
    out.push_back(c);
  }
  return out;
}

std::string WordMarker::MarkedForm(const std::string& word, Language language) {
  if (word.empty()) return word;
  if (lookup_ != nullptr) {
    const std::string key = FoldAsciiLower(word);
    if (auto stored = lookup_->Find(key); stored && RemoveMarks(*stored) == key) {
      return RestoreCase(word, CollapseMarks(*stored));
    }
  }
  if (language == Language::kTurkish) {
    if (std::optional<std::string> marked = MarkTurkishWord(word)) return *marked;
  }
  engine_.SetInput(word);
  engine_.Hyphenate();
  std::string marked = engine_.OutPut();
  // The engine keeps the word's letters; should an odd exception entry not,
  // the word is left as it is rather than rewritten.
  if (RemoveMarks(marked) != word) return word;
  return marked;
}

}  // namespace corvane::html
