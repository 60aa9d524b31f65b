// corvane words: the marked form of each line of stdin.
#include <ostream>

#include "cli/cli.h"
#include "wordlist/dictionary.h"
#include "hyphenation/engine_setup.h"
#include "platform/file_io.h"
#include "cli/options.h"
#include "platform/text_codec.h"
#include "cli/progress_bar.h"
#include "wordlist/word_list_access.h"
#include "html/word_marker.h"
#include "platform/codepage.h"

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

}  // namespace

int RunWords(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
             std::ostream& err) {
  const WordsOptions options = ParseOptions(args);
  hyphenation::TCorvaneHyphenator engine;
  ConfigureEngine(engine);
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
  ForEachLine(input.text, [&](std::string_view line) {
    if (options.engine_only) {
      engine.SetInput(std::string(line));
      engine.Hyphenate();
      result += engine.OutPut();
    } else {
      result += marker.MarkedForm(std::string(line));
    }
    result += '\n';
  });
  const std::string encoded = EncodeDocument(result, input);
  out.write(encoded.data(), static_cast<std::streamsize>(encoded.size()));
  out.flush();
  return out ? kExitOk : kExitFailure;
}

}  // namespace corvane::cli
