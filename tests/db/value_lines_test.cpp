// The message and contact value lines, byte for byte on small databases, and the row ids and
// line shapes on the large message fixture.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "db/contact_lines.h"
#include "db/message_lines.h"
#include "platform/file.h"
#include "samples/appdb_contacts.h"
#include "samples/appdb_messages.h"
#include "tests/db/phone_test_support.h"
#include "tests/fixtures/temp_folder.h"

namespace qv::db {
namespace {

// One line: the row id, then `columns` values (NULL unless given), the last without its comma
// when it is a constant or a contact value, then CR LF.
std::string line(std::int64_t rowId, int columns, const std::map<int, std::string>& values,
                 bool lastWithoutComma = true) {
  std::string out = std::to_string(rowId) + ",";
  for (int c = 1; c < columns; ++c) {
    auto it = values.find(c);
    std::string v = it != values.end() ? it->second : "NULL";
    out += v;
    if (c + 1 < columns || !lastWithoutComma) out += ',';
  }
  return out + "\r\n";
}

std::string readText(const std::string& path) {
  return samples::readFileBytes(path);
}

const char kAccount[] = "\"0A1B2C3D-4E5F-6A7B-8C9D-0E1F2A3B4C5D\"";

TEST(MessageLines, SmallDatabaseByteForByte) {
  fixtures::TempFolder folder;
  samples::SqliteFixture db;
  const std::string sms = folder.file("sms.db");
  ASSERT_EQ(samples::buildSmallSmsDatabase(sms, &db), 0);
  const std::string out = folder.file("sms.csv");
  ASSERT_EQ(WriteMessageLinesAt(sms, out, 1000, 700000000), 0);
  const std::string expected =
      line(1, 38,
           {{1, "\"6F9619FF-8B86-D011-B42D-00C04FC964FF\""},
            {2, "\"It''s \"\"fine\"\"\""},
            {5, "1"},
            {8, "040b00ff"},
            {11, "\"SMS\""},
            {13, kAccount},
            {14, "0"},
            {15, "600000000"},
            {16, "600000005"},
            {19, "1"},
            {21, "0"},
            {26, "1"},
            {37, "0"}}) +
      line(3, 38,
           {{1, "\"8B2F1D3C-2E4A-5C6B-AD9E-8F7A6B5C4D3E\""},
            {2, "\"Ok\""},
            {5, "1"},
            {11, "\"SMS\""},
            {13, kAccount},
            {14, "-5"},
            {15, "600000100"},
            {16, "0"},
            {19, "1"},
            {21, "1"},
            {26, "0"},
            {37, "0"}}) +
      // The deleted row comes back as a new message of the owner's, dated now, with a new row
      // id from the preset plus one and a guid made from it.
      line(1001, 38,
           {{1, "\"27B99F78-F6F0-475F-8BA1-0000000003E9\""},
            {2, "\"Gone ''soon''\""},
            {5, "1"},
            {11, "\"SMS\""},
            {13, kAccount},
            {14, "0"},
            {15, "700000000"},
            {16, "0"},
            {19, "1"},
            {21, "1"},
            {26, "0"},
            {37, "0"}});
  EXPECT_EQ(readText(out), expected);

  // A second run appends; what the file held stays in front.
  ASSERT_EQ(WriteMessageLinesAt(sms, out, 1000, 700000000), 0);
  EXPECT_EQ(readText(out), expected + expected);
}

struct LineIds {
  std::vector<std::int64_t> all;        // row ids of the lines, in order
  std::vector<std::int64_t> rewritten;  // those of deleted rows written as new messages
  bool wholeLines = false;
};

LineIds lineIds(const std::string& text) {
  LineIds ids;
  std::size_t start = 0;
  for (std::size_t end = text.find("\r\n"); end != std::string::npos;
       start = end + 2, end = text.find("\r\n", start)) {
    const std::string l = text.substr(start, end - start);
    const std::int64_t id = std::stoll(l.substr(0, l.find(',')));
    ids.all.push_back(id);
    if (l.find("\"27B99F78-F6F0-475F-8BA1-") == std::string::npos) continue;
    ids.rewritten.push_back(id);
    // The guid carries the line's own row id.
    char hex[16];
    std::snprintf(hex, sizeof hex, "%012llX", static_cast<unsigned long long>(id));
    EXPECT_NE(l.find(std::string("8BA1-") + hex + "\""), std::string::npos) << l;
  }
  ids.wholeLines = start == text.size();
  return ids;
}

TEST(MessageLines, DeletedRowsGetConsecutiveNewRowIdsWhateverTheLiveOnes) {
  fixtures::TempFolder folder;
  samples::SqliteFixture db;
  const std::string sms = folder.file("sms.db");
  ASSERT_EQ(samples::buildSmsDatabase(sms, samples::SmsLayout::kIos6, &db), 0);
  const auto& live = db.live("message");
  const auto& deleted = db.deleted("message");

  const std::string high = folder.file("high.csv");
  ASSERT_EQ(WriteMessageLinesAt(sms, high, 100000, 700000000), 0);
  const LineIds h = lineIds(readText(high));
  EXPECT_TRUE(h.wholeLines);
  // Every live row with a usable text (or none) is written once, under its own row id.
  std::size_t good = 0;
  for (const auto& r : live) {
    good += phonetest::takenText(r.second[2]) || r.second[2].kind == samples::SqlValue::kNull;
  }
  std::size_t liveLines = 0;
  std::vector<std::int64_t> carved;
  for (std::int64_t id : h.all) {
    if (live.count(id)) ++liveLines;
  }
  EXPECT_EQ(liveLines, good);
  EXPECT_EQ(h.rewritten.size(), h.all.size() - liveLines);
  // Rows of freelist pages keep their row ids; carved ones get new ones from the preset on.
  std::vector<std::int64_t> keptIds;
  for (std::int64_t id : h.rewritten) {
    if (id > 100000) {
      carved.push_back(id);
    } else {
      EXPECT_TRUE(deleted.count(id)) << id;
      keptIds.push_back(id);
    }
  }
  ASSERT_GT(carved.size(), 10u);
  for (std::size_t i = 0; i < carved.size(); ++i)
    EXPECT_EQ(carved[i], 100001 + static_cast<std::int64_t>(i));

  // A preset below the live row ids: the new ids still run on from it, not from the live ones.
  const std::string low = folder.file("low.csv");
  ASSERT_EQ(WriteMessageLinesAt(sms, low, 50, 700000000), 0);
  const LineIds l = lineIds(readText(low));
  std::multiset<std::int64_t> want(keptIds.begin(), keptIds.end());
  for (std::size_t i = 0; i < carved.size(); ++i) want.insert(51 + static_cast<std::int64_t>(i));
  EXPECT_EQ(std::multiset<std::int64_t>(l.rewritten.begin(), l.rewritten.end()), want);
}

TEST(ContactLines, SmallAddressBookByteForByte) {
  fixtures::TempFolder folder;
  samples::SqliteFixture db;
  const std::string book = folder.file("AddressBook.sqlitedb");
  ASSERT_EQ(samples::buildSmallAddressBook(book, &db), 0);
  const std::string out = folder.file("Contacts.csv");
  ASSERT_EQ(WriteContactLines(book, out, 1000), 0);
  const std::string expected =
      line(1, 24,
           {{1, "\"Mary-Kate\""},
            {2, "\"O''Brien\""},
            {7, "\"\"\"Best\"\" Bakes\""},
            {16, "\"+353 1 234 5678 +35312345678 \""},
            {17, "\"mk@example.ie\""}}) +
      line(3, 24, {{1, "\"Ünal\""}, {2, "\"Yıldız\""}, {16, "\"+905321234567 \""}, {23, "1"}}) +
      line(1001, 24, {{1, "\"Jo\""}, {10, "-3"}, {16, "\"5550100 \""}});
  EXPECT_EQ(readText(out), expected);
}

TEST(ValueLines, UnreadableInputWritesNothing) {
  fixtures::TempFolder folder;
  const std::string out = folder.file("out.csv");
  EXPECT_EQ(WriteMessageLines(folder.file("none.db"), out, 1), 2);
  EXPECT_EQ(WriteContactLines(folder.file("none.db"), out, 1), 2);
  EXPECT_FALSE(platform::pathExists(out));
}

}  // namespace
}  // namespace qv::db
