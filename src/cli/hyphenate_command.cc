// corvane hyphenate: the document passes over files or stdin.
#include <algorithm>
#include <cctype>
#include <filesystem>
#include <limits>
#include <memory>
#include <optional>
#include <ostream>
#include <sstream>

#include "cli/book_files.h"
#include "cli/cli.h"
#include "ebook/epub_package.h"
#include "wordlist/dictionary.h"
#include "hyphenation/engine_setup.h"
#include "platform/file_io.h"
#include "cli/options.h"
#include "html/page_languages.h"
#include "cli/parallel_files.h"
#include "platform/text_codec.h"
#include "cli/progress_bar.h"
#include "wordlist/word_list_access.h"
#include "html/hyphenation_pass.h"
#include "html/exclusions.h"
#include "html/pattern_language_pass.h"
#include "html/soft_hyphen_form.h"
#include "html/soft_hyphens.h"
#include "platform/codepage.h"
#include "platform/document_check.h"
#include "platform/error.h"

namespace corvane::cli {

using hyphenation::ConfigureEngine;
using html::PageLanguageOptions;
using html::PageLanguages;
using platform::AtomicFileWriter;
using platform::DecodeDocument;
using platform::DocumentEncoder;
using platform::DocumentText;
using platform::Encoding;
using platform::ReadFile;
using platform::ReadStream;
using wordlist::DefaultWordListFiles;
using wordlist::LoadDictionary;
using wordlist::WordListFiles;
using wordlist::WordListLookup;
namespace {

enum class Mode { kHyphenate, kUnhyphenate, kToggle };
enum class PassKind { kDocument, kText };

struct HyphenateOptions {
  std::vector<std::string> files;
  std::optional<std::string> output;
  bool in_place = false;
  Mode mode = Mode::kHyphenate;
  PassKind pass = PassKind::kDocument;
  Encoding encoding = Encoding::kAuto;
  html::Language language = html::Language::kAuto;
  std::optional<std::string> forced_tag;  // --language naming neither English nor Turkish
  bool classic = false;
  PageLanguageOptions page_languages;
  std::size_t min_word_length = 0;
  html::SoftHyphenForm soft_hyphen = html::SoftHyphenForm::kEntity;  // for HTML; XML has its own
  html::ExclusionRules exclusions;
  std::optional<std::string> dictionary;
  bool no_wordlist = false;
  bool stats = false;
  bool verbose = false;
  int jobs = DefaultJobs();  // files hyphenated at once with --in-place
  std::size_t max_input_size = std::size_t{1} << 30;
  WordListFiles word_list = DefaultWordListFiles();
};

int ParseJobs(const std::string& option, const std::string& value) {
  constexpr int kMaxJobs = 1024;
  int jobs = 0;
  for (char c : value) {
    if (c < '0' || c > '9' || jobs > kMaxJobs) throw UsageError("invalid value '" + value + "' for " + option);
    jobs = jobs * 10 + (c - '0');
  }
  if (jobs < 1 || jobs > kMaxJobs) throw UsageError("invalid value '" + value + "' for " + option);
  return jobs;
}

// Bytes, with an optional K, M, G or T (powers of 1024): "64M", "1G".
std::size_t ParseSize(const std::string& option, const std::string& value) {
  const auto invalid = [&] { return UsageError("invalid value '" + value + "' for " + option); };
  std::size_t digits = 0;
  while (digits < value.size() && value[digits] >= '0' && value[digits] <= '9') ++digits;
  if (digits == 0 || digits > 15) throw invalid();
  const std::string unit = value.substr(digits);
  int shift = 0;
  if (unit.size() > 1) throw invalid();
  if (!unit.empty()) {
    const std::size_t at = std::string_view("KMGT").find(static_cast<char>(std::toupper(unit[0])));
    if (at == std::string_view::npos) throw invalid();
    shift = 10 * static_cast<int>(at + 1);
  }
  const std::size_t number = std::stoull(value.substr(0, digits));
  if (number == 0 || number > (std::numeric_limits<std::size_t>::max() >> shift)) throw invalid();
  return number << shift;
}

template <typename T>
T Choose(const std::string& option, const std::string& value,
         std::initializer_list<std::pair<const char*, T>> choices) {
  for (const auto& [name, result] : choices) {
    if (value == name) return result;
  }
  throw UsageError("invalid value '" + value + "' for " + option);
}

HyphenateOptions ParseOptions(const std::vector<std::string>& args) {
  HyphenateOptions o;
  OptionReader reader(args);
  while (reader.Next()) {
    if (!reader.IsOption()) {
      o.files.push_back(reader.Operand());
      continue;
    }
    const std::string& name = reader.Name();
    if (name == "-o" || name == "--output") {
      o.output = reader.Value();
    } else if (name == "--in-place") {
      reader.NoValue();
      o.in_place = true;
    } else if (name == "--mode") {
      o.mode = Choose<Mode>(name, reader.Value(),
                            {{"hyphenate", Mode::kHyphenate},
                             {"unhyphenate", Mode::kUnhyphenate},
                             {"toggle", Mode::kToggle}});
    } else if (name == "--pass") {
      o.pass = Choose<PassKind>(name, reader.Value(),
                                {{"document", PassKind::kDocument}, {"text", PassKind::kText}});
    } else if (name == "--encoding") {
      o.encoding = Choose<Encoding>(name, reader.Value(),
                                    {{"auto", Encoding::kAuto},
                                     {"utf-8", Encoding::kUtf8},
                                     {"utf8", Encoding::kUtf8},
                                     {"cp1254", Encoding::kCp1254}});
    } else if (name == "--language") {
      const std::string value = reader.Value();
      if (value.empty()) throw UsageError("invalid value '' for " + name);
      o.forced_tag.reset();
      if (value == "auto") {
        o.language = html::Language::kAuto;
      } else if (value == "tr") {
        o.language = html::Language::kTurkish;
      } else {
        // English too: its words are read as every other language's.
        o.forced_tag = value;
      }
    } else if (name == "--classic") {
      reader.NoValue();
      o.classic = true;
    } else if (name == "--default-language") {
      o.page_languages.default_tag = reader.Value();
      if (o.page_languages.default_tag.empty()) throw UsageError("invalid value '' for " + name);
    } else if (name == "--patterns-dir") {
      o.page_languages.patterns_dirs.push_back(reader.Value());
    } else if (name == "--left-min") {
      o.page_languages.left_min = LetterCountOption(name, reader.Value());
    } else if (name == "--right-min") {
      o.page_languages.right_min = LetterCountOption(name, reader.Value());
    } else if (name == "--min-word-length") {
      o.min_word_length = static_cast<std::size_t>(LetterCountOption(name, reader.Value()));
    } else if (name == "--soft-hyphen") {
      o.soft_hyphen = Choose<html::SoftHyphenForm>(name, reader.Value(),
                                                   {{"entity", html::SoftHyphenForm::kEntity},
                                                    {"numeric", html::SoftHyphenForm::kNumeric},
                                                    {"character", html::SoftHyphenForm::kCharacter}});
    } else if (name == "--exclude-class") {
      o.exclusions.SetClasses(html::SplitNameList(reader.Value()));
    } else if (name == "--exclude") {
      try {
        o.exclusions.SetSelectors(reader.Value());
      } catch (const Error& e) {
        throw UsageError(std::string(e.what()) + " for --exclude");
      }
    } else if (name == "--dictionary") {
      o.dictionary = reader.Value();
    } else if (name == "--no-wordlist") {
      reader.NoValue();
      o.no_wordlist = true;
    } else if (name == "--db") {
      o.word_list.database = reader.Value();
    } else if (name == "--list") {
      o.word_list.list = reader.Value();
    } else if (name == "--stats") {
      reader.NoValue();
      o.stats = true;
    } else if (name == "-j" || name == "--jobs") {
      o.jobs = ParseJobs(name, reader.Value());
    } else if (name == "--max-input-size") {
      o.max_input_size = ParseSize(name, reader.Value());
    } else if (name == "-v" || name == "--verbose") {
      reader.NoValue();
      o.verbose = true;
    } else {
      throw UsageError("unknown option " + name);
    }
  }
  if (o.classic) {
    // The old English path alone: one language, the old word rule.
    o.language = html::Language::kEnglish;
    o.forced_tag.reset();
  }
  if (o.output && o.in_place) throw UsageError("-o and --in-place exclude each other");
  if (o.output && o.files.size() > 1) throw UsageError("-o takes one input file");
  if (o.in_place && o.files.empty()) throw UsageError("--in-place needs at least one FILE");
  return o;
}

// Collects the status window's counters for --stats.
class CountingObserver : public html::PassObserver {
 public:
  void SetTotalWords(std::size_t n) override { total_ = n; }
  void SetUniqueWords(std::size_t n) override { unique_ = n; }
  void SetWordsHyphenated(std::size_t n) override { hyphenated_ = n; }
  void ResetStatistics() override { total_ = unique_ = hyphenated_ = 0; }

  std::size_t total() const { return total_; }
  std::size_t hyphenated() const { return hyphenated_; }

 private:
  std::size_t total_ = 0;
  std::size_t unique_ = 0;
  std::size_t hyphenated_ = 0;
};

// The word list, opened when the first word is sought in it: only Turkish
// stretches (and --classic) ask it, so a page without them never pays for
// opening it. Its failures then end the file that asked.
class WordListOnDemand : public html::WordLookup {
 public:
  WordListOnDemand(const WordListFiles& files, std::ostream& err) : files_(files), err_(err) {}

  std::optional<std::string> Find(const std::string& key) override {
    if (!lookup_) {
      word_list_ = OpenWordList(files_, ProgressBar(err_).Callback());
      lookup_ = std::make_unique<WordListLookup>(*word_list_);
    }
    return lookup_->Find(key);
  }

 private:
  const WordListFiles& files_;
  std::ostream& err_;
  std::unique_ptr<wordlist::TWordList> word_list_;
  std::unique_ptr<WordListLookup> lookup_;
};

// Where marked forms come from before the engine: the user's dictionary,
// then the word list, each opened once per process.
class WordSources {
 public:
  WordSources(const HyphenateOptions& options, std::ostream& err) : word_list_(options.word_list, err) {
    if (options.dictionary) {
      dictionary_ = LoadDictionary(*options.dictionary);
      dictionary_loaded_ = true;
      lookup_.Append(&dictionary_);
    }
    if (!options.no_wordlist) lookup_.Append(&word_list_);
  }
  html::WordLookup& Lookup() { return lookup_; }
  // The user's own marked forms alone, for the pattern pass; null without them.
  html::WordLookup* OwnWords() { return dictionary_loaded_ ? &dictionary_ : nullptr; }

 private:
  bool dictionary_loaded_ = false;
  wordlist::MyWords dictionary_;
  WordListOnDemand word_list_;
  html::ChainedWordLookup lookup_;
};

// What a document is beyond its bytes: its name tells XML from HTML; a
// book's documents are XML and may carry the book's language.
struct DocumentSettings {
  std::string_view name;
  bool xml = false;
  std::optional<html::Language> page_language;
  std::string_view page_tag;  // the book's own language tag, when it has one
};

// One thread's engine and pass over documents, one at a time.
class DocumentHyphenator {
 public:
  DocumentHyphenator(const HyphenateOptions& options, html::WordLookup& lookup, PageLanguages& languages,
                     html::WordLookup* own_words)
      : options_(options), lookup_(lookup), languages_(languages), own_words_(own_words) {
    ConfigureEngine(engine_);
    tag_reading_.classify = [this](std::string_view tag) { return languages_.Classify(tag); };
    tag_reading_.default_tag = options_.forced_tag.value_or(options_.page_languages.default_tag);
    tag_reading_.default_language = languages_.Classify(tag_reading_.default_tag);
  }

  // The whole document in; the result goes to `sink` in pieces, in the
  // document's own encoding, so that its encoded copy is never held whole.
  void Process(std::string bytes, const DocumentEncoder::Sink& sink, const DocumentSettings& settings = {}) {
    const bool xml = settings.xml || html::IsXmlDocument(bytes, settings.name);
    if (ProcessWithPatternsAlone(bytes, xml, sink, settings)) return;
    DocumentText doc = DecodeDocument(std::move(bytes), options_.encoding);
    // An ASCII page is read as code page 1254, but XML reads it as UTF-8
    // unless it says otherwise: a soft hyphen character must then be UTF-8.
    if (xml && !doc.utf8 && html::AsciiXmlIsUtf8(doc.text)) doc.utf8 = true;
    form_ = html::SoftHyphenFormFor(xml, doc.utf8, options_.soft_hyphen);
    html::HyphenationPass pass(engine_, &lookup_, &observer_);
    if (doc.utf8) pass.AddWordByte(platform::kUnmappablePlaceholder);
    pass.SetLanguage(options_.forced_tag ? tag_reading_.default_language : options_.language);
    pass.SetPageLanguage(settings.page_language);
    // A book's declared language serves its text outside every tag, in any
    // language (a forced one aside).
    html::TagReading book_reading;
    if (!options_.classic && !settings.page_tag.empty() && !options_.forced_tag) {
      book_reading = tag_reading_;
      book_reading.default_tag = std::string(settings.page_tag);
      book_reading.default_language = languages_.Classify(settings.page_tag);
      pass.SetPageLanguage(book_reading.default_language);
    }
    if (!options_.classic) pass.SetTagReading(book_reading.classify ? &book_reading : &tag_reading_);
    pass.SetMinWordLength(options_.min_word_length);
    pass.SetSoftHyphenForm(form_);
    pass.SetExclusions(&options_.exclusions);
    pass_used_ = false;
    // The pass hands its result on in pieces too, so that not even the code
    // page copy of a large result is held whole.
    // Stretches in other languages are hyphenated on the result in the
    // page's own bytes, which is then held whole; other pages stream on.
    std::string held;
    DocumentEncoder encoder(doc, [&](std::string_view piece) {
      if (pass.LeftOtherLanguages()) {
        held.append(piece);
      } else {
        sink(piece);
      }
    });
    const auto character = doc.utf8 ? html::SoftHyphenCharacter::kCounted : html::SoftHyphenCharacter::kIgnored;
    Transform(pass, std::move(doc.text), character,
              [&encoder](std::string_view piece) { encoder.Write(piece); });
    encoder.Write({});  // an empty result still gets its byte-order mark
    unique_words_ = pass.UniqueWordCount();
    total_words_ = pass.TotalWords();
    soft_hyphens_ = pass.SoftHyphensWritten();
    other_language_words_ = words_without_patterns_ = other_words_hyphenated_ = 0;
    missing_tags_.clear();
    if (pass.LeftOtherLanguages()) HyphenateOtherLanguages(pass, held, doc.utf8, sink);
  }

  std::size_t TotalWords() const { return total_words_; }
  std::size_t SoftHyphens() const { return soft_hyphens_; }

  html::WordLookup& Lookup() const { return lookup_; }
  html::WordLookup* OwnWords() const { return own_words_; }
  PageLanguages& Languages() const { return languages_; }

  void Report(const std::string& name, std::ostream& err) const {
    if (options_.verbose) {
      err << name << ": " << (pass_used_ ? std::to_string(unique_words_) : "no") << " unique words\n";
    }
    if (options_.stats && pass_used_) {
      // Both passes' words, whichever language read them.
      if (options_.pass == PassKind::kText) {
        err << "Total Words : " << observer_.total() + other_language_words_ << "\n"
            << "Unique Words : " << unique_words_ << "\n"
            << "Words Hyphenated : " << observer_.hyphenated() + other_words_hyphenated_ << "\n";
      } else {
        err << "Unique Words : " << unique_words_ << "\n";
      }
      if (words_without_patterns_ > 0) err << "Words Without Patterns : " << words_without_patterns_ << "\n";
    }
    languages_.WarnMissing(missing_tags_, err);
  }

 private:
  using Sink = html::HyphenationPass::ResultSink;

  void RunPass(html::HyphenationPass& pass, std::string_view text, const Sink& sink) {
    pass_used_ = true;
    if (options_.pass == PassKind::kText) {
      pass.HyphenateText(text, sink);
    } else {
      pass.HyphenateDocument(text, sink);
    }
  }

  html::PatternPassSettings PatternSettings(bool utf8) const {
    html::PatternPassSettings settings;
    settings.min_word_length = options_.min_word_length;
    settings.utf8 = utf8;
    settings.own_words = own_words_;
    if (form_ == html::SoftHyphenForm::kCharacter) {
      settings.soft_hyphen = utf8 ? "\xC2\xAD" : "\xAD";
    } else {
      settings.soft_hyphen = std::string(html::SoftHyphenText(form_));
    }
    return settings;
  }

  html::PatternLanguageLookup PatternLookup() {
    return [this](std::string_view tag) { return languages_.Patterns(tag); };
  }

  void HyphenateOtherLanguages(const html::HyphenationPass& pass, const std::string& page, bool utf8,
                               const DocumentEncoder::Sink& sink) {
    const html::PatternPassResult result = html::HyphenateOtherLanguages(
        page, *pass.StartState(), options_.exclusions, PatternLookup(), PatternSettings(utf8));
    sink(result.text);
    CountPatternPass(result);
  }

  void CountPatternPass(const html::PatternPassResult& result) {
    unique_words_ += result.unique_words;
    total_words_ += result.words;
    soft_hyphens_ += result.soft_hyphens;
    other_language_words_ = result.words;
    other_words_hyphenated_ = result.words_hyphenated;
    words_without_patterns_ = result.words_without_patterns;
    missing_tags_ = result.tags_without_patterns;
  }

  // How the page's own bytes read, when they can be hyphenated as they are:
  // nothing where decoding would change more than the encoding's name (a
  // byte-order mark, stray bytes, a soft hyphen character to remove).
  std::optional<bool> RawEncoding(const std::string& bytes, bool xml) const {
    bool utf8 = false;
    if (options_.encoding != Encoding::kCp1254 && (options_.encoding == Encoding::kUtf8 || !platform::IsPlainAscii(bytes))) {
      if (bytes.starts_with("\xEF\xBB\xBF") || !platform::IsValidUtf8(bytes)) return std::nullopt;
      if (bytes.find("\xC2\xAD") != std::string::npos) return std::nullopt;
      utf8 = true;
    }
    if (xml && !utf8 && html::AsciiXmlIsUtf8(bytes)) utf8 = true;
    return utf8;
  }

  // The page through the pattern pass alone, in its own bytes, when it has
  // nothing for the classic pass: no code page round trip, one read of the
  // page. False when the two passes must run.
  bool ProcessWithPatternsAlone(std::string& bytes, bool xml, const DocumentEncoder::Sink& sink,
                                const DocumentSettings& settings) {
    if (options_.classic || options_.pass != PassKind::kDocument || options_.mode == Mode::kUnhyphenate) return false;
    // A Turkish page is told before its encoding is checked, which decoding
    // it will do again.
    std::optional<std::size_t> turkish_letters;
    if (options_.language == html::Language::kAuto && !options_.forced_tag && settings.page_tag.empty()) {
      turkish_letters = html::TurkishLetterCount(bytes, options_.encoding != Encoding::kCp1254);
      if (*turkish_letters > bytes.size() / 100) return false;
    }
    const std::optional<bool> utf8 = RawEncoding(bytes, xml);
    if (!utf8) return false;
    const bool removed_soft_hyphens = html::ContainsSoftHyphen(bytes);
    if (removed_soft_hyphens) {
      if (options_.mode == Mode::kToggle) return false;
      bytes = html::RemoveSoftHyphens(bytes);
    }
    html::ClassicStart start;
    start.setting = options_.forced_tag ? tag_reading_.default_language : options_.language;
    start.page_language = settings.page_language;
    start.reading = &tag_reading_;
    html::TagReading book_reading;
    // Soft hyphens removed change the page: its letters are counted afresh.
    if (!removed_soft_hyphens) start.turkish_letters = turkish_letters;
    if (!settings.page_tag.empty() && !options_.forced_tag) {
      book_reading = tag_reading_;
      book_reading.default_tag = std::string(settings.page_tag);
      book_reading.default_language = languages_.Classify(settings.page_tag);
      start.page_language = book_reading.default_language;
      start.reading = &book_reading;
    }
    form_ = html::SoftHyphenFormFor(xml, *utf8, options_.soft_hyphen);
    std::optional<html::PatternPassResult> result = html::HyphenateWithPatternsAlone(
        bytes, start, options_.exclusions, PatternLookup(), PatternSettings(*utf8));
    if (!result) return false;
    sink(result->text);
    pass_used_ = true;
    unique_words_ = total_words_ = soft_hyphens_ = 0;
    CountPatternPass(*result);
    return true;
  }

  // Takes the text by value so that large documents are held once.
  void Transform(html::HyphenationPass& pass, std::string text, html::SoftHyphenCharacter character,
                 const Sink& sink) {
    switch (options_.mode) {
      case Mode::kUnhyphenate:
        return sink(html::RemoveSoftHyphens(text, character));
      case Mode::kToggle:
        if (html::ContainsSoftHyphen(text, character)) return sink(html::RemoveSoftHyphens(text, character));
        return RunPass(pass, text, sink);
      case Mode::kHyphenate:
        break;
    }
    if (html::ContainsSoftHyphen(text, character)) text = html::RemoveSoftHyphens(text, character);
    RunPass(pass, text, sink);
  }

  const HyphenateOptions& options_;
  html::WordLookup& lookup_;
  PageLanguages& languages_;
  html::WordLookup* own_words_;
  hyphenation::TCorvaneHyphenator engine_;
  CountingObserver observer_;
  bool pass_used_ = false;
  std::size_t unique_words_ = 0;
  std::size_t total_words_ = 0;
  std::size_t soft_hyphens_ = 0;
  html::TagReading tag_reading_;
  std::size_t other_language_words_ = 0;
  std::size_t other_words_hyphenated_ = 0;
  std::size_t words_without_patterns_ = 0;
  std::vector<std::string> missing_tags_;
  html::SoftHyphenForm form_ = html::SoftHyphenForm::kEntity;
};

// Hyphenates `bytes` into the file `path`, replaced only once the whole
// result is written.
void ProcessToFile(DocumentHyphenator& hyphenator, std::string bytes, const std::string& path,
                   const DocumentSettings& settings = {}) {
  AtomicFileWriter writer(path);
  hyphenator.Process(std::move(bytes), [&writer](std::string_view piece) { writer.Write(piece); }, settings);
  writer.Commit();
}

void ProcessToStream(DocumentHyphenator& hyphenator, std::string bytes, std::ostream& out,
                     const DocumentSettings& settings = {}) {
  hyphenator.Process(std::move(bytes), [&out](std::string_view piece) {
    out.write(piece.data(), static_cast<std::streamsize>(piece.size()));
  }, settings);
}

// A book's content documents through the pass, on `jobs` threads, each with
// its own engine; the word list is shared between them.
void ProcessBook(const HyphenateOptions& options, html::WordLookup& lookup, PageLanguages& languages,
                 html::WordLookup* own_words, const std::string& file, int jobs, std::ostream& err) {
  if (!options.in_place && !options.output) {
    throw Error("an EPUB book is written to a file: give -o OUT or --in-place");
  }
  SharedWordLookup shared(lookup);
  std::vector<std::unique_ptr<DocumentHyphenator>> per_thread(static_cast<std::size_t>(jobs));
  auto transform = [&](std::size_t thread, const ebook::Book& book, std::size_t document, std::string bytes) {
    auto& mine = per_thread[thread];
    if (!mine) mine = std::make_unique<DocumentHyphenator>(options, shared, languages, own_words);
    BookDocumentResult result;
    result.bytes.reserve(bytes.size() + bytes.size() / 4);
    const DocumentSettings settings{book.DocumentName(document), true, ebook::PageLanguageOfTag(book.Language()),
                                    book.Language()};
    mine->Process(std::move(bytes), [&result](std::string_view piece) { result.bytes.append(piece); }, settings);
    result.total_words = mine->TotalWords();
    result.soft_hyphens = mine->SoftHyphens();
    return result;
  };
  // A link stays a link: the book it points at is replaced.
  const std::string target = options.in_place ? file : *options.output;
  std::error_code no_link;
  const bool link = std::filesystem::is_symlink(target, no_link);
  TransformBook(file, link ? std::filesystem::weakly_canonical(target).string() : target, jobs, transform,
                options.stats, err);
}

// One input ("-": stdin) within --max-input-size. What is no document is
// refused as soon as its start is in, before anything is written, so that
// neither a zip nor /dev/zero is read on.
std::string ReadDocument(const HyphenateOptions& options, const std::string& file, std::istream& in) {
  platform::ReadLimits limits;
  limits.max_bytes = options.max_input_size;
  limits.head_bytes = platform::kDocumentHeadBytes;
  limits.check_head = [](std::string_view head) {
    const platform::DocumentKind kind = platform::CheckDocument(head);
    if (kind != platform::DocumentKind::kText) {
      throw Error("not an HTML or text document (" + std::string(platform::DocumentKindName(kind)) + ")");
    }
  };
  try {
    return file == "-" ? ReadStream(in, limits) : ReadFile(file, limits);
  } catch (const platform::InputTooLargeError& e) {
    throw Error(std::string(e.what()) + " (--max-input-size)");
  }
}

// One file: read, hyphenate, write where the options say. Failures are
// reported on `err` naming the file; returns the file's exit status.
int ProcessFile(DocumentHyphenator& hyphenator, const HyphenateOptions& options, const std::string& file,
                std::istream& in, std::ostream& out, std::ostream& err) {
  try {
    // Books go their own way before anything reads the file as a page, which
    // would refuse a zip.
    if (file != "-" && ebook::IsEpubFile(file)) {
      // Many files share the threads already; one book spreads its documents over them.
      ProcessBook(options, hyphenator.Lookup(), hyphenator.Languages(), hyphenator.OwnWords(), file, options.files.size() > 1 ? 1 : options.jobs, err);
      return kExitOk;
    }
    // Checked before reading: replacing a device or a FIFO by a regular file
    // would break what uses it, and reading one may never end.
    if (options.in_place && (file == "-" || platform::IsSpecialFile(file))) {
      throw Error("not a regular file (--in-place replaces only regular files)");
    }
    std::string bytes = ReadDocument(options, file, in);
    DocumentSettings settings;
    settings.name = file;
    if (options.in_place) {
      ProcessToFile(hyphenator, std::move(bytes), file, settings);
    } else if (options.output) {
      ProcessToFile(hyphenator, std::move(bytes), *options.output, settings);
    } else {
      ProcessToStream(hyphenator, std::move(bytes), out, settings);
    }
    hyphenator.Report(file, err);
    return kExitOk;
  } catch (const wordlist::WordListError& e) {
    // The word list failed, not the document: its message names the database.
    err << "corvane: " << e.what() << "\n";
  } catch (const Error& e) {
    err << "corvane: " << file << ": " << e.what() << "\n";
  } catch (const std::bad_alloc&) {
    err << "corvane: " << file << ": out of memory\n";
  }
  return kExitFailure;
}

// In-place over many files on `options.jobs` threads. Each file's messages
// are held and printed in the order of the files, so the output does not
// depend on the threads; the status is the worst file's.
int ProcessInParallel(const HyphenateOptions& options, html::WordLookup& lookup, PageLanguages& languages,
                      html::WordLookup* own_words, std::istream& in, std::ostream& err) {
  SharedWordLookup shared(lookup);
  const std::size_t count = options.files.size();
  std::vector<std::ostringstream> messages(count);
  std::vector<int> status(count, kExitOk);
  // Made by each thread on its first file, used only by that thread.
  std::vector<std::unique_ptr<DocumentHyphenator>> per_thread(ThreadCount(count, options.jobs));
  RunInParallel(count, options.jobs, [&](std::size_t thread, std::size_t i) {
    auto& mine = per_thread[thread];
    if (!mine) mine = std::make_unique<DocumentHyphenator>(options, shared, languages, own_words);
    std::ostringstream no_output;
    status[i] = ProcessFile(*mine, options, options.files[i], in, no_output, messages[i]);
  });
  int worst = kExitOk;
  for (std::size_t i = 0; i < count; ++i) {
    err << messages[i].str();
    worst = std::max(worst, status[i]);
  }
  return worst;
}

}  // namespace

int RunHyphenate(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                 std::ostream& err) {
  const HyphenateOptions options = ParseOptions(args);
  WordSources sources(options, err);
  PageLanguages languages(options.page_languages);

  const bool reads_stdin = std::find(options.files.begin(), options.files.end(), "-") != options.files.end();
  if (options.in_place && options.jobs > 1 && options.files.size() > 1 && !reads_stdin) {
    return ProcessInParallel(options, sources.Lookup(), languages, sources.OwnWords(), in, err);
  }

  DocumentHyphenator hyphenator(options, sources.Lookup(), languages, sources.OwnWords());
  const std::vector<std::string> stdin_only{"-"};
  int status = kExitOk;
  for (const std::string& file : options.files.empty() ? stdin_only : options.files) {
    status = std::max(status, ProcessFile(hyphenator, options, file, in, out, err));
  }
  out.flush();
  if (!out) {
    err << "corvane: cannot write the output\n";
    status = kExitFailure;
  }
  return status;
}

}  // namespace corvane::cli
