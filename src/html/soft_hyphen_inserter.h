// Writes soft hyphens into the whole-word occurrences of a list of words.
//
// Occurrences are sought in the decoded view of the page (letter references
// read as their letters) and the soft hyphens written into its source between
// whole characters. An occurrence of a word counts only when
//   - none of its bytes is markup (soft hyphens written here count as markup),
//   - the bytes just before and after it, where there are any, are not word
//     bytes,
//   - it is not directly preceded or followed by a soft hyphen of the form
//     being written,
//   - it stands in a stretch of the word's language.
// Words are taken in list order; each word's occurrences are taken leftmost
// first without overlap, judged on the text as it stands before that word's
// own soft hyphens are written. The result equals replacing the words one
// after another, but costs one scan of the text however many words there are.
#ifndef CORVANE_HTML_SOFT_HYPHEN_INSERTER_H_
#define CORVANE_HTML_SOFT_HYPHEN_INSERTER_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "html/decoded_view.h"
#include "html/language.h"
#include "html/markup.h"
#include "html/word_bytes.h"

namespace corvane::html {

inline constexpr std::string_view kSoftHyphen = "&shy;";

struct HyphenatedWord {
  std::string word;
  // Where the soft hyphens go: offsets into `word`, ascending; a soft hyphen at
  // offset k stands before byte k.
  std::vector<uint32_t> breaks;
  Language language = Language::kEnglish;
};

// The offsets of the marks of a marked form, relative to its plain word.
std::vector<uint32_t> BreaksOfMarkedForm(std::string_view marked, char mark);

class SoftHyphenInserter {
 public:
  // `view`, `word_bytes` and `languages` (in view offsets; English all
  // through when not given) must outlive the inserter.
  SoftHyphenInserter(const DecodedView& view, const WordBytes& word_bytes,
                     const LanguageMap* languages = nullptr);

  // What is written at each break: "&shy;" unless set (soft_hyphen_form.h).
  // `text` must outlive the inserter.
  void SetSoftHyphen(std::string_view text) { soft_hyphen_ = text; }

  // Finds and takes the occurrences of `words` (distinct, in order) and
  // returns how many occurrences each word had taken.
  std::vector<std::size_t> Apply(const std::vector<HyphenatedWord>& words);

  // Soft hyphens the result holds beyond the source's.
  std::size_t HyphenCount() const { return hyphen_count_; }

  // The source with a soft hyphen at every break of every occurrence taken.
  std::string Result() const;
  // The same handed to `sink` in order, in pieces, so that a large result is
  // never held whole. A piece stays valid only during the call.
  using ResultSink = std::function<void(std::string_view piece)>;
  void WriteResult(const ResultSink& sink) const;

 private:
  struct Occurrence {
    uint32_t word;
    std::size_t start;
  };
  // The words of one spelling, by language; -1 where there is none.
  using WordsBySpelling = std::array<int32_t, 2>;

  bool IsWordByteAt(std::size_t i) const;
  // The word of `spelling` for the language at `start`, or -1.
  int32_t WordAt(const WordsBySpelling& spelling, std::size_t start) const;
  bool HasBoundaries(std::size_t start, std::size_t end) const;
  struct Span {
    std::size_t first;
    std::size_t last;  // included
  };
  // The stretches [start, start + length] of found[from...], merged, in order.
  static void GuardedSpans(const std::vector<HyphenatedWord>& words, const std::vector<Occurrence>& found,
                           std::size_t from, std::vector<Span>& spans);
  // Calls `on_piece` with the stretches of the source and the soft hyphens
  // between them, in order.
  template <typename OnPiece>
  void ForEachPiece(OnPiece&& on_piece) const;
  class Matchers;
  // Calls `on_token(start, end)` for each stretch of text bytes between
  // separators and markup, in order.
  template <typename OnToken>
  void ForEachToken(OnToken&& on_token) const;
  void ScanToken(const Matchers& matchers, const std::vector<HyphenatedWord>& words, std::size_t start,
                 std::size_t end, std::vector<std::size_t>& counts,
                 std::vector<Occurrence>& deferred, std::vector<Span>& guarded);
  void FindWordsWithPunctuation(const Matchers& matchers, std::size_t start, std::size_t end,
                                std::vector<Occurrence>& out) const;

  const DecodedView& view_;
  std::string_view text_;
  const WordBytes& word_bytes_;
  const LanguageMap* languages_;
  std::string_view soft_hyphen_ = kSoftHyphen;
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
