// corvane wordlist build|lookup|stats: the word list of Turkish words.
#include <sys/stat.h>
#include <unistd.h>

#include <iostream>

#include "cli/cli.h"
#include "cli/options.h"
#include "platform/text_codec.h"
#include "cli/progress_bar.h"
#include "wordlist/word_list_access.h"
#include "html/word_lookup.h"
#include "html/word_marker.h"
#include "platform/error.h"

namespace corvane::cli {

using platform::DecodeDocument;
using platform::DocumentText;
using platform::EncodeDocument;
using platform::Encoding;
using wordlist::BuildWordList;
using wordlist::DefaultWordListFiles;
using wordlist::OpenWordList;
using wordlist::WordListFiles;
namespace {

struct WordListArgs {
  std::string action;
  std::vector<std::string> words;
  WordListFiles files = DefaultWordListFiles();
};

WordListArgs ParseArgs(const std::vector<std::string>& args) {
  WordListArgs a;
  OptionReader reader(args);
  while (reader.Next()) {
    if (!reader.IsOption()) {
      (a.action.empty() ? a.action : a.words.emplace_back()) = reader.Operand();
    } else if (reader.Name() == "--db") {
      a.files.database = reader.Value();
    } else if (reader.Name() == "--list") {
      a.files.list = reader.Value();
    } else {
      throw UsageError("unknown option " + reader.Name());
    }
  }
  if (a.action != "build" && a.action != "lookup" && a.action != "stats") {
    throw UsageError(a.action.empty() ? "wordlist needs an action: build, lookup or stats"
                                      : "unknown wordlist action '" + a.action + "'");
  }
  if (a.action == "lookup" && a.words.empty()) throw UsageError("wordlist lookup needs at least one WORD");
  if (a.action != "lookup" && !a.words.empty()) throw UsageError("wordlist " + a.action + " takes no operand");
  return a;
}


}  // namespace

int RunWordList(const std::vector<std::string>& args, std::istream& /*in*/, std::ostream& out,
                std::ostream& err) {
  const WordListArgs a = ParseArgs(args);
  if (a.action == "build") {
    BuildWordList(a.files, ProgressBar(err).Callback());
    wordlist::TWordList list(a.files.database);
    list.OpenReadOnly();
    out << a.files.database << ": " << list.RecordCount() << " words\n";
    return kExitOk;
  }
  auto list = OpenWordList(a.files, ProgressBar(err).Callback());
  if (a.action == "stats") {
    struct stat info {};
    stat(a.files.database.c_str(), &info);
    out << "Database : " << a.files.database << "\n"
        << "Size : " << info.st_size << " bytes\n"
        << "Words : " << list->RecordCount() << "\n";
    return kExitOk;
  }
  for (const std::string& argument : a.words) {
    // Words typed in a UTF-8 terminal are looked up in code page 1254 and
    // shown as they were typed.
    const DocumentText word = DecodeDocument(argument, Encoding::kAuto);
    const std::string key = html::FoldAsciiLower(word.text);
    const auto stored = list->Lookup(key);
    if (stored && html::RemoveMarks(*stored) == key) {
      out << EncodeDocument(html::RestoreCase(word.text, html::CollapseMarks(*stored)), word) << "\n";
    } else {
      out << argument << "\n";
      err << "corvane: " << argument << ": not in the word list\n";
    }
  }
  return kExitOk;
}

}  // namespace corvane::cli
