// How a soft hyphen is spelled in the result, and which documents are XML.
//
// HTML knows "&shy;"; XML defines only its five entities, so a page that is
// XML would no longer parse with it. XML pages get the character itself
// where the page is UTF-8 and the numeric reference elsewhere. A page is XML
// when
//   - after a byte-order mark and white space it begins with "<?xml",
//   - its root element declares the XHTML namespace
//     (xmlns="http://www.w3.org/1999/xhtml"),
//   - its name ends in .xhtml, .xht or .svg (any letter case), or
//   - it comes from an e-book (the caller knows that).
#ifndef CORVANE_HTML_SOFT_HYPHEN_FORM_H_
#define CORVANE_HTML_SOFT_HYPHEN_FORM_H_

#include <cstdint>
#include <string>
#include <string_view>

namespace corvane::html {

enum class SoftHyphenForm : uint8_t {
  kEntity,     // "&shy;"
  kNumeric,    // "&#173;"
  kCharacter,  // U+00AD itself: byte 0xAD of code page 1254, written as C2 AD in UTF-8
};

// The form as it stands in code page 1254 text.
std::string_view SoftHyphenText(SoftHyphenForm form);

// Whether `bytes` (the file as read) named `file_name` (may be empty) is XML.
bool IsXmlDocument(std::string_view bytes, std::string_view file_name);

// Whether an XML page's declaration (if any) names UTF-8 or no encoding at
// all, in which case XML reads it as UTF-8 even when every byte is ASCII.
bool XmlDeclaresUtf8(std::string_view bytes);

// Whether an XML page taken as code page 1254 is in fact UTF-8 for its
// readers: all of it ASCII and declared as UTF-8 (or not declared), so a
// soft hyphen character must be written to it in UTF-8.
bool AsciiXmlIsUtf8(std::string_view text);

// The form a page gets: `html_form` for HTML; for XML the character in a
// UTF-8 page, "&#173;" in any other. The character goes only into UTF-8
// pages: a page taken as code page bytes may be in another code page, where
// that byte is something else (soft_hyphens.h), so it gets "&#173;".
SoftHyphenForm SoftHyphenFormFor(bool xml, bool utf8, SoftHyphenForm html_form);

}  // namespace corvane::html

#endif  // CORVANE_HTML_SOFT_HYPHEN_FORM_H_
