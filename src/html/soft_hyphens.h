// What counts as a soft hyphen already in a page: what unhyphenating removes,
// and what makes a toggle take a text for hyphenated.
//
// The spellings are
//   "&shy;"                  names are case-sensitive, so "&SHY;" and "&Shy;"
//                            are text someone wrote and stay
//   "&#173;"                 with any number of leading zeros
//   "&#xad;"                 "x" and the hex digits in either case, any
//                            number of leading zeros
//   U+00AD                   the character itself, only in pages read as
//                            UTF-8: the byte 0xAD of the code page text the
//                            passes read. A page taken as code page bytes may
//                            be in another code page, where that byte is no
//                            soft hyphen, so there it stays.
// Every reference ends in ";"; without one it is text.
#ifndef CORVANE_HTML_SOFT_HYPHENS_H_
#define CORVANE_HTML_SOFT_HYPHENS_H_

#include <cstddef>
#include <string>
#include <string_view>

namespace corvane::html {

// Whether the byte 0xAD (U+00AD) is a soft hyphen: kCounted for pages read
// as UTF-8.
enum class SoftHyphenCharacter { kIgnored, kCounted };

// The length of the soft hyphen that starts at `at` (at < text.size()), or 0.
std::size_t SoftHyphenLength(std::string_view text, std::size_t at, SoftHyphenCharacter character);

// True when `text` holds a soft hyphen.
bool ContainsSoftHyphen(std::string_view text,
                        SoftHyphenCharacter character = SoftHyphenCharacter::kIgnored);

// `text` without its soft hyphens; everything else byte for byte.
std::string RemoveSoftHyphens(std::string_view text,
                              SoftHyphenCharacter character = SoftHyphenCharacter::kIgnored);

}  // namespace corvane::html

#endif  // CORVANE_HTML_SOFT_HYPHENS_H_
