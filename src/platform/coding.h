// Little-endian reading and writing of the fixed-width numbers of the stored
// formats (container pages, table files, index files, record slots).
//
// Every stored number is written least significant byte first, whatever the
// machine, and a double is stored as the little-endian bytes of its IEEE 754
// bit pattern. The functions take unaligned pointers and never check
// bounds: the caller has checked the field against the buffer's real size.
// Signed values are stored in two's complement, so GetI32(PutI32(x)) == x for
// every x.
#ifndef CORVANE_PLATFORM_CODING_H_
#define CORVANE_PLATFORM_CODING_H_

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace corvane::platform {

namespace coding_internal {

// On a little-endian machine one unaligned load or store; the checks run
// over megabytes of index arrays and key prefixes.
template <typename T>
inline T Load(const uint8_t* p) {
  T v = 0;
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(&v, p, sizeof v);
  } else {
    for (int i = sizeof(T) - 1; i >= 0; --i) v = static_cast<T>(v << 8 | p[i]);
  }
  return v;
}

template <typename T>
inline void Store(uint8_t* p, T v) {
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(p, &v, sizeof v);
  } else {
    for (std::size_t i = 0; i < sizeof(T); ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
  }
}

}  // namespace coding_internal

inline uint16_t GetU16(const uint8_t* p) { return coding_internal::Load<uint16_t>(p); }
inline uint32_t GetU32(const uint8_t* p) { return coding_internal::Load<uint32_t>(p); }
inline uint64_t GetU64(const uint8_t* p) { return coding_internal::Load<uint64_t>(p); }
inline int16_t GetI16(const uint8_t* p) { return static_cast<int16_t>(GetU16(p)); }
inline int32_t GetI32(const uint8_t* p) { return static_cast<int32_t>(GetU32(p)); }
inline int64_t GetI64(const uint8_t* p) { return static_cast<int64_t>(GetU64(p)); }
inline double GetDouble(const uint8_t* p) { return std::bit_cast<double>(GetU64(p)); }

inline void PutU16(uint8_t* p, uint16_t v) { coding_internal::Store(p, v); }
inline void PutU32(uint8_t* p, uint32_t v) { coding_internal::Store(p, v); }
inline void PutU64(uint8_t* p, uint64_t v) { coding_internal::Store(p, v); }
inline void PutI16(uint8_t* p, int16_t v) { PutU16(p, static_cast<uint16_t>(v)); }
inline void PutI32(uint8_t* p, int32_t v) { PutU32(p, static_cast<uint32_t>(v)); }
inline void PutI64(uint8_t* p, int64_t v) { PutU64(p, static_cast<uint64_t>(v)); }
inline void PutDouble(uint8_t* p, double v) { PutU64(p, std::bit_cast<uint64_t>(v)); }

}  // namespace corvane::platform

#endif  // CORVANE_PLATFORM_CODING_H_
