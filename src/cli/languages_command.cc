// corvane languages: the languages found, with where their patterns come from.
#include <ostream>

#include "cli/cli.h"
#include "cli/options.h"
#include "hyphenation/language_catalog.h"

namespace corvane::cli {

using hyphenation::Language;
using hyphenation::LanguageCatalog;
using hyphenation::LanguageKind;

int RunLanguages(const std::vector<std::string>& args, std::istream&, std::ostream& out, std::ostream&) {
  std::vector<std::string> folders;
  OptionReader reader(args);
  while (reader.Next()) {
    if (!reader.IsOption()) throw UsageError("languages takes no operand '" + reader.Operand() + "'");
    if (reader.Name() != "--patterns-dir") throw UsageError("unknown option " + reader.Name());
    folders.push_back(reader.Value());
  }
  const LanguageCatalog catalog = LanguageCatalog::Find(folders);
  out << "tag\tfile\tleft\tright\torigin\n";
  for (const Language& language : catalog.Languages()) {
    std::string file = language.file;
    if (language.kind == LanguageKind::kBuiltInEnglish) file = "(English patterns)";
    if (language.kind == LanguageKind::kTurkish) file = "(word list and syllable rule)";
    out << language.tag << '\t' << file << '\t' << language.minimums.left << '\t' << language.minimums.right
        << '\t' << language.origin << '\n';
  }
  out.flush();
  return out ? kExitOk : kExitFailure;
}

}  // namespace corvane::cli
