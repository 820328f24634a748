// Helpers of the phone-database reader tests: rows as the SQLite library returns them, and
// the checks a delivered text must pass.
#pragma once

#include <string>
#include <vector>

#include "samples/sqlite_fixture.h"

namespace qv::db::phonetest {

// Every row of a query, values as SQLite returns them. Empty when the query fails (a test
// that expects rows then fails on the count).
std::vector<samples::SqlRow> sqlRows(const std::string& path, const std::string& sql);

// Whether a stored text is one the readers take: good UTF-8 of at least one character, no
// embedded zero, no U+FFFD.
bool takenText(const samples::SqlValue& v);

// Whether a deleted row's bytes are still in the file: its whole content in one piece, or for
// a row that spilled to overflow pages (longer than a page can hold) its first and last 64
// content bytes.
bool bytesRemain(const std::string& fileBytes, const samples::SqlRow& row,
                 std::size_t pageSize = 4096);

// Whether every copy of a row's content lies on an interior b-tree page: a page that was a
// leaf until it became the parent of its split halves keeps its old cells in free space, and
// the carver reads leaf pages only.
bool onlyOnInteriorPages(const std::string& fileBytes, const samples::SqlRow& row,
                         std::size_t pageSize = 4096);

// The name of the first person of the address book (in docid order) whose phone text holds
// the address, as SQLite returns the row: first and last name joined by the reader's rule.
// Empty when none does.
std::wstring firstPersonWithPhone(const std::string& addressBook, const std::string& address);

std::wstring wide(const samples::SqlValue& v);  // empty for non-texts
std::wstring wide(const std::string& utf8);

}  // namespace qv::db::phonetest
