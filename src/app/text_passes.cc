#include "app/text_passes.h"

#include <QFile>
#include <QList>
#include <QStringView>

#include "app/editor_text.h"
#include "html/hyphenation_pass.h"
#include "html/soft_hyphens.h"
#include "html/word_bytes.h"
#include "html/soft_hyphen_form.h"
#include "hyphenation/engine_setup.h"
#include "platform/codepage.h"

namespace corvane::app {
namespace {

// The character U+00AD is a soft hyphen only in UTF-8 documents, as in `corvane`.
html::SoftHyphenCharacter SoftHyphenCharacterOf(bool utf8_document) {
  return utf8_document ? html::SoftHyphenCharacter::kCounted : html::SoftHyphenCharacter::kIgnored;
}

constexpr QStringView kSoftHyphenEntity = u"&shy;";
constexpr char16_t kSoftHyphen = 0xAD;

class WordCharacters {
 public:
  explicit WordCharacters(bool utf8_document) {
    if (utf8_document) bytes_.Add(platform::kUnmappablePlaceholder);
  }
  bool operator()(QChar c) const {
    if (c.isSurrogate()) return true;  // beyond the code page: a stand-in letter
    const auto byte = platform::UnicodeToCp1254(c.unicode());
    return byte ? bytes_(*byte) : bytes_(platform::kUnmappablePlaceholder);
  }

 private:
  html::WordBytes bytes_;
};

}  // namespace

TextRange WholeWords(const QString& text, TextRange selection, bool utf8_document) {
  if (selection.start >= selection.end) return selection;
  const WordCharacters word(utf8_document);
  const QStringView all(text);
  const qsizetype entity = kSoftHyphenEntity.size();
  // A letter, or a soft hyphen that sits between letters.
  const auto joined_at = [&](qsizetype at) {
    return word(text[at]) || text[at] == kSoftHyphen || all.mid(at).startsWith(kSoftHyphenEntity);
  };
  // An end that falls inside "&shy;" moves to the edge of the reference first.
  const auto reference_before = [&](qsizetype at) -> qsizetype {
    for (qsizetype back = 1; back < entity && back <= at; ++back) {
      if (all.mid(at - back).startsWith(kSoftHyphenEntity)) return back;
    }
    return 0;
  };
  qsizetype start = selection.start;
  start -= reference_before(start);
  if (joined_at(start)) {
    for (;;) {
      if (start > 0 && word(text[start - 1])) {
        --start;
      } else if (start > 1 && text[start - 1] == kSoftHyphen && word(text[start - 2])) {
        start -= 2;
      } else if (start > entity && all.mid(start - entity).startsWith(kSoftHyphenEntity) &&
                 word(text[start - entity - 1])) {
        start -= entity + 1;
      } else {
        break;
      }
    }
  }
  qsizetype end = selection.end;
  if (const qsizetype back = reference_before(end)) end += entity - back;
  const bool inside_at_end = word(text[end - 1]) || text[end - 1] == kSoftHyphen ||
                             (end >= entity && all.mid(end - entity).startsWith(kSoftHyphenEntity));
  if (inside_at_end) {
    for (;;) {
      if (end < text.size() && word(text[end])) {
        ++end;
      } else if (end + 1 < text.size() && text[end] == kSoftHyphen && word(text[end + 1])) {
        end += 2;
      } else if (all.mid(end).startsWith(kSoftHyphenEntity) && end + entity < text.size() &&
                 word(text[end + entity])) {
        end += entity + 1;
      } else {
        break;
      }
    }
  }
  return {start, end};
}

TextPasses::TextPasses(wordlist::TWordList& word_list) : word_list_lookup_(word_list) {
  hyphenation::ConfigureEngine(hyphenator_);
  lookup_.Append(&my_words_);
  lookup_.Append(&word_list_lookup_);
}

html::HyphenationPass TextPasses::MakePass(bool utf8_document, html::PassObserver& observer) {
  html::HyphenationPass pass(hyphenator_, &lookup_, &observer);
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

namespace {

// Soft hyphens in every spelling the toggle takes for one.
std::size_t CountSoftHyphens(std::string_view text, html::SoftHyphenCharacter character) {
  std::size_t count = 0;
  for (std::size_t at = text.find_first_of("&\xAD"); at != std::string_view::npos;
       at = text.find_first_of("&\xAD", at + 1)) {
    if (const std::size_t length = html::SoftHyphenLength(text, at, character)) {
      ++count;
      at += length - 1;
    }
  }
  return count;
}

}  // namespace

TextPasses::AllResult TextPasses::HyphenateAll(const QString& text, bool utf8_document,
                                               html::PassObserver& observer) {
  const PassText in = ToPassText(text);
  html::HyphenationPass pass = MakePass(utf8_document, observer);
  const html::SoftHyphenCharacter character = SoftHyphenCharacterOf(utf8_document);
  const std::string out = html::HyphenateAll(pass, in.bytes, character).text;
  AllResult result;
  result.words = pass.TotalWords();
  const std::size_t before = CountSoftHyphens(in.bytes, character), after = CountSoftHyphens(out, character);
  if (after >= before) {
    result.soft_hyphens_added = after - before;
  } else {
    result.soft_hyphens_removed = before - after;
  }
  result.text = FromPassText(out, in.unmappable);
  return result;
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
