#include "hyphenation/built_in_english.h"

#include <string_view>

namespace corvane::hyphenation {

// Written into the build tree by gen_english_patterns from the pattern table.
extern const std::string_view kBuiltInEnglishPatterns;

std::shared_ptr<const PatternSet> BuiltInEnglishSet() {
  static const std::shared_ptr<const PatternSet> set = std::make_shared<const PatternSet>(
      PatternSet::FromTexText(kBuiltInEnglishPatterns, "h-e-ll-os", kBuiltInEnglishMinimums));
  return set;
}

}  // namespace corvane::hyphenation
