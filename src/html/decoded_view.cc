#include "html/decoded_view.h"

#include <algorithm>
#include <cstring>
#include <optional>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "html/entities.h"

namespace corvane::html {

namespace {

// The first byte of kind kLetter at or after `from`, or `n`.
std::size_t NextLetter(const std::vector<ByteKind>& kinds, std::size_t from, std::size_t n) {
  const auto* base = reinterpret_cast<const unsigned char*>(kinds.data());
  const void* hit = std::memchr(base + from, static_cast<int>(ByteKind::kLetter), n - from);
  return hit == nullptr ? n : static_cast<std::size_t>(static_cast<const unsigned char*>(hit) - base);
}

}  // namespace

DecodedView::DecodedView(std::string_view source, std::vector<ByteKind> kinds, KeepKinds keep)
    : source_(source), text_(source) {
  const std::size_t n = source.size();
  text_bits_.assign(n / 64 + 2, 0);
  // First the references and the text bits, and the kinds compacted in place
  // when they are kept: the view is never longer than the source.
  const bool keep_kinds = keep == KeepKinds::kYes;
  std::size_t out = 0;
  std::size_t extra = 0;
  std::size_t i = 0;
  while (i < n) {
    const std::size_t next = NextLetter(kinds, i, n);
    MarkTextStretch(kinds.data() + i, next - i, out);
    if (keep_kinds && out != i) std::memmove(kinds.data() + out, kinds.data() + i, next - i);
    out += next - i;
    if (next == n) break;
    // A letter reference runs from its "&" to its ";" (the markup scan made
    // sure it decodes) and is one text byte of the view; a letter kind from
    // elsewhere, without its ";", is that one byte.
    const std::size_t semicolon = source.find(';', next);
    const std::size_t end = semicolon == std::string_view::npos ? next + 1 : semicolon + 1;
    if (semicolon != std::string_view::npos) {
      extra += end - next - 1;
      collapsed_.push_back({out, next, end - next, extra});
    }
    text_bits_[out >> 6] |= uint64_t{1} << (out & 63);
    if (keep_kinds) kinds[out] = ByteKind::kText;
    ++out;
    i = end;
  }
  if (keep_kinds) {
    kinds.resize(out);
    kinds_ = std::move(kinds);
  } else {
    std::vector<ByteKind>().swap(kinds);  // before the decoded copy is made
  }
  if (collapsed_.empty()) return;

  // Then the decoded text: the stretches between references copied whole.
  decoded_.reserve(out);
  std::size_t from = 0;
  for (const Collapsed& c : collapsed_) {
    decoded_.append(source.substr(from, c.source - from));
    decoded_.push_back(static_cast<char>(DecodeReference(source.substr(c.source, c.length)).value_or('?')));
    from = c.source + c.length;
  }
  decoded_.append(source.substr(from));
  text_ = decoded_;
}

void DecodedView::MarkTextStretch(const ByteKind* kinds, std::size_t count, std::size_t at) {
  static_assert(static_cast<int>(ByteKind::kLetter) < 8, "kinds must fit in the three low bits");
  constexpr uint64_t kLowBits = 0x0101010101010101ULL;
  std::size_t k = 0;
#if defined(__SSE2__)
  // Sixteen kinds at a time: the bytes equal to kText, as a mask.
  for (; k + 16 <= count; k += 16) {
    const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(kinds + k));
    const auto text = static_cast<uint64_t>(
        static_cast<uint16_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(chunk, _mm_setzero_si128()))));
    const std::size_t bit = at + k;
    text_bits_[bit >> 6] |= text << (bit & 63);
    if ((bit & 63) > 48) text_bits_[(bit >> 6) + 1] |= text >> (64 - (bit & 63));
  }
#endif
  // Eight kinds at a time: a byte is text when its kind (at most 4) is 0;
  // the multiplication gathers the eight answers into one byte.
  for (; k + 8 <= count; k += 8) {
    uint64_t chunk;
    std::memcpy(&chunk, kinds + k, 8);
    const uint64_t zero = ((chunk | (chunk >> 1) | (chunk >> 2)) & kLowBits) ^ kLowBits;
    const uint64_t text = (zero * 0x0102040810204080ULL) >> 56;
    const std::size_t bit = at + k;
    text_bits_[bit >> 6] |= text << (bit & 63);
    if ((bit & 63) > 56) text_bits_[(bit >> 6) + 1] |= text >> (64 - (bit & 63));
  }
  for (; k < count; ++k) {
    const std::size_t bit = at + k;
    text_bits_[bit >> 6] |= uint64_t{kinds[k] == ByteKind::kText} << (bit & 63);
  }
}

std::size_t DecodedView::SourceOffset(std::size_t at) const {
  // The references whose decoded byte stands before `at` have all been passed.
  const auto it = std::lower_bound(collapsed_.begin(), collapsed_.end(), at,
                                   [](const Collapsed& c, std::size_t v) { return c.view < v; });
  return it == collapsed_.begin() ? at : at + std::prev(it)->extra;
}

std::size_t DecodedView::SourceOffset(std::size_t at, std::size_t& cursor) const {
  while (cursor < collapsed_.size() && collapsed_[cursor].view < at) ++cursor;
  return cursor == 0 ? at : at + collapsed_[cursor - 1].extra;
}

std::size_t DecodedView::ViewOffset(std::size_t at) const {
  const auto it = std::upper_bound(collapsed_.begin(), collapsed_.end(), at,
                                   [](std::size_t s, const Collapsed& c) { return s < c.source; });
  if (it == collapsed_.begin()) return at;
  const Collapsed& last = *std::prev(it);
  return at < last.source + last.length ? last.view : at - last.extra;
}

void DecodedView::ReleaseText() {
  std::string().swap(decoded_);
  std::vector<ByteKind>().swap(kinds_);
  std::vector<uint64_t>().swap(text_bits_);
  text_ = {};
}

}  // namespace corvane::html
