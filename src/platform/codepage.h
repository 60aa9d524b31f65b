// Code page 1254 (Windows Turkish) and its conversion to and from Unicode.
//
// Inside the engine every text is a std::string of code page 1254 bytes.
// Conversion happens only at the edges (files, clipboard, windows), and it
// must never lose a character: a UTF-8 document that holds characters the
// code page cannot store still has to come back out byte for byte.
//
// Byte layout of the code page:
//
//   00-7F  ASCII
//   80-9F  the Windows punctuation and letters (€ ‚ ƒ „ … † ‡ ˆ ‰ Š ‹ Œ
//          ‘ ’ “ ” • – — ˜ ™ š › œ Ÿ); the seven bytes the code page leaves
//          unassigned (81 8D 8E 8F 90 9D 9E) stand for the C1 control code
//          points of the same value, so every byte has a code point and
//          every byte string round-trips through Unicode
//   A0-FF  Latin-1, except D0 Ğ, DD İ, DE Ş, F0 ğ, FD ı, FE ş
//
// Characters the code page cannot hold travel beside the text: the text
// carries a placeholder byte in their place, and their code points are kept
// in order in a side list (DecodedUtf8::unmappable). The placeholder is the
// unassigned byte 8F, which no real cp1254 text contains; should a document
// hold U+008F itself, that character goes into the side list as well, so
// every placeholder byte has exactly one entry and the round trip stays exact.
#ifndef CORVANE_PLATFORM_CODEPAGE_H_
#define CORVANE_PLATFORM_CODEPAGE_H_

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::platform {

inline constexpr uint8_t kUnmappablePlaceholder = 0x8F;

// The code point a byte stands for; total (every byte has one).
char32_t Cp1254ToUnicode(uint8_t b);

// The byte that stands for `c`, or nullopt when the code page cannot hold it.
// The C1 code points of the unassigned bytes map back to those bytes.
std::optional<uint8_t> UnicodeToCp1254(char32_t c);

// Strict UTF-8: no overlong forms, no surrogates (D800-DFFF), nothing above
// U+10FFFF, no truncated sequences. A byte order mark is ordinary text here.
bool IsValidUtf8(std::string_view s);

// The length of the longest prefix of `s` that is strict UTF-8 (as above):
// where the first byte that is not UTF-8 starts, or s.size().
size_t ValidUtf8Prefix(std::string_view s);

// True when every byte is below 0x80 (such text reads the same in UTF-8 and
// in the code page).
bool IsPlainAscii(std::string_view s);

struct DecodedUtf8 {
  std::string text;                  // code page 1254 bytes
  std::vector<char32_t> unmappable;  // one entry per placeholder byte, in order
  bool had_bom = false;              // the input began with EF BB BF
};

// Converts valid UTF-8 to code page 1254. A leading byte order mark is
// dropped and reported in `had_bom`. Each character the code page cannot
// hold, and each character whose byte would be `placeholder`, becomes the
// byte `placeholder` with its code point appended to `unmappable`.
// The text never grows: the result is at most as long as the input.
// Throws corvane::Error when the input is not valid UTF-8.
DecodedUtf8 Utf8ToCp1254(std::string_view utf8,
                         uint8_t placeholder = kUnmappablePlaceholder);

// The inverse of Utf8ToCp1254: each `placeholder` byte takes the next code
// point of `unmappable`; once the list is used up, a placeholder byte is
// written as its own code point. Entries left over are ignored. A byte order
// mark is written first when `bom` is set.
std::string Cp1254ToUtf8(std::string_view text,
                         std::span<const char32_t> unmappable,
                         uint8_t placeholder, bool bom);
inline std::string Cp1254ToUtf8(std::string_view text, const std::vector<char32_t>& unmappable,
                                uint8_t placeholder, bool bom) {
  return Cp1254ToUtf8(text, std::span<const char32_t>(unmappable), placeholder, bom);
}

// Plain conversion: every byte as its own code point, no byte order mark.
std::string Cp1254ToUtf8(std::string_view text);

}  // namespace corvane::platform

#endif  // CORVANE_PLATFORM_CODEPAGE_H_
