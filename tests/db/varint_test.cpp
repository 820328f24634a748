#include "db/varint.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace qv::db {
namespace {

// Encodes as SQLite does: 7 bits per byte, big-endian, the ninth byte taking all 8 bits.
std::vector<std::uint8_t> encode(std::uint64_t v) {
  std::vector<std::uint8_t> out;
  if (v > 0x00ffffffffffffffULL) {
    out.resize(9);
    out[8] = static_cast<std::uint8_t>(v);
    v >>= 8;
    for (int i = 7; i >= 0; --i) {
      out[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>((v & 0x7f) | 0x80);
      v >>= 7;
    }
    return out;
  }
  do {
    out.insert(out.begin(), static_cast<std::uint8_t>((v & 0x7f) | (out.empty() ? 0 : 0x80)));
    v >>= 7;
  } while (v != 0);
  return out;
}

TEST(Varint, EveryLengthReadsBackWithItsSize) {
  const std::uint64_t values[] = {0,
                                  1,
                                  0x7f,
                                  0x80,
                                  0x3fff,
                                  0x4000,
                                  0x1fffff,
                                  0x200000,
                                  0xfffffff,
                                  0x10000000,
                                  0x7ffffffffULL,
                                  0x800000000ULL,
                                  0x3ffffffffffULL,
                                  0x40000000000ULL,
                                  0x1ffffffffffffULL,
                                  0x2000000000000ULL,
                                  0xffffffffffffffULL,
                                  0x100000000000000ULL,
                                  0xffffffffffffffffULL};
  std::size_t expectedLength = 1;
  for (std::uint64_t v : values) {
    const std::vector<std::uint8_t> bytes = encode(v);
    expectedLength = bytes.size();
    std::uint64_t got = 0;
    EXPECT_EQ(readVarint(bytes.data(), bytes.size(), &got), expectedLength) << v;
    EXPECT_EQ(got, v);
    EXPECT_EQ(varintSize(v), expectedLength) << v;
  }
  EXPECT_EQ(expectedLength, 9u);
}

TEST(Varint, NeverReadsPastTheBytesAvailable) {
  const std::uint8_t allHigh[9] = {0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff};
  std::uint64_t v = 77;
  EXPECT_EQ(readVarint(allHigh, 0, &v), 0u);
  EXPECT_EQ(v, 0u);
  for (std::size_t avail = 1; avail <= 9; ++avail) {
    EXPECT_EQ(readVarint(allHigh, avail, &v), avail);
  }
  // Two varints of 2 and 1 bytes, then a cut one: the lengths never pass avail.
  const std::uint8_t three[] = {0x81, 0x00, 0x05, 0x82};
  EXPECT_EQ(varintsLength(three, sizeof three, 2), 3u);
  EXPECT_EQ(varintsLength(three, sizeof three, 5), 4u);
  EXPECT_EQ(varintsLength(three, 2, 5), 2u);
  EXPECT_EQ(varintsLength(three, sizeof three, 0), 0u);
}

TEST(SerialType, ContentWidths) {
  const struct {
    std::uint64_t type;
    std::uint64_t width;
  } table[] = {{0, 0},  {1, 1},  {2, 2},  {3, 3},  {4, 4},       {5, 6},      {6, 8},
               {7, 8},  {8, 0},  {9, 0},  {10, 0}, {11, 0},      {12, 0},     {13, 0},
               {14, 1}, {15, 1}, {16, 2}, {17, 2}, {2013, 1000}, {2012, 1000}};
  for (const auto& row : table) EXPECT_EQ(serialTypeWidth(row.type), row.width) << row.type;
  EXPECT_TRUE(isTextType(13));
  EXPECT_TRUE(isBlobType(12));
  EXPECT_FALSE(isTextType(12));
}

}  // namespace
}  // namespace qv::db
