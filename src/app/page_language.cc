#include "app/page_language.h"

#include <unicode/uloc.h>

#include <QCoreApplication>
#include <algorithm>
#include <string>

#include "hyphenation/language_catalog.h"

namespace corvane::app {

const PageLanguage PageLanguage::kAutomatic("auto");
const PageLanguage PageLanguage::kTurkish("tr");
const PageLanguage PageLanguage::kEnglish("en");

using hyphenation::LanguageKind;

std::vector<InstalledLanguage> InstalledLanguages(const hyphenation::LanguageCatalog& catalog) {
  std::vector<InstalledLanguage> found;
  for (const hyphenation::Language& language : catalog.Languages()) {
    if (language.kind == LanguageKind::kBuiltInEnglish || language.kind == LanguageKind::kTurkish) continue;
    // A file whose tag a page would never reach (hyph_en.dic: "en" is the
    // built-in English) would be a choice that does nothing.
    const hyphenation::Language* chosen = catalog.Match(language.tag);
    if (chosen != &language) continue;
    const std::string& tag = language.tag;
    if (tag == "en-us" || tag.starts_with("en-us-") || tag == "tr" || tag.starts_with("tr-")) continue;
    found.push_back({QString::fromStdString(tag), LanguageName(tag)});
  }
  // By the language's name, then by tag: a collation that passes over
  // punctuation would put "German (de-at)" before "German (de)".
  const auto language_of = [](const InstalledLanguage& entry) {
    const QString suffix = " (" + entry.tag + ")";
    return entry.name.endsWith(suffix) ? entry.name.chopped(suffix.size()) : entry.name;
  };
  std::sort(found.begin(), found.end(), [&](const InstalledLanguage& a, const InstalledLanguage& b) {
    const int order = language_of(a).localeAwareCompare(language_of(b));
    return order != 0 ? order < 0 : a.tag < b.tag;
  });
  return found;
}

QString LanguageName(std::string_view tag) {
  const std::string normal = hyphenation::NormalTag(tag);
  // The interface's own language, as its translation says.
  const std::string shown_in =
      QCoreApplication::translate("LanguageNames", "en", "the language code in which languages are named")
          .toStdString();
  UErrorCode status = U_ZERO_ERROR;
  char locale[ULOC_FULLNAME_CAPACITY] = {};
  uloc_forLanguageTag(normal.c_str(), locale, sizeof locale - 1, nullptr, &status);
  if (U_FAILURE(status) || locale[0] == '\0') return QString::fromStdString(normal);
  char code[ULOC_LANG_CAPACITY] = {};
  uloc_getLanguage(locale, code, sizeof code - 1, &status);
  UChar name[128] = {};
  const int32_t length = uloc_getDisplayLanguage(locale, shown_in.c_str(), name, 127, &status);
  const QString language = QString::fromUtf16(reinterpret_cast<const char16_t*>(name), U_SUCCESS(status) ? length : 0);
  // ICU gives the code back for a language it has no name for.
  if (language.isEmpty() || language == QLatin1String(code)) return QString::fromStdString(normal);
  return QString("%1 (%2)").arg(language, QString::fromStdString(normal));
}

}  // namespace corvane::app
