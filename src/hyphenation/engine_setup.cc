#include "hyphenation/engine_setup.h"

namespace corvane::hyphenation {

void ConfigureEngine(TCorvaneHyphenator& engine) {
  engine.SetMark('_');
  engine.SetExceptionList({"h_e_ll_os"});
}

}  // namespace corvane::hyphenation
