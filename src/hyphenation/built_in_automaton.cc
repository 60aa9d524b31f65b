#include "hyphenation/pattern_matcher.h"

namespace corvane::hyphenation {

// Written into the build tree by gen_automaton from the pattern table.
extern const PatternMatcher::Packed kBuiltInAutomaton;

const PatternMatcher& PatternMatcher::Instance() {
  static const PatternMatcher matcher(kBuiltInAutomaton);
  return matcher;
}

}  // namespace corvane::hyphenation
