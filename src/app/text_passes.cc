#include "app/text_passes.h"

#include <QFile>
#include <QList>
#include <QStringView>
#include <algorithm>

#include "app/editor_text.h"
#include "html/hyphenation_pass.h"
#include "html/markup.h"
#include "html/soft_hyphens.h"
#include "html/word_bytes.h"
#include "html/soft_hyphen_form.h"
#include "hyphenation/built_in_english.h"
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
  tag_reading_.classify = [this](std::string_view tag) { return page_languages_.Classify(tag); };
  SetLanguage(PageLanguage::kAutomatic);
}

void TextPasses::SetLanguage(const PageLanguage& language) {
  language_ = language;
  // As `corvane hyphenate --language=TAG`: the tag serves the whole page.
  tag_reading_.default_tag = language.Installed() ? language.Name().toStdString() : "en";
  tag_reading_.default_language = page_languages_.Classify(tag_reading_.default_tag);
}

html::HyphenationPass TextPasses::MakePass(bool utf8_document, html::PassObserver& observer, bool other_languages) {
  html::HyphenationPass pass(hyphenator_, &lookup_, &observer);
  // As `corvane` does for UTF-8 documents, so both give the same bytes.
  if (utf8_document) pass.AddWordByte(platform::kUnmappablePlaceholder);
  pass.SetLanguage(ClassicSetting(other_languages));
  if (other_languages) pass.SetTagReading(&tag_reading_);
  pass.SetExclusions(&exclusions_);
  pass.SetSoftHyphenForm(html::SoftHyphenFormFor(xml_document_, utf8_document, html::SoftHyphenForm::kEntity));
  return pass;
}

html::Language TextPasses::ClassicSetting(bool other_languages) const {
  const bool english = language_ == PageLanguage::kEnglish;
  if (language_ == PageLanguage::kTurkish) return html::Language::kTurkish;
  if ((english || language_.Installed()) && other_languages) return tag_reading_.default_language;
  return english ? html::Language::kEnglish : html::Language::kAuto;
}

std::string TextPasses::PatternSoftHyphen(bool utf8_document) const {
  const html::SoftHyphenForm form =
      html::SoftHyphenFormFor(xml_document_, utf8_document, html::SoftHyphenForm::kEntity);
  // The editor's text is Unicode: the character goes in as UTF-8 whatever the file's encoding.
  return form == html::SoftHyphenForm::kCharacter ? "\xC2\xAD" : std::string(html::SoftHyphenText(form));
}

void TextPasses::SetNeverHyphenate(const QString& selectors) {
  exclusions_.SetSelectors(selectors.toStdString());
}

ebook::BookFigures TextPasses::HyphenateBook(const QString& input, const QString& output,
                                             const ebook::BookProgress& progress) {
  html::PassObserver quiet;
  return ebook::HyphenateBook(
      QFile::encodeName(input).toStdString(), QFile::encodeName(output).toStdString(),
      [&](bool utf8) { return MakePass(utf8, quiet, /*other_languages=*/false); }, progress);
}

// The one place where the two passes meet, so that the pair can be swapped
// as one: the classic pass over the part, then the pattern sets over the
// stretches it left, on its result; a whole page with nothing for the
// classic pass goes to the pattern sets alone.
TextPasses::Hyphenated TextPasses::RunPasses(const QString& text, const PassText& in, qsizetype start,
                                             qsizetype length, bool whole_document, bool utf8_document,
                                             html::PassObserver& observer) {
  // Each character is one byte in the pass's text, so offsets count characters.
  const auto characters = [&](qsizetype from, qsizetype count) {
    return static_cast<std::size_t>(QStringView(text).mid(from, count).toUcs4().size());
  };
  Hyphenated done;
  if (whole_document && HyphenateWithPatternsAlone(text, utf8_document, done)) return done;
  const std::string_view all(in.bytes);
  const std::size_t from = characters(0, start), size = characters(start, length);
  html::HyphenationPass pass = MakePass(utf8_document, observer, /*other_languages=*/true);
  std::string result;
  if (whole_document) {
    result = pass.HyphenateDocument(all);
  } else {
    // A selection inside an element never hyphenated stays as it is.
    pass.SetPrecedingText(all.substr(0, from));
    result = all.substr(0, from);
    result += pass.HyphenateText(all.substr(from, size),
                                 html::LanguageScopesAt(all, from, pass.language(), &tag_reading_));
    result += all.substr(from + size);
  }
  // The text around the part comes back as it was.
  const QString whole = FromPassText(result, in.unmappable);
  done.text = whole.mid(start, whole.size() - (text.size() - length));
  done.words = pass.TotalWords();
  done.unique_words = pass.UniqueWordCount();
  done.words_hyphenated = pass.WordsHyphenated();
  done.soft_hyphens = pass.SoftHyphensWritten();
  done.languages.turkish = pass.TotalWords(html::Language::kTurkish);
  done.languages.english = pass.TotalWords(html::Language::kEnglish);
  if (!pass.LeftOtherLanguages()) return done;
  AddPatternPass(HyphenateOtherLanguages(done.text, text.left(start), *pass.StartState(), utf8_document), done);
  return done;
}

bool TextPasses::HyphenateWithPatternsAlone(const QString& text, bool utf8_document, Hyphenated& done) {
  html::ClassicStart classic;
  classic.setting = ClassicSetting(/*other_languages=*/true);
  classic.reading = &tag_reading_;
  const QByteArray utf8 = text.toUtf8();
  const std::string_view page(utf8.constData(), static_cast<std::size_t>(utf8.size()));
  // A Turkish page is told at once, without a first look at every stretch.
  if (classic.setting == html::Language::kAuto && html::MostlyTurkish(page, /*utf8=*/true)) return false;
  html::PatternPassSettings settings;
  settings.soft_hyphen = PatternSoftHyphen(utf8_document);
  if (my_words_.size() > 0) settings.own_words = &my_words_;
  std::optional<html::PatternPassResult> alone = html::HyphenateWithPatternsAlone(
      page, classic, exclusions_, [this](std::string_view tag) { return page_languages_.Patterns(tag); }, settings);
  if (!alone) return false;
  AddPatternPass(std::move(*alone), done);
  return true;
}

void TextPasses::AddPatternPass(html::PatternPassResult other, Hyphenated& done) {
  done.text = QString::fromUtf8(other.text.data(), static_cast<qsizetype>(other.text.size()));
  done.words += other.words;
  done.unique_words += other.unique_words;
  done.words_hyphenated += other.words_hyphenated;
  done.soft_hyphens += other.soft_hyphens;
  for (const auto& [tag, count] : other.words_by_tag) {
    // English is one language however the page tags it.
    const html::PatternLanguage* language = page_languages_.Patterns(tag);
    if (language != nullptr && language->set == hyphenation::BuiltInEnglishSet()) {
      done.languages.english += count;
    } else {
      done.languages.installed[tag] += count;
    }
  }
  done.languages.without_patterns = other.words_without_patterns;
}

html::PatternPassResult TextPasses::HyphenateOtherLanguages(const QString& part, const QString& before,
                                                            const html::LanguageScopes& start,
                                                            bool utf8_document) {
  const QByteArray utf8 = part.toUtf8();
  const std::string_view original(utf8.constData(), static_cast<std::size_t>(utf8.size()));
  std::string page(original);
  const std::string soft_hyphen = PatternSoftHyphen(utf8_document);
  // The pattern pass sees the part alone. Text that an element opened
  // before the part keeps whole, as the classic pass found through the
  // preceding text, is blanked for it; its breaks then come back through a
  // byte no UTF-8 text holds, and go into the unblanked part.
  bool blanked = false;
  if (!before.isEmpty()) {
    const QByteArray preceding = before.toUtf8();
    const std::vector<html::ByteKind> kinds = html::ClassifyMarkup(page);
    std::vector<html::ByteKind> kept = kinds;
    html::MarkExcludedElements(page, kept, exclusions_,
                               std::string_view(preceding.constData(), static_cast<std::size_t>(preceding.size())));
    const auto text = [](html::ByteKind kind) {
      return kind == html::ByteKind::kText || kind == html::ByteKind::kLetter;
    };
    for (std::size_t i = 0; i < page.size(); ++i) {
      if (text(kinds[i]) && !text(kept[i])) {
        page[i] = ' ';
        blanked = true;
      }
    }
  }
  constexpr char kBreak = '\xFF';
  html::PatternPassSettings settings;
  settings.soft_hyphen = blanked ? std::string(1, kBreak) : soft_hyphen;
  // The user's own words win in every language, as in the command-line tool.
  if (my_words_.size() > 0) settings.own_words = &my_words_;
  html::PatternPassResult result = html::HyphenateOtherLanguages(
      page, start, exclusions_, [this](std::string_view tag) { return page_languages_.Patterns(tag); }, settings);
  if (blanked) {
    std::string text;
    text.reserve(original.size() + result.soft_hyphens * soft_hyphen.size());
    std::size_t at = 0;
    for (const char c : result.text) {
      if (c == kBreak) {
        text += soft_hyphen;
      } else {
        text += original[at++];
      }
    }
    result.text = std::move(text);
  }
  return result;
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
  const html::SoftHyphenCharacter character = SoftHyphenCharacterOf(utf8_document);
  AllResult result;
  const PassText in = ToPassText(text);
  if (html::ContainsSoftHyphen(in.bytes, character)) {
    result.soft_hyphens_removed = CountSoftHyphens(in.bytes, character);
    result.text = FromPassText(html::RemoveSoftHyphens(in.bytes, character), in.unmappable);
    return result;
  }
  Hyphenated done = RunPasses(text, in, 0, text.size(), /*whole_document=*/true, utf8_document, observer);
  result.text = std::move(done.text);
  result.words = done.words;
  result.soft_hyphens_added = done.soft_hyphens;
  result.languages = std::move(done.languages);
  return result;
}

TextPasses::SelectionResult TextPasses::HyphenateSelection(const QString& text, qsizetype start, qsizetype length,
                                                           html::SelectionCommand command, bool utf8_document,
                                                           html::PassObserver& observer) {
  start = std::clamp<qsizetype>(start, 0, text.size());
  length = std::clamp<qsizetype>(length, 0, text.size() - start);
  const html::SoftHyphenCharacter character = SoftHyphenCharacterOf(utf8_document);
  {
    const PassText selected = ToPassText(text.mid(start, length));
    if (html::ContainsSoftHyphen(selected.bytes, character)) {
      return {FromPassText(html::RemoveSoftHyphens(selected.bytes, character), selected.unmappable), {}};
    }
  }
  if (command == html::SelectionCommand::kToolbar) observer.ShowStatusWindow();
  // The other languages' words join the classic pass's counters before
  // "&Done" is enabled.
  class Counters : public html::PassObserver {
   public:
    explicit Counters(html::PassObserver& shown) : shown_(shown) {}
    void BeginBusy() override { shown_.BeginBusy(); }
    void EndBusy() override { shown_.EndBusy(); }
    void ResetStatistics() override { shown_.ResetStatistics(); }
    void SetProgress(int percent) override { shown_.SetProgress(percent); }
    void SetTotalWords(std::size_t count) override { shown_.SetTotalWords(count); }
    void SetUniqueWords(std::size_t count) override { shown_.SetUniqueWords(count); }
    void SetWordsHyphenated(std::size_t count) override { shown_.SetWordsHyphenated(count); }

   private:
    html::PassObserver& shown_;
  } counters(observer);
  Hyphenated done =
      RunPasses(text, ToPassText(text), start, length, /*whole_document=*/false, utf8_document, counters);
  observer.SetTotalWords(done.words);
  observer.SetUniqueWords(done.unique_words);
  observer.SetWordsHyphenated(done.words_hyphenated);
  observer.EnableDone();
  return {std::move(done.text), std::move(done.languages)};
}

}  // namespace corvane::app
