// Where the passes find the marked form of a word before asking the engine.
//
// A lookup answers for an exact, case-sensitive key (a word with A-Z folded to
// lower case) the marked form stored for it, "_" between its parts, or nothing.
// The word-list table serves it in the application; tests and the command-line
// tool use the in-memory map and the chain below.
#ifndef CORVANE_HTML_WORD_LOOKUP_H_
#define CORVANE_HTML_WORD_LOOKUP_H_

#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace corvane::html {

class WordLookup {
 public:
  virtual ~WordLookup() = default;
  // The marked form stored under `key`, if any. May throw corvane::Error; the
  // pass then ends without changing the text.
  virtual std::optional<std::string> Find(const std::string& key) = 0;
};

// Keys and marked forms held in memory.
class MapWordLookup : public WordLookup {
 public:
  MapWordLookup() = default;
  explicit MapWordLookup(std::unordered_map<std::string, std::string> entries);

  // Stores `marked` under its plain word (every "_" removed), folded A-Z.
  void AddMarked(const std::string& marked);
  void Add(const std::string& key, const std::string& marked) { entries_[key] = marked; }
  std::size_t size() const { return entries_.size(); }

  std::optional<std::string> Find(const std::string& key) override;

 private:
  std::unordered_map<std::string, std::string> entries_;
};

// Asks each lookup in turn; the first answer wins.
class ChainedWordLookup : public WordLookup {
 public:
  void Append(WordLookup* lookup) { lookups_.push_back(lookup); }
  std::optional<std::string> Find(const std::string& key) override;

 private:
  std::vector<WordLookup*> lookups_;
};

// The plain word of a marked form: every `mark` removed.
std::string RemoveMarks(std::string_view marked, char mark = '_');

// A-Z to a-z; every other byte (Turkish capitals too) unchanged.
std::string FoldAsciiLower(std::string_view word);

}  // namespace corvane::html

#endif  // CORVANE_HTML_WORD_LOOKUP_H_
