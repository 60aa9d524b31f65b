#include "html/exclusions.h"

#include <gtest/gtest.h>

#include "platform/error.h"

namespace corvane::html {
namespace {

// Whether the word "Target" of `page` is kept whole under `rules`.
bool TargetHidden(std::string_view page, const ExclusionRules& rules) {
  std::vector<ByteKind> kinds = ClassifyMarkup(page);
  MarkExcludedElements(page, kinds, rules);
  const std::size_t at = page.find("Target");
  return kinds[at] == ByteKind::kHidden;
}

TEST(ExclusionsTest, BuiltInRulesKeepTextWhole) {
  const ExclusionRules rules;
  const struct {
    const char* page;
    bool hidden;
  } cases[] = {
      {"<p class=\"a donthyphenate\">x <b>Target</b></p>", true},
      {"<div class='nohyphenate'><p>Target</p></div>", true},
      {"<span class=hyphenate-none>Target</span>", true},
      {"<p class=\"DontHyphenate\">Target</p>", false},  // classes compare exactly
      {"<p lang=\"ZXX\">Target</p>", true},
      {"<p xml:lang=\"zxx\"><span lang=\"en\">Target</span></p>", true},
      {"<p translate=\"no\">Target</p>", true},
      {"<var>Target</var>", true},
      {"<m:math><m:mi>Target</m:mi></m:math>", true},
      {"<svg><text>Target</text></svg>", true},
      // In any letter case the rules hold; pages without them skip the walk.
      {"<P TransLate=\"NO\">Target</P>", true},
      {"<p LANG=zXx>Target</p>", true},
      {"<M:MATH>Target</M:MATH>", true},
      {"<SVG>Target</SVG>", true},
      // The element ends where it ends, not later.
      {"<var>x</var> Target", false},
      {"<p class=nohyphenate>x</P><p>Target</p>", false},
      {"<var>x<br>y<img src=a.png/></var>Target", false},
      {"<span class=nohyphenate/>Target", false},
      {"<p class=nohyphenate>x<p>Target", false},
      {"<p class=nohyphenate>x<TABLE>Target", false},
      {"<p class=nohyphenate>x<Wbr><br/>Target", true},
      {"<ul><li class=nohyphenate>x<li>Target</ul>", false},
      {"<li class=nohyphenate>x<ul><li>Target</ul>", true},
      {"<p class=nohyphenate>x</div>Target", true},  // a stray end tag closes nothing
      {"<p>Target</p>", false},
  };
  for (const auto& c : cases) EXPECT_EQ(TargetHidden(c.page, rules), c.hidden) << c.page;
}

TEST(ExclusionsTest, SelectorsAndClassesFromTheUser) {
  ExclusionRules rules;
  rules.SetClasses(SplitNameList(" legal , keep "));
  rules.SetSelectors("h1, p.note, #toc,[data-x], [xml:lang=la], div[role='note'].x, *.any");
  const struct {
    const char* page;
    bool hidden;
  } cases[] = {
      {"<H1>Target</H1>", true},
      {"<h2>Target</h2>", false},
      {"<p class=\"keep\">Target</p>", true},
      {"<p class=\"donthyphenate\">Target</p>", false},  // the list replaces the defaults
      {"<p class=\"note x\">Target</p>", true},
      {"<div class=\"note\">Target</div>", false},
      {"<nav id=\"toc\">Target</nav>", true},
      {"<nav id=\"toc2\">Target</nav>", false},
      {"<p data-x>Target</p>", true},
      {"<p XML:LANG=LA>Target</p>", true},
      {"<p xml:lang=\"lat\">Target</p>", false},
      {"<div role=\"note\" class=\"x\">Target</div>", true},
      {"<div role=\"note\">Target</div>", false},
      {"<em class=any>Target</em>", true},
  };
  for (const auto& c : cases) EXPECT_EQ(TargetHidden(c.page, rules), c.hidden) << c.page;

  for (const char* bad : {"h1 p", "p > a", "a:hover", "[x", "[x='y]", ".", "#", "p:first-child"}) {
    EXPECT_THROW(rules.SetSelectors(bad), Error) << bad;
  }
  EXPECT_NO_THROW(rules.SetSelectors(" , "));
}

}  // namespace
}  // namespace corvane::html
