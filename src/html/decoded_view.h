// A page as its words are matched: every letter reference ("&uuml;",
// "&#305;") read as the one byte it stands for, everything else as written.
//
// Words are collected from decoded text, so their occurrences must be sought
// in the same reading; soft hyphens found there go back into the source
// between whole characters, never inside a reference, and references stay
// exactly as written. A page without letter references is its own view: no
// copy of the text is made. The view owns the kinds (one per view byte),
// compacted in place where references collapse, so a large page never holds
// two sets of them.
//
// Offsets map both ways through the list of collapsed references, which is
// empty for most pages and short for the rest.
#ifndef CORVANE_HTML_DECODED_VIEW_H_
#define CORVANE_HTML_DECODED_VIEW_H_

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "html/markup.h"

namespace corvane::html {

class DecodedView {
 public:
  // `kinds` is ClassifyMarkup(source); `source` must outlive the view.
  DecodedView(std::string_view source, std::vector<ByteKind> kinds);
  DecodedView(const DecodedView&) = delete;
  DecodedView& operator=(const DecodedView&) = delete;

  std::string_view Source() const { return source_; }
  // The decoded text; a letter reference's byte has the kind kText.
  std::string_view Text() const { return text_; }
  const std::vector<ByteKind>& Kinds() const { return kinds_; }

  // Source offset of view offset `at` (0 <= at <= Text().size()): where a
  // soft hyphen before the view's byte `at` goes.
  std::size_t SourceOffset(std::size_t at) const;
  // View offset of the byte at source offset `at`; inside a reference, its
  // decoded byte.
  std::size_t ViewOffset(std::size_t at) const;

  // Frees the text copy and the kinds, for large pages once matching is
  // over; afterwards only Source() and the offset maps may be used.
  void ReleaseText();

 private:
  struct Collapsed {
    std::size_t view;    // offset of the decoded byte in the view
    std::size_t source;  // offset of the reference's "&" in the source
    std::size_t length;  // source bytes of the reference
    std::size_t extra;   // source bytes saved by this and all earlier references
  };

  std::string_view source_;
  std::string_view text_;
  std::vector<ByteKind> kinds_;
  std::string decoded_;
  std::vector<Collapsed> collapsed_;
};

}  // namespace corvane::html

#endif  // CORVANE_HTML_DECODED_VIEW_H_
