// A page as its words are matched: every letter reference ("&uuml;",
// "&#305;") read as the one byte it stands for, everything else as written.
//
// Words are collected from decoded text, so their occurrences must be sought
// in the same reading; soft hyphens found there go back into the source
// between whole characters, never inside a reference, and references stay
// exactly as written. A page without letter references is its own view: no
// copy of the text is made. The view owns the kinds (one per view byte),
// compacted in place where references collapse, so a large page never holds
// two sets of them; or, for the passes, only a bit per byte telling text from
// markup, the kinds freed before the text is copied.
//
// Offsets map both ways through the list of collapsed references, which is
// empty for most pages and short for the rest.
#ifndef CORVANE_HTML_DECODED_VIEW_H_
#define CORVANE_HTML_DECODED_VIEW_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "html/markup.h"

namespace corvane::html {

class DecodedView {
 public:
  // Whether the view keeps a kind per byte (Kinds()) or only whether each
  // byte is text (IsText), which spares a large page a copy's worth of memory.
  enum class KeepKinds { kYes, kTextOnly };

  // `kinds` is ClassifyMarkup(source); `source` must outlive the view.
  DecodedView(std::string_view source, std::vector<ByteKind> kinds, KeepKinds keep = KeepKinds::kYes);
  DecodedView(const DecodedView&) = delete;
  DecodedView& operator=(const DecodedView&) = delete;

  std::string_view Source() const { return source_; }
  // The decoded text; a letter reference's byte has the kind kText.
  std::string_view Text() const { return text_; }
  // Empty when made with KeepKinds::kTextOnly.
  const std::vector<ByteKind>& Kinds() const { return kinds_; }
  // Whether view byte `at` has the kind kText.
  bool IsText(std::size_t at) const { return (text_bits_[at >> 6] >> (at & 63)) & 1; }
  // The same for 64 bytes at once: bit k of word w tells view byte 64 w + k;
  // bits past the end of the text are clear.
  const uint64_t* TextBits() const { return text_bits_.data(); }

  // Source offset of view offset `at` (0 <= at <= Text().size()): where a
  // soft hyphen before the view's byte `at` goes.
  std::size_t SourceOffset(std::size_t at) const;
  // The same for offsets taken in ascending order: `cursor` (0 at first)
  // carries the place reached from one call to the next, so a whole page
  // of soft hyphens costs one walk over the references.
  std::size_t SourceOffset(std::size_t at, std::size_t& cursor) const;
  // View offset of the byte at source offset `at`; inside a reference, its
  // decoded byte.
  std::size_t ViewOffset(std::size_t at) const;

  // Frees the text copy, the kinds and the text bits, for large pages once matching is
  // over; afterwards only Source() and the offset maps may be used.
  void ReleaseText();

 private:
  struct Collapsed {
    std::size_t view;    // offset of the decoded byte in the view
    std::size_t source;  // offset of the reference's "&" in the source
    std::size_t length;  // source bytes of the reference
    std::size_t extra;   // source bytes saved by this and all earlier references
  };

  // Sets the text bits of view bytes [at, at + count) from their kinds.
  void MarkTextStretch(const ByteKind* kinds, std::size_t count, std::size_t at);

  std::string_view source_;
  std::string_view text_;
  std::vector<ByteKind> kinds_;
  std::vector<uint64_t> text_bits_;  // bit i: view byte i is text
  std::string decoded_;
  std::vector<Collapsed> collapsed_;
};

}  // namespace corvane::html

#endif  // CORVANE_HTML_DECODED_VIEW_H_
