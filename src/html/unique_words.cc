#include "html/unique_words.h"

#include "html/markup.h"
#include "html/separator_mask.h"

namespace corvane::html {

void UniqueWords::AddText(std::string_view text, Language language) {
  ForEachSeparatedWord(text, [&](std::size_t start, std::size_t end) {
    AddWord(text.substr(start, end - start), language);
  });
}

void UniqueWords::AddWord(std::string_view word, Language language) {
  word = TrimWord(word);
  if (word.empty()) return;
  ++total_words_;
  if (word.size() < kMinWordLength) return;
  WordTable& seen = seen_[language == Language::kTurkish ? 1 : 0];
  const uint64_t hash = WordTable::Hash(word);
  if (seen.Find(word, hash) != WordTable::kAbsent) return;
  words_.push_back({std::string(word), language});
  seen.Insert(words_.back().word, hash, 0);
}

}  // namespace corvane::html
