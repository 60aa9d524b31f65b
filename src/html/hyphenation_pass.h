// The hyphenation passes: a text in, the same text with "&shy;" between the
// syllables of its words out.
//
// Both passes collect the distinct words of the text runs (never of markup),
// find each word's marked form (word list first, then the engine), and write
// soft hyphens into every whole-word occurrence that is not markup:
//   HyphenateDocument  the whole document, read line by line as an editor's
//                      line list gives it; reports "Unique Words N" and
//                      "Done" in the status bar, and beeps.
//   HyphenateText      a selection, handed to the tokenizer as one line;
//                      reports its counters and progress in the status
//                      window and replaces only words whose marked form has
//                      a mark.
// A word neither the lookup nor the user's dictionary holds is marked by the
// rule of its language (language.h): the Turkish syllable rule in Turkish
// stretches, the engine in English ones. The setting is automatic unless
// set otherwise.
// The result depends only on the text and the word list: hyphenating again
// after removing the soft hyphens gives the same text. Underscores in the
// text are left alone; words holding one, or holding "&" after decoding (an
// unknown or unterminated reference), are counted but never changed.
#ifndef CORVANE_HTML_HYPHENATION_PASS_H_
#define CORVANE_HTML_HYPHENATION_PASS_H_

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "html/exclusions.h"
#include "html/language.h"
#include "html/pass_observer.h"
#include "html/soft_hyphen_form.h"
#include "html/soft_hyphen_inserter.h"
#include "html/unique_words.h"
#include "html/word_bytes.h"
#include "html/word_lookup.h"
#include "hyphenation/hyphenator.h"

namespace corvane::html {

class HyphenationPass {
 public:
  // `engine` (with Mark "_") is required; `lookup` and `observer` may be null.
  // None is owned; all must outlive the pass object.
  HyphenationPass(hyphenation::TCorvaneHyphenator& engine, WordLookup* lookup,
                  PassObserver* observer);

  // Bytes that count as letters beyond the usual ones (the stand-in for
  // characters the code page cannot hold, when the text came from UTF-8).
  void AddWordByte(uint8_t byte) { word_bytes_.Add(byte); }

  // Language::kAuto (the default), kTurkish or kEnglish.
  void SetLanguage(Language language) { language_ = language; }
  Language language() const { return language_; }
  // Under kAuto, the language of text outside every lang scope when the
  // page's maker declared it (an e-book's own language), instead of the
  // guess from the page's letters.
  void SetPageLanguage(std::optional<Language> page) { page_language_ = page; }

  // How lang values read beyond English and Turkish (language.h); stretches
  // in other languages are then left to the pattern sets. `reading` must
  // outlive the pass.
  void SetTagReading(const TagReading* reading) { tag_reading_ = reading; }

  // Words of fewer letters are left whole; none by default.
  void SetMinWordLength(std::size_t letters) { min_word_length_ = letters; }

  // Which elements keep their text whole (exclusions.h); the built-in rules
  // when not set. `rules` must outlive the pass.
  void SetExclusions(const ExclusionRules* rules) { exclusions_ = rules; }

  // For a pass over a selection: the text before it, whose open elements
  // may keep the selection whole. Must outlive the pass's runs.
  void SetPrecedingText(std::string_view text) { preceding_text_ = text; }

  // How soft hyphens are written (soft_hyphen_form.h); "&shy;" by default.
  void SetSoftHyphenForm(SoftHyphenForm form) { soft_hyphen_form_ = form; }

  std::string HyphenateDocument(std::string_view document);
  // `input` taken as a whole text.
  std::string HyphenateText(std::string_view input);
  // `input` as a selection of a larger text, starting in the language state
  // `at_start` (LanguageScopesAt of the whole text).
  std::string HyphenateText(std::string_view input, const LanguageScopes& at_start);

  // The same two passes handing the result to `sink` in order, in pieces
  // (each valid only during the call), so that the result of a large
  // document is never held whole; the counters and reports are the same.
  using ResultSink = SoftHyphenInserter::ResultSink;
  void HyphenateDocument(std::string_view document, const ResultSink& sink);
  void HyphenateText(std::string_view input, const ResultSink& sink);

  // The language state the last pass started in, and whether any of its
  // stretches was in a language it left alone (Language::kOther).
  const std::optional<LanguageScopes>& StartState() const { return start_state_; }
  bool LeftOtherLanguages() const { return left_other_languages_; }

  // Figures of the last pass.
  std::size_t UniqueWordCount() const { return unique_word_count_; }
  std::size_t TotalWords() const { return total_words_; }
  // Of TotalWords, those read in kEnglish or kTurkish stretches.
  std::size_t TotalWords(Language language) const {
    return language == Language::kTurkish ? turkish_words_ : total_words_ - turkish_words_;
  }
  std::size_t WordsHyphenated() const { return words_hyphenated_; }
  std::size_t SoftHyphensWritten() const { return soft_hyphens_written_; }

 private:
  enum class Form { kDocument, kText };
  // Returns the result, or hands it to `sink` (and returns nothing) when given.
  std::string Run(std::string_view text, Form form, const LanguageScopes* at_start,
                  const ResultSink* sink = nullptr);
  LanguageScopes StartingScopes(std::string_view text, const std::vector<ByteKind>& kinds,
                                const LanguageScopes* at_start) const;
  // The words of `words` that get soft hyphens, with their breaks.
  std::vector<HyphenatedWord> MarkWords(const UniqueWords& words, Form form, PassObserver& observer);

  hyphenation::TCorvaneHyphenator& engine_;
  WordLookup* lookup_;
  PassObserver* observer_;
  PassObserver quiet_observer_;
  WordBytes word_bytes_;
  Language language_ = Language::kAuto;
  std::optional<Language> page_language_;
  const ExclusionRules* exclusions_ = nullptr;
  const TagReading* tag_reading_ = nullptr;
  std::size_t min_word_length_ = 0;
  std::optional<LanguageScopes> start_state_;
  bool left_other_languages_ = false;
  std::string_view preceding_text_;
  SoftHyphenForm soft_hyphen_form_ = SoftHyphenForm::kEntity;
  std::size_t unique_word_count_ = 0;
  std::size_t total_words_ = 0;
  std::size_t turkish_words_ = 0;
  std::size_t words_hyphenated_ = 0;
  std::size_t soft_hyphens_written_ = 0;
};

// Turns every line break (LF, CR LF, CR) into one LF, a CR LF's CR into a
// space, in place: the form in which the whole-document pass hands a
// document's lines to the tokenizer.
void JoinEditorLines(std::string& text);

// n / count x 100 rounded to the nearest whole number, halves to even.
int ProgressPercent(std::size_t n, std::size_t count);

}  // namespace corvane::html

#endif  // CORVANE_HTML_HYPHENATION_PASS_H_
