#include "html/word_bytes.h"

namespace corvane::html {

WordBytes::WordBytes() {
  auto add_range = [this](int from, int to) {
    for (int c = from; c <= to; ++c) is_word_[c] = true;
  };
  add_range('0', '9');
  add_range('A', 'Z');
  add_range('a', 'z');
  add_range('_', '_');
  for (int c : {0x83, 0x8A, 0x8C, 0x9A, 0x9C, 0x9F, 0xAA, 0xB5, 0xBA}) is_word_[c] = true;
  add_range(0xC0, 0xD6);
  add_range(0xD8, 0xF6);
  add_range(0xF8, 0xFF);
}

bool IsCodePageLetter(uint8_t byte) {
  static const WordBytes word_bytes;
  return word_bytes(byte) && byte != '_' && !(byte >= '0' && byte <= '9');
}

}  // namespace corvane::html
