// Hyphenates arbitrary bytes as a page in every language setting, as a whole
// document and as a selection of it. Nothing may crash, hang or allocate
// without bound, removing the soft hyphens must give the input back, and
// hyphenating the result again as the commands do (soft hyphens removed
// first) must change nothing, with the same pass object reused.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "html/hyphenation_pass.h"
#include "html/toggles.h"
#include "hyphenation/hyphenator.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  using corvane::html::Language;
  static corvane::hyphenation::TCorvaneHyphenator engine;
  static corvane::html::MapWordLookup words = [] {
    corvane::html::MapWordLookup w;
    w.AddMarked("ki_tap");
    w.AddMarked("g\xFC_zel");
    return w;
  }();
  const Language language = static_cast<Language>(data[0] % 3);
  const std::string_view page(reinterpret_cast<const char*>(data + 1), size - 1);
  corvane::html::HyphenationPass pass(engine, &words, nullptr);
  pass.SetLanguage(language);

  const std::string whole = pass.HyphenateDocument(page);
  const std::size_t start = page.size() / 3;
  const corvane::html::EditResult selection = corvane::html::HyphenateSelection(
      pass, page, start, page.size() / 2, corvane::html::SelectionCommand::kMenu);
  if (!corvane::html::ContainsSoftHyphen(page)) {
    if (corvane::html::RemoveSoftHyphens(whole) != page) std::abort();
    if (corvane::html::RemoveSoftHyphens(selection.text) != page) std::abort();
    if (pass.HyphenateDocument(corvane::html::RemoveSoftHyphens(whole)) != whole) std::abort();
  }
  return 0;
}
