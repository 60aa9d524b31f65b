// Writes soft hyphens into the whole-word occurrences of a list of words.
//
// An occurrence of a word counts only when
//   - none of its bytes is markup (soft hyphens written here count as markup),
//   - the bytes just before and after it, where there are any, are not word
//     bytes,
//   - it is not directly preceded or followed by "&shy;".
// Words are taken in list order; each word's occurrences are taken leftmost
// first without overlap, judged on the text as it stands before that word's
// own soft hyphens are written. The result equals replacing the words one
// after another, but costs one scan of the text however many words there are.
#ifndef CORVANE_HTML_SOFT_HYPHEN_INSERTER_H_
#define CORVANE_HTML_SOFT_HYPHEN_INSERTER_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "html/markup.h"
#include "html/word_bytes.h"

namespace corvane::html {

inline constexpr std::string_view kSoftHyphen = "&shy;";

struct HyphenatedWord {
  std::string word;
  // Where the soft hyphens go: offsets into `word`, ascending; a soft hyphen at
  // offset k stands before byte k.
  std::vector<uint32_t> breaks;
};

// The offsets of the marks of a marked form, relative to its plain word.
std::vector<uint32_t> BreaksOfMarkedForm(std::string_view marked, char mark);

class SoftHyphenInserter {
 public:
  // `text` and `kinds` (one per byte) must outlive the inserter.
  SoftHyphenInserter(std::string_view text, const std::vector<ByteKind>& kinds,
                     const WordBytes& word_bytes);

  // Finds and takes the occurrences of `words` (distinct, in order) and
  // returns how many occurrences each word had taken.
  std::vector<std::size_t> Apply(const std::vector<HyphenatedWord>& words);

  // The text with a soft hyphen at every break of every occurrence taken.
  std::string Result() const;

 private:
  struct Occurrence {
    uint32_t word;
    std::size_t start;
  };

  bool IsWordByteAt(std::size_t i) const;
  bool HasBoundaries(std::size_t start, std::size_t end) const;
  void FindPlainWords(const std::vector<HyphenatedWord>& words, std::vector<Occurrence>& out) const;
  void FindWordsWithPunctuation(const std::vector<HyphenatedWord>& words,
                                std::vector<Occurrence>& out) const;

  std::string_view text_;
  const std::vector<ByteKind>& kinds_;
  const WordBytes& word_bytes_;
  bool HyphenAt(std::size_t i) const { return (hyphen_bits_[i >> 6] >> (i & 63)) & 1; }
  bool AnyHyphenIn(std::size_t first, std::size_t last) const;  // both ends included
  void AddHyphen(std::size_t i);

  // Bit i: a soft hyphen goes before byte i (i <= size). One bit per byte
  // keeps a 100 MB document's bookkeeping at 12 MB; the rare second soft
  // hyphen at one place is counted aside.
  std::vector<uint64_t> hyphen_bits_;
  std::unordered_map<std::size_t, std::size_t> extra_hyphens_;
  std::size_t hyphen_count_ = 0;
};

}  // namespace corvane::html

#endif  // CORVANE_HTML_SOFT_HYPHEN_INSERTER_H_
