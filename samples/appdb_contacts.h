// Address books (AddressBook.sqlitedb) written by the real SQLite library with the content
// table behind the phone's contact search (ABPersonFullTextSearch_content, verbatim from
// real files), then thinned so that every kind of deleted row is there:
//
//   - persons with one number spelt several ways, with several numbers, with the same number
//     twice, with a number not followed by a space, without a phone text, without a name, in
//     accented and CJK characters, with an e-mail address, a postal address, a social
//     profile and a URL;
//   - rows the reader must drop: a control character in the phone text, U+FFFD in the name,
//     an embedded zero in the e-mail address;
//   - deletions: single persons (freeblocks), a long run of persons (freelist pages), and the
//     only person who knows the number +33612345678;
//   - leftover copies: persons moved by an update that grew their note (not read).
//
// The fixture records every row written and deleted (SqliteFixture::live and ::deleted).
#pragma once

#include <string>

#include "samples/sqlite_fixture.h"

namespace qv::samples {

enum class AddressBookLayout {
  kIos6,   // 24 columns (phone at 16; version flag 0)
  kIos8,   // 25 columns (phone at 16; version flag 0)
  kIos15,  // 26 columns (phone at 17; version flag set)
};
const char* addressBookLayoutName(AddressBookLayout layout);
// The version flag the engine hands the readers for a phone of this layout's era.
int addressBookVersionFlag(AddressBookLayout layout);
// The content table's column of the phone text.
int addressBookPhoneColumn(AddressBookLayout layout);

// The CREATE statement of the content table in the layout.
const char* addressBookContentSql(AddressBookLayout layout);

extern const char* const kAddressBookDomain;        // "HomeDomain"
extern const char* const kAddressBookRelativePath;  // "Library/AddressBook/AddressBook.sqlitedb"
extern const char* const kContentTable;             // "ABPersonFullTextSearch_content"

// Writes the address book at path; `db` keeps what was written and deleted (closed on return).
// 0 or the SQLite code.
int buildAddressBook(const std::string& path, AddressBookLayout layout, SqliteFixture* db,
                     int pageSize = 4096);

// A small address book (24 columns) for byte-exact value-line tests: a few persons with
// quotes and apostrophes, one deleted person kept whole in a freeblock.
int buildSmallAddressBook(const std::string& path, SqliteFixture* db);

}  // namespace qv::samples
