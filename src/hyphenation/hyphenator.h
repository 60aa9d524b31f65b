// TCorvaneHyphenator: finds the syllable breaks of words and writes each word
// back with a mark character between its parts ("hyphenation" becomes
// "hy_phen_ation").
//
// Breaks come from Liang's pattern method over the built-in US-English TeX
// patterns (pattern_table.h), unless the word is in the owner's exception
// list. The engine knows nothing of HTML: the hyphenation passes turn the
// marks into soft hyphens themselves. Text is single-byte code page 1254;
// the patterns hold only a-z, so Turkish letters (and any other byte) match
// nothing and simply interrupt the stretches that patterns can see.
//
// Marked-word notation: the word's bytes in order with Mark() between two
// parts, as in "h_e_ll_os"; removing every mark gives the word.
//
// How one word is marked (HyphenateWord):
//   - an empty word gives an empty result; a word containing "-" anywhere
//     comes back unchanged (the passes hide "_" as "+123-", and such tokens
//     must pass through untouched);
//   - the word is lower-cased for matching, "A"-"Z" only; the capitals
//     Ç Ğ İ Ö Ş Ü stay as they are and match nothing;
//   - the exception list is searched in order: the first entry that, with
//     every Mark() byte removed, equals the lower-cased word gives the
//     result, its marks kept wherever they stand. An entry containing
//     "A"-"Z", or written with another mark than the current Mark(), thus
//     never matches;
//   - otherwise every pattern of at most 6 letters found in "." + word + "."
//     sets each gap to the largest digit placed there, and a mark goes
//     before character k (1-based) when its gap is odd and 3 <= k <= len-2:
//     at least 2 characters before a break and 3 after it, so words under
//     5 characters get no pattern marks;
//   - the result takes the word's own case: its letters are the word's
//     bytes, with one mark stepped over where the result has one.
//
// Words of any length are marked whole; work buffers grow with the word.
//
// A word that holds the Mark() byte itself (after "A"-"Z" lowering): the
// pattern path returns the word's own bytes, its mark bytes included, with
// the pattern marks inserted, so its capitals survive; such a word can never
// equal a mark-stripped exception entry. The passes never use these results.
//
// Ownership and threads: the instance owns its strings and a copy of the
// exception list. The pattern lookup structure is built once per process
// and shared read-only by all instances. An instance is single-threaded and
// not re-entrant; distinct instances may run on distinct threads.
#ifndef CORVANE_HYPHENATION_HYPHENATOR_H_
#define CORVANE_HYPHENATION_HYPHENATOR_H_

#include <bitset>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace corvane::hyphenation {

class PatternMatcher;

class TCorvaneHyphenator {
 public:
  TCorvaneHyphenator();

  // Text to hyphenate: tokens separated by spaces (byte 32) only; tabs, line
  // breaks, digits and punctuation belong to the token they stand in.
  const std::string& Input() const { return input_; }
  void SetInput(std::string input) { input_ = std::move(input); }

  // Result of the last Hyphenate(); read-only, so writing is ignored.
  const std::string& OutPut() const { return output_; }
  void SetOutPut(const std::string&) {}

  // Byte written between the parts of a word; "_" at construction. Takes
  // effect at the next call, for the exception entries as well.
  char Mark() const { return mark_; }
  void SetMark(char mark) { mark_ = mark; }

  // Fixed notice; informational only, writing is ignored.
  const std::string& copyright() const { return copyright_; }
  void SetCopyright(const std::string&) {}

  // Words in marked-word notation whose breaks override the patterns.
  // Assigning replaces the whole list with a copy of the given entries.
  const std::vector<std::string>& ExceptionList() const { return exceptions_; }
  void SetExceptionList(const std::vector<std::string>& entries);

  // Replaces every space-separated token of Input() by its marked form and
  // stores the text in OutPut(); runs of spaces stay exactly where they were.
  void Hyphenate();

  // The marked form of one word.
  std::string HyphenateWord(std::string_view word);

  // Appends to `out` each line of `text` as Hyphenate() would leave it in
  // OutPut(), each followed by LF: lines end with LF, and a final LF starts
  // no further line. Spares a caller with many lines the copies of Input()
  // and OutPut().
  void AppendMarkedLines(std::string_view text, std::string& out);

 private:
  template <bool kLines>
  void AppendMarkedTokens(std::string_view text, std::string& out);
  void WriteWord(std::string_view word, const char* readable_end, std::string& out, size_t& used);
  // Writes the pattern form of a word at `to` and returns its end. `to` has
  // room for twice the word and kSlack bytes more; bytes of the word's
  // buffer up to `readable_end` may be read.
  char* WriteFromPatterns(std::string_view word, char* to, const char* readable_end);
  template <typename Copy>
  char* WritePieces(std::string_view word, char* to, Copy copy);
  void MakeExceptionForm(std::string_view word, const std::string& entry);
  const std::string* FindException(std::string_view word);
  void IndexExceptions();

  static constexpr size_t kSlack = 16;

  const PatternMatcher* matcher_;
  std::string input_;
  std::string output_;
  char mark_ = '_';
  std::string copyright_;
  std::vector<std::string> exceptions_;

  // Exception entries with their marks removed, each to the number of the
  // first entry that gives it; rebuilt when the list or the mark has changed
  // since the last lookup.
  std::unordered_map<std::string, size_t> exception_index_;
  // Bit min(length, 63) set for each key length, and the first and last
  // bytes of the keys, so that most words skip the lowering and hashing
  // altogether.
  uint64_t exception_lengths_ = 0;
  std::bitset<256> exception_firsts_;
  std::bitset<256> exception_lasts_;
  bool exception_index_valid_ = false;
  char exception_index_mark_ = '_';

  // Per-word work space, kept to avoid allocating for every word.
  std::string lowered_;
  std::string exception_form_;
  std::vector<uint8_t> scratch_;
};

}  // namespace corvane::hyphenation

#endif  // CORVANE_HYPHENATION_HYPHENATOR_H_
