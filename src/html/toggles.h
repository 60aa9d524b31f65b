// The three hyphenation commands of the editor. Each is a toggle: text that
// holds a soft hyphen (soft_hyphens.h) loses every one; other text is
// hyphenated.
//
//   HyphenateAll        "Hy&penate All": the whole text, whole-document pass
//   HyphenateSelection  "H&ypenate Selected Text" (status window not shown)
//                       and the toolbar's "Hyphenate" (shown first): the
//                       selection, text pass
//
// The decision is taken once for the whole text or selection, so a partly
// hyphenated selection is only unhyphenated. `character` tells whether the
// text's 0xAD bytes are soft hyphens (in UTF-8 documents).
#ifndef CORVANE_HTML_TOGGLES_H_
#define CORVANE_HTML_TOGGLES_H_

#include <cstddef>
#include <string>
#include <string_view>

#include "html/hyphenation_pass.h"
#include "html/soft_hyphens.h"

namespace corvane::html {

struct EditResult {
  std::string text;   // the whole new text
  std::size_t caret;  // nothing selected
};

// The new text replaces the editor's whole text, which puts the caret first.
EditResult HyphenateAll(HyphenationPass& pass, std::string_view text,
                        SoftHyphenCharacter character = SoftHyphenCharacter::kIgnored);

enum class SelectionCommand { kMenu, kToolbar };

// The result replaces the selection as one edit; the caret goes to the end of
// the inserted text. `start` and `length` are clamped to the text.
EditResult HyphenateSelection(HyphenationPass& pass, std::string_view text, std::size_t start,
                              std::size_t length, SelectionCommand command,
                              PassObserver* observer = nullptr,
                              SoftHyphenCharacter character = SoftHyphenCharacter::kIgnored);

}  // namespace corvane::html

#endif  // CORVANE_HTML_TOGGLES_H_
