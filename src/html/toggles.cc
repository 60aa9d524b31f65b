#include "html/toggles.h"

#include <algorithm>

namespace corvane::html {

EditResult HyphenateAll(HyphenationPass& pass, std::string_view text, SoftHyphenCharacter character) {
  if (ContainsSoftHyphen(text, character)) return {RemoveSoftHyphens(text, character), 0};
  return {pass.HyphenateDocument(text), 0};
}

EditResult HyphenateSelection(HyphenationPass& pass, std::string_view text, std::size_t start,
                              std::size_t length, SelectionCommand command,
                              PassObserver* observer, SoftHyphenCharacter character) {
  start = std::min(start, text.size());
  length = std::min(length, text.size() - start);
  const std::string_view selected = text.substr(start, length);
  std::string replacement;
  if (ContainsSoftHyphen(selected, character)) {
    replacement = RemoveSoftHyphens(selected, character);
  } else {
    if (command == SelectionCommand::kToolbar && observer != nullptr) observer->ShowStatusWindow();
    // The selection starts in the language the whole text has there.
    replacement = pass.HyphenateText(selected, LanguageScopesAt(text, start, pass.language()));
  }
  EditResult result;
  result.text.reserve(text.size() - length + replacement.size());
  result.text.append(text.substr(0, start));
  result.text.append(replacement);
  result.text.append(text.substr(start + length));
  result.caret = start + replacement.size();
  return result;
}

}  // namespace corvane::html
