#include <gtest/gtest.h>

#include <string>

#include "platform/byte_cursor.h"

namespace qv {
namespace {

TEST(ByteCursorTest, ReadsBothByteOrders) {
  const std::string bytes("\x01\x02\x03\x04\x05\x06\x07\x08", 8);
  ByteCursor c(bytes);
  EXPECT_EQ(c.be16(), 0x0102u);
  EXPECT_EQ(c.le16(), 0x0403u);
  EXPECT_EQ(c.be32(), 0x05060708u);
  EXPECT_TRUE(c.ok());
  EXPECT_TRUE(c.atEnd());
  ByteCursor d(bytes);
  EXPECT_EQ(d.be64(), 0x0102030405060708ull);
  ByteCursor e(bytes);
  EXPECT_EQ(e.le64(), 0x0807060504030201ull);
}

TEST(ByteCursorTest, ReadPastTheEndIsStickyAndReturnsZero) {
  const std::string bytes("\xAA\xBB\xCC", 3);
  ByteCursor c(bytes);
  EXPECT_EQ(c.u8(), 0xAAu);
  EXPECT_EQ(c.be32(), 0u);  // only two bytes left
  EXPECT_FALSE(c.ok());
  EXPECT_TRUE(c.atEnd());
  EXPECT_EQ(c.u8(), 0u);  // stays failed even for a read that would have fit before
  EXPECT_FALSE(c.ok());
}

TEST(ByteCursorTest, HugeLengthsDoNotWrap) {
  const std::string bytes(16, 'x');
  ByteCursor c(bytes);
  c.skip(8);
  EXPECT_TRUE(c.bytes(static_cast<std::size_t>(-1)).empty());
  EXPECT_FALSE(c.ok());
  ByteCursor d(bytes);
  d.skip(4);
  EXPECT_FALSE(d.skip(static_cast<std::size_t>(-4)));
  ByteCursor e(bytes);
  EXPECT_FALSE(e.seek(17));
  ByteCursor f(bytes);
  EXPECT_TRUE(f.seek(16));
  EXPECT_EQ(f.bytes(0).size(), 0u);
  EXPECT_TRUE(f.ok());
}

}  // namespace
}  // namespace qv
