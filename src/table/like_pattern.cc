#include "table/like_pattern.h"

#include "table/collation.h"

namespace corvane::table {
namespace {

constexpr std::size_t kNone = static_cast<std::size_t>(-1);

// The usual wildcard walk: on a mismatch, let the last "%" swallow one more
// character and retry from there. Only the last "%" ever needs retrying, so
// the walk keeps no stack.
template <typename Unit, typename Same>
bool Walk(const Unit* value, std::size_t value_size, const Unit* pattern, std::size_t pattern_size,
          Same&& same) {
  std::size_t v = 0;
  std::size_t p = 0;
  std::size_t star = kNone;
  std::size_t resume = 0;
  while (v < value_size) {
    if (p < pattern_size && pattern[p] == Unit('%')) {
      star = p++;
      resume = v;
    } else if (p < pattern_size && (pattern[p] == Unit('_') || same(pattern[p], value[v]))) {
      ++p;
      ++v;
    } else if (star != kNone) {
      p = star + 1;
      v = ++resume;
    } else {
      return false;
    }
  }
  while (p < pattern_size && pattern[p] == Unit('%')) ++p;
  return p == pattern_size;
}

std::array<uint8_t, 256> ByteClasses(bool case_insensitive, const Collation& collation) {
  std::array<uint8_t, 256> classes{};
  for (int b = 0; b < 256; ++b) classes[static_cast<std::size_t>(b)] = static_cast<uint8_t>(b);
  if (!case_insensitive) return classes;
  if (collation.UsesTable()) {
    for (int b = 0; b < 256; ++b) {
      classes[static_cast<std::size_t>(b)] = collation.UpperWeight(collation.Weight(static_cast<uint8_t>(b)));
    }
    return classes;
  }
  // Without a table: the first byte the comparison finds equal stands for
  // its whole class.
  for (int b = 1; b < 256; ++b) {
    const char bc = static_cast<char>(b);
    for (int c = 1; c <= b; ++c) {
      const char cc = static_cast<char>(c);
      if (collation.Compare({&cc, 1}, {&bc, 1}, true) == 0) {
        classes[static_cast<std::size_t>(b)] = classes[static_cast<std::size_t>(c)];
        break;
      }
    }
  }
  return classes;
}

}  // namespace

LikePattern::LikePattern(std::string_view pattern, bool case_insensitive, const Collation& collation)
    : byte_class_(ByteClasses(case_insensitive, collation)),
      pattern_(pattern),
      case_insensitive_(case_insensitive),
      collation_(&collation) {}

LikePattern::LikePattern(std::u16string_view pattern, bool case_insensitive, const Collation& collation)
    : wide_pattern_(pattern), case_insensitive_(case_insensitive), collation_(&collation) {}

bool LikePattern::Matches(std::string_view value) const {
  return Walk(reinterpret_cast<const uint8_t*>(value.data()), value.size(),
              reinterpret_cast<const uint8_t*>(pattern_.data()), pattern_.size(),
              [this](uint8_t a, uint8_t b) { return byte_class_[a] == byte_class_[b]; });
}

bool LikePattern::Matches(std::u16string_view value) const {
  return Walk(value.data(), value.size(), wide_pattern_.data(), wide_pattern_.size(),
              [this](char16_t a, char16_t b) {
                if (a == b) return true;
                if (!case_insensitive_) return false;
                const char ab[2] = {static_cast<char>(a & 0xFF), static_cast<char>(a >> 8)};
                const char bb[2] = {static_cast<char>(b & 0xFF), static_cast<char>(b >> 8)};
                return collation_->CompareWide({ab, 2}, {bb, 2}, true) == 0;
              });
}

}  // namespace corvane::table
