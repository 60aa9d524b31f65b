// Which bytes of code page 1254 text make up words.
//
// A replacement only counts when the bytes on either side of it are not word
// bytes, so "kitap" is never hyphenated inside "kitaplar".
#ifndef CORVANE_HTML_WORD_BYTES_H_
#define CORVANE_HTML_WORD_BYTES_H_

#include <array>
#include <cstdint>

namespace corvane::html {

class WordBytes {
 public:
  // ASCII letters and digits, "_", and the letters of code page 1254.
  WordBytes();

  // Adds one more byte, such as the stand-in for characters the code page
  // cannot hold, which must count as a letter of its word.
  void Add(uint8_t byte) { is_word_[byte] = true; }

  bool operator()(uint8_t byte) const { return is_word_[byte]; }

 private:
  std::array<bool, 256> is_word_{};
};

// A letter of code page 1254: a word byte of the default set other than a
// digit or "_" (ASCII letters, Turkish and other Latin letters, Š Œ Ÿ ƒ ª µ º).
bool IsCodePageLetter(uint8_t byte);

}  // namespace corvane::html

#endif  // CORVANE_HTML_WORD_BYTES_H_
