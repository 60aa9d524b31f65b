#include "editor/key_descr.h"

namespace corvane::editor {

void SpanList::Clear() {
  items_.clear();  // keeps the storage for the next redraw
  lowest_start_ = -1;
  highest_end_ = -1;
  first_open_begin_ = -1;
}

void SpanList::Add(const TKeyDescr& span) {
  items_.push_back(span);
  if (lowest_start_ < 0 || span.StartPos < lowest_start_) lowest_start_ = span.StartPos;
  if (span.EndPos > highest_end_) highest_end_ = span.EndPos;
}

void SpanList::NoteOpenBegin(int32_t offset) {
  if (first_open_begin_ < 0 || offset < first_open_begin_) first_open_begin_ = offset;
}

}  // namespace corvane::editor
