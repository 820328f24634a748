// Rows by column name for the phone-database fixtures: the tables differ between phone
// versions only in the columns they add, so a fixture names the values it sets and leaves
// every other column NULL, whatever the version's layout.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "db/table_columns.h"
#include "samples/sqlite_fixture.h"

namespace qv::samples {

using NamedValues = std::map<std::string, SqlValue>;

class NamedColumns {
 public:
  explicit NamedColumns(const std::string& createSql)
      : table_(createSql), names_(db::createTableColumnNames(createSql)) {}
  // The row in column order: the named values in their places, NULL elsewhere. Names the
  // table does not have are left out (a column an older version lacks).
  SqlRow row(const NamedValues& values) const {
    SqlRow r(names_.size());
    for (const auto& v : values) {
      const int at = table_.find(v.first);
      if (at >= 0) r[static_cast<std::size_t>(at)] = v.second;
    }
    return r;
  }
  bool has(const std::string& name) const { return table_.find(name) >= 0; }
  std::size_t count() const { return names_.size(); }
  const std::vector<std::string>& names() const { return names_; }

 private:
  db::TableLayout table_;
  std::vector<std::string> names_;
};

// Text bytes as SQLite stores them whatever they hold (malformed UTF-8, a zero inside).
inline SqlValue rawText(const std::string& bytes) {
  return SqlValue::text(bytes);
}

}  // namespace qv::samples
