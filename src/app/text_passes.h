// The hyphenation commands' work on editor text: the engine set up as the
// editor uses it, the user's own words first, then the word list, and the
// toggles, with the text carried to and from code page 1254. Stretches in
// languages other than Turkish and English are hyphenated afterwards by
// their installed pattern sets, in the editor's Unicode text.
#ifndef CORVANE_APP_TEXT_PASSES_H_
#define CORVANE_APP_TEXT_PASSES_H_

#include <QString>
#include <optional>

#include "app/editor_text.h"
#include "app/page_language.h"
#include "ebook/book_pass.h"
#include "html/exclusions.h"
#include "html/language.h"
#include "html/page_languages.h"
#include "html/pattern_language_pass.h"
#include "html/pass_observer.h"
#include "html/toggles.h"
#include "html/word_lookup.h"
#include "hyphenation/hyphenator.h"
#include "wordlist/dictionary.h"
#include "wordlist/word_list_access.h"

namespace corvane::app {

// The selection [start, end) of `text` grown to whole words, so that a
// selection cutting a word hyphenates the word and not a fragment of it.
// Words are what the passes take for words; a soft hyphen between letters
// ("&shy;" or the character) joins them. An empty selection stays empty.
struct TextRange {
  qsizetype start = 0;
  qsizetype end = 0;
};
TextRange WholeWords(const QString& text, TextRange selection, bool utf8_document);

class TextPasses {
 public:
  // `word_list` is not owned and may be closed: its lookups then fail with
  // the engine's message, which ends the pass without a change.
  explicit TextPasses(wordlist::TWordList& word_list);

  // An installed language whose patterns are gone reads its pages' words
  // as having none.
  void SetLanguage(const PageLanguage& language);
  const PageLanguage& Language() const { return language_; }
  void SetMyWords(wordlist::MyWords words) { my_words_ = std::move(words); }
  // Elements kept whole beyond the built-in ones (exclusions.h); throws
  // corvane::Error for a selector it cannot read, keeping the old ones.
  void SetNeverHyphenate(const QString& selectors);
  // An XML document (XHTML, SVG) gets the soft hyphen XML reads.
  void SetXmlDocument(bool xml) { xml_document_ = xml; }

  // Every content document of the book at `input` into `output`, by the
  // classic pass alone.
  ebook::BookFigures HyphenateBook(const QString& input, const QString& output,
                                   const ebook::BookProgress& progress);

  // What "Hy&penate All" did, for the status bar.
  struct AllResult {
    QString text;
    std::size_t words = 0;
    std::size_t soft_hyphens_added = 0;
    std::size_t soft_hyphens_removed = 0;
    WordsByLanguage languages;
  };
  // "Hy&penate All": the toggle on the whole text. Touches no widget, so it
  // may run off the window's thread.
  AllResult HyphenateAll(const QString& text, bool utf8_document, html::PassObserver& observer);
  // The selection commands: the toggle on the `length` characters (UTF-16
  // units) of `text` from `start`, giving their replacement. The whole text
  // goes along so that the pass sees what surrounds the selection. The
  // observer's counters cover every language.
  struct SelectionResult {
    QString text;
    std::optional<WordsByLanguage> languages;  // none when soft hyphens were removed
  };
  SelectionResult HyphenateSelection(const QString& text, qsizetype start, qsizetype length,
                                     html::SelectionCommand command, bool utf8_document,
                                     html::PassObserver& observer);

 private:
  struct Hyphenated {
    QString text;  // the part hyphenated
    std::size_t words = 0;
    std::size_t unique_words = 0;
    std::size_t words_hyphenated = 0;
    std::size_t soft_hyphens = 0;
    WordsByLanguage languages;
  };
  // With `other_languages`, lang values read as the catalog reads them and
  // the stretches of other languages are left for their pattern sets.
  html::HyphenationPass MakePass(bool utf8_document, html::PassObserver& observer, bool other_languages);
  html::Language ClassicSetting(bool other_languages) const;
  // How the pattern pass writes a soft hyphen into the editor's text.
  std::string PatternSoftHyphen(bool utf8_document) const;
  // `in` is ToPassText(text); the part is [start, start + length) of it.
  Hyphenated RunPasses(const QString& text, const PassText& in, qsizetype start, qsizetype length,
                       bool whole_document, bool utf8_document, html::PassObserver& observer);
  // A page with nothing for the classic pass goes through the pattern pass
  // alone, with no code page round trip; false when the classic pass must run.
  bool HyphenateWithPatternsAlone(const QString& text, bool utf8_document, Hyphenated& done);
  html::PatternPassResult HyphenateOtherLanguages(const QString& part, const QString& before,
                                                  const html::LanguageScopes& start, bool utf8_document);
  // The pattern pass's result as the part's text, its figures added.
  void AddPatternPass(html::PatternPassResult other, Hyphenated& done);

  hyphenation::TCorvaneHyphenator hyphenator_;
  wordlist::MyWords my_words_;
  wordlist::WordListLookup word_list_lookup_;
  html::ChainedWordLookup lookup_;
  PageLanguage language_;
  html::PageLanguages page_languages_{html::PageLanguageOptions{}};
  html::TagReading tag_reading_;
  html::ExclusionRules exclusions_;
  bool xml_document_ = false;
};

}  // namespace corvane::app

#endif  // CORVANE_APP_TEXT_PASSES_H_
