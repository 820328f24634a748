// Notes of NoteStore.sqlite in two layouts, with and without a write-ahead log: every note the
// store holds, as its rows say (title, date, text of the gzip protocol-buffer body), deleted
// notes from free space, "Recently Deleted" and marks, a locked note; and the body decoding
// and its two bounded readers on their own.
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>

#include "db/inflate.h"
#include "db/notestore_reader.h"
#include "db/proto_fields.h"
#include "db/timestamp.h"
#include "platform/result.h"
#include "platform/text.h"
#include "samples/appdb_notestore.h"
#include "samples/backup_builder.h"
#include "tests/db/phone_test_support.h"
#include "tests/fixtures/temp_folder.h"

namespace qv::db {
namespace {

using samples::ExpectedNote;
using samples::NoteStoreLayout;
using samples::SqlRow;
using samples::SqlValue;

struct StoreCase {
  NoteStoreLayout layout;
  bool log;
};

struct Store {
  fixtures::TempFolder folder;
  std::string path;
  samples::SqliteFixture db;
  std::vector<ExpectedNote> expected;
  std::vector<NoteRecord> notes;
  int result = -1;
};

Store& store(StoreCase c) {
  static std::map<std::pair<NoteStoreLayout, bool>, std::unique_ptr<Store>> cache;
  auto& slot = cache[{c.layout, c.log}];
  if (!slot) {
    slot = std::make_unique<Store>();
    Store& s = *slot;
    s.path = s.folder.file("NoteStore.sqlite");
    EXPECT_EQ(samples::buildNoteStore(s.path, c.layout, &s.db, &s.expected, c.log), 0);
    s.result = ReadNoteStore(DatabaseFile(s.path, c.log ? s.path + "-wal" : ""), &s.notes);
  }
  return *slot;
}

std::wstring modified(std::int64_t seconds) {
  return formatAppleTime(seconds);
}

class NoteStoreTest : public ::testing::TestWithParam<StoreCase> {};

TEST_P(NoteStoreTest, EveryNoteAsItsRowsSay) {
  Store& s = store(GetParam());
  ASSERT_EQ(s.result, 0);
  // The titles and dates SQLite returns for the live notes (the log's view when there is one).
  std::map<std::int64_t, std::wstring> dateOfRow;
  if (!GetParam().log) {
    for (const SqlRow& r :
         phonetest::sqlRows(s.path,
                            "SELECT Z_PK, ZMODIFICATIONDATE1 FROM ZICCLOUDSYNCINGOBJECT WHERE "
                            "ZMODIFICATIONDATE1 IS NOT NULL")) {
      const double v = r[1].kind == SqlValue::kReal ? r[1].real : double(r[1].integer);
      dateOfRow[r[0].integer] = formatAppleTime(static_cast<std::int64_t>(std::trunc(v)));
    }
    ASSERT_GT(dateOfRow.size(), 30u);
  }
  std::size_t present = 0, recovered = 0, lost = 0;
  const std::string file = samples::readFileBytes(s.path) + samples::readFileBytes(s.path + "-wal");
  for (const ExpectedNote& e : s.expected) {
    const std::wstring title = platform::toWide(e.title);
    const std::wstring text = e.locked ? kLockedNoteText : platform::toWide(e.text);
    const auto found = std::find_if(s.notes.begin(), s.notes.end(), [&](const NoteRecord& n) {
      return n.title == title && n.deleted == e.deleted;
    });
    if (e.carved) {
      // A note deleted from the tables: found when its body's bytes are still in the file.
      if (file.find(samples::noteBodyBlob(e.text)) == std::string::npos) {
        ++lost;
        continue;
      }
      ASSERT_NE(found, s.notes.end()) << e.title << " not recovered";
      EXPECT_EQ(found->content, text) << e.title;
      ++recovered;
      continue;
    }
    ++present;
    ASSERT_NE(found, s.notes.end()) << e.title;
    EXPECT_EQ(found->content, text) << e.title;
    EXPECT_EQ(found->locked, e.locked ? 1u : 0u) << e.title;
    EXPECT_EQ(found->date, modified(e.modified)) << e.title;
    if (!GetParam().log) {
      EXPECT_EQ(found->date, dateOfRow[e.id]) << e.title;
    }
    // Each note of the tables is listed once with its marker.
    EXPECT_EQ(
        std::count_if(s.notes.begin(), s.notes.end(),
                      [&](const NoteRecord& n) { return n.title == title && n.deleted == 0; }),
        e.deleted == 0 ? 1 : 0)
        << e.title;
  }
  EXPECT_GT(present, 45u);
  EXPECT_GT(recovered, lost);
  // No deleted note is a copy of a live one.
  for (const NoteRecord& d : s.notes) {
    if (d.deleted == 0) continue;
    for (const NoteRecord& l : s.notes) {
      if (l.deleted == 0) {
        EXPECT_FALSE(d.title == l.title && d.content == l.content) << "copy";
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Layouts, NoteStoreTest,
                         ::testing::Values(StoreCase{NoteStoreLayout::kIos12, false},
                                           StoreCase{NoteStoreLayout::kIos17, false},
                                           StoreCase{NoteStoreLayout::kIos17, true}),
                         [](const auto& param) {
                           return std::string(samples::noteStoreLayoutName(param.param.layout)) +
                                  (param.param.log ? "_wal" : "");
                         });

TEST(ReadNoteStore, TheLogsNotesAreListedAndTheNoteItDeletedIsDeleted) {
  Store& s = store({NoteStoreLayout::kIos17, true});
  ASSERT_EQ(s.result, 0);
  for (int n = 71; n <= 75; ++n) {
    const std::wstring title = L"Note " + std::to_wstring(n) + L" title";
    EXPECT_TRUE(std::any_of(s.notes.begin(), s.notes.end(), [&](const NoteRecord& x) {
      return x.title == title && x.deleted == 0;
    })) << n;
  }
  EXPECT_TRUE(std::any_of(s.notes.begin(), s.notes.end(), [](const NoteRecord& x) {
    return x.title == L"Note 2 title" && x.deleted == 1 && !x.content.empty();
  }));
  // The file alone has none of the log's notes.
  std::vector<NoteRecord> alone;
  ASSERT_EQ(ReadNoteStore(s.path, &alone), 0);
  EXPECT_FALSE(std::any_of(alone.begin(), alone.end(),
                           [](const NoteRecord& x) { return x.title == L"Note 71 title"; }));
}

TEST(ReadNoteStore, WhatIsNoNoteStoreGivesItsCode) {
  fixtures::TempFolder folder;
  std::vector<NoteRecord> notes(1);
  EXPECT_EQ(ReadNoteStore(folder.file("missing.sqlite"), &notes), 2);
  const std::string other = folder.file("other.sqlite");
  ASSERT_EQ(samples::makeSqliteDatabase(other, "CREATE TABLE t (a);"), 0);
  EXPECT_EQ(ReadNoteStore(other, &notes), kQueryFailed);
  EXPECT_EQ(notes.size(), 1u);
}

std::string zlibStream(const std::string& raw) {
  uLongf size = compressBound(static_cast<uLong>(raw.size()));
  std::string out(size, '\0');
  compress(reinterpret_cast<Bytef*>(&out[0]), &size, reinterpret_cast<const Bytef*>(raw.data()),
           static_cast<uLong>(raw.size()));
  out.resize(size);
  return out;
}

// A protocol buffer by hand: key varint, then the field.
std::string field(std::uint32_t number, const std::string& bytes) {
  std::string out;
  out += static_cast<char>(number << 3 | 2);
  out += static_cast<char>(bytes.size());
  return out + bytes;
}

TEST(NoteBody, TheTextOfGoodBodiesAndNothingOfOthers) {
  std::wstring text;
  EXPECT_TRUE(noteBodyText(samples::noteBodyBlob("Shopping\nmilk 🍎 买菜"), &text));
  EXPECT_EQ(text, L"Shopping\nmilk 🍎 买菜");
  // Attachment marks are dropped; a zlib stream is taken as well as gzip.
  const std::string withMark = field(2, field(3, field(2, "photo \xEF\xBF\xBC here")));
  EXPECT_TRUE(noteBodyText(zlibStream(withMark), &text));
  EXPECT_EQ(text, L"photo  here");
  const struct {
    const char* what;
    std::string blob;
  } bad[] = {
      {"enciphered", samples::pseudoRandomBytes(300, 3)},
      {"cut short", samples::noteBodyBlob("a longer text than twenty bytes").substr(0, 20)},
      {"no protocol buffer", zlibStream("just words, no fields")},
      {"no text field", zlibStream(field(2, field(4, field(2, "x"))))},
      {"malformed UTF-8", zlibStream(field(2, field(3, field(2, "bad \xC3\x28"))))},
      {"empty", ""},
  };
  for (const auto& b : bad) {
    EXPECT_FALSE(noteBodyText(b.blob, &text)) << b.what;
    EXPECT_TRUE(text.empty()) << b.what;
  }
}

TEST(ProtoFields, FieldsAndTheDamageThatEndsThem) {
  // Varint 150 in field 1, fixed64 in 2, fixed32 in 5, bytes in 3.
  const std::string message = std::string("\x08\x96\x01", 3) + "\x11" + std::string(8, '\x01') +
                              "\x2d" + std::string(4, '\x02') + "\x1a\x03" + "abc";
  ProtoFields fields(message);
  ProtoField f;
  ASSERT_TRUE(fields.next(&f));
  EXPECT_EQ(f.number, 1u);
  EXPECT_EQ(f.value, 150u);
  ASSERT_TRUE(fields.next(&f));
  EXPECT_EQ(f.value, 0x0101010101010101ull);
  ASSERT_TRUE(fields.next(&f));
  EXPECT_EQ(f.number, 5u);
  EXPECT_EQ(f.value, 0x02020202u);
  ASSERT_TRUE(fields.next(&f));
  EXPECT_EQ(f.bytes, "abc");
  EXPECT_FALSE(fields.next(&f));
  EXPECT_FALSE(fields.damaged());

  const struct {
    const char* what;
    std::string bytes;
  } damaged[] = {
      {"a length past the end",
       "\x1a\x05"
       "abc"},
      {"a varint of eleven bytes", "\x08" + std::string(10, '\xff') + "\x01"},
      {"a varint cut by the end", "\x08\xff"},
      {"a group", "\x0b\x0c"},
      {"wire type 7", "\x0f"},
      {"field number 0", std::string("\x02\x01x", 3)},
      {"fixed64 cut short", "\x11\x01\x02"},
  };
  for (const auto& d : damaged) {
    ProtoFields bad(d.bytes);
    while (bad.next(&f)) {
    }
    EXPECT_TRUE(bad.damaged()) << d.what;
  }
  std::string_view out;
  // The path's result points into the bytes it was given: they must outlive it.
  const std::string nested = field(2, field(3, field(2, "t")));
  EXPECT_TRUE(protoPath(nested, {2, 3, 2}, &out));
  EXPECT_EQ(out, "t");
  EXPECT_FALSE(protoPath(field(2, "\x18\x01"), {2, 3}, &out));  // field 3 is a varint there
  EXPECT_FALSE(
      protoPath("\x12\x09"
                "abc",
                {2}, &out));  // its length runs past the end
}

TEST(Inflate, AStreamLargerThanTheCapIsRefused) {
  const std::string big(1 << 20, 'z');
  const std::string blob = zlibStream(big);
  std::string out;
  EXPECT_EQ(inflateBlob(blob, &out), kOk);
  EXPECT_EQ(out, big);
  EXPECT_EQ(inflateBlob(blob, &out, (1 << 20) - 1), kInvalid);
  EXPECT_TRUE(out.empty());
  EXPECT_EQ(inflateBlob(blob.substr(0, blob.size() / 2), &out), kInvalid);
}

}  // namespace
}  // namespace qv::db
