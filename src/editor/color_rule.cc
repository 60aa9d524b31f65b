// Properties of a colour rule and the parsing of its lists into tables.
#include "editor/color_rule.h"

#include <algorithm>

namespace corvane::editor {
namespace {

bool IsBlank(std::u16string_view s) {
  return std::all_of(s.begin(), s.end(), [](char16_t c) { return c <= u' '; });
}

std::u16string FirstChars(std::u16string_view s, size_t n) { return std::u16string(s.substr(0, n)); }

void UpperAscii(std::u16string& s) {
  for (char16_t& c : s) {
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - 32);
  }
}

}  // namespace

TColorRule::TColorRule() = default;

void TColorRule::SetKeywords(const TStrings& v) {
  keywords_ = v;
  ParseKeywords();
}

void TColorRule::SetKeyBegEndLst(const TStrings& v) {
  beg_end_ = v;
  ParseBegEnd();
}

void TColorRule::SetKeyLineEndLst(const TStrings& v) {
  line_end_ = v;
  ParseLineEnd();
}

void TColorRule::Assign(const TColorRule& source) {
  drawing_type_ = source.drawing_type_;
  z_order_ = source.z_order_;
  key_max_height_ = source.key_max_height_;
  key_case_ = source.key_case_;
  enabled_ = source.enabled_;
  part_word_ = source.part_word_;
  def_key_color_ = source.def_key_color_;
  key_brush_color_ = source.key_brush_color_;
  SetKeywords(source.keywords_);
  SetKeyLineEndLst(source.line_end_);
  SetKeyBegEndLst(source.beg_end_);
}

bool TColorRule::PrepareRule() {
  ParseBegEnd();
  if (drawing_type_ == dtKeyShow) ParseKeywords();
  if (drawing_type_ == dtBeginLineEnd) ParseLineEnd();
  return !beg_end_.empty() || (drawing_type_ == dtKeyShow && !keywords_.empty()) ||
         (drawing_type_ == dtBeginLineEnd && !line_end_.empty());
}

TColor TColorRule::ListColor(std::u16string_view colour_part) const {
  return IsBlank(colour_part) ? def_key_color_ : ColorFromName(colour_part);
}

void TColorRule::ParseKeywords() {
  keyword_table_.assign(1, u'*');
  parsed_keywords_.clear();
  color_table_.clear();
  uint8_t previous_index = 1;
  for (const std::u16string& line : keywords_) {
    if (IsBlank(line)) continue;
    const size_t semi = line.find(u';');
    std::u16string keyword = line.substr(0, semi);
    const std::u16string_view colour_part =
        semi == std::u16string::npos ? std::u16string_view() : std::u16string_view(line).substr(semi + 1);
    const TColor colour = ListColor(colour_part);
    if (IsBlank(keyword)) continue;
    if (!key_case_) UpperAscii(keyword);

    uint8_t index = previous_index;
    const auto found = std::find(color_table_.begin(), color_table_.end(), colour);
    if (found != color_table_.end()) {
      index = static_cast<uint8_t>(found - color_table_.begin() + 1);
    } else if (color_table_.size() < kMaxRuleColors) {
      color_table_.push_back(colour);
      index = static_cast<uint8_t>(color_table_.size());
    }
    previous_index = index;

    keyword_table_ += keyword;
    keyword_table_ += u"*+";
    keyword_table_ += static_cast<char16_t>(index);
    keyword_table_ += u'*';
    parsed_keywords_.push_back({std::move(keyword), index});
  }
}

void TColorRule::ParseBegEnd() {
  pairs_.fill(MarkerPair{});
  const size_t lines = std::min<size_t>(beg_end_.size(), kMarkerSlots);
  for (size_t i = 0; i < lines; ++i) {
    const std::u16string_view line = beg_end_[i];
    const size_t p = line.find(u';');
    if (p == std::u16string_view::npos || p == 0) continue;
    const std::u16string_view rest = line.substr(p + 1);
    const size_t q = rest.find(u';');
    MarkerPair& pair = pairs_[i];
    pair.begin = FirstChars(line.substr(0, p), kMarkerLength);
    pair.end = FirstChars(rest.substr(0, q), kMarkerLength);
    pair.color = ListColor(q == std::u16string_view::npos ? std::u16string_view() : rest.substr(q + 1));
  }
}

void TColorRule::ParseLineEnd() {
  pairs_.fill(MarkerPair{});
  const size_t lines = std::min<size_t>(line_end_.size(), kMarkerSlots);
  for (size_t i = 0; i < lines; ++i) {
    const std::u16string_view line = line_end_[i];
    const size_t p = line.find(u';');
    std::u16string_view marker = line;
    std::u16string_view colour_part;
    if (p != std::u16string_view::npos && p >= 1) {
      marker = line.substr(0, p);
      colour_part = line.substr(p + 1);
    } else if (line.substr(0, 2) == u";;") {
      marker = line.substr(0, 1);
      colour_part = line.substr(2);
    }
    pairs_[i].begin = FirstChars(marker, kMarkerLength);
    pairs_[i].color = ListColor(colour_part);
  }
}

}  // namespace corvane::editor
