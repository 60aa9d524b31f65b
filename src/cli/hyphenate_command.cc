// corvane hyphenate: the document passes over files or stdin.
#include <algorithm>
#include <memory>
#include <optional>
#include <ostream>
#include <sstream>

#include "cli/cli.h"
#include "wordlist/dictionary.h"
#include "hyphenation/engine_setup.h"
#include "platform/file_io.h"
#include "cli/options.h"
#include "cli/parallel_files.h"
#include "platform/text_codec.h"
#include "cli/progress_bar.h"
#include "wordlist/word_list_access.h"
#include "html/hyphenation_pass.h"
#include "html/fast_replace.h"
#include "html/soft_hyphen_inserter.h"
#include "html/toggles.h"
#include "platform/codepage.h"
#include "platform/error.h"

namespace corvane::cli {

using hyphenation::ConfigureEngine;
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
  std::optional<std::string> dictionary;
  bool no_wordlist = false;
  bool stats = false;
  bool verbose = false;
  int jobs = DefaultJobs();  // files hyphenated at once with --in-place
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
      o.language = Choose<html::Language>(name, reader.Value(),
                                          {{"auto", html::Language::kAuto},
                                           {"tr", html::Language::kTurkish},
                                           {"en", html::Language::kEnglish}});
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
    } else if (name == "-v" || name == "--verbose") {
      reader.NoValue();
      o.verbose = true;
    } else {
      throw UsageError("unknown option " + name);
    }
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

// Where marked forms come from before the engine: the user's dictionary,
// then the word list, each opened once per process.
class WordSources {
 public:
  WordSources(const HyphenateOptions& options, std::ostream& err) {
    if (options.dictionary) {
      dictionary_ = LoadDictionary(*options.dictionary);
      lookup_.Append(&dictionary_);
    }
    if (!options.no_wordlist) {
      word_list_ = OpenWordList(options.word_list, ProgressBar(err).Callback());
      word_list_lookup_ = std::make_unique<WordListLookup>(*word_list_);
      lookup_.Append(word_list_lookup_.get());
    }
  }
  html::WordLookup& Lookup() { return lookup_; }

 private:
  wordlist::MyWords dictionary_;
  std::unique_ptr<wordlist::TWordList> word_list_;
  std::unique_ptr<WordListLookup> word_list_lookup_;
  html::ChainedWordLookup lookup_;
};

// One thread's engine and pass over documents, one at a time.
class DocumentHyphenator {
 public:
  DocumentHyphenator(const HyphenateOptions& options, html::WordLookup& lookup)
      : options_(options), lookup_(lookup) {
    ConfigureEngine(engine_);
  }

  // The whole document in; the result goes to `sink` in pieces, in the
  // document's own encoding, so that its encoded copy is never held whole.
  void Process(std::string bytes, const DocumentEncoder::Sink& sink) {
    DocumentText doc = DecodeDocument(std::move(bytes), options_.encoding);
    html::HyphenationPass pass(engine_, &lookup_, &observer_);
    if (doc.utf8) pass.AddWordByte(platform::kUnmappablePlaceholder);
    pass.SetLanguage(options_.language);
    pass_used_ = false;
    // The pass hands its result on in pieces too, so that not even the code
    // page copy of a large result is held whole.
    DocumentEncoder encoder(doc, sink);
    Transform(pass, std::move(doc.text), [&encoder](std::string_view piece) { encoder.Write(piece); });
    encoder.Write({});  // an empty result still gets its byte-order mark
    unique_words_ = pass.UniqueWordCount();
  }

  void Report(const std::string& name, std::ostream& err) const {
    if (options_.verbose) {
      err << name << ": " << (pass_used_ ? std::to_string(unique_words_) : "no") << " unique words\n";
    }
    if (options_.stats && pass_used_) {
      if (options_.pass == PassKind::kText) {
        err << "Total Words : " << observer_.total() << "\n"
            << "Unique Words : " << unique_words_ << "\n"
            << "Words Hyphenated : " << observer_.hyphenated() << "\n";
      } else {
        err << "Unique Words : " << unique_words_ << "\n";
      }
    }
  }

 private:
  using Sink = html::HyphenationPass::ResultSink;

  void RunPass(html::HyphenationPass& pass, std::string_view text, const Sink& sink) {
    pass_used_ = true;
    if (options_.pass == PassKind::kText) {
      pass.xHyphenateText(text, sink);
    } else {
      pass.HypenateMemo1(text, sink);
    }
  }

  // Takes the text by value so that large documents are held once.
  void Transform(html::HyphenationPass& pass, std::string text, const Sink& sink) {
    switch (options_.mode) {
      case Mode::kUnhyphenate:
        return sink(html::RemoveSoftHyphens(text));
      case Mode::kToggle:
        if (html::Contains(text, html::kSoftHyphen)) return sink(html::RemoveSoftHyphens(text));
        return RunPass(pass, text, sink);
      case Mode::kHyphenate:
        break;
    }
    if (html::ContainsSoftHyphenAnyCase(text)) text = html::RemoveSoftHyphens(text);
    RunPass(pass, text, sink);
  }

  const HyphenateOptions& options_;
  html::WordLookup& lookup_;
  hyphenation::TCorvaneHyphenator engine_;
  CountingObserver observer_;
  bool pass_used_ = false;
  std::size_t unique_words_ = 0;
};

// Hyphenates `bytes` into the file `path`, replaced only once the whole
// result is written.
void ProcessToFile(DocumentHyphenator& hyphenator, std::string bytes, const std::string& path) {
  AtomicFileWriter writer(path);
  hyphenator.Process(std::move(bytes), [&writer](std::string_view piece) { writer.Write(piece); });
  writer.Commit();
}

void ProcessToStream(DocumentHyphenator& hyphenator, std::string bytes, std::ostream& out) {
  hyphenator.Process(std::move(bytes), [&out](std::string_view piece) {
    out.write(piece.data(), static_cast<std::streamsize>(piece.size()));
  });
}

// One file: read, hyphenate, write where the options say. Failures are
// reported on `err` naming the file; returns the file's exit status.
int ProcessFile(DocumentHyphenator& hyphenator, const HyphenateOptions& options, const std::string& file,
                std::istream& in, std::ostream& out, std::ostream& err) {
  try {
    std::string bytes = file == "-" ? ReadStream(in) : ReadFile(file);
    if (options.in_place) {
      ProcessToFile(hyphenator, std::move(bytes), file);
    } else if (options.output) {
      ProcessToFile(hyphenator, std::move(bytes), *options.output);
    } else {
      ProcessToStream(hyphenator, std::move(bytes), out);
    }
    hyphenator.Report(file, err);
    return kExitOk;
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
int ProcessInParallel(const HyphenateOptions& options, html::WordLookup& lookup, std::istream& in,
                      std::ostream& err) {
  SharedWordLookup shared(lookup);
  const std::size_t count = options.files.size();
  std::vector<std::ostringstream> messages(count);
  std::vector<int> status(count, kExitOk);
  // Made by each thread on its first file, used only by that thread.
  std::vector<std::unique_ptr<DocumentHyphenator>> per_thread(ThreadCount(count, options.jobs));
  RunInParallel(count, options.jobs, [&](std::size_t thread, std::size_t i) {
    auto& mine = per_thread[thread];
    if (!mine) mine = std::make_unique<DocumentHyphenator>(options, shared);
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

  const bool reads_stdin = std::find(options.files.begin(), options.files.end(), "-") != options.files.end();
  if (options.in_place && options.jobs > 1 && options.files.size() > 1 && !reads_stdin) {
    return ProcessInParallel(options, sources.Lookup(), in, err);
  }

  DocumentHyphenator hyphenator(options, sources.Lookup());
  if (options.files.empty()) {
    if (options.output) {
      ProcessToFile(hyphenator, ReadStream(in), *options.output);
    } else {
      ProcessToStream(hyphenator, ReadStream(in), out);
      out.flush();
    }
    hyphenator.Report("-", err);
    return out ? kExitOk : kExitFailure;
  }

  int status = kExitOk;
  for (const std::string& file : options.files) {
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
