// ReadCalls on both call histories and ReadNotes: every live row as the SQLite library returns
// it, every deleted row whose bytes remain, no leftover copies, and the edge cases.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>

#include "db/call_reader.h"
#include "db/note_reader.h"
#include "db/table_columns.h"
#include "db/timestamp.h"
#include "platform/file.h"
#include "platform/folders.h"
#include "samples/appdb_calls.h"
#include "samples/appdb_contacts.h"
#include "samples/appdb_notes.h"
#include "tests/db/phone_test_support.h"
#include "tests/fixtures/temp_folder.h"

namespace qv::db {
namespace {

using phonetest::sqlRows;
using phonetest::wide;
using samples::SqlRow;
using samples::SqlValue;

using samples::CallHistoryLayout;

constexpr CallHistoryLayout kCallLayouts[] = {CallHistoryLayout::kIos9,  CallHistoryLayout::kIos11,
                                              CallHistoryLayout::kIos17, CallHistoryLayout::kIos5,
                                              CallHistoryLayout::kIos6,  CallHistoryLayout::kIos7};

// One call history per statement family and the address book that names the calls.
struct Calls {
  fixtures::TempFolder folder;
  std::string book;
  samples::SqliteFixture bookDb;
  std::map<CallHistoryLayout, std::string> paths;
  std::map<CallHistoryLayout, samples::SqliteFixture> dbs;
};

Calls& calls() {
  static std::unique_ptr<Calls> c;
  if (!c) {
    c = std::make_unique<Calls>();
    c->book = c->folder.file("AddressBook.sqlitedb");
    EXPECT_EQ(samples::buildAddressBook(c->book, samples::AddressBookLayout::kIos6, &c->bookDb), 0);
    for (CallHistoryLayout layout : kCallLayouts) {
      const std::string path = c->folder.file(samples::callHistoryLayoutName(layout));
      EXPECT_EQ(samples::buildCallHistory(path, layout, &c->dbs[layout]), 0);
      c->paths[layout] = path;
    }
  }
  return *c;
}

// The columns a call is made of, by name in each family.
struct CallColumnNames {
  const char *direction, *date, *duration, *number;
};
CallColumnNames callColumnNames(bool newer) {
  if (newer) return {"ZORIGINATED", "ZDATE", "ZDURATION", "ZADDRESS"};
  return {"flags", "date", "duration", "address"};
}

// The call a stored row gives: (direction, date, duration, number) in the row's family.
bool expectedCall(const SqlValue& direction, const SqlValue& date, const SqlValue& duration,
                  const SqlValue& number, bool newer, std::uint32_t deleted, CallRecord* out) {
  *out = CallRecord();
  out->deleted = deleted;
  if (!phonetest::takenText(SqlValue::text(number.bytes))) return false;
  out->number = wide(number.bytes);
  if (!newer &&
      std::any_of(out->number.begin(), out->number.end(), [](wchar_t c) { return c < L' '; }))
    return false;
  if (date.kind == SqlValue::kInteger) {
    out->date = newer ? formatAppleTime(date.integer) : formatUnixTime(date.integer);
  } else if (date.kind == SqlValue::kReal) {
    out->date = formatAppleTime(static_cast<std::int64_t>(std::trunc(date.real)));
  } else {
    return false;
  }
  if (direction.kind == SqlValue::kInteger) {
    out->incoming = newer ? direction.integer == 0 : (direction.integer & 1) == 0;
  }
  out->duration = duration.kind == SqlValue::kReal
                      ? static_cast<std::uint32_t>(std::trunc(duration.real))
                      : static_cast<std::uint32_t>(duration.integer);
  return true;
}

bool sameCall(const CallRecord& a, const CallRecord& b) {
  return a.incoming == b.incoming && a.duration == b.duration && a.date == b.date &&
         a.number == b.number;
}

class CallReaderTest : public ::testing::TestWithParam<CallHistoryLayout> {};

TEST_P(CallReaderTest, LiveAndDeletedCallsAsStored) {
  const CallHistoryLayout layout = GetParam();
  const bool newer = samples::isCoreDataCallHistory(layout);
  Calls& c = calls();
  const std::string& path = c.paths[layout];
  std::vector<CallRecord> list;
  ASSERT_EQ(ReadCalls(path, c.book, 0, &list), 0);
  const CallColumnNames names = callColumnNames(newer);
  const auto rows = sqlRows(path, std::string("SELECT ") + names.direction + ", " + names.date +
                                      ", " + names.duration + ", " + names.number + " FROM " +
                                      samples::callHistoryTable(layout));
  ASSERT_GT(rows.size(), 80u);
  std::size_t live = 0;
  for (const SqlRow& r : rows) {
    CallRecord want;
    if (!expectedCall(r[0], r[1], r[2], r[3], newer, 0, &want)) continue;
    ++live;
    auto it = std::find_if(list.begin(), list.end(), [&](const CallRecord& got) {
      return got.deleted == 0 && sameCall(got, want);
    });
    ASSERT_NE(it, list.end()) << "live call " << r[1].integer;
    // The name: the first person whose phone text holds a number of 5 characters or more.
    std::wstring name;
    if (want.number.size() > 4) {
      name = phonetest::firstPersonWithPhone(c.book, r[3].bytes);
      if (want.number == L"+33612345678") name = L"Pierre Dupont";  // a deleted person
    }
    EXPECT_EQ(it->name, name) << r[3].bytes;
  }
  EXPECT_EQ(
      std::count_if(list.begin(), list.end(), [](const CallRecord& x) { return x.deleted == 0; }),
      static_cast<long>(live));

  // Deleted calls: every one whose bytes remain, read at the family's own positions.
  samples::SqliteFixture& db = c.dbs[layout];
  const std::string file = samples::readFileBytes(path);
  const TableLayout table(samples::callHistorySql(layout));
  auto at = [&table](const SqlRow& r, const char* name) {
    return r[static_cast<std::size_t>(table.find(name))];
  };
  std::size_t recovered = 0, overwritten = 0;
  for (const auto& d : db.deleted(samples::callHistoryTable(layout))) {
    const SqlRow& r = d.second;
    CallRecord want;
    if (!expectedCall(at(r, names.direction), at(r, names.date), at(r, names.duration),
                      at(r, names.number), newer, 1, &want))
      continue;
    // Bytes a rebalanced page overwrote, or old cells on a page that became the parent of its
    // split halves (the carver reads leaf pages only), are not there to find.
    if (!phonetest::bytesRemain(file, r) || phonetest::onlyOnInteriorPages(file, r)) {
      ++overwritten;
      continue;
    }
    const bool found = std::any_of(list.begin(), list.end(), [&](const CallRecord& got) {
      return got.deleted == 1 && sameCall(got, want);
    });
    EXPECT_TRUE(found) << "deleted call " << d.first << " not recovered";
    recovered += found;
  }
  EXPECT_GT(recovered, overwritten);
  // No leftover copy of a live call is listed as deleted.
  for (const CallRecord& x : list) {
    if (x.deleted == 0) continue;
    for (const CallRecord& y : list) {
      if (y.deleted == 0) {
        EXPECT_FALSE(sameCall(x, y)) << "a copy of a live call is listed as deleted";
      }
    }
  }
  // Sorted by date; a number of 4 characters gets no name although a person's phone text
  // holds it.
  for (std::size_t i = 1; i < list.size(); ++i) EXPECT_LE(list[i - 1].date, list[i].date);
  std::size_t shortNumbers = 0;
  for (const CallRecord& x : list) {
    if (x.number != L"1234") continue;
    ++shortNumbers;
    EXPECT_TRUE(x.name.empty());
  }
  EXPECT_GT(shortNumbers, 0u);
  // Missed (incoming) and cancelled (outgoing) calls: duration 0 either way.
  EXPECT_TRUE(std::any_of(list.begin(), list.end(),
                          [](const CallRecord& x) { return x.duration == 0 && x.incoming == 1; }));
  EXPECT_TRUE(std::any_of(list.begin(), list.end(),
                          [](const CallRecord& x) { return x.duration == 0 && x.incoming == 0; }));
  // The version flag only picks the address book's layout when it cannot be read: the calls
  // are the same with it set.
  std::vector<CallRecord> flagged;
  ASSERT_EQ(ReadCalls(path, c.book, 1, &flagged), 0);
  ASSERT_EQ(flagged.size(), list.size());
  for (std::size_t i = 0; i < list.size(); ++i) EXPECT_TRUE(sameCall(flagged[i], list[i]));
}

INSTANTIATE_TEST_SUITE_P(Families, CallReaderTest, ::testing::ValuesIn(kCallLayouts),
                         [](const auto& param) {
                           return std::string(samples::callHistoryLayoutName(param.param));
                         });

TEST(ReadCalls, AWriteAheadLogDatabaseIsReadWithoutWritingBesideIt) {
  Calls& c = calls();
  const std::string dir = c.folder.file("a #dir% with é");
  ASSERT_EQ(platform::createFolders(dir), 0);
  const std::string path = platform::joinPath(dir, "CallHistory.storedata");
  const std::string bytes = samples::readFileBytes(c.paths[CallHistoryLayout::kIos17]);
  ASSERT_EQ(platform::writeWholeFile(path, bytes.data(), bytes.size()), 0);
  {
    // The phone keeps this database in write-ahead-log mode.
    sqlite3* handle = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &handle), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(handle, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr),
              SQLITE_OK);
    ASSERT_EQ(sqlite3_close(handle), SQLITE_OK);
  }
  std::vector<CallRecord> list;
  EXPECT_EQ(ReadCalls(DatabaseFile(path, path + "-wal"), c.book, 0, &list), 0);
  EXPECT_GT(list.size(), 80u);
  EXPECT_FALSE(platform::pathExists(path + "-wal"));
  EXPECT_FALSE(platform::pathExists(path + "-shm"));
}

TEST(ReadCalls, MissingFilesReturnTheirCodes) {
  Calls& c = calls();
  std::vector<CallRecord> list;
  // The probe does not create the missing file inside the backup.
  const std::string missing = c.folder.file("missing.storedata");
  EXPECT_NE(ReadCalls(missing, c.book, 0, &list), 0);
  EXPECT_FALSE(platform::pathExists(missing));
  EXPECT_TRUE(list.empty());
  // Without the address book the calls stay, unnamed and in reading order.
  EXPECT_EQ(
      ReadCalls(c.paths[CallHistoryLayout::kIos11], c.folder.file("missing.sqlitedb"), 0, &list),
      2);
  ASSERT_GT(list.size(), 50u);
  bool unsorted = false;
  for (std::size_t i = 0; i < list.size(); ++i) {
    EXPECT_TRUE(list[i].name.empty());
    if (i > 0 && list[i].date < list[i - 1].date) unsorted = true;
  }
  EXPECT_TRUE(unsorted);
}

// ---- notes ---------------------------------------------------------------------------------

struct Notes {
  fixtures::TempFolder folder;
  std::string path;
  samples::SqliteFixture db;
  std::vector<NoteRecord> list;
  int result = -1;
};

using samples::NotesLayout;

Notes& notes(NotesLayout layout = NotesLayout::kIos9) {
  static std::map<NotesLayout, std::unique_ptr<Notes>> cache;
  auto& n = cache[layout];
  if (!n) {
    n = std::make_unique<Notes>();
    n->path = n->folder.file("notes.sqlite");
    EXPECT_EQ(samples::buildNotesDatabase(n->path, layout, &n->db), 0);
    n->result = ReadNotes(n->path, &n->list);
  }
  return *n;
}

class NoteReaderTest : public ::testing::TestWithParam<NotesLayout> {};

std::wstring noteDate(const SqlValue& v) {
  if (v.kind == SqlValue::kInteger) return formatAppleTime(v.integer);
  if (v.kind == SqlValue::kReal)
    return formatAppleTime(static_cast<std::int64_t>(std::trunc(v.real)));
  return {};
}

TEST_P(NoteReaderTest, LiveNotesEqualWhatSqliteReturns) {
  Notes& n = notes(GetParam());
  ASSERT_EQ(n.result, 0);
  const auto rows =
      sqlRows(n.path,
              "SELECT b.Z_PK, b.ZCONTENT, t.ZTITLE, t.ZMODIFICATIONDATE FROM ZNOTEBODY b "
              "LEFT JOIN ZNOTE t ON t.ZBODY = b.Z_PK ORDER BY b.Z_PK");
  ASSERT_GT(rows.size(), 40u);
  for (const SqlRow& r : rows) {
    const auto it = std::find_if(n.list.begin(), n.list.end(), [&](const NoteRecord& x) {
      return x.deleted == 0 && x.id == static_cast<std::uint32_t>(r[0].integer);
    });
    ASSERT_NE(it, n.list.end()) << "body " << r[0].integer;
    EXPECT_EQ(it->content, noteHtmlToText(wide(r[1])));
    // A title with U+FFFD drops its note row: the body is listed without title and date.
    const bool titled = phonetest::takenText(r[2]);
    EXPECT_EQ(it->title, titled ? noteHtmlToText(wide(r[2])) : L"");
    EXPECT_EQ(it->date, titled ? noteDate(r[3]) : L"");
    EXPECT_FALSE(it->content.empty());
  }
  // The note without a body, by its title.
  const auto bare = std::find_if(n.list.begin(), n.list.end(),
                                 [](const NoteRecord& x) { return x.title == L"Only a title"; });
  ASSERT_NE(bare, n.list.end());
  EXPECT_TRUE(bare->content.empty());
  EXPECT_EQ(bare->id, 0u);
  EXPECT_EQ(std::count_if(n.list.begin(), n.list.end(),
                          [](const NoteRecord& x) { return x.deleted == 0; }),
            static_cast<long>(rows.size() + 1));
}

TEST(ReadNotes, HtmlBecomesText) {
  EXPECT_EQ(noteHtmlToText(L"Fish &amp;lt; chips"), L"Fish &lt; chips");
  EXPECT_EQ(noteHtmlToText(L"<div>a</div><div>b<br></div>"), L"\na\nb\n");
  EXPECT_EQ(noteHtmlToText(L"It&#39;s &quot;x&quot;&nbsp;&gt; y &amp; z"), L"It's \"x\" > y & z");
  EXPECT_EQ(noteHtmlToText(L"&lt;div&gt;"), L"\n");
  Notes& n = notes();
  EXPECT_TRUE(std::any_of(n.list.begin(), n.list.end(),
                          [](const NoteRecord& x) { return x.title == L"Fish &lt; chips"; }));
}

TEST_P(NoteReaderTest, DeletedNotesAreRecoveredWithoutLeftoverCopies) {
  Notes& n = notes(GetParam());
  const TableLayout noteTable(samples::notesNoteSql(GetParam()));
  const auto titleAt = static_cast<std::size_t>(noteTable.find("ZTITLE"));
  const auto dateAt = static_cast<std::size_t>(noteTable.find("ZMODIFICATIONDATE"));
  const std::string file = samples::readFileBytes(n.path);
  std::size_t recovered = 0, overwritten = 0, interior = 0;
  std::vector<std::string> missed;
  auto check = [&](const char* table, std::int64_t id, const SqlRow& row, bool found) {
    if (!phonetest::bytesRemain(file, row)) {
      ++overwritten;  // a rebalanced page reused the space
    } else if (phonetest::onlyOnInteriorPages(file, row)) {
      ++interior;  // left on a page that became an interior page: not carved
    } else if (found) {
      ++recovered;
    } else {
      missed.push_back(std::string(table) + " " + std::to_string(id));
    }
  };
  for (const auto& d : n.db.deleted("ZNOTEBODY")) {
    const std::wstring content = noteHtmlToText(wide(d.second[4]));
    check("body", d.first, d.second,
          std::any_of(n.list.begin(), n.list.end(),
                      [&](const NoteRecord& x) { return x.deleted == 1 && x.content == content; }));
  }
  for (const auto& d : n.db.deleted("ZNOTE")) {
    const std::wstring title = noteHtmlToText(wide(d.second[titleAt]));
    check("note", d.first, d.second,
          std::any_of(n.list.begin(), n.list.end(), [&](const NoteRecord& x) {
            return x.deleted == 1 && x.title == title && x.date == noteDate(d.second[dateAt]);
          }));
  }
  EXPECT_GT(recovered, overwritten + interior);
  // One body is missed on a leaf page: in the page's gap an old freeblock header in front of
  // it reads as a record header to the carver's free-space sweep, and that false record
  // outranks the real one that overlaps it.
  EXPECT_LE(missed.size(), 1u) << ::testing::PrintToString(missed);
  for (const NoteRecord& x : n.list) {
    if (x.deleted == 0) continue;
    for (const NoteRecord& y : n.list) {
      if (y.deleted == 0) {
        EXPECT_FALSE(x.title == y.title && x.content == y.content && x.date == y.date)
            << "a copy of a live note is listed as deleted";
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Families, NoteReaderTest,
                         ::testing::Values(NotesLayout::kIos6, NotesLayout::kIos9),
                         [](const auto& param) {
                           return std::string(samples::notesLayoutName(param.param));
                         });

TEST(ReadNotes, AMissingFileLeavesTheListAsItWas) {
  fixtures::TempFolder folder;
  std::vector<NoteRecord> list(3);
  EXPECT_EQ(ReadNotes(folder.file("none.sqlite"), &list), 2);
  EXPECT_EQ(list.size(), 3u);
}

}  // namespace
}  // namespace qv::db
