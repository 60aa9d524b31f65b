// One colour rule: which stretches of the editor text it colours, and how.
//
// A rule matches one of its lists, chosen by KeyDrawingType:
//   dtKeyShow       every whole-word occurrence of each keyword of Keywords
//                   ("<TABLE>;maroon": keyword, ";", colour; "<B>": default colour)
//   dtEventDraw     whatever the owner's OnDraw handler reports
//   dtBeginEnd      begin marker to end marker, from KeyBegEndLst ("<!--;-->;gray")
//   dtBeginLineEnd  marker to the end of its line, from KeyLineEndLst ("//;green")
//
// The lists are parsed into tables (see PrepareRule): the keyword table
// "*" + for each keyword: text "*+" index "*", where the index (1..41) is a
// character naming an entry of the colour table; and 40 marker-pair slots of
// at most 6-character markers, the first slot with an empty begin marker
// ending the table. A keyword line whose colour would be the 42nd distinct
// one takes the colour of the keyword before it.
//
// Letters, for whole-word matching, are the characters 64..90 ('@', 'A'..'Z')
// and 97..122 ('a'..'z'); every other character, accented letters included,
// separates words. With KeyCase false keywords and text are compared with
// 'a'..'z' upper-cased; markers always match case-sensitively.
#ifndef CORVANE_EDITOR_COLOR_RULE_H_
#define CORVANE_EDITOR_COLOR_RULE_H_

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "editor/colors.h"
#include "editor/key_descr.h"

namespace corvane::editor {

using TStrings = std::vector<std::u16string>;

enum TKeyDrawingType : uint8_t { dtKeyShow, dtEventDraw, dtBeginEnd, dtBeginLineEnd };

class TColorRule;

// Span source of dtEventDraw rules. `from_pos` is the scanned text from the
// scan start; the handler writes at most a.size() spans into `a` with offsets
// relative to from_pos and sets items_count (0 on entry) to how many.
using TDrawEvent = std::function<void(const TColorRule& sender, std::u16string_view from_pos,
                                      std::span<TKeyDescr> a, int& items_count)>;

// What dtEventDraw rules reach through their collection: the editor's
// handler and its buffer (ColorLimMax entries; empty means no spans).
struct DrawEventSource {
  const TDrawEvent* OnDraw = nullptr;
  std::span<TKeyDescr> buffer;
};

struct MarkerPair {
  std::u16string begin;  // empty: this slot and every slot after it are unused
  std::u16string end;
  TColor color = 0;
};

inline constexpr int kMaxRuleColors = 41;
inline constexpr int kMarkerSlots = 40;
inline constexpr size_t kMarkerLength = 6;

class TColorRule {
 public:
  TColorRule();

  uint8_t ZOrder() const { return z_order_; }
  void SetZOrder(uint8_t v) { z_order_ = v; }
  const std::u16string& IntChar() const { return int_char_; }  // kept, never used
  void SetIntChar(std::u16string v) { int_char_ = std::move(v); }
  int KeyMaxHeight() const { return key_max_height_; }
  void SetKeyMaxHeight(int v) { key_max_height_ = v; }
  TKeyDrawingType KeyDrawingType() const { return drawing_type_; }
  void SetKeyDrawingType(TKeyDrawingType v) { drawing_type_ = v; }
  bool KeyCase() const { return key_case_; }
  void SetKeyCase(bool v) { key_case_ = v; }  // takes effect at the next parse
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool v) { enabled_ = v; }
  bool PartWord() const { return part_word_; }
  void SetPartWord(bool v) { part_word_ = v; }
  TColor DefKeyColor() const { return def_key_color_; }
  void SetDefKeyColor(TColor v) { def_key_color_ = v; }
  TColor KeySelColor() const { return key_sel_color_; }  // kept, never used
  void SetKeySelColor(TColor v) { key_sel_color_ = v; }
  TColor KeyBrushColor() const { return key_brush_color_; }  // kept, never used
  void SetKeyBrushColor(TColor v) { key_brush_color_ = v; }

  // Setting a list copies it and parses it at once.
  const TStrings& Keywords() const { return keywords_; }
  void SetKeywords(const TStrings& v);
  const TStrings& KeyBegEndLst() const { return beg_end_; }
  void SetKeyBegEndLst(const TStrings& v);
  const TStrings& KeyLineEndLst() const { return line_end_; }
  void SetKeyLineEndLst(const TStrings& v);
  // Direct access, as when rules are loaded from a stored form: nothing is
  // parsed until the collection's next PrepareRules that parses.
  TStrings& MutableKeywords() { return keywords_; }
  TStrings& MutableKeyBegEndLst() { return beg_end_; }
  TStrings& MutableKeyLineEndLst() { return line_end_; }

  // Copies every property except IntChar and KeySelColor, then the lists
  // (Keywords, KeyLineEndLst, KeyBegEndLst, each parsed as it is set).
  void Assign(const TColorRule& source);

  // Parses KeyBegEndLst, then Keywords (dtKeyShow) or KeyLineEndLst
  // (dtBeginLineEnd, replacing the pairs). True when the rule has content:
  // KeyBegEndLst has lines, or the list of its drawing type has lines.
  bool PrepareRule();

  // Appends this rule's spans for `region`, the editor text from offset
  // `scan_start` up to the end of the region (nothing past it is read).
  // Span offsets are offsets into the whole text. `events` serves dtEventDraw.
  void ScanRule(std::u16string_view region, int32_t scan_start, SpanList& spans,
                DrawEventSource* events = nullptr);

  // The parsed tables.
  const std::u16string& KeywordTable() const { return keyword_table_; }
  const std::vector<TColor>& ColorTable() const { return color_table_; }
  const std::array<MarkerPair, kMarkerSlots>& MarkerPairs() const { return pairs_; }

 private:
  struct Keyword {
    std::u16string text;
    uint8_t index;  // 1-based into color_table_
  };

  void ParseKeywords();
  void ParseBegEnd();
  void ParseLineEnd();
  TColor ListColor(std::u16string_view colour_part) const;

  void ScanKeywords(std::u16string_view region, int32_t scan_start, SpanList& spans);
  void ScanMarkers(std::u16string_view region, int32_t scan_start, SpanList& spans);
  void ScanEvents(std::u16string_view region, int32_t scan_start, SpanList& spans,
                  DrawEventSource* events) const;

  uint8_t z_order_ = 0;
  std::u16string int_char_;
  TStrings keywords_, beg_end_, line_end_;
  int key_max_height_ = 1;
  TKeyDrawingType drawing_type_ = dtBeginEnd;
  bool key_case_ = false;
  bool enabled_ = true;
  bool part_word_ = false;
  TColor def_key_color_ = clRed;
  TColor key_sel_color_ = clYellow;
  TColor key_brush_color_ = clWindow;

  std::u16string keyword_table_;
  std::vector<Keyword> parsed_keywords_;  // the keyword table, ready for scanning
  std::vector<TColor> color_table_;
  std::array<MarkerPair, kMarkerSlots> pairs_;
  std::u16string upper_copy_;  // scratch for case-insensitive scans, only grows
};

// True for the characters that count as letters when matching whole words.
constexpr bool IsRuleLetter(char16_t c) { return (c >= 64 && c <= 90) || (c >= 97 && c <= 122); }

}  // namespace corvane::editor

#endif  // CORVANE_EDITOR_COLOR_RULE_H_
