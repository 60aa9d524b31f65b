#include "html/word_lookup.h"

namespace corvane::html {

MapWordLookup::MapWordLookup(std::unordered_map<std::string, std::string> entries)
    : entries_(std::move(entries)) {}

void MapWordLookup::AddMarked(const std::string& marked) {
  const std::string folded = FoldAsciiLower(marked);
  entries_[RemoveMarks(folded)] = folded;
}

std::optional<std::string> MapWordLookup::Find(const std::string& key) {
  const auto it = entries_.find(key);
  if (it == entries_.end()) return std::nullopt;
  return it->second;
}

std::optional<std::string> ChainedWordLookup::Find(const std::string& key) {
  for (WordLookup* lookup : lookups_) {
    if (auto found = lookup->Find(key)) return found;
  }
  return std::nullopt;
}

std::string RemoveMarks(std::string_view marked, char mark) {
  std::string plain;
  plain.reserve(marked.size());
  for (char c : marked) {
    if (c != mark) plain.push_back(c);
  }
  return plain;
}

std::string FoldAsciiLower(std::string_view word) {
  std::string folded(word);
  for (char& c : folded) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  }
  return folded;
}

}  // namespace corvane::html
