#include "app/text_passes.h"

#include <QFile>
#include <QList>
#include <QStringView>

#include "app/editor_text.h"
#include "html/hyphenation_pass.h"
#include "html/soft_hyphen_form.h"
#include "hyphenation/engine_setup.h"
#include "platform/codepage.h"

namespace corvane::app {
namespace {

// The character U+00AD is a soft hyphen only in UTF-8 documents, as in `corvane`.
html::SoftHyphenCharacter SoftHyphenCharacterOf(bool utf8_document) {
  return utf8_document ? html::SoftHyphenCharacter::kCounted : html::SoftHyphenCharacter::kIgnored;
}

}  // namespace

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
  pass.SetExclusions(&exclusions_);
  pass.SetSoftHyphenForm(html::SoftHyphenFormFor(xml_document_, utf8_document, html::SoftHyphenForm::kEntity));
  return pass;
}

void TextPasses::SetNeverHyphenate(const QString& selectors) {
  exclusions_.SetSelectors(selectors.toStdString());
}

ebook::BookFigures TextPasses::HyphenateBook(const QString& input, const QString& output,
                                             const ebook::BookProgress& progress) {
  html::PassObserver quiet;
  return ebook::HyphenateBook(
      QFile::encodeName(input).toStdString(), QFile::encodeName(output).toStdString(),
      [&](bool utf8) { return MakePass(utf8, quiet); }, progress);
}

QString TextPasses::HyphenateAll(const QString& text, bool utf8_document, html::PassObserver& observer) {
  const PassText in = ToPassText(text);
  html::HyphenationPass pass = MakePass(utf8_document, observer);
  const html::EditResult result = html::HyphenateAll(pass, in.bytes, SoftHyphenCharacterOf(utf8_document));
  return FromPassText(result.text, in.unmappable);
}

QString TextPasses::HyphenateSelection(const QString& text, qsizetype start, qsizetype length,
                                       html::SelectionCommand command, bool utf8_document,
                                       html::PassObserver& observer) {
  // Each character is one byte in the pass's text, so offsets count characters.
  const auto characters = [&](qsizetype from, qsizetype count) {
    return static_cast<std::size_t>(QStringView(text).mid(from, count).toUcs4().size());
  };
  const PassText in = ToPassText(text);
  html::HyphenationPass pass = MakePass(utf8_document, observer);
  // A selection inside an element never hyphenated stays as it is.
  pass.SetPrecedingText(std::string_view(in.bytes).substr(0, characters(0, start)));
  const html::EditResult result = html::HyphenateSelection(pass, in.bytes, characters(0, start),
                                                           characters(start, length), command, &observer,
                                                           SoftHyphenCharacterOf(utf8_document));
  // The text around the selection comes back as it was.
  const QString whole = FromPassText(result.text, in.unmappable);
  return whole.mid(start, whole.size() - (text.size() - length));
}

}  // namespace corvane::app
