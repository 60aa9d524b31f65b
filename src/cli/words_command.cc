// corvane words: the marked form of each line of stdin.
#include <fstream>
#include <ostream>

#include "cli/cli.h"
#include "wordlist/dictionary.h"
#include "hyphenation/engine_setup.h"
#include "platform/error.h"
#include "platform/file_io.h"
#include "cli/options.h"
#include "platform/text_codec.h"
#include "cli/progress_bar.h"
#include "wordlist/word_list_access.h"
#include "html/word_marker.h"
#include "platform/codepage.h"
#include "hyphenation/language_catalog.h"
#include "hyphenation/word_reader.h"

namespace corvane::cli {

using hyphenation::ConfigureEngine;
using platform::DecodeDocument;
using platform::DocumentText;
using platform::EncodeDocument;
using platform::Encoding;
using platform::ReadStream;
using wordlist::DefaultWordListFiles;
using wordlist::LoadDictionary;
using wordlist::OpenWordList;
using wordlist::WordListFiles;
using wordlist::WordListLookup;
namespace {

struct WordsOptions {
  bool engine_only = false;
  bool utf8 = false;
  bool no_wordlist = false;
  std::optional<std::string> dictionary;
  WordListFiles word_list = DefaultWordListFiles();
  std::optional<std::string> language;
  std::optional<std::string> patterns;
  std::optional<int> left_min;
  std::optional<int> right_min;
  std::vector<std::string> patterns_dirs;
};

WordsOptions ParseOptions(const std::vector<std::string>& args) {
  WordsOptions o;
  OptionReader reader(args);
  while (reader.Next()) {
    if (!reader.IsOption()) throw UsageError("words reads stdin and takes no operand '" + reader.Operand() + "'");
    const std::string& name = reader.Name();
    if (name == "--engine-only") {
      reader.NoValue();
      o.engine_only = true;
    } else if (name == "--utf8") {
      reader.NoValue();
      o.utf8 = true;
    } else if (name == "--no-wordlist") {
      reader.NoValue();
      o.no_wordlist = true;
    } else if (name == "--language") {
      o.language = reader.Value();
    } else if (name == "--patterns") {
      o.patterns = reader.Value();
    } else if (name == "--left-min") {
      o.left_min = LetterCountOption(name, reader.Value());
    } else if (name == "--right-min") {
      o.right_min = LetterCountOption(name, reader.Value());
    } else if (name == "--patterns-dir") {
      o.patterns_dirs.push_back(reader.Value());
    } else if (name == "--dictionary") {
      o.dictionary = reader.Value();
    } else if (name == "--db") {
      o.word_list.database = reader.Value();
    } else if (name == "--list") {
      o.word_list.list = reader.Value();
    } else {
      throw UsageError("unknown option " + name);
    }
  }
  if (o.engine_only && o.dictionary) throw UsageError("--engine-only uses no dictionary");
  if (o.language && o.patterns) throw UsageError("--language and --patterns exclude each other");
  if ((o.language || o.patterns) && o.engine_only) throw UsageError("--engine-only is the English patterns alone");
  if ((o.left_min || o.right_min) && !o.language && !o.patterns) {
    throw UsageError("--left-min and --right-min go with --language or --patterns");
  }
  return o;
}

// Calls `each` with every line of `text`; lines end with LF, and a final LF
// starts no further line.
template <typename Each>
void ForEachLine(std::string_view text, Each&& each) {
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    each(text.substr(0, end));
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
}

// The pattern set --patterns or --language names; null for the built-in
// English and Turkish, which the caller's own path serves (switched to UTF-8).
std::shared_ptr<const hyphenation::PatternSet> ChosenSet(WordsOptions& o, hyphenation::Minimums& minimums,
                                                         bool& turkic) {
  using hyphenation::Language;
  using hyphenation::LanguageKind;
  Language language;
  if (o.patterns) {
    const std::string& file = *o.patterns;
    const bool dictionary = file.size() > 4 && file.compare(file.size() - 4, 4, ".dic") == 0;
    language.kind = dictionary ? LanguageKind::kDictionary : LanguageKind::kTexPatterns;
    language.file = file;
    constexpr std::string_view kSuffix = ".pat.txt";
    if (!dictionary && file.size() > kSuffix.size() && file.ends_with(kSuffix)) {
      const std::string exceptions = file.substr(0, file.size() - kSuffix.size()) + ".hyp.txt";
      if (std::ifstream(exceptions).good()) language.exceptions_file = exceptions;
    }
  } else {
    const hyphenation::LanguageCatalog catalog = hyphenation::LanguageCatalog::Find(o.patterns_dirs);
    const Language* found = catalog.Match(*o.language);
    if (found == nullptr) throw Error("no hyphenation patterns are installed for the language '" + *o.language + "'");
    if (found->kind == LanguageKind::kBuiltInEnglish || found->kind == LanguageKind::kTurkish) {
      if (o.left_min || o.right_min) throw UsageError("--left-min and --right-min apply to installed patterns only");
      o.utf8 = true;
      o.engine_only = found->kind == LanguageKind::kBuiltInEnglish;
      return nullptr;
    }
    language = *found;
    const std::string primary = hyphenation::NormalTag(*o.language).substr(0, 3);
    turkic = primary == "az" || primary == "az-";
  }
  auto set = hyphenation::LoadPatternSet(language);
  minimums = set->OwnMinimums();
  if (language.kind == LanguageKind::kTexPatterns && o.language) minimums = language.minimums;
  if (o.left_min) minimums.left = *o.left_min;
  if (o.right_min) minimums.right = *o.right_min;
  return set;
}

// The engine alone on code page 1254 lines, streamed: a block of whole lines
// at a time is marked into one buffer and written, so memory stays the size
// of a block (or of the longest line) however long the input.
int MarkLinesStreamed(hyphenation::TCorvaneHyphenator& engine, std::istream& in, std::ostream& out) {
  constexpr std::size_t kBlock = std::size_t{1} << 20;
  std::string pending;  // bytes read and not yet marked: a line's start
  std::string result;
  while (in && out) {
    const std::size_t kept = pending.size();
    pending.resize(kept + kBlock);
    in.read(pending.data() + kept, static_cast<std::streamsize>(kBlock));
    pending.resize(kept + static_cast<std::size_t>(in.gcount()));
    // Whole lines only, unless the input has ended. What was kept holds no
    // LF, so only the new bytes are searched, however long a line grows.
    const std::size_t last_lf = std::string_view(pending).substr(kept).rfind('\n');
    const std::size_t whole = !in ? pending.size() : last_lf == std::string_view::npos ? 0 : kept + last_lf + 1;
    if (whole == 0) continue;
    result.clear();
    engine.AppendMarkedLines(std::string_view(pending).substr(0, whole), result);
    out.write(result.data(), static_cast<std::streamsize>(result.size()));
    pending.erase(0, whole);
  }
  out.flush();
  return out ? kExitOk : kExitFailure;
}

}  // namespace

int RunWords(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
             std::ostream& err) {
  WordsOptions options = ParseOptions(args);
  if (options.language || options.patterns) {
    hyphenation::Minimums minimums;
    bool turkic = false;
    if (const auto set = ChosenSet(options, minimums, turkic)) {
      std::string result;
      ForEachLine(ReadStream(in), [&](std::string_view line) {
        // Compounds part by part, as on pages.
        size_t at = 0;
        for (size_t b : hyphenation::WordBreaks(*set, line, minimums, turkic)) {
          result.append(line.substr(at, b - at));
          result += '_';
          at = b;
        }
        result.append(line.substr(at));
        result += '\n';
      });
      out.write(result.data(), static_cast<std::streamsize>(result.size()));
      out.flush();
      return out ? kExitOk : kExitFailure;
    }
  }
  hyphenation::TCorvaneHyphenator engine;
  ConfigureEngine(engine);
  if (options.engine_only && !options.utf8) return MarkLinesStreamed(engine, in, out);
  wordlist::MyWords dictionary;
  html::ChainedWordLookup lookup;
  if (options.dictionary) {
    dictionary = LoadDictionary(*options.dictionary);
    lookup.Append(&dictionary);
  }
  std::unique_ptr<wordlist::TWordList> word_list;
  std::unique_ptr<WordListLookup> word_list_lookup;
  if (!options.engine_only && !options.no_wordlist) {
    word_list = OpenWordList(options.word_list, ProgressBar(err).Callback());
    word_list_lookup = std::make_unique<WordListLookup>(*word_list);
    lookup.Append(word_list_lookup.get());
  }
  html::WordMarker marker(engine, options.engine_only ? nullptr : &lookup);

  const DocumentText input =
      DecodeDocument(ReadStream(in), options.utf8 ? Encoding::kUtf8 : Encoding::kCp1254);
  std::string result;
  result.reserve(input.text.size() + input.text.size() / 4);
  if (options.engine_only) {
    engine.AppendMarkedLines(input.text, result);
  } else {
    ForEachLine(input.text, [&](std::string_view line) {
      result += marker.MarkedForm(std::string(line));
      result += '\n';
    });
  }
  const std::string encoded = EncodeDocument(result, input);
  out.write(encoded.data(), static_cast<std::streamsize>(encoded.size()));
  out.flush();
  return out ? kExitOk : kExitFailure;
}

}  // namespace corvane::cli
