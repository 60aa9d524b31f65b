#include "html/text_runs.h"

#include <cstdint>
#include <cstring>
#include <algorithm>
#include <string>


namespace corvane::html {
namespace {

// Hidden bytes and references are the kinds with the lowest bit set.
constexpr bool LowBit(ByteKind kind) { return (static_cast<int>(kind) & 1) == 1; }
static_assert(LowBit(ByteKind::kHidden) && LowBit(ByteKind::kReference));
static_assert(!LowBit(ByteKind::kText) && !LowBit(ByteKind::kTag) && !LowBit(ByteKind::kLetter));

bool IsBlanked(ByteKind kind) { return (static_cast<uint8_t>(kind) & 1) != 0; }

// The "<" and ">" that the blanking leaves, in order. Each of the two bytes
// is sought with its own fast search, and the nearer one taken, so the text
// between tags is never walked a byte at a time.
class Delimiters {
 public:
  Delimiters(std::string_view page, const ByteKind* kinds)
      : page_(page), kinds_(kinds), next_open_(Find('<', 0)), next_close_(Find('>', 0)) {}

  // The first at or after `from`, or the end of the page.
  std::size_t Next(std::size_t from) {
    for (;;) {
      if (next_open_ < from) next_open_ = Find('<', from);
      if (next_close_ < from) next_close_ = Find('>', from);
      const std::size_t at = std::min(next_open_, next_close_);
      if (at == page_.size() || !IsBlanked(kinds_[at])) return at;
      from = at + 1;
    }
  }

 private:
  std::size_t Find(char c, std::size_t from) const {
    const std::size_t at = page_.find(c, from);
    return at == std::string_view::npos ? page_.size() : at;
  }

  std::string_view page_;
  const ByteKind* kinds_;
  std::size_t next_open_;
  std::size_t next_close_;
};

// Appends page[from, to) to `run` as the blanked, joined line has it.
void AppendVisible(std::string_view page, const ByteKind* kinds, std::size_t from, std::size_t to,
                   bool join_lines, std::string& run) {
  const std::size_t base = run.size();
  run.append(page.substr(from, to - from));
  char* const out = run.data() + base;
  std::size_t i = from;
  while (i < to) {
    // Most stretches hold no blanked byte at all; eight kinds at a time.
    if (i + 8 <= to) {
      uint64_t chunk;
      std::memcpy(&chunk, kinds + i, 8);
      if ((chunk & 0x0101010101010101ULL) == 0) {
        i += 8;
        continue;
      }
    }
    if (IsBlanked(kinds[i])) {
      const char c = page[i];
      if (kinds[i] == ByteKind::kReference || (c != '\r' && c != '\n')) out[i - from] = ' ';
    }
    ++i;
  }
  if (!join_lines) return;
  const std::string_view appended(out, to - from);
  for (std::size_t k = appended.find('\r'); k != std::string_view::npos; k = appended.find('\r', k + 1)) {
    const std::size_t at = from + k;
    out[k] = (at + 1 < page.size() && page[at + 1] == '\n') ? ' ' : '\n';
  }
}

// The first byte at or after `from` that is not a tag byte, or `n`.
std::size_t EndOfTagBytes(const ByteKind* kinds, std::size_t from, std::size_t n) {
  constexpr uint64_t kTags = 0x0101010101010101ULL * static_cast<uint8_t>(ByteKind::kTag);
  std::size_t i = from;
  for (; i + 8 <= n; i += 8) {
    uint64_t chunk;
    std::memcpy(&chunk, kinds + i, 8);
    if (chunk != kTags) break;
  }
  while (i < n && kinds[i] == ByteKind::kTag) ++i;
  return i;
}

}  // namespace

void ForEachTextRun(std::string_view page, const std::vector<ByteKind>& kinds, bool join_lines,
                    const std::function<void(std::string_view text, std::size_t offset)>& on_run) {
  std::string run;
  std::size_t run_start = 0;
  bool in_tag = false;
  auto close_run = [&] {
    if (in_tag || run.empty()) return;
    on_run(run, run_start);
    run.clear();
  };

  const std::size_t n = page.size();
  Delimiters delimiters(page, kinds.data());
  std::size_t p = 0;
  while (p < n) {
    std::size_t q = delimiters.Next(p);
    if (q > p) {
      if (run.empty()) run_start = p;
      AppendVisible(page, kinds.data(), p, q, join_lines, run);
    }
    if (q == n) break;
    // A "<" ends the text and opens a tag, which runs to its own ">" (quoted
    // values may hold others); a ">" with no tag open leaves the text whole.
    // Tags that touch give no text between them, so the scan goes on past
    // the whole stretch of tag bytes.
    if (page[q] == '<') {
      close_run();
      q = EndOfTagBytes(kinds.data(), q, n);
      if (q == n) {
        in_tag = true;
        break;
      }
      p = q;
      continue;
    }
    p = q + 1;
  }
  // The one line ends in a line feed for text that is open.
  if (!in_tag && !run.empty()) run.push_back('\n');
  close_run();
}

}  // namespace corvane::html
