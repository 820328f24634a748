// Helpers of the chat-app reader tests: rows as the SQLite library returns them, and the text
// tests a delivered text must pass.
#pragma once

#include <sqlite3.h>

#include <string>
#include <vector>

#include "samples/sqlite_fixture.h"

namespace qv::db::testing {

// Every row of a query, values as SQLite returns them. Empty when the query fails.
std::vector<samples::SqlRow> queryRows(const std::string& path, const std::string& sql);

// Whether a text is one the readers deliver: not empty, no embedded zero, no U+FFFD.
bool deliverable(const samples::SqlValue& text);

// The date text of a stored Apple-epoch (WhatsApp) or Unix (WeChat, QQ) date value.
std::wstring appleDate(const samples::SqlValue& v);
std::wstring unixDate(const samples::SqlValue& v);

std::wstring wide(const std::string& utf8);

// How many times bytes occur in a file image.
std::size_t occurrences(const std::string& haystack, const std::string& needle);

}  // namespace qv::db::testing
