// SQLite varints and serial types: the two primitives every record walk is built on.
#pragma once

#include <cstddef>
#include <cstdint>

namespace qv::db {

// Reads one varint from at most `avail` bytes at p: big-endian groups of 7 bits, a set high
// bit meaning another byte follows, at most nine bytes with the ninth giving all eight bits.
// Returns the number of bytes consumed: 0 when avail is 0; when the varint is cut short by
// `avail`, the bytes that are there are used and their count is returned.
std::size_t readVarintSlow(const std::uint8_t* p, std::size_t avail, std::uint64_t* value);
inline std::size_t readVarint(const std::uint8_t* p, std::size_t avail, std::uint64_t* value) {
  if (avail != 0 && p[0] < 0x80) {  // most varints of a page are one byte
    *value = p[0];
    return 1;
  }
  return readVarintSlow(p, avail, value);
}

// The summed byte length of n consecutive varints at p, never counting past avail.
std::size_t varintsLength(const std::uint8_t* p, std::size_t avail, std::size_t n);

// The number of bytes a varint of this value takes.
std::size_t varintSize(std::uint64_t value);

// Content width of a serial type: 1..4 -> 1..4, 5 -> 6, 6 and 7 -> 8, 8..13 -> 0, text and
// blob types their byte length. Widths of absurd types exceed every buffer and fail bounds.
inline std::uint64_t serialTypeWidth(std::uint64_t t) {
  static constexpr std::uint8_t kSmall[14] = {0, 1, 2, 3, 4, 6, 8, 8, 0, 0, 0, 0, 0, 0};
  if (t < 14) return kSmall[t];
  return (t & 1) ? (t - 13) / 2 : (t - 12) / 2;
}

inline bool isTextType(std::uint64_t t) {
  return t >= 13 && (t & 1) == 1;
}
inline bool isBlobType(std::uint64_t t) {
  return t >= 12 && (t & 1) == 0;
}
inline bool isIntegerType(std::uint64_t t) {
  return t >= 1 && t <= 6;
}

}  // namespace qv::db
