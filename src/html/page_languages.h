// The languages a page may meet: how lang values read, and the pattern
// sets behind them, shared by every thread hyphenating pages.
//
// English (the built-in patterns) and Turkish (the word list and the rule)
// are served without scanning the catalog of installed sets, so pages in
// those two start as fast as before. English is a pattern language like any
// other; only Turkish is left to the classic pass. Each set is loaded once, when first needed; a language
// with nothing installed is warned about once.
#ifndef CORVANE_HTML_PAGE_LANGUAGES_H_
#define CORVANE_HTML_PAGE_LANGUAGES_H_

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "html/language.h"
#include "html/pattern_language_pass.h"
#include "hyphenation/language_catalog.h"

namespace corvane::html {

struct PageLanguageOptions {
  std::vector<std::string> patterns_dirs;
  std::optional<int> left_min;
  std::optional<int> right_min;
  std::string default_tag = "en";
};

class PageLanguages {
 public:
  explicit PageLanguages(PageLanguageOptions options);

  // Turkish or kOther for a lang value.
  Language Classify(std::string_view tag);
  // The set for a kOther value (the built-in one for English); null when
  // none is installed.
  const PatternLanguage* Patterns(std::string_view tag);

  // Warns once per language on `err` about each tag without patterns.
  void WarnMissing(const std::vector<std::string>& tags, std::ostream& err);

 private:
  const hyphenation::LanguageCatalog& Catalog();  // with mutex_ held

  PageLanguageOptions options_;
  std::mutex mutex_;
  std::optional<hyphenation::LanguageCatalog> catalog_;
  // By normal tag; null where nothing is installed. Entries are never removed.
  std::map<std::string, std::unique_ptr<PatternLanguage>> loaded_;
  std::set<std::string> warned_;
};

}  // namespace corvane::html

#endif  // CORVANE_HTML_PAGE_LANGUAGES_H_
