// The text runs of a page, as the hyphenation passes read them for words.
//
// The runs are those the tokenizer (tokenizer.h) finds when it is given the
// page as one line in which comments, raw element content and addresses are
// blanked (their CRs and LFs kept), references other than letters are
// blanked, and, when lines are joined, every line break is one LF (a CR LF's
// CR a space), see BlankHiddenText and JoinEditorLines. The scan reads the page and its
// kinds directly, so a large page is not copied to get there.
#ifndef CORVANE_HTML_TEXT_RUNS_H_
#define CORVANE_HTML_TEXT_RUNS_H_

#include <cstddef>
#include <functional>
#include <string_view>
#include <vector>

#include "html/markup.h"

namespace corvane::html {

// Calls `on_run` with the raw text of each run, as the tokenizer holds it
// before decoding (html::DecodeText gives its Text), and the page offset of
// its first byte. `kinds` is ClassifyMarkup(page). The view is valid only
// during the call.
void ForEachTextRun(std::string_view page, const std::vector<ByteKind>& kinds, bool join_lines,
                    const std::function<void(std::string_view text, std::size_t offset)>& on_run);

}  // namespace corvane::html

#endif  // CORVANE_HTML_TEXT_RUNS_H_
