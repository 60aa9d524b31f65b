// TDrawRules: the ordered rule collection of one colour editor.
//
// Rules are parsed lazily: PrepareRules, run at the start of every redraw,
// parses every rule when NeedsParse is set and otherwise only sets it, so
// lists changed in place take effect within two redraws. While no rule has
// content, NeedsParse stays set and every redraw parses.
#ifndef CORVANE_EDITOR_DRAW_RULES_H_
#define CORVANE_EDITOR_DRAW_RULES_H_

#include <deque>

#include "editor/color_rule.h"

namespace corvane::editor {

class TDrawRules {
 public:
  TDrawRules() = default;
  // Copies take the rules, never the event source: that belongs to the
  // editor that owns a collection.
  TDrawRules(const TDrawRules& other) : items_(other.items_) {}
  TDrawRules& operator=(const TDrawRules& other);

  TColorRule& Add();  // references stay valid while the collection lives
  int Count() const { return static_cast<int>(items_.size()); }
  TColorRule& operator[](int i) { return items_[i]; }
  const TColorRule& operator[](int i) const { return items_[i]; }
  void Clear() { items_.clear(); }

  // Replaces the items by copies of `source`'s; this collection keeps its
  // own event source.
  void Assign(const TDrawRules& source);

  bool NeedsParse() const { return needs_parse_; }
  void PrepareRules();

  // The owning editor's OnDraw handler and buffer (none: event rules draw nothing).
  DrawEventSource* Events() const { return events_; }
  void SetEvents(DrawEventSource* events) { events_ = events; }

 private:
  std::deque<TColorRule> items_;
  bool needs_parse_ = true;
  DrawEventSource* events_ = nullptr;
};

// The rules of the main window's editor: comments grey, tags blue, "&nbsp"
// green, table, bold and paragraph tags maroon or red, and common attribute
// names fuchsia everywhere (the highest ZOrder).
TDrawRules MainWindowRules();

}  // namespace corvane::editor

#endif  // CORVANE_EDITOR_DRAW_RULES_H_
