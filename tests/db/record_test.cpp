#include "db/record.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/result.h"

namespace qv::db {
namespace {

std::vector<std::uint8_t> bytesOf(std::initializer_list<int> list) {
  std::vector<std::uint8_t> v;
  for (int b : list) v.push_back(static_cast<std::uint8_t>(b));
  v.resize(v.size() + kBufferPad, 0);
  return v;
}

TEST(RecordWalk, CellLayoutLaysOutEveryColumn) {
  // Header 5: NULL, text "hi" (17), 2-byte int, constant 1.
  auto rec = bytesOf({5, 0, 17, 2, 9, 'h', 'i', 0x01, 0x02});
  Record r;
  ASSERT_EQ(walkPayload(rec.data(), 9, &r), kOk);
  ASSERT_EQ(r.columns.size(), 4u);
  EXPECT_EQ(r.columns[1].offset, 5u);
  EXPECT_EQ(r.columns[1].width, 2u);
  EXPECT_EQ(r.columns[2].offset, 7u);
  EXPECT_EQ(integerValue(rec.data() + 7, 2), 0x0102);
  EXPECT_EQ(integerValue(nullptr, 9), 1);
  EXPECT_EQ(r.end, 9u);
}

TEST(RecordWalk, ContentOrHeaderPastTheBytesHeldFails) {
  auto rec = bytesOf({5, 0, 17, 2, 9, 'h', 'i', 0x01, 0x02});
  Record r;
  EXPECT_EQ(walkPayload(rec.data(), 8, &r), kInvalid);  // the integer runs one byte past
  EXPECT_EQ(walkPayload(rec.data(), 4, &r), kInvalid);  // the header itself runs past
  auto huge = bytesOf({3, 0x8f, 0x7f});                 // a text of 1,000-odd bytes in 3
  EXPECT_EQ(walkPayload(huge.data(), 3, &r), kInvalid);
  auto zeroHeader = bytesOf({0, 1});
  EXPECT_EQ(walkPayload(zeroHeader.data(), 2, &r), kInvalid);
}

TEST(RecordWalk, CarvedLayoutNumbersFromTheFirstColumnGiven) {
  // A freed cell whose first serial type was overwritten: types of columns 1 and 2 remain.
  auto rec = bytesOf({17, 1, 'o', 'k', 0x7f});
  Record r;
  ASSERT_EQ(walkCarved(rec.data(), 5, carvedFirstColumn(rec.data(), 5), 2, &r), kOk);
  ASSERT_EQ(r.columns.size(), 2u);
  EXPECT_EQ(r.columns[0].column, 1);
  EXPECT_EQ(r.columns[1].column, 2);
  EXPECT_EQ(integerValue(rec.data() + r.columns[1].offset, 1), 127);
  // Asking for more serial types than the bytes hold fails instead of reading on.
  EXPECT_EQ(walkCarved(rec.data(), 5, 1, 9, &r), kInvalid);
  auto alias = bytesOf({0, 17, 'o', 'k'});
  EXPECT_EQ(carvedFirstColumn(alias.data(), 4), 0);
}

TEST(RecordWalk, ARebuiltColumnZeroLiesBeforeTheOthers) {
  // Serial types of columns 1 and 2 (a 1-byte integer, a 2-byte text); column 0's type was
  // lost and rebuilt as a 3-byte text whose content comes first.
  auto rec = bytesOf({1, 17, 'a', 'b', 'c', 0x05, 'o', 'k'});
  const std::size_t n = 8;  // the bytes held (the buffer carries zeros behind them)
  Record r;
  ASSERT_EQ(walkCarved(rec.data(), n, 1, 2, &r, 13 + 2 * 3), kOk);
  ASSERT_EQ(r.columns.size(), 3u);
  EXPECT_EQ(r.columns[0].column, 0);
  EXPECT_EQ(r.columns[0].offset, 2u);
  EXPECT_EQ(r.columns[0].width, 3u);
  EXPECT_EQ(r.columns[1].column, 1);
  EXPECT_EQ(integerValue(rec.data() + r.columns[1].offset, 1), 5);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(rec.data() + r.columns[2].offset), 2), "ok");
  EXPECT_EQ(r.end, n);
  // A rebuilt type whose content, or the others' behind it, runs past the bytes held fails.
  EXPECT_EQ(walkCarved(rec.data(), n, 1, 2, &r, 13 + 2 * 5), kInvalid);
  EXPECT_EQ(walkCarved(rec.data(), n, 1, 2, &r, 13 + 2 * 500), kInvalid);
  // Without a rebuilt type (or for column 0 read whole) the walk is the plain carved one.
  ASSERT_EQ(walkCarved(rec.data(), n, 1, 2, &r, 0), kOk);
  EXPECT_EQ(r.columns.front().column, 1);
  EXPECT_EQ(r.columns.front().offset, 2u);
}

TEST(RecordValues, IntegersAreSignedInEveryWidth) {
  const struct {
    std::uint64_t type;
    std::vector<std::uint8_t> bytes;
    std::int64_t value;
  } table[] = {
      {1, {0xff}, -1},
      {1, {0x7f}, 127},
      {2, {0x80, 0x00}, -32768},
      {3, {0xff, 0xff, 0xfe}, -2},
      {4, {0x80, 0, 0, 0}, -2147483648LL},
      {5, {0xff, 0xff, 0xff, 0xff, 0xff, 0xff}, -1},
      {5, {0x00, 0x01, 0, 0, 0, 0}, 4294967296LL},
      {6, {0x80, 0, 0, 0, 0, 0, 0, 0}, INT64_MIN},
  };
  for (const auto& row : table) {
    EXPECT_EQ(integerValue(row.bytes.data(), row.type), row.value) << row.type;
  }
  const std::uint8_t one[] = {0xff, 0xfe};
  EXPECT_EQ(unsignedValue(one, 2), 0xfffeu);  // the readers' row references stay unsigned
  const std::uint8_t half[] = {0x3f, 0xe0, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(realValue(half), 0.5);
}

TEST(RecordSize, RebuildsTheHeaderFromTheWidth) {
  // Width 3, first byte 0 (the row-id alias): three serial types, then their contents.
  auto rec = bytesOf({0, 19, 1, 'a', 'b', 'c', 5});
  EXPECT_EQ(recordSize(rec.data(), 7, 0, 3), 3u + 3u + 1u);
  // First byte not 0: it is taken as column 1's type, and only two types are read.
  auto cut = bytesOf({19, 1, 'a', 'b', 'c', 5});
  EXPECT_EQ(recordSize(cut.data(), 6, 0, 3), 2u + 3u + 1u);
  // A text far longer than the bytes available: the sum stops growing past them.
  auto big = bytesOf({0x8f, 0x7f});
  EXPECT_GT(recordSize(big.data(), 2, 2, 0), 2u);
  EXPECT_LT(recordSize(big.data(), 2, 2, 0), 10u);
}

TEST(RecordText, Utf16AndMalformedUtf8) {
  const std::string le("h\0i\0=\xd8\0\xde", 8);  // "hi" and U+1F600 as a surrogate pair
  EXPECT_EQ(textToUtf8(le, TextEncoding::kUtf16le), "hi\xF0\x9F\x98\x80");
  const std::string be("\0h\0i", 4);
  EXPECT_EQ(textToUtf8(be, TextEncoding::kUtf16be), "hi");
  EXPECT_EQ(textToUtf8(std::string("\x00\xd8", 2), TextEncoding::kUtf16le), "\xEF\xBF\xBD");
  EXPECT_EQ(textToUtf8("a\xC3", TextEncoding::kUtf8), "a\xEF\xBF\xBD");
  EXPECT_TRUE(
      isValidUtf8("Gr\xC3\xBC\xC3\x9F"
                  "e \xF0\x9F\x98\x80 plain ascii run"));
  EXPECT_FALSE(isValidUtf8("\xC0\xAF"));                  // overlong
  EXPECT_FALSE(isValidUtf8("\xED\xA0\x80"));              // surrogate
  EXPECT_FALSE(isValidUtf8("abcdefgh\xF4\x90\x80\x80"));  // past U+10FFFF
}

}  // namespace
}  // namespace qv::db
