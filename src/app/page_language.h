// The language of the pages being hyphenated, a user setting ("&Options" >
// "&Language"): Automatic, Turkish or English.
#ifndef CORVANE_APP_PAGE_LANGUAGE_H_
#define CORVANE_APP_PAGE_LANGUAGE_H_

#include <QString>

namespace corvane::html {
class HyphenationPass;
}

namespace corvane::app {

enum class PageLanguage { kAutomatic, kTurkish, kEnglish };

// The settings' names: "auto", "tr", "en" (the command-line tool's words).
QString PageLanguageName(PageLanguage language);
// kAutomatic for a name it does not know.
PageLanguage PageLanguageFromName(const QString& name);

// The one place where the setting reaches a pass: Automatic reads each
// stretch's language from the page, the others fix one for the whole page.
void ApplyPageLanguage(PageLanguage language, html::HyphenationPass& pass);

}  // namespace corvane::app

#endif  // CORVANE_APP_PAGE_LANGUAGE_H_
