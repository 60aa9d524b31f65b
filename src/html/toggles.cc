#include "html/toggles.h"

#include <algorithm>

#include "html/fast_replace.h"
#include "html/soft_hyphen_inserter.h"

namespace corvane::html {

bool ContainsSoftHyphenAnyCase(std::string_view text) {
  // Only s, h and y fold to S, H and Y in every locale's casing, so folding
  // A-Z alone finds what the case-insensitive removal removes. "&" is rare
  // and found by a fast search; only what follows one is compared.
  const auto fold = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
  for (std::size_t at = text.find('&'); at != std::string_view::npos; at = text.find('&', at + 1)) {
    if (text.size() - at < kSoftHyphen.size()) return false;
    std::size_t k = 1;
    while (k < kSoftHyphen.size() && fold(text[at + k]) == kSoftHyphen[k]) ++k;
    if (k == kSoftHyphen.size()) return true;
  }
  return false;
}

std::string RemoveSoftHyphens(std::string_view text) {
  return FastReplace(text, kSoftHyphen, "", /*case_sensitive=*/false);
}

EditResult HyphenateAll(HyphenationPass& pass, std::string_view text) {
  if (Contains(text, kSoftHyphen)) return {RemoveSoftHyphens(text), 0};
  return {pass.HypenateMemo1(text), 0};
}

EditResult HyphenateSelection(HyphenationPass& pass, std::string_view text, std::size_t start,
                              std::size_t length, SelectionCommand command,
                              PassObserver* observer) {
  start = std::min(start, text.size());
  length = std::min(length, text.size() - start);
  const std::string_view selected = text.substr(start, length);
  std::string replacement;
  if (Contains(selected, kSoftHyphen)) {
    replacement = RemoveSoftHyphens(selected);
  } else {
    if (command == SelectionCommand::kToolbar && observer != nullptr) observer->ShowStatusWindow();
    // The selection starts in the language the whole text has there.
    replacement = pass.xHyphenateText(selected, LanguageScopesAt(text, start, pass.language()));
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
