// The columns of one row image as every decoder reads them: numbering in both layouts, the
// integer, reference and date reads, and the text tests.
#include "db/row_columns.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/result.h"

namespace qv::db {
namespace {

// A cell-layout payload of the given serial types and content bytes, padded as the reader pads.
struct Payload {
  std::vector<std::uint8_t> bytes;
  Payload(std::initializer_list<int> types, std::initializer_list<int> content) {
    bytes.push_back(static_cast<std::uint8_t>(types.size() + 1));
    for (int t : types) bytes.push_back(static_cast<std::uint8_t>(t));
    for (int b : content) bytes.push_back(static_cast<std::uint8_t>(b));
    size = bytes.size();
    bytes.resize(size + kBufferPad, 0);
  }
  RowImage image() const {
    RowImage row;
    row.data = bytes.data();
    row.size = size;
    return row;
  }
  std::size_t size = 0;
};

TEST(RowColumns, IntegersReferencesAndDates) {
  // Columns: NULL, 1-byte -1, 2-byte 300, constant 0, constant 1, 4-byte 0x80000001, 8-byte
  // float 2.5, 6-byte integer.
  const Payload p({0, 1, 2, 8, 9, 4, 7, 5},
                  {0xff, 0x01, 0x2c, 0x80, 0x00, 0x00, 0x01, 0x40, 0x04, 0,   0,
                   0,    0,    0,    0,    0,    0,    0,    0,    0x01, 0x00});
  RowColumns row;
  ASSERT_EQ(row.load(p.image(), TextEncoding::kUtf8), kOk);
  std::int64_t i = 0;
  std::uint32_t u = 0;
  double d = 0;
  EXPECT_FALSE(row.integer(0, &i));  // NULL
  ASSERT_TRUE(row.integer(1, &i));
  EXPECT_EQ(i, -1);
  ASSERT_TRUE(row.integer(7, &i));
  EXPECT_EQ(i, 256);
  // A reference is taken as stored: a negative one refers to no row.
  EXPECT_FALSE(row.reference(1, &u));
  ASSERT_TRUE(row.reference(2, &u));
  EXPECT_EQ(u, 300u);
  ASSERT_TRUE(row.reference(3, &u));
  EXPECT_EQ(u, 0u);
  ASSERT_TRUE(row.reference(4, &u));
  EXPECT_EQ(u, 1u);
  EXPECT_FALSE(row.reference(5, &u));  // 0x80000001 is negative in four bytes
  EXPECT_FALSE(row.reference(7, &u));  // wider than a row reference
  // The phone's four-byte dates read unsigned.
  ASSERT_TRUE(row.smallUnsigned(1, &u));
  EXPECT_EQ(u, 255u);
  ASSERT_TRUE(row.smallUnsigned(5, &u));
  EXPECT_EQ(u, 0x80000001u);
  ASSERT_TRUE(row.real(6, &d));
  EXPECT_EQ(d, 2.5);
  EXPECT_FALSE(row.real(5, &d));
  EXPECT_EQ(row.column(8), nullptr);
  EXPECT_EQ(row.column(-1), nullptr);
  // A direction flag: 0 as the constant or a small integer.
  EXPECT_TRUE(row.holdsZero(3));
  EXPECT_FALSE(row.holdsZero(4));
  EXPECT_FALSE(row.holdsZero(0));  // NULL
  EXPECT_FALSE(row.holdsZero(1));
  EXPECT_FALSE(row.holdsZero(8));
  const Payload zeros({1, 5}, {0, 0, 0, 0, 0, 0, 0});
  ASSERT_EQ(row.load(zeros.image(), TextEncoding::kUtf8), kOk);
  EXPECT_TRUE(row.holdsZero(0));
  EXPECT_FALSE(row.holdsZero(1));  // a 6-byte integer is no flag
}

TEST(RowColumns, CarvedRowsNumberFromTheirFirstColumn) {
  // The first serial type was overwritten: the types of columns 1 and 2 remain.
  std::vector<std::uint8_t> bytes = {17, 1, 'o', 'k', 0x05};
  bytes.resize(bytes.size() + kBufferPad, 0);
  RowImage image;
  image.carvedLayout = true;
  image.data = bytes.data();
  image.size = 5;
  image.firstColumn = 1;
  image.typeCount = 2;
  RowColumns row;
  ASSERT_EQ(row.load(image, TextEncoding::kUtf8), kOk);
  EXPECT_EQ(row.column(0), nullptr);
  std::wstring text;
  EXPECT_EQ(row.text(1, &text), RowColumns::Text::kGood);
  EXPECT_EQ(text, L"ok");
  std::uint32_t u = 0;
  ASSERT_TRUE(row.reference(2, &u));
  EXPECT_EQ(u, 5u);
  // No bytes to walk: nothing to read, and no crash.
  image.data = nullptr;
  EXPECT_EQ(row.load(image, TextEncoding::kUtf8), kInvalid);
  EXPECT_EQ(row.column(1), nullptr);
}

TEST(RowColumns, TheTextTests) {
  const struct {
    const char* what;
    std::string bytes;
    TextEncoding encoding;
    RowColumns::Text result;
    std::wstring text;
  } cases[] = {
      {"UTF-8",
       "Gr\xC3\xBC\xC3\x9F"
       "e",
       TextEncoding::kUtf8, RowColumns::Text::kGood, L"Grüße"},
      {"empty", "", TextEncoding::kUtf8, RowColumns::Text::kEmpty, L""},
      {"malformed", "ab\xC3", TextEncoding::kUtf8, RowColumns::Text::kBad, L""},
      {"embedded zero", std::string("a\0b", 3), TextEncoding::kUtf8, RowColumns::Text::kBad, L""},
      {"stored U+FFFD", "a\xEF\xBF\xBD", TextEncoding::kUtf8, RowColumns::Text::kBad, L""},
      {"UTF-16le", std::string("h\0i\0", 4), TextEncoding::kUtf16le, RowColumns::Text::kGood,
       L"hi"},
      {"UTF-16be zero", std::string("\0h\0\0", 4), TextEncoding::kUtf16be, RowColumns::Text::kBad,
       L""},
      {"UTF-16 odd byte", std::string("h\0i", 3), TextEncoding::kUtf16le, RowColumns::Text::kBad,
       L""},
      {"UTF-16 lone surrogate", std::string("\x00\xD8", 2), TextEncoding::kUtf16le,
       RowColumns::Text::kBad, L""},
  };
  for (const auto& c : cases) {
    std::wstring out = L"stale";
    EXPECT_EQ(decodeText(c.bytes, c.encoding, &out), c.result) << c.what;
    EXPECT_EQ(out, c.text) << c.what;
  }
}

TEST(RowColumns, BlobsAreTextOnlyWhenAsked) {
  // A blob of "+44 1" (the phone stores some numbers so) and a text.
  const Payload p({22, 15}, {'+', '4', '4', ' ', '1', 'x'});
  RowColumns row;
  ASSERT_EQ(row.load(p.image(), TextEncoding::kUtf8), kOk);
  std::wstring text;
  EXPECT_EQ(row.text(0, &text), RowColumns::Text::kAbsent);
  EXPECT_EQ(row.text(0, &text, true), RowColumns::Text::kGood);
  EXPECT_EQ(text, L"+44 1");
  EXPECT_EQ(row.bytes(0), "+44 1");
  EXPECT_TRUE(row.isText(1));
  EXPECT_FALSE(row.isText(0));
  EXPECT_EQ(row.text(2, &text), RowColumns::Text::kAbsent);
}

}  // namespace
}  // namespace qv::db
