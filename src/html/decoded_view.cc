#include "html/decoded_view.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "html/entities.h"

namespace corvane::html {

namespace {

// The first view byte of kind kLetter at or after `from`, or `n`.
std::size_t NextLetter(const std::vector<ByteKind>& kinds, std::size_t from, std::size_t n) {
  const auto* base = reinterpret_cast<const unsigned char*>(kinds.data());
  const void* hit = std::memchr(base + from, static_cast<int>(ByteKind::kLetter), n - from);
  return hit == nullptr ? n : static_cast<std::size_t>(static_cast<const unsigned char*>(hit) - base);
}

}  // namespace

DecodedView::DecodedView(std::string_view source, std::vector<ByteKind> kinds)
    : source_(source), text_(source), kinds_(std::move(kinds)) {
  const std::size_t n = source.size();
  std::size_t i = NextLetter(kinds_, 0, n);
  if (i == n) return;

  // The view is never longer than the source, so its kinds are written over
  // the source's as the scan passes them; the stretches between references
  // are copied whole.
  decoded_.reserve(n);
  decoded_.append(source.substr(0, i));
  std::size_t out = i;
  std::size_t extra = 0;
  while (i < n) {
    const std::size_t semicolon = source.find(';', i);
    if (semicolon == std::string_view::npos) {  // a letter kind from elsewhere, without its ";"
      decoded_.push_back(source[i]);
      kinds_[out++] = ByteKind::kText;
      ++i;
    } else {
      // A letter reference runs from its "&" to its ";"; the markup scan
      // made sure it decodes.
      const std::size_t end = semicolon + 1;
      const std::optional<uint8_t> byte = DecodeReference(source.substr(i, end - i));
      extra += end - i - 1;
      collapsed_.push_back({decoded_.size(), i, end - i, extra});
      decoded_.push_back(static_cast<char>(byte.value_or('?')));
      kinds_[out++] = ByteKind::kText;
      i = end;
    }
    const std::size_t next = NextLetter(kinds_, i, n);
    decoded_.append(source.substr(i, next - i));
    std::memmove(kinds_.data() + out, kinds_.data() + i, next - i);
    out += next - i;
    i = next;
  }
  kinds_.resize(out);
  text_ = decoded_;
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
  text_ = {};
}

}  // namespace corvane::html
