#include "hyphenation/built_in_english.h"

#include <string_view>

#include "hyphenation/pattern_cache.h"

namespace corvane::hyphenation {

// Written into the build tree by gen_english_patterns from the pattern table.
extern const std::string_view kBuiltInEnglishPatterns;

std::shared_ptr<const PatternSet> BuiltInEnglishSet() {
  // Compiling takes about 2 ms, a good share of a small page's time; a
  // later process maps the compiled set from the cache instead.
  static const std::shared_ptr<const PatternSet> set = std::make_shared<const PatternSet>(LoadCompiledText(
      "english", kBuiltInEnglishPatterns, "h-e-ll-os", kBuiltInEnglishMinimums, PatternCacheFolder()));
  return set;
}

}  // namespace corvane::hyphenation
