#include "cli/engine_setup.h"

namespace corvane::cli {

void ConfigureEngine(hyphenation::TCorvaneHyphenator& engine) {
  engine.SetMark('_');
  engine.SetExceptionList({"h_e_ll_os"});
}

}  // namespace corvane::cli
