// Reads arbitrary bytes as a compiled pattern automaton's image, as the
// pattern cache maps one from its folder, and walks words through whatever
// it accepts. The cache's checksum stops damage, not a file made on
// purpose: the image's own checks and the walk's bounds must keep every
// read inside the image and every walk finite, whatever the bytes.
#include <cstdint>
#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

#include "hyphenation/code_point_automaton.h"
#include "platform/error.h"

using corvane::hyphenation::CodePointAutomaton;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Images are mapped on page boundaries: an aligned copy (as every block
  // from new is) of the input's length, so that the sanitizer sees any read
  // past it.
  auto copy = std::shared_ptr<uint8_t[]>(new uint8_t[size + 1]);
  std::memcpy(copy.get(), data, size);
  try {
    const CodePointAutomaton automaton = CodePointAutomaton::FromImage(copy.get(), size, copy);
    std::vector<uint8_t> levels;
    for (std::u32string_view word : {U"", U"a", U"abenteuer", U"silbentrennung", U"..", U"\u00e4\u00df\u03c9\u4e00",
                                     U"zzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzz"}) {
      automaton.FindLevels(word, levels);
    }
  } catch (const corvane::Error&) {
  }
  return 0;
}
