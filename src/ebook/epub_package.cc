#include "ebook/epub_package.h"

#include <expat.h>

#include <functional>
#include <map>
#include <memory>
#include <set>

#include "platform/error.h"

namespace corvane::ebook {
namespace {

constexpr std::string_view kContainerNamespace = "urn:oasis:names:tc:opendocument:xmlns:container";
constexpr std::string_view kPackageNamespace = "http://www.idpf.org/2007/opf";
constexpr std::string_view kDublinCoreNamespace = "http://purl.org/dc/elements/1.1/";
constexpr std::string_view kPackageMediaType = "application/oebps-package+xml";
constexpr std::string_view kXhtmlMediaType = "application/xhtml+xml";
constexpr char kNamespaceSeparator = '|';

// An element's namespace and local name, as the parser hands them on.
struct ElementName {
  std::string_view space;
  std::string_view local;
};

ElementName SplitName(std::string_view name) {
  const std::size_t bar = name.find(kNamespaceSeparator);
  if (bar == std::string_view::npos) return {{}, name};
  return {name.substr(0, bar), name.substr(bar + 1)};
}

using Attributes = std::map<std::string, std::string, std::less<>>;

struct Handlers {
  std::function<void(ElementName, const Attributes&)> start;
  std::function<void(ElementName)> end;
  std::function<void(std::string_view)> text;
};

// Parses `xml` through expat with namespaces resolved; attributes without a
// prefix keep their plain name. Throws with `what` and the parser's reason.
void ParseXml(std::string_view xml, const Handlers& handlers, const std::string& what) {
  std::unique_ptr<XML_ParserStruct, decltype(&XML_ParserFree)> parser(
      XML_ParserCreateNS(nullptr, kNamespaceSeparator), &XML_ParserFree);
  if (!parser) throw Error("out of memory");
  XML_SetUserData(parser.get(), const_cast<Handlers*>(&handlers));
  XML_SetElementHandler(
      parser.get(),
      [](void* data, const XML_Char* name, const XML_Char** attrs) {
        Attributes attributes;
        for (; attrs[0] != nullptr; attrs += 2) attributes[attrs[0]] = attrs[1];
        static_cast<Handlers*>(data)->start(SplitName(name), attributes);
      },
      [](void* data, const XML_Char* name) { static_cast<Handlers*>(data)->end(SplitName(name)); });
  XML_SetCharacterDataHandler(parser.get(), [](void* data, const XML_Char* s, int length) {
    static_cast<Handlers*>(data)->text(std::string_view(s, static_cast<std::size_t>(length)));
  });
  // Fed in slices: expat takes an int length.
  constexpr std::size_t kSlice = std::size_t{1} << 20;
  bool last = false;
  for (std::size_t at = 0; !last; at += kSlice) {
    const std::string_view slice = xml.substr(std::min(at, xml.size()), kSlice);
    last = at + kSlice >= xml.size();
    if (XML_Parse(parser.get(), slice.data(), static_cast<int>(slice.size()), last) != XML_STATUS_OK) {
      throw Error(what + " is not well-formed XML (line " +
                  std::to_string(XML_GetCurrentLineNumber(parser.get())) + ": " +
                  XML_ErrorString(XML_GetErrorCode(parser.get())) + ")");
    }
  }
}

std::string_view Attribute(const Attributes& attributes, std::string_view name) {
  const auto it = attributes.find(name);
  return it == attributes.end() ? std::string_view() : std::string_view(it->second);
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string_view TrimSpace(std::string_view s) {
  const std::size_t first = s.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) return {};
  return s.substr(first, s.find_last_not_of(" \t\r\n") - first + 1);
}

}  // namespace

std::string PackagePathOfContainer(std::string_view container_xml) {
  std::string first, package;
  Handlers handlers;
  handlers.start = [&](ElementName name, const Attributes& attributes) {
    if (name.space != kContainerNamespace || name.local != "rootfile") return;
    const std::string_view path = Attribute(attributes, "full-path");
    if (path.empty()) return;
    if (first.empty()) first = path;
    if (package.empty() && Attribute(attributes, "media-type") == kPackageMediaType) package = path;
  };
  handlers.end = [](ElementName) {};
  handlers.text = [](std::string_view) {};
  ParseXml(container_xml, handlers, std::string(kContainerPath));
  if (package.empty()) package = first;
  if (package.empty()) throw Error(std::string(kContainerPath) + " names no package document");
  return package;
}

PackageContents ReadPackage(std::string_view package_xml, std::string_view package_path) {
  PackageContents contents;
  std::set<std::string> seen;
  bool in_language = false;
  bool language_done = false;
  std::string language;
  Handlers handlers;
  handlers.start = [&](ElementName name, const Attributes& attributes) {
    if (name.space == kDublinCoreNamespace && name.local == "language" && !language_done) {
      in_language = true;
    } else if (name.space == kPackageNamespace && name.local == "item" &&
               TrimSpace(Attribute(attributes, "media-type")) == kXhtmlMediaType) {
      std::string document = ResolveHref(package_path, Attribute(attributes, "href"));
      if (!document.empty() && seen.insert(document).second) {
        contents.content_documents.push_back(std::move(document));
      }
    }
  };
  handlers.end = [&](ElementName) {
    if (in_language) {
      in_language = false;
      language_done = true;
      contents.language = TrimSpace(language);
    }
  };
  handlers.text = [&](std::string_view text) {
    if (in_language) language.append(text);
  };
  ParseXml(package_xml, handlers, std::string(package_path));
  return contents;
}

std::optional<html::Language> PageLanguageOfTag(std::string_view tag) {
  if (tag.empty()) return std::nullopt;
  // The same reading as a page's lang attributes get.
  const bool turkish = tag.size() >= 2 && (tag[0] == 't' || tag[0] == 'T') && (tag[1] == 'r' || tag[1] == 'R');
  return turkish ? html::Language::kTurkish : html::Language::kEnglish;
}

std::string ResolveHref(std::string_view base, std::string_view href) {
  href = href.substr(0, href.find_first_of("#?"));
  if (href.empty() || href.front() == '/') return {};
  const std::size_t colon = href.find(':');
  if (colon != std::string_view::npos && href.find('/') > colon) return {};  // "http:", "data:"
  std::string decoded;
  for (std::size_t i = 0; i < href.size(); ++i) {
    if (href[i] == '%' && i + 2 < href.size() && HexValue(href[i + 1]) >= 0 && HexValue(href[i + 2]) >= 0) {
      decoded.push_back(static_cast<char>(HexValue(href[i + 1]) * 16 + HexValue(href[i + 2])));
      i += 2;
    } else {
      decoded.push_back(href[i]);
    }
  }
  std::vector<std::string> steps;
  const std::size_t slash = base.rfind('/');
  std::string path = slash == std::string_view::npos ? decoded : std::string(base.substr(0, slash + 1)) + decoded;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find('/', start);
    if (end == std::string::npos) end = path.size();
    const std::string step = path.substr(start, end - start);
    if (step == "..") {
      if (steps.empty()) return {};
      steps.pop_back();
    } else if (!step.empty() && step != ".") {
      steps.push_back(step);
    }
    start = end + 1;
  }
  std::string resolved;
  for (const std::string& step : steps) {
    if (!resolved.empty()) resolved.push_back('/');
    resolved += step;
  }
  return resolved;
}

}  // namespace corvane::ebook
