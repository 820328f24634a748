#include "db/table_columns.h"

#include "platform/ascii.h"

namespace qv::db {

namespace {

bool isSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

bool isWordChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

bool isQuote(char c) {
  return c == '\'' || c == '"' || c == '`' || c == '[';
}

// Skips a quoted string or identifier starting at i ('...', "...", `...`, [...]); returns the
// index after its closing quote (the text's end when it has none).
std::size_t skipQuoted(std::string_view s, std::size_t i) {
  const char close = s[i] == '[' ? ']' : s[i];
  for (std::size_t k = i + 1; k < s.size(); ++k) {
    if (s[k] != close) continue;
    if (close != ']' && k + 1 < s.size() && s[k + 1] == close) {
      ++k;  // a doubled quote stands for itself
      continue;
    }
    return k + 1;
  }
  return s.size();
}

std::size_t skipSpace(std::string_view s, std::size_t i) {
  while (i < s.size() && isSpace(s[i])) ++i;
  return i;
}

// Whether the text at i is the word (compared without regard to ASCII case) and ends there.
bool wordAt(std::string_view s, std::size_t i, std::string_view word) {
  if (s.size() - i < word.size()) return false;
  if (!platform::equalsNoCase(s.substr(i, word.size()), word)) return false;
  const std::size_t after = i + word.size();
  return after == s.size() || !isWordChar(s[after]);
}

// The first token of a column definition: a bare word or a quoted identifier, unquoted.
std::string firstToken(std::string_view item) {
  const std::size_t i = skipSpace(item, 0);
  if (i >= item.size()) return {};
  if (isQuote(item[i])) {
    const char close = item[i] == '[' ? ']' : item[i];
    const std::size_t end = skipQuoted(item, i);
    std::string name;
    for (std::size_t k = i + 1; k < end; ++k) {
      if (item[k] == close) {
        if (k + 1 < end && item[k + 1] == close && close != ']') {
          name += close;
          ++k;
          continue;
        }
        break;
      }
      name += item[k];
    }
    return name;
  }
  std::size_t end = i;
  while (end < item.size() && isWordChar(item[end])) ++end;
  return std::string(item.substr(i, end - i));
}

}  // namespace

std::vector<std::string> createTableColumnNames(std::string_view sql) {
  const std::size_t start = skipSpace(sql, 0);
  if (!wordAt(sql, start, "CREATE")) return {};
  // A virtual table's rows live in its module's own tables.
  if (wordAt(sql, skipSpace(sql, start + 6), "VIRTUAL")) return {};
  // The column list is the first parenthesis outside quotes.
  std::size_t open = 0;
  while (open < sql.size() && sql[open] != '(') {
    open = isQuote(sql[open]) ? skipQuoted(sql, open) : open + 1;
  }
  if (open >= sql.size()) return {};
  static const char* const kConstraints[] = {"CONSTRAINT", "PRIMARY", "UNIQUE", "CHECK", "FOREIGN"};
  int depth = 0;
  std::size_t itemStart = open + 1;
  std::vector<std::string> names;
  // Returns false at the first table constraint: the columns end there.
  auto finishItem = [&](std::size_t end) {
    const std::string_view item = sql.substr(itemStart, end - itemStart);
    const std::size_t first = skipSpace(item, 0);
    if (first >= item.size()) return true;  // nothing between two commas
    for (const char* word : kConstraints) {
      if (wordAt(item, first, word)) return false;
    }
    names.push_back(firstToken(item));
    return true;
  };
  for (std::size_t k = open; k < sql.size(); ++k) {
    const char c = sql[k];
    if (isQuote(c)) {
      k = skipQuoted(sql, k) - 1;
    } else if (c == '(') {
      ++depth;
    } else if (c == ')') {
      if (--depth == 0) {
        finishItem(k);
        return names;
      }
    } else if (c == ',' && depth == 1) {
      if (!finishItem(k)) return names;
      itemStart = k + 1;
    }
  }
  return {};  // no closing parenthesis: nothing is trusted
}

int columnPosition(const std::vector<std::string>& names, std::string_view name) {
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (platform::equalsNoCase(names[i], name)) return static_cast<int>(i);
  }
  return -1;
}

std::vector<std::string> columnsOfTable(const std::vector<SchemaEntry>& schema,
                                        std::string_view table) {
  for (const SchemaEntry& e : schema) {
    if (e.type == "table" && platform::equalsNoCase(e.name, table))
      return createTableColumnNames(e.sql);
  }
  return {};
}

int declaredColumnCount(const std::vector<SchemaEntry>& schema, std::string_view table) {
  return static_cast<int>(columnsOfTable(schema, table).size());
}

int positionOf(const std::vector<std::string>& columns,
               std::initializer_list<std::string_view> names, int fallback) {
  for (std::string_view name : names) {
    const int at = columnPosition(columns, name);
    if (at >= 0) return at;
  }
  // A statement that was read but names none of them: the table has no such column.
  return columns.empty() ? fallback : -1;
}

std::vector<SchemaEntry> readSchemaOf(SqlitePageReader& reader) {
  std::vector<SchemaEntry> schema;
  reader.ReadSchema(&schema);  // a damaged schema still gives the rows it could read
  return schema;
}

}  // namespace qv::db
