// The three hyphenation commands of the editor. Each is a toggle: text that
// holds a lower-case "&shy;" loses every soft hyphen (any letter case);
// other text is hyphenated.
//
//   HyphenateAll        "Hy&penate All": the whole text, whole-document pass
//   HyphenateSelection  "H&ypenate Selected Text" (status window not shown)
//                       and the toolbar's "Hyphenate" (shown first): the
//                       selection, text pass
//
// The decision is taken once for the whole text or selection, so a partly
// hyphenated selection is only unhyphenated. "&#173;" and raw 0xAD bytes are
// never removed.
#ifndef CORVANE_HTML_TOGGLES_H_
#define CORVANE_HTML_TOGGLES_H_

#include <cstddef>
#include <string>
#include <string_view>

#include "html/hyphenation_pass.h"

namespace corvane::html {

// True when `text` holds "&shy;" in any letter case.
bool ContainsSoftHyphenAnyCase(std::string_view text);

// `text` with every "&shy;" removed, in any letter case.
std::string RemoveSoftHyphens(std::string_view text);

struct EditResult {
  std::string text;   // the whole new text
  std::size_t caret;  // nothing selected
};

// The new text replaces the editor's whole text, which puts the caret first.
EditResult HyphenateAll(HyphenationPass& pass, std::string_view text);

enum class SelectionCommand { kMenu, kToolbar };

// The result replaces the selection as one edit; the caret goes to the end of
// the inserted text. `start` and `length` are clamped to the text.
EditResult HyphenateSelection(HyphenationPass& pass, std::string_view text, std::size_t start,
                              std::size_t length, SelectionCommand command,
                              PassObserver* observer = nullptr);

}  // namespace corvane::html

#endif  // CORVANE_HTML_TOGGLES_H_
