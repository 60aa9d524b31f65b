// The hyphenation engine as the editor sets it up: mark "_" and the one
// exception entry "h_e_ll_os".
#ifndef CORVANE_CLI_ENGINE_SETUP_H_
#define CORVANE_CLI_ENGINE_SETUP_H_

#include "hyphenation/hyphenator.h"

namespace corvane::cli {

void ConfigureEngine(hyphenation::TCorvaneHyphenator& engine);

}  // namespace corvane::cli

#endif  // CORVANE_CLI_ENGINE_SETUP_H_
