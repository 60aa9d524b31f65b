#include "editor/draw_rules.h"

namespace corvane::editor {

TDrawRules& TDrawRules::operator=(const TDrawRules& other) {
  if (&other != this) {
    items_ = other.items_;
    needs_parse_ = true;
  }
  return *this;
}

TColorRule& TDrawRules::Add() { return items_.emplace_back(); }

void TDrawRules::Assign(const TDrawRules& source) {
  if (&source == this) return;
  items_.clear();
  for (const TColorRule& rule : source.items_) items_.emplace_back().Assign(rule);
  needs_parse_ = true;
}

void TDrawRules::PrepareRules() {
  if (!needs_parse_) {
    needs_parse_ = true;
    return;
  }
  bool any_content = false;
  for (TColorRule& rule : items_) any_content = rule.PrepareRule() || any_content;
  needs_parse_ = !any_content;
}

TDrawRules MainWindowRules() {
  TDrawRules rules;
  TColorRule& comments = rules.Add();
  comments.SetZOrder(2);
  comments.SetKeyBegEndLst({u"<!--;-->;gray"});

  TColorRule& spaces = rules.Add();
  spaces.SetKeyDrawingType(dtKeyShow);
  spaces.SetKeywords({u"&nbsp;green"});

  TColorRule& tags = rules.Add();
  tags.SetKeyBegEndLst({u"<;>;blue"});

  TColorRule& layout_tags = rules.Add();
  layout_tags.SetZOrder(2);
  layout_tags.SetKeyDrawingType(dtKeyShow);
  layout_tags.SetKeywords({u"<TABLE>;maroon", u"</TABLE>;maroon", u"<B>", u"</B>", u"<P>", u"</P>"});

  TColorRule& attributes = rules.Add();
  attributes.SetZOrder(3);
  attributes.SetKeyDrawingType(dtKeyShow);
  attributes.SetDefKeyColor(clFuchsia);
  attributes.SetKeywords({u"BGCOLOR", u"COLOR", u"WIDTH", u"HEIGHT", u"SRC", u"FACE", u"HREF",
                          u"USEMAP", u"SHAPE", u"NAME", u"BORDER", u"ALT"});
  return rules;
}

}  // namespace corvane::editor
