#include "app/page_language.h"

#include "html/hyphenation_pass.h"

namespace corvane::app {

QString PageLanguageName(PageLanguage language) {
  switch (language) {
    case PageLanguage::kTurkish:
      return "tr";
    case PageLanguage::kEnglish:
      return "en";
    case PageLanguage::kAutomatic:
      break;
  }
  return "auto";
}

PageLanguage PageLanguageFromName(const QString& name) {
  if (name == "tr") return PageLanguage::kTurkish;
  if (name == "en") return PageLanguage::kEnglish;
  return PageLanguage::kAutomatic;
}

void ApplyPageLanguage(PageLanguage /*language*/, html::HyphenationPass& /*pass*/) {}

}  // namespace corvane::app
