// Value-line files: the rows of a table written as lines of SQL literal values, for the
// export of messages (sms.csv) and contacts. Helpers shared by both writers.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "db/row_columns.h"

namespace qv::db {

// Appends bytes between double quotes with every double quote and apostrophe doubled. The
// bytes end at the first zero byte, as a C string would.
void appendQuotedValue(std::string& line, std::string_view bytes);

// Appends bytes as two lower-case hex digits each.
void appendHexValue(std::string& line, std::string_view bytes);

// Appends an integer in decimal.
void appendNumber(std::string& line, std::int64_t v);

// Appends text to the end of a file (created when missing), keeping what it held. 0 or the
// platform's code.
int appendToFile(const std::string& path, const std::string& text);

// The stored values of columns [fromColumn, toColumn] of a row as one key for the
// leftover-copy filter: serial type and content bytes of each, in order.
std::wstring rawColumnsKey(const RowColumns& row, int fromColumn, int toColumn);

// The key a line row keeps for the leftover-copy filter (its `key` member).
template <class Line>
std::wstring lineKey(const Line& line) {
  return line.key;
}

}  // namespace qv::db
