#include "html/turkish_words.h"

#include "html/word_bytes.h"
#include "hyphenation/turkish_syllabifier.h"

namespace corvane::html {
namespace {

constexpr uint8_t kRightQuotationMark = 0x92;  // ’ in code page 1254

bool IsApostrophe(uint8_t c) { return c == '\'' || c == kRightQuotationMark; }

}  // namespace

std::optional<std::string> MarkTurkishWord(std::string_view word, char mark) {
  std::size_t apostrophe = std::string_view::npos;
  for (std::size_t i = 0; i < word.size(); ++i) {
    const auto c = static_cast<uint8_t>(word[i]);
    if (IsApostrophe(c)) {
      if (apostrophe == std::string_view::npos) apostrophe = i;
    } else if (!IsCodePageLetter(c)) {
      return std::nullopt;
    }
  }
  const std::string_view head = word.substr(0, apostrophe);
  std::string marked = hyphenation::Syllabify(head, mark);
  marked.append(word.substr(head.size()));
  return marked;
}

}  // namespace corvane::html
