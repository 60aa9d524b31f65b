// Character references of HTML text and the bytes they stand for.
//
// Two constant tables:
//
//   Named references   100 rows in a fixed order: "&quot;" 34, "&amp;" 38,
//                      "&lt;" 60, "&gt;" 62, then the Latin-1 names for the
//                      codes 160 to 255 in code order (row r, counted from 1,
//                      has code 155 + r). Each row also carries its numeric
//                      form "&#" + decimal code + ";", because a named
//                      reference is decoded by way of that form.
//   Code to byte       256 entries; a code stands for the byte of the same
//                      value, except that the control codes 0-31 and the
//                      no-break space 160 give a plain space 32, so the text
//                      runs that the hyphenation passes split on spaces
//                      never carry invisible separators.
//
// The byte is taken as it is whatever the code page of the text: in code page
// 1254 "&#240;" and "&eth;" both give 0xF0, which is the letter ğ there.
//
// A reference is written here as it stands in the text: from its "&" up to and
// including the terminator (";" or a space).
#ifndef CORVANE_HTML_ENTITIES_H_
#define CORVANE_HTML_ENTITIES_H_

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace corvane::html {

struct NamedReference {
  std::string_view name;     // "&quot;"
  std::string_view numeric;  // "&#34;"
  int code;                  // 34
};

inline constexpr int kNamedReferenceCount = 100;

// All rows in their fixed order.
std::span<const NamedReference, kNamedReferenceCount> NamedReferences();

// The row whose name equals `name` exactly (case matters: "&AMP;" is no row),
// or nullptr. Constant time in the size of the table.
const NamedReference* FindNamedReference(std::string_view name);

// The byte a code within 0..255 stands for.
uint8_t CodeToByte(uint8_t code);

// The value of a numeric reference "&#...;" or "&#... " (terminator
// included), or nullopt when it does not convert. What stands between "&#"
// and the terminator must be at most 3 characters: an optional "+" or "-"
// and decimal digits, or "x"/"X" and 1 or 2 hex digits. The value may lie
// outside 0..255 ("&#300;", "&#-5;"); such references have no byte.
std::optional<int> NumericReferenceValue(std::string_view reference);

// The byte a complete reference (terminator included) decodes to, or nullopt
// when it stays in the text as written. A named reference goes through its
// numeric form; a numeric one converts as NumericReferenceValue allows when
// its value lies within 0..255. Beyond the table, so that Turkish letters
// written as references stay letters:
//   - a numeric reference of any length, decimal or "x" and hex digits, whose
//     value is a letter that code page 1254 holds above 255 (Ğ ğ İ ı Ş ş Œ œ
//     Š š Ÿ ƒ) gives that letter's byte: "&#305;", "&#x131;", "&#00305;";
//   - "&gbreve;", "&Gbreve;", "&scedil;", "&Scedil;", "&inodot;", "&imath;"
//     and "&Idot;" give ğ Ğ ş Ş ı ı İ.
// Every other reference keeps its table meaning ("&#0065;" stays). A
// reference ended by a space never matches a name.
std::optional<uint8_t> DecodeReference(std::string_view reference);

}  // namespace corvane::html

#endif  // CORVANE_HTML_ENTITIES_H_
