// The address book: the table scan against SQLite's own rows in three layouts, recall of the
// deleted persons, no leftover copies, and what ReadContacts makes of the rows.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <tuple>

#include "db/contact_reader.h"
#include "db/person_name.h"
#include "db/sqlite_page_reader.h"
#include "platform/ascii.h"
#include "platform/result.h"
#include "samples/appdb_contacts.h"
#include "tests/db/phone_test_support.h"
#include "tests/fixtures/temp_folder.h"

namespace qv::db {
namespace {

using phonetest::wide;
using samples::AddressBookLayout;
using samples::SqlRow;
using samples::SqlValue;

struct Book {
  fixtures::TempFolder folder;
  std::string path;
  samples::SqliteFixture db;
  std::vector<ContactRecord> scanned;
  int scanResult = -1;
};

Book& book(AddressBookLayout layout) {
  static std::map<AddressBookLayout, std::unique_ptr<Book>> cache;
  auto& slot = cache[layout];
  if (!slot) {
    slot = std::make_unique<Book>();
    slot->path = slot->folder.file("AddressBook.sqlitedb");
    EXPECT_EQ(samples::buildAddressBook(slot->path, layout, &slot->db), 0);
    SqlitePageReader reader;
    EXPECT_EQ(reader.Open(slot->path), 0);
    slot->scanResult =
        ScanContacts(reader, samples::addressBookVersionFlag(layout), &slot->scanned);
  }
  return *slot;
}

// The person a stored row should give (all columns in table order), or false when the row
// must be dropped.
bool expectedPerson(const SqlRow& row, int phoneColumn, std::uint32_t deleted, ContactRecord* out) {
  for (const SqlValue& v : row) {
    if (v.kind == SqlValue::kText && !phonetest::takenText(v)) return false;
  }
  const std::wstring phone = wide(row[static_cast<std::size_t>(phoneColumn)]);
  if (std::any_of(phone.begin(), phone.end(), [](wchar_t c) { return c < L' '; })) return false;
  *out = ContactRecord();
  out->deleted = deleted;
  out->name = fullName(wide(row[1]), wide(row[2]));
  out->company = wide(row[7]);
  out->phone = phone;
  out->email = wide(row[static_cast<std::size_t>(phoneColumn + 1)]);
  out->address = wide(row[static_cast<std::size_t>(phoneColumn + 2)]);
  out->social = wide(row[static_cast<std::size_t>(phoneColumn + 3)]);
  out->url = wide(row[static_cast<std::size_t>(phoneColumn + 4)]);
  return true;
}

bool sameFields(const ContactRecord& a, const ContactRecord& b) {
  return a.name == b.name && a.company == b.company && a.phone == b.phone && a.email == b.email &&
         a.address == b.address && a.social == b.social && a.url == b.url;
}

class ContactScanTest : public ::testing::TestWithParam<AddressBookLayout> {};

TEST_P(ContactScanTest, LiveRowsEqualWhatSqliteReturns) {
  Book& b = book(GetParam());
  const auto rows =
      phonetest::sqlRows(b.path, "SELECT * FROM ABPersonFullTextSearch_content ORDER BY docid");
  ASSERT_GT(rows.size(), 100u);
  std::vector<ContactRecord> expected;
  for (const SqlRow& r : rows) {
    ContactRecord c;
    if (expectedPerson(r, samples::addressBookPhoneColumn(GetParam()), 0, &c))
      expected.push_back(c);
  }
  // Three rows fail the text tests: a control character, U+FFFD, an embedded zero.
  EXPECT_EQ(expected.size(), rows.size() - 3);
  std::vector<ContactRecord> live;
  for (const ContactRecord& c : b.scanned) {
    if (c.deleted == 0) live.push_back(c);
  }
  ASSERT_EQ(live.size(), expected.size());
  // Live rows come first (leaf pages in page order, which after page splits and merges is not
  // the table's order).
  for (std::size_t i = 0; i < live.size(); ++i) EXPECT_EQ(b.scanned[i].deleted, 0u) << i;
  auto byFields = [](const ContactRecord& a, const ContactRecord& c) {
    return std::tie(a.name, a.phone, a.company, a.email, a.address, a.social, a.url) <
           std::tie(c.name, c.phone, c.company, c.email, c.address, c.social, c.url);
  };
  std::sort(live.begin(), live.end(), byFields);
  std::sort(expected.begin(), expected.end(), byFields);
  for (std::size_t i = 0; i < live.size(); ++i) {
    EXPECT_TRUE(sameFields(live[i], expected[i]))
        << ::testing::PrintToString(live[i].name) << " vs "
        << ::testing::PrintToString(expected[i].name);
  }
}

TEST_P(ContactScanTest, EveryDeletedPersonIsRecoveredAndNoCopyOfALiveOne) {
  Book& b = book(GetParam());
  const std::string file = samples::readFileBytes(b.path);
  const auto& deleted = b.db.deleted(samples::kContentTable);
  ASSERT_GT(deleted.size(), 40u);
  std::size_t overwritten = 0, recovered = 0;
  for (const auto& d : deleted) {
    ContactRecord want;
    ASSERT_TRUE(expectedPerson(d.second, samples::addressBookPhoneColumn(GetParam()), 1, &want));
    // Rows whose space a rebalanced page reused are gone from the file.
    if (!phonetest::bytesRemain(file, d.second)) {
      ++overwritten;
      continue;
    }
    const bool found = std::any_of(b.scanned.begin(), b.scanned.end(), [&](const ContactRecord& c) {
      return c.deleted == 1 && sameFields(c, want);
    });
    EXPECT_TRUE(found) << "deleted person " << d.first << " not recovered";
    recovered += found;
  }
  // Most keep their bytes; the test would prove little otherwise.
  EXPECT_GT(recovered, overwritten);
  for (const ContactRecord& d : b.scanned) {
    if (d.deleted == 0) continue;
    for (const ContactRecord& l : b.scanned) {
      if (l.deleted == 0) {
        EXPECT_FALSE(sameFields(d, l)) << "a copy of a live person is listed as deleted";
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Layouts, ContactScanTest,
                         ::testing::Values(AddressBookLayout::kIos6, AddressBookLayout::kIos8,
                                           AddressBookLayout::kIos15),
                         [](const auto& param) {
                           return samples::addressBookLayoutName(param.param);
                         });

TEST(DistinctPhoneNumbers, OneSpellingOfEachNumberEndedBySpace) {
  // The same seven-digit number twice, each followed by a space, is listed once.
  EXPECT_EQ(distinctPhoneNumbers(L"5551234 5551234 "), L"5551234");
  // A number not followed by a space is not listed.
  EXPECT_EQ(distinctPhoneNumbers(L"5551234 5559876"), L"5551234");
  EXPECT_EQ(distinctPhoneNumbers(L"5559876"), L"");
  // Spellings of one number share their tail; tokens under 7 characters are not numbers.
  EXPECT_EQ(distinctPhoneNumbers(L"+44 7700 900123 +447700900123 07700900123 "), L"+447700900123");
  EXPECT_EQ(distinctPhoneNumbers(L"+15555550100 555-0100 +15555558877 "),
            L"+15555550100\n+15555558877");
  EXPECT_EQ(distinctPhoneNumbers(L""), L"");
  EXPECT_EQ(distinctPhoneNumbers(L"      "), L"");
}

TEST(ReadContacts, KeepsEveryPersonSortedByNameWithTheirNumbers) {
  for (AddressBookLayout layout :
       {AddressBookLayout::kIos6, AddressBookLayout::kIos8, AddressBookLayout::kIos15}) {
    Book& b = book(layout);
    std::vector<ContactRecord> contacts = {ContactRecord()};
    std::uint64_t max = 0;
    ASSERT_EQ(ReadContacts(b.path, samples::addressBookVersionFlag(layout), &contacts, &max), 0);
    std::map<std::wstring, const ContactRecord*> byName;
    for (const ContactRecord& c : contacts) {
      EXPECT_FALSE(c.name.empty());
      byName.emplace(c.name, &c);
    }
    for (std::size_t i = 1; i < contacts.size(); ++i) {
      EXPECT_FALSE(platform::lessNoCase(contacts[i].name, contacts[i - 1].name)) << i;
    }
    // First and last name with a space between; CJK parts without one.
    ASSERT_TRUE(byName.count(L"Zoë Brontë"));
    EXPECT_EQ(byName[L"Zoë Brontë"]->phone, L"+447700900123");
    EXPECT_EQ(byName[L"Zoë Brontë"]->email, L"zoe@example.com");
    EXPECT_EQ(byName[L"Zoë Brontë"]->address, L"1 Haworth Lane Keighley");
    EXPECT_EQ(byName[L"Zoë Brontë"]->social, L"twitter:zoeb");
    EXPECT_EQ(byName[L"Zoë Brontë"]->url, L"https://zoe.example.com");
    ASSERT_TRUE(byName.count(L"太郎山田"));
    EXPECT_EQ(byName[L"太郎山田"]->phone, L"+15555550100\n+15555558877");
    EXPECT_EQ(byName[L"太郎山田"]->company, L"ACME 株式会社");
    EXPECT_EQ(byName[L"Sam Twice"]->phone, L"5551234");
    EXPECT_EQ(byName[L"Tess Tail"]->phone, L"5552345");
    ASSERT_TRUE(byName.count(L"No Name"));
    EXPECT_EQ(byName[L"No Name"]->company, L"Plumbers Ltd");
    EXPECT_EQ(byName[L"O'Neil \"Quoted\""]->phone, L"+3531234567");
    // Known by an e-mail address alone: listed, with an empty phone.
    ASSERT_TRUE(byName.count(L"Anna Ek"));
    EXPECT_EQ(byName[L"Anna Ek"]->phone, L"");
    EXPECT_EQ(byName[L"Anna Ek"]->email, L"anna@example.com");
    // Control character, U+FFFD, embedded zero: dropped.
    for (const wchar_t* gone : {L"Ctl Char", L"Zero Mail"}) EXPECT_FALSE(byName.count(gone));
    EXPECT_FALSE(std::any_of(contacts.begin(), contacts.end(), [](const ContactRecord& c) {
      return c.name.find(L"Name") != std::wstring::npos && c.name != L"No Name";
    }));
    // The deleted person is listed as such.
    ASSERT_TRUE(byName.count(L"Pierre Dupont"));
    EXPECT_EQ(byName[L"Pierre Dupont"]->deleted, 1u);
    // The highest row id among the cells read: at least the live ones', at most any written.
    const auto rows =
        phonetest::sqlRows(b.path, "SELECT max(docid) FROM ABPersonFullTextSearch_content");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_GE(max, static_cast<std::uint64_t>(rows[0][0].integer));
    EXPECT_LE(max, b.db.live(samples::kContentTable).size() +
                       b.db.deleted(samples::kContentTable).size());
  }
}

TEST(ReadContacts, AFileThatCannotBeReadLeavesTheListAsItWas) {
  fixtures::TempFolder folder;
  std::vector<ContactRecord> contacts(2);
  std::uint64_t max = 5;
  EXPECT_EQ(ReadContacts(folder.file("missing.sqlitedb"), 0, &contacts, &max), 2);
  EXPECT_EQ(contacts.size(), 2u);
  EXPECT_EQ(max, 5u);
}

}  // namespace
}  // namespace qv::db

namespace qv::db {
namespace {

TEST(FullName, ASpaceBetweenPartsExceptBetweenTwoCjkParts) {
  const struct {
    const wchar_t *first, *last, *full;
  } cases[] = {
      {L"Pierre", L"Dupont", L"Pierre Dupont"},
      {L"Pierre", L"", L"Pierre"},
      {L"", L"Dupont", L"Dupont"},
      {L"", L"", L""},
      {L"太郎", L"山田", L"太郎山田"},   // two CJK parts
      {L"민수", L"김", L"민수김"},       // Hangul
      {L"ゆき", L"佐藤", L"ゆき佐藤"},   // kana and ideographs
      {L"Taro", L"山田", L"Taro 山田"},  // one CJK part only
      {L"太郎", L"Yamada", L"太郎 Yamada"},
      {L"𠮷野", L"家", L"𠮷野家"},  // an ideograph outside the basic plane
      {L"Ann", L"𠮷", L"Ann 𠮷"},
  };
  for (const auto& c : cases) EXPECT_EQ(fullName(c.first, c.last), c.full) << c.full;
}

}  // namespace
}  // namespace qv::db
