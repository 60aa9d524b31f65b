#include "app/text_passes.h"

#include "app/editor_text.h"
#include "html/hyphenation_pass.h"
#include "hyphenation/engine_setup.h"
#include "platform/codepage.h"

namespace corvane::app {

TextPasses::TextPasses(wordlist::TWordList& word_list) : word_list_lookup_(word_list) {
  hyphenation::ConfigureEngine(CorvaneHyphenator1_);
  lookup_.Append(&my_words_);
  lookup_.Append(&word_list_lookup_);
}

html::HyphenationPass TextPasses::MakePass(bool utf8_document, html::PassObserver& observer) {
  html::HyphenationPass pass(CorvaneHyphenator1_, &lookup_, &observer);
  // As `corvane` does for UTF-8 documents, so both give the same bytes.
  if (utf8_document) pass.AddWordByte(platform::kUnmappablePlaceholder);
  ApplyPageLanguage(language_, pass);
  return pass;
}

QString TextPasses::HyphenateAll(const QString& text, bool utf8_document, html::PassObserver& observer) {
  const PassText in = ToPassText(text);
  html::HyphenationPass pass = MakePass(utf8_document, observer);
  return FromPassText(html::HyphenateAll(pass, in.bytes).text, in.unmappable);
}

QString TextPasses::HyphenateSelection(const QString& selected, html::SelectionCommand command,
                                       bool utf8_document, html::PassObserver& observer) {
  const PassText in = ToPassText(selected);
  html::HyphenationPass pass = MakePass(utf8_document, observer);
  const html::EditResult result =
      html::HyphenateSelection(pass, in.bytes, 0, in.bytes.size(), command, &observer);
  return FromPassText(result.text, in.unmappable);
}

}  // namespace corvane::app
