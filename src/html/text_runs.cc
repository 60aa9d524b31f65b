#include "html/text_runs.h"

#include <cstdint>
#include <cstring>
#include <string>


namespace corvane::html {
namespace {

// Hidden bytes and references are the kinds with the lowest bit set.
constexpr bool LowBit(ByteKind kind) { return (static_cast<int>(kind) & 1) == 1; }
static_assert(LowBit(ByteKind::kHidden) && LowBit(ByteKind::kReference));
static_assert(!LowBit(ByteKind::kText) && !LowBit(ByteKind::kTag) && !LowBit(ByteKind::kLetter));

bool IsBlanked(ByteKind kind) { return (static_cast<uint8_t>(kind) & 1) != 0; }

// The first "<" or ">" at or after `from` that the blanking leaves, or the end.
std::size_t NextDelimiter(std::string_view page, const ByteKind* kinds, std::size_t from) {
  const std::size_t n = page.size();
  for (std::size_t i = from; i < n; ++i) {
    if ((page[i] == '<' || page[i] == '>') && !IsBlanked(kinds[i])) return i;
  }
  return n;
}

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
  std::size_t p = 0;
  while (p < n) {
    const std::size_t q = NextDelimiter(page, kinds.data(), p);
    if (!in_tag && q > p) {
      if (run.empty()) run_start = p;
      AppendVisible(page, kinds.data(), p, q, join_lines, run);
    }
    if (q == n) break;
    // A "<" ends the text and opens a tag (a second one inside a tag is
    // dropped); a ">" ends a tag, or with none open leaves the text whole.
    if (page[q] == '<') {
      close_run();
      in_tag = true;
    } else {
      in_tag = false;
    }
    p = q + 1;
  }
  // The one line ends in a line feed for text that is open.
  if (!in_tag && !run.empty()) run.push_back('\n');
  close_run();
}

}  // namespace corvane::html
