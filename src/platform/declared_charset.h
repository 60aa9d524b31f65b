// The character set a page says it is written in.
//
// Looked for, in this order: a UTF-8 byte-order mark; the encoding of an XML
// declaration that opens the page ("<?xml version="1.0" encoding="utf-8"?>");
// the first <meta> element with a charset attribute, or an http-equiv
// "Content-Type" whose content names one ("text/html; charset=utf-8"), among
// the page's first kDeclarationWindow bytes, comments skipped. Attribute
// names and labels are compared ignoring A-Z case.
#ifndef CORVANE_PLATFORM_DECLARED_CHARSET_H_
#define CORVANE_PLATFORM_DECLARED_CHARSET_H_

#include <cstddef>
#include <string>
#include <string_view>

namespace corvane::platform {

inline constexpr std::size_t kDeclarationWindow = 64 * 1024;

// The label the page declares, trimmed and in lower case ("utf-8",
// "windows-1254"); "utf-8" for a byte-order mark; empty when none.
std::string DeclaredCharset(std::string_view page);

// True when the page declares UTF-8 under any of its labels. A page that
// declares UTF-16 in ASCII bytes is UTF-8 as well, as browsers take it.
bool DeclaresUtf8(std::string_view page);

}  // namespace corvane::platform

#endif  // CORVANE_PLATFORM_DECLARED_CHARSET_H_
