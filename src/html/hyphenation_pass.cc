#include "html/hyphenation_pass.h"

#include <algorithm>

#include "html/decoded_view.h"
#include "html/markup.h"
#include "html/soft_hyphen_inserter.h"
#include "html/text_runs.h"
#include "html/tokenizer.h"
#include "html/unique_words.h"
#include "html/word_marker.h"

namespace corvane::html {
HyphenationPass::HyphenationPass(hyphenation::TCorvaneHyphenator& engine, WordLookup* lookup,
                                 PassObserver* observer)
    : engine_(engine), lookup_(lookup), observer_(observer) {}

std::string HyphenationPass::HyphenateDocument(std::string_view document) {
  return Run(document, Form::kDocument, nullptr);
}

std::string HyphenationPass::HyphenateText(std::string_view input) {
  return Run(input, Form::kText, nullptr);
}

std::string HyphenationPass::HyphenateText(std::string_view input, const LanguageScopes& at_start) {
  return Run(input, Form::kText, &at_start);
}

void HyphenationPass::HyphenateDocument(std::string_view document, const ResultSink& sink) {
  Run(document, Form::kDocument, nullptr, &sink);
}

void HyphenationPass::HyphenateText(std::string_view input, const ResultSink& sink) {
  Run(input, Form::kText, nullptr, &sink);
}

std::string HyphenationPass::Run(std::string_view text, Form form, const LanguageScopes* at_start,
                                 const ResultSink* sink) {
  PassObserver& observer = observer_ != nullptr ? *observer_ : quiet_observer_;
  BusyScope busy(observer);
  unique_word_count_ = total_words_ = turkish_words_ = words_hyphenated_ = soft_hyphens_written_ = 0;
  if (form == Form::kText) observer.ResetStatistics();

  // Words come only from text runs outside markup, read with comments, raw
  // element content, addresses and references other than letters blanked
  // (text_runs.h). Their occurrences are sought in the decoded view, where
  // letter references are letters; languages change only just past tags, so
  // the page's map serves the runs and, moved to view offsets, the view.
  std::vector<ByteKind> kinds = ClassifyMarkup(text);
  static const ExclusionRules kBuiltInExclusions;
  MarkExcludedElements(text, kinds, exclusions_ != nullptr ? *exclusions_ : kBuiltInExclusions, preceding_text_);
  start_state_ = StartingScopes(text, kinds, at_start);
  const LanguageMap page_languages = MapLanguages(text, kinds, *start_state_);
  left_other_languages_ = page_languages.Holds(Language::kOther);
  std::vector<HyphenatedWord> hyphenated;
  {
    // The table of distinct words is gone before the view is built, so a
    // large page never holds both.
    UniqueWords words;
    std::string decoded;
    ForEachTextRun(text, kinds, form == Form::kDocument, [&](std::string_view run, std::size_t offset) {
      const Language language = page_languages.At(offset);
      if (language == Language::kOther) return;
      // Without a reference, decoding would change only spacing, which the
      // split into words ignores.
      if (run.find('&') != std::string_view::npos) {
        DecodeTextInto(run, decoded);
        run = decoded;
      }
      const std::size_t before = words.total_words();
      words.AddText(run, language);
      if (language == Language::kTurkish) turkish_words_ += words.total_words() - before;
    });
    unique_word_count_ = words.words().size();
    total_words_ = words.total_words();
    if (form == Form::kDocument) {
      observer.SetStatusText("Unique Words " + std::to_string(unique_word_count_));
    } else {
      observer.SetTotalWords(total_words_);
      observer.SetUniqueWords(unique_word_count_);
    }
    hyphenated = MarkWords(words, form, observer);
  }
  DecodedView view(text, std::move(kinds), DecodedView::KeepKinds::kTextOnly);
  const LanguageMap languages = page_languages.InViewOf(view);

  SoftHyphenInserter inserter(view, word_bytes_, &languages);
  inserter.SetSoftHyphen(SoftHyphenText(soft_hyphen_form_));
  const std::vector<std::size_t> taken = inserter.Apply(hyphenated);
  soft_hyphens_written_ = inserter.HyphenCount();
  // The result reads only the source and the view's offsets; large documents
  // want the room.
  view.ReleaseText();
  if (form == Form::kText) {
    for (std::size_t count_of_word : taken) {
      words_hyphenated_ += count_of_word;
      observer.SetWordsHyphenated(words_hyphenated_);
    }
  }
  std::string result;
  if (sink != nullptr) {
    inserter.WriteResult(*sink);
  } else {
    result = inserter.Result();
  }

  if (form == Form::kDocument) {
    observer.Beep();
    observer.SetStatusText("Done");
  } else {
    observer.EnableDone();
  }
  return result;
}

LanguageScopes HyphenationPass::StartingScopes(std::string_view text, const std::vector<ByteKind>& kinds,
                                               const LanguageScopes* at_start) const {
  if (at_start != nullptr) return *at_start;
  if (language_ == Language::kAuto && page_language_) return LanguageScopes(language_, *page_language_, tag_reading_);
  return LanguageScopesOfPage(text, kinds, language_, tag_reading_);
}

std::vector<HyphenatedWord> HyphenationPass::MarkWords(const UniqueWords& words, Form form,
                                                      PassObserver& observer) {
  WordMarker marker(engine_, lookup_);
  std::vector<HyphenatedWord> hyphenated;
  const std::size_t count = words.words().size();
  hyphenated.reserve(count);
  for (std::size_t n = 1; n <= count; ++n) {
    if (form == Form::kText) observer.SetProgress(ProgressPercent(n, count));
    const UniqueWord& entry = words.words()[n - 1];
    // The document's own underscores stay as they are; a word still holding
    // "&" after decoding is spelled with something that is not a letter.
    if (std::any_of(entry.word.begin(), entry.word.end(), [](char c) { return c == '_' || c == '&'; })) {
      continue;
    }
    if (entry.word.size() < min_word_length_) continue;
    std::vector<uint32_t> breaks =
        BreaksOfMarkedForm(marker.MarkedForm(entry.word, entry.language), kMarkChar);
    // A word without a mark would be replaced by itself.
    if (!breaks.empty()) hyphenated.push_back({entry.word, std::move(breaks), entry.language});
  }
  return hyphenated;
}

// The whole-document pass reads the text as an editor's line list gives it:
// lines split at LF, CR LF or CR, each ending in a line feed for the tokenizer
// when text is open, and joined directly when a tag spans the break. One line
// in which every break is a single LF (a CR LF's CR becoming a space) yields
// the same words: a break inside a tag only lengthens the tag's text, which
// gives no words, and outside tags it separates words either way. It saves a
// copy of the document.
void JoinEditorLines(std::string& text) {
  for (std::size_t i = text.find('\r'); i != std::string::npos; i = text.find('\r', i + 1)) {
    text[i] = (i + 1 < text.size() && text[i + 1] == '\n') ? ' ' : '\n';
  }
}

int ProgressPercent(std::size_t n, std::size_t count) {
  if (count == 0) return 0;
  const unsigned long long scaled = static_cast<unsigned long long>(n) * 100;
  unsigned long long q = scaled / count;
  const unsigned long long twice_rest = (scaled % count) * 2;
  if (twice_rest > count || (twice_rest == count && q % 2 == 1)) ++q;
  return static_cast<int>(q);
}

}  // namespace corvane::html
