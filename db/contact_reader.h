// The address book: AddressBook.sqlitedb, table ABPersonFullTextSearch_content (the content
// table behind the address book's full-text search, one row per person).
//
// Column 0 is docid, the row-id alias, stored as NULL; every other column is the text of one
// search field, or NULL, named "c<k><Field>" in the table's statement. The columns read are
// found by their field names (First, Last, Organization, Phone, Email, Address, SocialProfile,
// URL): iOS 10 inserted OrganizationPhonetic as c7 and moved every later field one column on.
// Without a statement to read: 1 first name, 2 last name, 7 organisation, and phone, e-mail,
// postal address, social profile, URL at 16..20 (flag 0) or 17..21 (flag set).
// The phone text holds the person's numbers in several spellings, each followed by a space.
//
// Every text column of a row must be good UTF-8 of at least one character without an embedded
// zero or U+FFFD, and the phone text must hold no character below a space, or the row is
// dropped: carved free space that fails these tests is not a person. Names are the first and
// the last name joined as db/person_name.h says.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "db/records.h"
#include "db/sqlite_page_reader.h"

namespace qv::db {

// Reads the persons who have anything to show (a name, a company, a phone text, an e-mail or
// postal address, a social profile or a URL): live rows, rows of freelist pages and rows carved
// from free space (deleted marker 1), without the leftover copies of live rows. Names empty
// after reading become "No Name"; phone texts become the distinct numbers, one per line; the
// list is sorted by name without regard to case. The version flag (0 or not) picks the column
// layout when the table's statement cannot be read. Returns the open result; on success the
// caller's list is replaced and *maxContactRowId is the highest row id of a cell read.
int ReadContacts(const DatabaseFile& addressBook, int versionFlag,
                 std::vector<ContactRecord>* contacts, std::uint64_t* maxContactRowId);

// The table scan alone, on a reader already open on the address book, in the layout the
// version flag picks: every person row that passes the tests, live rows first, each part in
// reading order, phone texts as stored. *maxRowId, when given, is raised to the highest row id
// of a cell read. The scan's result (rows read before a failure are kept).
int ScanContacts(SqlitePageReader& reader, int versionFlag, std::vector<ContactRecord>* out,
                 std::uint64_t* maxRowId = nullptr);

// The phone numbers of a phone text: a token ends at a space (text after the last space is
// not taken); a token of 7 or more characters is taken unless the first two of its last four
// characters equal those of the last token taken (another spelling of the same number).
std::wstring distinctPhoneNumbers(const std::wstring& phoneText);

}  // namespace qv::db
