// The hyphenation commands' work on editor text: the engine set up as the
// editor uses it, the user's own words first, then the word list, and the
// toggles, with the text carried to and from code page 1254.
#ifndef CORVANE_APP_TEXT_PASSES_H_
#define CORVANE_APP_TEXT_PASSES_H_

#include <QString>

#include "app/page_language.h"
#include "ebook/book_pass.h"
#include "html/exclusions.h"
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

  void SetLanguage(PageLanguage language) { language_ = language; }
  void SetMyWords(wordlist::MyWords words) { my_words_ = std::move(words); }
  // Elements kept whole beyond the built-in ones (exclusions.h); throws
  // corvane::Error for a selector it cannot read, keeping the old ones.
  void SetNeverHyphenate(const QString& selectors);
  // An XML document (XHTML, SVG) gets the soft hyphen XML reads.
  void SetXmlDocument(bool xml) { xml_document_ = xml; }

  // Every content document of the book at `input` into `output`.
  ebook::BookFigures HyphenateBook(const QString& input, const QString& output,
                                   const ebook::BookProgress& progress);

  // What "Hy&penate All" did, for the status bar.
  struct AllResult {
    QString text;
    std::size_t words = 0;
    std::size_t soft_hyphens_added = 0;
    std::size_t soft_hyphens_removed = 0;
  };
  // "Hy&penate All": the toggle on the whole text. Touches no widget, so it
  // may run off the window's thread.
  AllResult HyphenateAll(const QString& text, bool utf8_document, html::PassObserver& observer);
  // The selection commands: the toggle on the `length` characters (UTF-16
  // units) of `text` from `start`, giving their replacement. The whole text
  // goes along so that the pass sees what surrounds the selection.
  QString HyphenateSelection(const QString& text, qsizetype start, qsizetype length,
                             html::SelectionCommand command, bool utf8_document, html::PassObserver& observer);

 private:
  html::HyphenationPass MakePass(bool utf8_document, html::PassObserver& observer);

  hyphenation::TCorvaneHyphenator hyphenator_;
  wordlist::MyWords my_words_;
  wordlist::WordListLookup word_list_lookup_;
  html::ChainedWordLookup lookup_;
  PageLanguage language_ = PageLanguage::kAutomatic;
  html::ExclusionRules exclusions_;
  bool xml_document_ = false;
};

}  // namespace corvane::app

#endif  // CORVANE_APP_TEXT_PASSES_H_
