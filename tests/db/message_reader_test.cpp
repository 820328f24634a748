// ReadMessages on sms.db fixtures of three phone eras: every live row as the SQLite library
// returns it, every deleted row recovered, no leftover copy listed as deleted, and the edge
// cases of the joins, the dates and the sort.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <tuple>

#include "db/message_reader.h"
#include "db/message_row.h"
#include "db/row_scan.h"
#include "db/sqlite_page_reader.h"
#include "db/table_columns.h"
#include "db/table_shapes.h"
#include "db/timestamp.h"
#include "platform/file.h"
#include "platform/result.h"
#include "platform/text.h"
#include "samples/appdb_contacts.h"
#include "samples/appdb_messages.h"
#include "tests/db/phone_test_support.h"
#include "tests/fixtures/temp_folder.h"

namespace qv::db {
namespace {

using phonetest::sqlRows;
using phonetest::wide;
using samples::AddressBookLayout;
using samples::SmsLayout;
using samples::SqlRow;
using samples::SqlValue;

// A message table family, kept by the file alone or (as current phones keep it) in
// write-ahead-log mode with changes after the last checkpoint in the log; the file's pages of
// the usual 4096 bytes or of the largest size, 65,536 (stored as 1 in the header).
struct SmsCase {
  SmsLayout layout;
  bool log;
  int pageSize = 4096;
  bool operator<(const SmsCase& o) const {
    return std::make_tuple(layout, log, pageSize) < std::make_tuple(o.layout, o.log, o.pageSize);
  }
};

// One message database and its address book, built once per case.
struct Built {
  fixtures::TempFolder folder;
  std::string sms, addressBook;
  DatabaseFile smsFile = DatabaseFile("");
  std::string oracle;  // what SQLite reads: the file, or a copy of the file and its log
  samples::SqliteFixture smsDb, bookDb;
  samples::SmsFixtureFacts facts;
  ConversationMap conversations;
  std::uint64_t maxRowId = 0;
  int result = -1;
};

AddressBookLayout bookFor(SmsLayout layout) {
  switch (layout) {
    case SmsLayout::kIos6:
      return AddressBookLayout::kIos6;
    case SmsLayout::kIos9:
      return AddressBookLayout::kIos8;
    default:
      return AddressBookLayout::kIos15;
  }
}

Built& built(SmsCase c) {
  static std::map<SmsCase, std::unique_ptr<Built>> cache;
  auto& slot = cache[c];
  if (!slot) {
    slot = std::make_unique<Built>();
    Built& b = *slot;
    b.sms = b.folder.file("sms.db");
    b.addressBook = b.folder.file("AddressBook.sqlitedb");
    b.smsFile = DatabaseFile(b.sms);
    b.oracle = b.sms;
    if (c.log) {
      EXPECT_EQ(samples::buildSmsDatabaseWithLog(b.sms, c.layout, &b.smsDb, &b.facts), 0);
      b.smsFile = DatabaseFile(b.sms, b.sms + "-wal");
      b.oracle = b.folder.file("oracle.db");
      for (const char* suffix : {"", "-wal"}) {
        const std::string bytes = samples::readFileBytes(b.sms + suffix);
        EXPECT_EQ(platform::writeWholeFile(b.oracle + suffix, bytes.data(), bytes.size()), 0);
      }
    } else {
      EXPECT_EQ(samples::buildSmsDatabase(b.sms, c.layout, &b.smsDb, &b.facts, c.pageSize), 0);
    }
    EXPECT_EQ(samples::buildAddressBook(b.addressBook, bookFor(c.layout), &b.bookDb), 0);
    b.result =
        ReadMessages(b.smsFile, b.addressBook, &b.conversations, ReadProgress(), &b.maxRowId);
  }
  return *slot;
}

Built& built(SmsLayout layout) {
  return built(SmsCase{layout, false});
}

// The bytes a deleted row can still lie in: the file's, and its log's.
std::string storedBytes(const Built& b) {
  std::string bytes = samples::readFileBytes(b.sms);
  if (!b.smsFile.wal.empty()) bytes += samples::readFileBytes(b.smsFile.wal);
  return bytes;
}

std::vector<MessageRecord> allMessages(const ConversationMap& map) {
  std::vector<MessageRecord> all;
  for (const auto& c : map) all.insert(all.end(), c.second.begin(), c.second.end());
  return all;
}

std::wstring dateOf(const SqlValue& v) {
  if (v.kind != SqlValue::kInteger) return {};
  // Dates past 2^32 seconds are the nanosecond dates of newer phones.
  if (v.integer > 0xFFFFFFFFll) return formatAppleNanoseconds(v.integer);
  return formatAppleTime(v.integer);
}

bool sameFields(const MessageRecord& a, const MessageRecord& b) {
  return a.fromMe == b.fromMe && a.handleId == b.handleId && a.date == b.date && a.text == b.text;
}

class MessageReaderTest : public ::testing::TestWithParam<SmsCase> {};

TEST_P(MessageReaderTest, LiveMessagesEqualWhatSqliteReturns) {
  Built& b = built(GetParam());
  ASSERT_EQ(b.result, 0);
  // The first contact, in the table's order, whose phone text holds the address.
  const std::vector<SqlRow> rows =
      sqlRows(b.oracle,
              "SELECT m.ROWID, m.text, m.handle_id, m.date, m.is_from_me, h.id, "
              "(SELECT a.filename FROM attachment a JOIN message_attachment_join j "
              "ON j.attachment_id = a.ROWID WHERE j.message_id = m.ROWID ORDER BY a.ROWID LIMIT 1) "
              "FROM message m LEFT JOIN handle h ON h.ROWID = m.handle_id ORDER BY m.ROWID");
  ASSERT_FALSE(rows.empty());
  std::map<std::uint32_t, MessageRecord> live;
  for (const MessageRecord& m : allMessages(b.conversations)) {
    if (m.deleted == 0) {
      EXPECT_TRUE(live.emplace(m.rowId, m).second) << "row " << m.rowId << " twice";
    }
  }
  std::size_t expected = 0;
  for (const SqlRow& r : rows) {
    const auto id = static_cast<std::uint32_t>(r[0].integer);
    if (!phonetest::takenText(r[1])) {
      EXPECT_EQ(live.count(id), 0u) << "row " << id << " has no text to show";
      continue;
    }
    ++expected;
    auto it = live.find(id);
    ASSERT_NE(it, live.end()) << "live row " << id << " missing";
    const MessageRecord& m = it->second;
    EXPECT_EQ(m.text, wide(r[1])) << id;
    EXPECT_EQ(m.handleId, r[2].integer) << id;
    EXPECT_EQ(m.date, dateOf(r[3])) << id;
    EXPECT_FALSE(m.date.empty()) << id;
    EXPECT_EQ(m.fromMe, r[4].integer == 1 ? 1 : 0) << id;
    EXPECT_EQ(m.address, wide(r[5])) << id;
    EXPECT_EQ(m.attachment, wide(r[6])) << id;
    std::wstring name;
    if (r[5].kind == SqlValue::kText) {
      name = phonetest::firstPersonWithPhone(b.addressBook, r[5].bytes);
      // The only person who knows this address was deleted: the reader still finds them.
      if (r[5].bytes == b.facts.deletedContactAddress) name = L"Pierre Dupont";
    }
    EXPECT_EQ(m.contactName, name) << id;
  }
  EXPECT_EQ(live.size(), expected);
  // The highest row id of a cell read: the live ones and those of freelist pages.
  std::uint64_t highest = 0;
  for (const SqlRow& r : rows) highest = std::max<std::uint64_t>(highest, r[0].integer);
  for (const auto& d : b.smsDb.deleted("message"))
    highest = std::max<std::uint64_t>(highest, d.first);
  EXPECT_GE(b.maxRowId, static_cast<std::uint64_t>(rows.back()[0].integer));
  EXPECT_LE(b.maxRowId, highest);
}

TEST_P(MessageReaderTest, EveryDeletedMessageIsRecovered) {
  Built& b = built(GetParam());
  ASSERT_EQ(b.result, 0);
  const std::vector<MessageRecord> all = allMessages(b.conversations);
  const auto& deleted = b.smsDb.deleted("message");
  ASSERT_GT(deleted.size(), 100u);
  const std::string file = storedBytes(b);
  std::size_t missing = 0, overwritten = 0, intact = 0;
  for (const auto& d : deleted) {
    // Columns 2, 5, 15 and 21 are text, handle_id, date and is_from_me in every layout.
    const SqlRow& row = d.second;
    const SqlValue& text = row[2];
    if (!phonetest::takenText(text)) continue;
    // When the deletions emptied a page, the database rebalanced its neighbours and wrote
    // moved live cells over the space of rows deleted before: those bytes are gone.
    if (!phonetest::bytesRemain(file, row)) {
      ++overwritten;
      continue;
    }
    ++intact;
    MessageRecord want;
    want.text = wide(text);
    want.handleId = static_cast<std::int32_t>(row[5].integer);
    want.date = dateOf(row[15]);
    want.fromMe = row[21].integer == 1 ? 1 : 0;
    const bool found = std::any_of(all.begin(), all.end(), [&](const MessageRecord& m) {
      return m.deleted == 1 && sameFields(m, want);
    });
    if (!found) ++missing;
    EXPECT_TRUE(found) << "deleted row " << d.first << " not recovered";
  }
  EXPECT_EQ(missing, 0u);
  // Most deleted rows keep their bytes; the test would prove nothing otherwise.
  EXPECT_GT(intact, 4 * overwritten) << intact << " intact, " << overwritten << " overwritten";
}

TEST_P(MessageReaderTest, LeftoverCopiesOfLiveRowsAreNotListedAsDeleted) {
  Built& b = built(GetParam());
  const std::vector<MessageRecord> all = allMessages(b.conversations);
  for (const MessageRecord& d : all) {
    if (d.deleted == 0) continue;
    for (const MessageRecord& l : all) {
      if (l.deleted != 0) continue;
      EXPECT_FALSE(sameFields(d, l) && (d.rowId == 0 || d.rowId == l.rowId))
          << "a copy of live row " << l.rowId << " is listed as deleted";
    }
  }
  // The fixture did leave such copies: the page reader's own images find them.
  SqlitePageReader reader;
  ASSERT_EQ(reader.Open(b.smsFile), 0);
  std::vector<ScannedRow<MessageRecord>> images;
  LocalDates dates;
  MessageDecoder decoder(dates);
  auto sink = collectRows<MessageRecord>(
      [&decoder](SqlitePageReader& r, const RowImage& image, MessageRecord* out) {
        return decoder.decode(r, image, out);
      },
      &images);
  TableScan scan;
  scan.shape = tableShape(readSchemaOf(reader), "message");
  reader.ScanTable("message", scan, &sink);
  std::size_t copies = 0;
  for (const auto& d : images) {
    if (d.record.deleted == 0) continue;
    for (const auto& l : images) {
      if (l.record.deleted == 0 && sameFields(d.record, l.record)) ++copies;
    }
  }
  // With pages of 65,536 bytes the whole table fitted its root leaf until the root split; the
  // copies then lie in the free space of what became an interior page, which is carved too.
  EXPECT_GE(copies, b.facts.movedMessages.size());
}

TEST_P(MessageReaderTest, EdgeCases) {
  Built& b = built(GetParam());
  ASSERT_EQ(b.result, 0);
  const std::vector<MessageRecord> all = allMessages(b.conversations);
  // No message without a usable text is listed, live or deleted.
  for (const std::string& bad : samples::smsDroppedTexts()) {
    const std::wstring w = wide(bad);
    for (const MessageRecord& m : all) EXPECT_NE(m.text, w);
  }
  for (const MessageRecord& m : all) {
    EXPECT_FALSE(m.text.empty());
    EXPECT_EQ(m.text.find(L'\xFFFD'), std::wstring::npos);
    EXPECT_EQ(m.text.find(L'\0'), std::wstring::npos);
  }
  // A message joined to two attachments shows the one read first.
  const auto two = std::find_if(all.begin(), all.end(), [&](const MessageRecord& m) {
    return m.deleted == 0 && m.rowId == b.facts.twoAttachmentMessage;
  });
  ASSERT_NE(two, all.end());
  EXPECT_EQ(two->attachment, wide(b.facts.firstAttachmentName));
  // A date stored in nanoseconds shows the same time as its seconds.
  const auto ns = std::find_if(all.begin(), all.end(), [&](const MessageRecord& m) {
    return m.rowId == b.facts.nanosecondMessage;
  });
  ASSERT_NE(ns, all.end());
  EXPECT_EQ(ns->date, formatAppleTime(392100000 + 77 * 97));
  // The deleted handle's messages were carved like the handle: no address, no name.
  std::size_t ofDeletedHandle = 0;
  for (const MessageRecord& m : all) {
    if (m.handleId != b.facts.deletedHandle) continue;
    ++ofDeletedHandle;
    EXPECT_EQ(m.deleted, 1u);
    EXPECT_TRUE(m.address.empty());
    EXPECT_TRUE(m.contactName.empty());
  }
  EXPECT_GT(ofDeletedHandle, 0u);
  // A carved message has no row id and so no attachment.
  for (const MessageRecord& m : all) {
    if (m.rowId == 0) {
      EXPECT_TRUE(m.attachment.empty());
    }
  }
}

TEST_P(MessageReaderTest, ConversationsAreInDateOrderWithTiesInReadingOrder) {
  Built& b = built(GetParam());
  std::size_t ties = 0;
  for (const auto& c : b.conversations) {
    const auto& list = c.second;
    for (std::size_t i = 0; i < list.size(); ++i) {
      EXPECT_EQ(list[i].handleId, c.first);
      if (i == 0) continue;
      EXPECT_LE(list[i - 1].date, list[i].date);
      if (list[i - 1].date == list[i].date && list[i - 1].deleted == 0 && list[i].deleted == 0) {
        ++ties;
        // Live rows are read in row-id order.
        EXPECT_LT(list[i - 1].rowId, list[i].rowId);
      }
    }
  }
  EXPECT_GE(ties, 10u);
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, MessageReaderTest,
    ::testing::Values(SmsCase{SmsLayout::kIos6, false}, SmsCase{SmsLayout::kIos9, false},
                      SmsCase{SmsLayout::kIos10, false}, SmsCase{SmsLayout::kIos11, false},
                      SmsCase{SmsLayout::kIos14, false}, SmsCase{SmsLayout::kIos11, true},
                      SmsCase{SmsLayout::kIos14, true}, SmsCase{SmsLayout::kIos14, false, 65536}),
    [](const auto& param) {
      return std::string(samples::smsLayoutName(param.param.layout)) +
             (param.param.log ? "_wal" : "") +
             (param.param.pageSize != 4096 ? "_pages" + std::to_string(param.param.pageSize) : "");
    });

TEST(ReadMessages, TheLogsMessagesAreListedAndWhatItDeletedOrChangedComesBackDeleted) {
  Built& b = built(SmsCase{SmsLayout::kIos14, true});
  ASSERT_EQ(b.result, 0);
  const std::vector<MessageRecord> all = allMessages(b.conversations);
  auto find = [&all](std::int64_t rowId, std::uint32_t deleted) {
    return std::find_if(all.begin(), all.end(), [&](const MessageRecord& m) {
      return m.rowId == rowId && m.deleted == deleted;
    });
  };
  ASSERT_EQ(b.facts.logMessages.size(), 15u);
  for (std::int64_t id : b.facts.logMessages) {
    if (id == b.facts.logDeletedMessages.back()) continue;
    const auto m = find(id, 0);
    ASSERT_NE(m, all.end()) << "message " << id << " of the log not listed";
    EXPECT_FALSE(m->date.empty());
  }
  // A later commit changed one: its text now, and its first text as a deleted older version.
  const auto changed = find(b.facts.logMessages[1], 0);
  ASSERT_NE(changed, all.end());
  EXPECT_EQ(changed->text, L"Changed in the log");
  const auto first = find(b.facts.logMessages[1], 1);
  ASSERT_NE(first, all.end());
  EXPECT_EQ(first->text.rfind(L"Only in the log #", 0), 0u);
  // Deleted in the log, messages of the file and one of the log alike: listed as deleted.
  for (std::int64_t id : b.facts.logDeletedMessages) {
    EXPECT_EQ(find(id, 0), all.end()) << id;
    EXPECT_NE(find(id, 1), all.end()) << "message " << id << " deleted in the log not found";
  }
  // The file alone knows none of the log's messages.
  ConversationMap alone;
  std::uint64_t max = 0;
  ASSERT_EQ(ReadMessages(b.sms, b.addressBook, &alone, ReadProgress(), &max), 0);
  for (const MessageRecord& m : allMessages(alone)) {
    EXPECT_EQ(std::count(b.facts.logMessages.begin(), b.facts.logMessages.end(), m.rowId), 0);
  }
}

TEST(MessageWidth, LiveHeadersOf51BytesOrMoreMeanTheWideLayout) {
  // The fallback for a schema without a width: the header size of the live rows.
  for (SmsLayout layout : {SmsLayout::kIos6, SmsLayout::kIos9}) {
    SqlitePageReader reader;
    LocalDates dates;
    ASSERT_EQ(reader.Open(built(layout).sms), 0);
    MessageDecoder decoder(dates);
    TableShape learnt = knownTableShape("message");
    decoder.learnWidth(&learnt);
    TableScan scan;
    scan.learnt = &learnt;
    scan.withFreelist = false;
    std::size_t carved = 0, carvedAfterLive = 0, live = 0;
    auto sink = makeSink([&](SqlitePageReader& r, const RowImage& image) {
      MessageRecord m;
      live += image.kind == RowKind::kLive;
      if (image.kind == RowKind::kCarved) {
        ++carved;
        // The learnt width is in force by the time any leaf is carved.
        carvedAfterLive +=
            image.typeCount + image.firstColumn == static_cast<std::size_t>(learnt.width);
      }
      return decoder.decode(r, image, &m);
    });
    reader.ScanTable("message", scan, &sink);
    EXPECT_EQ(learnt.width, layout == SmsLayout::kIos6 ? 38 : 51);
    EXPECT_GT(live, 0u);
    EXPECT_GT(carved, 0u);
    EXPECT_EQ(carvedAfterLive, carved);
  }
}

TEST(MessageWidth, AWidthLearntFromLiveRowsFindsWhatTheDeclaredWidthFinds) {
  // The same wide database once more, with a statement that cannot be counted: the width comes
  // from the live rows, and every leaf (the first one too) is carved with it.
  Built& b = built(SmsLayout::kIos9);
  ASSERT_EQ(b.result, 0);
  const std::string copy = b.folder.file("sms-uncounted.db");
  std::string bytes = samples::readFileBytes(b.sms);
  const std::size_t at = bytes.find("CREATE TABLE message (");
  ASSERT_NE(at, std::string::npos);
  bytes[at + 21] = ' ';
  ASSERT_EQ(platform::writeWholeFile(copy, bytes.data(), bytes.size()), 0);
  ConversationMap learnt;
  std::uint64_t maxRowId = 0;
  ASSERT_EQ(ReadMessages(copy, b.addressBook, &learnt, ReadProgress(), &maxRowId), 0);
  auto deleted = [](const ConversationMap& map) {
    std::multiset<std::wstring> out;
    for (const MessageRecord& m : allMessages(map)) {
      if (m.deleted != 0) out.insert(m.date + L" " + m.text.substr(0, 40));
    }
    return out;
  };
  const std::multiset<std::wstring> found = deleted(learnt), expected = deleted(b.conversations);
  EXPECT_FALSE(expected.empty());
  for (const std::wstring& m : expected) {
    EXPECT_EQ(found.count(m), expected.count(m)) << platform::toUtf8(m);
  }
  EXPECT_EQ(found.size(), expected.size());
  EXPECT_EQ(maxRowId, b.maxRowId);
}

struct Report {
  std::vector<std::uint32_t> values;
  int stopAt = -1;  // index of the report answered with 2
};

int record(void* user, std::uint32_t value) {
  auto* r = static_cast<Report*>(user);
  r->values.push_back(value);
  return static_cast<int>(r->values.size()) - 1 == r->stopAt ? 2 : 0;
}

TEST(ReadMessages, ReportsProgressAndStopsWhenAsked) {
  Built& b = built(SmsLayout::kIos6);
  Report report;
  ReadProgress progress;
  progress.callback = record;
  progress.user = &report;
  progress.base = 100;
  progress.step = 60;
  ConversationMap map;
  std::uint64_t max = 0;
  EXPECT_EQ(ReadMessages(b.sms, b.addressBook, &map, progress, &max), 0);
  EXPECT_EQ(report.values, (std::vector<std::uint32_t>{112, 115, 120, 130, 160, 160}));
  EXPECT_FALSE(map.empty());

  Report stop;
  stop.stopAt = 1;
  progress.user = &stop;
  ConversationMap untouched = {{99, {MessageRecord()}}};
  EXPECT_EQ(ReadMessages(b.sms, b.addressBook, &untouched, progress, &max), 2);
  EXPECT_EQ(untouched.size(), 1u);
  // The last report still goes out.
  EXPECT_EQ(stop.values, (std::vector<std::uint32_t>{112, 115, 160}));
}

TEST(ReadMessages, WithoutAnAddressBookMessagesComeWithoutNames) {
  Built& b = built(SmsLayout::kIos6);
  ConversationMap withBook;
  std::uint64_t max = 7;
  ASSERT_EQ(ReadMessages(b.sms, b.addressBook, &withBook, ReadProgress(), &max), 0);
  for (const std::string& book : {b.folder.file("none.sqlitedb"), b.sms + "-not-a-book"}) {
    if (book != b.folder.file("none.sqlitedb")) {
      ASSERT_EQ(platform::writeWholeFile(book, "enciphered bytes, not SQLite", 28), 0);
    }
    ConversationMap map;
    EXPECT_EQ(ReadMessages(b.sms, book, &map, ReadProgress(), &max), 0);
    ASSERT_EQ(map.size(), withBook.size());
    std::size_t messages = 0, withAddress = 0;
    for (const auto& [handle, list] : map) {
      ASSERT_EQ(list.size(), withBook.at(handle).size());
      for (std::size_t i = 0; i < list.size(); ++i) {
        EXPECT_TRUE(list[i].contactName.empty());
        EXPECT_EQ(list[i].text, withBook.at(handle)[i].text);
        EXPECT_EQ(list[i].address, withBook.at(handle)[i].address);
        withAddress += list[i].address.empty() ? 0 : 1;
        ++messages;
      }
    }
    EXPECT_GT(messages, 0u);
    EXPECT_GT(withAddress, 0u);
  }
}

TEST(ReadMessages, MissingMessageDatabaseReturnsTheOpenErrorAndAddsNothing) {
  Built& b = built(SmsLayout::kIos6);
  ConversationMap map;
  std::uint64_t max = 7;
  EXPECT_EQ(ReadMessages(b.folder.file("none.db"), b.addressBook, &map, ReadProgress(), &max), 2);
  EXPECT_TRUE(map.empty());
  const std::string notDb = b.folder.file("text.db");
  ASSERT_EQ(platform::writeWholeFile(notDb, "not a database at all, just some text", 37), 0);
  EXPECT_EQ(ReadMessages(notDb, b.addressBook, &map, ReadProgress(), &max), kInvalid);
  EXPECT_TRUE(map.empty());
}

TEST(ReadMessages, NamesComeFromTheNewerAddressBookLayoutToo) {
  // A 38-column message table beside a 26-column address book: the phone text is column 17.
  Built& b = built(SmsLayout::kIos6);
  samples::SqliteFixture db;
  const std::string book = b.folder.file("newer.sqlitedb");
  ASSERT_EQ(samples::buildAddressBook(book, AddressBookLayout::kIos15, &db), 0);
  ConversationMap map;
  std::uint64_t max = 0;
  ASSERT_EQ(ReadMessages(b.sms, book, &map, ReadProgress(), &max), 0);
  ASSERT_TRUE(map.count(1));
  for (const MessageRecord& m : map[1]) {
    if (m.deleted == 0) {
      EXPECT_EQ(m.contactName, L"Zoë Brontë");
    }
  }
}

}  // namespace
}  // namespace qv::db
