// Elements whose text is never hyphenated, with everything inside them.
//
// Besides the raw elements markup.h hides, these keep their text whole:
//   - an element whose class list holds one of the exclusion classes
//     ("donthyphenate", "nohyphenate", "hyphenate-none" unless set);
//   - lang="zxx" or xml:lang="zxx" (no linguistic content), translate="no";
//   - var, math and svg (text in a drawing does not wrap, so a soft hyphen
//     there would only show), with or without a namespace prefix;
//   - whatever the user's selectors name.
// A selector is a simple one: an element name or "*", then any number of
// ".class", "#id", "[attribute]" and "[attribute=value]" (the value bare or
// quoted), as in "h1", ".legal", "#toc", "[data-x]", "[lang=la]" or
// "p.legal" (attribute names may hold a namespace prefix: "[xml:lang=la]").
// Element and attribute names and attribute values compare
// ignoring A-Z case; classes and ids exactly. A list separates selectors by
// commas. There are no combinators: each selector looks at one element.
//
// Elements are followed on a stack: a start tag opens one (not a void
// element, not a tag ending in "/>"), an end tag closes the innermost open
// element of its name and everything opened after it, and an end tag of no
// open element is passed over. As HTML reads it, a new p, li, dt or dd start
// tag (and a block start tag for p) first closes an open element it cannot
// sit in, so an unclosed excluded paragraph does not swallow the page.
#ifndef CORVANE_HTML_EXCLUSIONS_H_
#define CORVANE_HTML_EXCLUSIONS_H_

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "html/markup.h"

namespace corvane::html {

class ExclusionRules {
 public:
  // The built-in rules with the default classes and no selectors.
  ExclusionRules();

  // Replaces the exclusion classes (names without the dot).
  void SetClasses(std::vector<std::string> classes) { classes_ = std::move(classes); }
  const std::vector<std::string>& Classes() const { return classes_; }

  // Replaces the selectors by the comma-separated `list` (empty: none).
  // Throws corvane::Error "invalid selector 'S'" for one it cannot read.
  void SetSelectors(std::string_view list);

  // Whether the element whose start tag is `tag` (its text between "<" and
  // ">") keeps its text whole.
  bool Excludes(std::string_view tag) const;

  // False only when no start tag of `page` can be excluded: none names a
  // built-in excluded element, and the page holds neither an exclusion
  // class nor the values the built-in attribute rules look for. A cheap
  // look over the bytes, so that most pages skip following their elements.
  bool MayExcludeIn(std::string_view page) const;

 private:
  struct Selector {
    std::string element;  // a-z folded; empty: any
    std::vector<std::string> classes;
    std::optional<std::string> id;
    std::vector<std::pair<std::string, std::optional<std::string>>> attributes;  // names folded
  };
  static Selector ParseSelector(std::string_view text);

  std::vector<std::string> classes_;
  std::vector<Selector> selectors_;
};

// Splits a comma-separated list of class names (spaces allowed around them).
std::vector<std::string> SplitNameList(std::string_view list);

// Turns the text of every excluded element (`kinds` as ClassifyMarkup gives
// them) into hidden bytes; tags stay tags, so languages still follow them.
// `text` may be a selection of a page: `preceding`, the page before it,
// gives the elements the selection sits in.
void MarkExcludedElements(std::string_view text, std::vector<ByteKind>& kinds, const ExclusionRules& rules,
                          std::string_view preceding = {});

}  // namespace corvane::html

#endif  // CORVANE_HTML_EXCLUSIONS_H_
