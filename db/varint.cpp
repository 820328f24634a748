#include "db/varint.h"

namespace qv::db {

std::size_t readVarintSlow(const std::uint8_t* p, std::size_t avail, std::uint64_t* value) {
  std::uint64_t v = 0;
  for (std::size_t i = 0; i < avail; ++i) {
    if (i == 8) {
      *value = (v << 8) | p[8];
      return 9;
    }
    v = (v << 7) | (p[i] & 0x7f);
    if ((p[i] & 0x80) == 0) {
      *value = v;
      return i + 1;
    }
  }
  *value = v;
  return avail < 9 ? avail : 9;
}

std::size_t varintsLength(const std::uint8_t* p, std::size_t avail, std::size_t n) {
  std::size_t total = 0;
  for (std::size_t i = 0; i < n && total < avail; ++i) {
    std::uint64_t ignored = 0;
    total += readVarint(p + total, avail - total, &ignored);
  }
  return total;
}

std::size_t varintSize(std::uint64_t value) {
  if (value > 0x00ffffffffffffffULL) return 9;
  std::size_t n = 1;
  while (value > 0x7f) {
    value >>= 7;
    ++n;
  }
  return n;
}

}  // namespace qv::db
