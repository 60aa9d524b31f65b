// Reads arbitrary bytes as an e-book's container and package document, and
// arbitrary selector lists over a page: nothing may crash, hang or allocate
// without bound, and every name a package yields stays inside the book.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "ebook/epub_package.h"
#include "html/exclusions.h"
#include "platform/error.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  try {
    corvane::ebook::PackagePathOfContainer(bytes);
  } catch (const corvane::Error&) {
  }
  try {
    for (const std::string& name : corvane::ebook::ReadPackage(bytes, "OEBPS/package.opf").content_documents) {
      if (name.empty() || name.front() == '/' || name.back() == '/') std::abort();
      for (std::size_t start = 0; start <= name.size();) {
        const std::size_t end = std::min(name.find('/', start), name.size());
        const std::string_view step = std::string_view(name).substr(start, end - start);
        if (step.empty() || step == "." || step == "..") std::abort();
        start = end + 1;
      }
    }
  } catch (const corvane::Error&) {
  }
  // The first line as selectors, the rest as a page.
  const std::size_t line = bytes.find('\n');
  corvane::html::ExclusionRules rules;
  try {
    rules.SetSelectors(bytes.substr(0, line));
  } catch (const corvane::Error&) {
  }
  const std::string_view page = line == std::string_view::npos ? std::string_view() : bytes.substr(line + 1);
  std::vector<corvane::html::ByteKind> kinds = corvane::html::ClassifyMarkup(page);
  corvane::html::MarkExcludedElements(page, kinds, rules, page.substr(0, page.size() / 2));
  return 0;
}
