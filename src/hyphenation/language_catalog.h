// The languages this system can hyphenate: the pattern files installed on
// the machine, found by folder, plus the two built in (English from its own
// pattern table, Turkish from the word list and the syllable rule).
//
// Folders are searched in this order, the first file for a tag winning:
// every folder the caller names (--patterns-dir), those in
// CORVANE_PATTERNS_PATH (colon-separated), then kSystemFolders. A folder
// holds "hyph-TAG.pat.txt" (with "hyph-TAG.hyp.txt" beside it, if any) or
// "hyph_LL_CC.dic", whose tag is "ll-cc". Tags are kept in lower case.
//
// The minimums of TeX's sets come from the configuration files TeX's
// packages install (kTexConfigFolder, "*.cnf" lines naming
// "file_patterns=hyph-TAG.pat.txt"), from "*.cnf" files in the pattern
// folder itself, and from the configuration beside a package unpacked into
// a folder of its own (PREFIX/usr/share/texlive/... next to PREFIX/var/lib/
// tex-common/...); else 2 and 2. Dictionaries carry their own.
//
// Loading a set (Load) reads and compiles it once per process; the result is
// shared, read-only, by every thread.
#ifndef CORVANE_HYPHENATION_LANGUAGE_CATALOG_H_
#define CORVANE_HYPHENATION_LANGUAGE_CATALOG_H_

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "hyphenation/pattern_set.h"

namespace corvane::hyphenation {

inline constexpr const char* kSystemFolders[] = {
    "/usr/share/hyphen", "/usr/share/texlive/texmf-dist/tex/generic/hyph-utf8/patterns/txt"};
inline constexpr const char* kTexConfigFolder = "/var/lib/tex-common/hyphen-cnf/texlive";

enum class LanguageKind { kBuiltInEnglish, kTurkish, kTexPatterns, kDictionary };

struct Language {
  std::string tag;
  LanguageKind kind = LanguageKind::kTexPatterns;
  std::string file;             // empty for the built-in two
  std::string exceptions_file;  // TeX's sets only; empty when there is none
  Minimums minimums;
  std::string origin;           // the folder, or "built in"
};

class LanguageCatalog {
 public:
  // Scans `folders`, then CORVANE_PATTERNS_PATH, then the system folders.
  static LanguageCatalog Find(const std::vector<std::string>& folders);

  // Every language, sorted by tag, the built-in two included.
  const std::vector<Language>& Languages() const { return languages_; }

  // The language for a BCP 47 tag: the full tag, then shorter prefixes, each
  // by itself and through the defaults (de is de-1996, no is nb, en is the
  // built-in English, tr the Turkish list and rule, ...). nullptr when no
  // installed set fits.
  const Language* Match(std::string_view tag) const;

 private:
  const Language* Exact(std::string_view tag) const;

  std::vector<Language> languages_;
};

// The compiled patterns of a TeX set or dictionary, read on first use.
std::shared_ptr<const PatternSet> LoadPatternSet(const Language& language);

// A tag in the form the catalog keeps: lower case, "_" as "-".
std::string NormalTag(std::string_view tag);

}  // namespace corvane::hyphenation

#endif  // CORVANE_HYPHENATION_LANGUAGE_CATALOG_H_
