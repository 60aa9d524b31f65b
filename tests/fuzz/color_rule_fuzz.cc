// Parses arbitrary rule lists and scans arbitrary text with them, alone and
// as part of a whole colouring pass beside the main window's rules. Input:
// a flags byte (drawing type, KeyCase, PartWord), then the lines of the
// rule's list up to a zero byte, then the text; each byte is one character.
// Spans and runs must stay inside the text; nothing may crash or hang.
#include <cstdint>
#include <string>

#include "editor/color_pass.h"
#include "editor/color_rule.h"
#include "editor/draw_rules.h"

using namespace corvane::editor;

namespace {

std::u16string Widen(const uint8_t* data, size_t size) {
  std::u16string text(size, u'\0');
  for (size_t i = 0; i < size; ++i) text[i] = static_cast<char16_t>(data[i] < 0xF0 ? data[i] : 0x100 + data[i]);
  return text;
}

void CheckInside(const std::vector<TKeyDescr>& spans, int32_t begin, int32_t end) {
  for (const TKeyDescr& s : spans) {
    if (s.StartPos < begin || s.EndPos > end || s.StartPos > s.EndPos) __builtin_trap();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const uint8_t flags = data[0];
  const std::u16string rest = Widen(data + 1, size - 1);
  const size_t split = std::min(rest.find(u'\0'), rest.size());
  TStrings lines;
  for (size_t at = 0; at < split;) {
    const size_t newline = std::min(rest.find(u'\n', at), split);
    lines.push_back(rest.substr(at, newline - at));
    at = newline + 1;
  }
  const std::u16string text = split < rest.size() ? rest.substr(split + 1) : std::u16string();

  TDrawRules rules = MainWindowRules();
  TColorRule& rule = rules.Add();
  rule.SetKeyDrawingType(static_cast<TKeyDrawingType>(flags % 4));
  rule.SetKeyCase((flags & 4) != 0);
  rule.SetPartWord((flags & 8) != 0);
  rule.SetZOrder(flags >> 4);
  rule.SetKeywords(lines);
  rule.SetKeyBegEndLst(lines);
  rule.SetKeyLineEndLst(lines);
  rule.PrepareRule();

  const auto length = static_cast<int32_t>(text.size());
  SpanList spans;
  rule.ScanRule(text, 0, spans);
  CheckInside(spans.Items(), 0, length);

  PassInput input;
  input.region = text;
  input.caret = length / 2;
  input.sel_start = length / 3;
  input.sel_length = length / 4;
  ColorPass pass;
  CheckInside(pass.Run(input, rules), 0, length);
  return 0;
}
