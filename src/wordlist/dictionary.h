// A user's own marked words ("ki_tap", one per line), consulted before the
// word list. The file may be UTF-8 or code page 1254; blank lines and lines
// starting with "#" are skipped.
//
// People write their entries in lower case and their pages in any case, and
// Turkish words carry suffixes after an apostrophe ("İstanbul’dan"). So an
// entry answers for its word in any letter case by the Turkish rules
// (KİTAPLARI, Kitapları and kitapları alike) and for the part of a word
// before an apostrophe, whatever else the page holds and in whatever order.
#ifndef CORVANE_WORDLIST_DICTIONARY_H_
#define CORVANE_WORDLIST_DICTIONARY_H_

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "html/word_lookup.h"

namespace corvane::wordlist {

class MyWords : public html::WordLookup {
 public:
  // One marked word, "_" between its parts, in code page 1254.
  void AddMarked(std::string_view marked);
  std::size_t size() const { return size_; }

  // `key` is a word with A-Z lower-cased, as the passes ask. The answer
  // carries the key's own letters with the entry's marks between them, so
  // that removing the marks gives the key back; a suffix after an
  // apostrophe stays unmarked.
  std::optional<std::string> Find(const std::string& key) override;

 private:
  std::optional<std::string> FindWhole(std::string_view key) const;

  // By the word folded so that every i, ı, I and İ look alike: the key the
  // passes ask with has already lost the difference between I and i. The
  // entries are in Turkish lower case, with their marks.
  std::unordered_map<std::string, std::vector<std::string>> entries_;
  std::size_t size_ = 0;
};

// Throws corvane::Error naming the line of a malformed entry.
MyWords ParseDictionary(std::string_view bytes);

MyWords LoadDictionary(const std::string& path);

}  // namespace corvane::wordlist

#endif  // CORVANE_WORDLIST_DICTIONARY_H_
