// The columns a table's CREATE statement declares: their names, declared types and affinities,
// and which of them is the row-id alias. The one place a reader learns a table's layout, so
// that it finds each column by name in a table whose layout differs between app and phone
// versions, and so that a carver knows how wide a row is and which column the record stores
// as NULL. The stored record holds the columns in declaration order, so a column's position
// is its place in this list.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "db/sqlite_page_reader.h"

namespace qv::db {

// How SQLite stores the values of a column, by its declared type (SQLite's affinity rules, in
// their order: INT, then CHAR/CLOB/TEXT, then BLOB or no type, then REAL/FLOA/DOUB, else
// NUMERIC). A TIMESTAMP column (NUMERIC) keeps a floating value that is whole as an integer.
enum class Affinity { kInteger, kText, kBlob, kReal, kNumeric };
Affinity affinityOf(std::string_view declaredType);

struct DeclaredColumn {
  std::string name;  // unquoted ("x", [x], `x`, 'x'); empty when the definition has none
  std::string type;  // the declared type as written, words joined by one space ("" for none)
  Affinity affinity = Affinity::kBlob;
  bool notNull = false;  // declared NOT NULL
};

class TableLayout {
 public:
  // A table whose statement could not be read: every lookup gives its fallback.
  TableLayout() = default;
  // "CREATE [TEMP] TABLE name (col type constraints, ..., table constraints) [WITHOUT ROWID]".
  // Nothing is taken from anything else: virtual tables, CREATE TABLE ... AS SELECT, text
  // that does not parse.
  explicit TableLayout(std::string_view createSql);
  // The layout of a table by its schema row (the name compared without regard to ASCII case).
  static TableLayout of(const std::vector<SchemaEntry>& schema, std::string_view table);

  // Whether a statement was read.
  bool known() const { return !columns_.empty(); }
  int width() const { return static_cast<int>(columns_.size()); }
  const std::vector<DeclaredColumn>& columns() const { return columns_; }
  // The column that is the row id (an INTEGER PRIMARY KEY, stored in the record as NULL);
  // -1 when the table has none (WITHOUT ROWID tables, tables keyed by another type).
  int rowIdAlias() const { return rowIdAlias_; }

  // Whether the table keeps its rows in an index b-tree, keyed by its primary key, with no
  // row id (CREATE TABLE ... WITHOUT ROWID).
  bool withoutRowId() const { return withoutRowId_; }
  // The declared position of each column of a stored record, in the record's order: the
  // declared order, except in a table WITHOUT ROWID, whose records hold the primary key's
  // columns first (in key order) and then the others in declared order.
  const std::vector<int>& storedOrder() const { return storedOrder_; }
  // The primary key's columns in key order, each once (empty when none is declared, and for the
  // row-id alias alone: a key of row ids).
  const std::vector<int>& primaryKey() const { return primaryKey_; }

  // The columns of the indexes SQLite makes for the table's UNIQUE constraints and for a
  // primary key that is not the row id, in the order it makes them, which numbers them: the
  // n-th is the index "sqlite_autoindex_<table>_<n>", which has no statement of its own.
  const std::vector<std::vector<int>>& constraintIndexes() const { return constraintIndexes_; }

  // The position of a column by name (compared without regard to ASCII case); -1 when absent.
  int find(std::string_view name) const;
  // The position of the first of the names the table has: -1 when the statement was read and
  // names none of them (the column is absent from this version's table), `fallback` when
  // there was no statement to read.
  int position(std::initializer_list<std::string_view> names, int fallback) const;
  // The declared column at a position; null outside the table.
  const DeclaredColumn* column(int position) const;

 private:
  std::vector<DeclaredColumn> columns_;
  int rowIdAlias_ = -1;
  bool withoutRowId_ = false;
  std::vector<int> storedOrder_;
  std::vector<int> primaryKey_;
  std::vector<std::vector<int>> constraintIndexes_;
};

// The column names of a statement, in order (empty when it cannot be read).
std::vector<std::string> createTableColumnNames(std::string_view sql);

// The table columns an index's key holds, in key order, from the index's statement:
// "CREATE [UNIQUE] INDEX [IF NOT EXISTS] name ON table (term [COLLATE x] [ASC|DESC], ...)
// [WHERE ...]". A term that names a column of the table gives its declared position, any other
// term (an expression) -1. Empty when the statement cannot be read or names no column.
std::vector<int> indexedColumns(std::string_view createIndexSql, const TableLayout& table);
// The same for any index of the table by its schema row: by its statement, or for an index
// made for a constraint ("sqlite_autoindex_<table>_<n>", no statement) the n-th of the
// table's constraintIndexes.
std::vector<int> indexedColumns(const SchemaEntry& index, const TableLayout& table);
// The table column of each column of an index's records: its key's terms (as indexedColumns
// gives them), then what finds the row: kIndexRowId, the row id, in a table with row ids; in a
// table WITHOUT ROWID its primary key's columns that the key does not hold already (SQLite
// leaves out a key column the index holds with the same collation; the statements are not
// read for collations, so a column is taken as held by position).
constexpr int kIndexRowId = -2;
std::vector<int> indexRecordColumns(const std::vector<int>& key, const TableLayout& table);

// Whether an index keeps each key once: CREATE UNIQUE INDEX, or one made for a constraint.
bool isUniqueIndex(const SchemaEntry& index);

// Whether the schema has a table of that name (compared without regard to ASCII case).
bool hasTable(const std::vector<SchemaEntry>& schema, std::string_view table);

// The number of columns the table's statement declares; 0 when there is none to count.
int declaredColumnCount(const std::vector<SchemaEntry>& schema, std::string_view table);

// The schema of the open database (what could be read of it when it is damaged).
std::vector<SchemaEntry> readSchemaOf(SqlitePageReader& reader);

}  // namespace qv::db
