// The hyphenation engine as the editor sets it up: mark "_" and the one
// exception entry "h_e_ll_os".
#ifndef CORVANE_HYPHENATION_ENGINE_SETUP_H_
#define CORVANE_HYPHENATION_ENGINE_SETUP_H_

#include "hyphenation/hyphenator.h"

namespace corvane::hyphenation {

void ConfigureEngine(TCorvaneHyphenator& engine);

}  // namespace corvane::hyphenation

#endif  // CORVANE_HYPHENATION_ENGINE_SETUP_H_
