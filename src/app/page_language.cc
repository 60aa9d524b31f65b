#include "app/page_language.h"

#include "html/hyphenation_pass.h"
#include "html/language.h"

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

void ApplyPageLanguage(PageLanguage language, html::HyphenationPass& pass) {
  switch (language) {
    case PageLanguage::kTurkish:
      pass.SetLanguage(html::Language::kTurkish);
      return;
    case PageLanguage::kEnglish:
      pass.SetLanguage(html::Language::kEnglish);
      return;
    case PageLanguage::kAutomatic:
      break;
  }
  pass.SetLanguage(html::Language::kAuto);
}

}  // namespace corvane::app
