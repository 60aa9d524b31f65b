// What an e-book's two small XML files say: where the package document is
// (META-INF/container.xml) and, in the package document, the book's language
// and its content documents.
//
// Both are read with a conforming XML parser that never fetches external
// entities; a file that is not well-formed XML, or lacks what is needed,
// throws corvane::Error naming the file.
#ifndef CORVANE_EBOOK_EPUB_PACKAGE_H_
#define CORVANE_EBOOK_EPUB_PACKAGE_H_

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "html/language.h"

namespace corvane::ebook {

inline constexpr std::string_view kContainerPath = "META-INF/container.xml";

// The zip name of the package document: the first rootfile of the
// container whose media type is the package's (or, failing that, the first
// rootfile).
std::string PackagePathOfContainer(std::string_view container_xml);

struct PackageContents {
  // The first dc:language, as written ("tr", "en-GB"); empty when none.
  std::string language;
  // Zip names of the manifest's XHTML items, in manifest order, each once.
  std::vector<std::string> content_documents;
};

// `package_path` is the package document's own zip name: hrefs are relative
// to its folder.
PackageContents ReadPackage(std::string_view package_xml, std::string_view package_path);

// The language rule for text a book declares as `tag` (a dc:language):
// Turkish for "tr..." in any letter case, English for any other, nothing
// when the book declares none (the page's letters decide then).
std::optional<html::Language> PageLanguageOfTag(std::string_view tag);

// The zip name an href relative to the folder of `base` points at: percent
// escapes decoded, "." and ".." steps taken; empty when it leaves the book,
// is absolute, or names another place (a scheme such as "http:").
std::string ResolveHref(std::string_view base, std::string_view href);

}  // namespace corvane::ebook

#endif  // CORVANE_EBOOK_EPUB_PACKAGE_H_
