// The language of the pages being hyphenated, a user setting ("&Options" >
// "&Language"): Automatic, Turkish, English, or one of the languages whose
// patterns are installed on the machine, named by its tag.
#ifndef CORVANE_APP_PAGE_LANGUAGE_H_
#define CORVANE_APP_PAGE_LANGUAGE_H_

#include <QString>
#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::hyphenation {
class LanguageCatalog;
}

namespace corvane::app {

class PageLanguage {
 public:
  static const PageLanguage kAutomatic;
  static const PageLanguage kTurkish;
  static const PageLanguage kEnglish;

  PageLanguage() : PageLanguage(kAutomaticName) {}
  // The setting's stored name: "auto", "tr" and "en" (the command-line
  // tool's words) for the three above, else an installed language's tag;
  // nothing stored reads as Automatic.
  static PageLanguage FromName(const QString& name) { return name.isEmpty() ? PageLanguage() : PageLanguage(name); }
  const QString& Name() const { return name_; }

  // A language of the catalog, chosen for the whole page.
  bool Installed() const { return name_ != kAutomaticName && name_ != "tr" && name_ != "en"; }

  bool operator==(const PageLanguage&) const = default;

 private:
  static constexpr const char* kAutomaticName = "auto";
  explicit PageLanguage(QString name) : name_(std::move(name)) {}

  QString name_;
};

// The words one command read, by language.
struct WordsByLanguage {
  std::size_t turkish = 0;
  std::size_t english = 0;
  std::map<std::string, std::size_t> installed;  // by lang value as the page writes it
  std::size_t without_patterns = 0;              // in languages nothing is installed for
};

// An installed language the menu offers, as the user reads it.
struct InstalledLanguage {
  QString tag;   // as the catalog keeps it: "de-1996", "fr"
  QString name;  // "German (de-1996)"
};

// Every language of `catalog` that a pattern set serves (not the built-in
// English and Turkish, nor a file that stands for them), sorted by name.
std::vector<InstalledLanguage> InstalledLanguages(const hyphenation::LanguageCatalog& catalog);

// How the user reads a lang value or catalog tag: "German (de)", in the
// interface's language; the tag alone where no name is known for it.
QString LanguageName(std::string_view tag);

}  // namespace corvane::app

#endif  // CORVANE_APP_PAGE_LANGUAGE_H_
