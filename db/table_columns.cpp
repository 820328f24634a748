#include "db/table_columns.h"

#include <algorithm>

#include "platform/ascii.h"

namespace qv::db {

namespace {

bool isSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

bool isWordChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
         static_cast<unsigned char>(c) >= 0x80;
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

// Skips a parenthesised group starting at i; returns the index after its closing parenthesis
// (the text's end when it has none).
std::size_t skipGroup(std::string_view s, std::size_t i) {
  int depth = 0;
  for (std::size_t k = i; k < s.size(); ++k) {
    if (isQuote(s[k])) {
      k = skipQuoted(s, k) - 1;
    } else if (s[k] == '(') {
      ++depth;
    } else if (s[k] == ')' && --depth == 0) {
      return k + 1;
    }
  }
  return s.size();
}

std::string unquote(std::string_view token) {
  if (token.empty() || !isQuote(token[0])) return std::string(token);
  const char close = token[0] == '[' ? ']' : token[0];
  std::string out;
  for (std::size_t k = 1; k < token.size(); ++k) {
    if (token[k] == close) {
      if (close != ']' && k + 1 < token.size() && token[k + 1] == close) {
        out += close;
        ++k;
        continue;
      }
      break;
    }
    out += token[k];
  }
  return out;
}

struct Token {
  enum Kind { kWord, kQuoted, kGroup, kOther } kind;
  std::string_view text;
};

// The tokens of a column definition or table constraint: words, quoted names, parenthesised
// groups (one token each) and single other characters.
std::vector<Token> tokenize(std::string_view s) {
  std::vector<Token> out;
  std::size_t i = 0;
  while (i < s.size()) {
    if (isSpace(s[i])) {
      ++i;
      continue;
    }
    std::size_t end = i + 1;
    Token::Kind kind = Token::kOther;
    if (isQuote(s[i])) {
      end = skipQuoted(s, i);
      kind = Token::kQuoted;
    } else if (s[i] == '(') {
      end = skipGroup(s, i);
      kind = Token::kGroup;
    } else if (isWordChar(s[i])) {
      while (end < s.size() && isWordChar(s[end])) ++end;
      kind = Token::kWord;
    }
    out.push_back({kind, s.substr(i, end - i)});
    i = end;
  }
  return out;
}

bool isWord(const Token& t, std::string_view word) {
  return t.kind == Token::kWord && platform::equalsNoCase(t.text, word);
}

// Words that end a column's type and begin its constraints.
bool isConstraintWord(const Token& t) {
  static const char* const kWords[] = {"CONSTRAINT", "PRIMARY", "NOT",      "NULL",
                                       "UNIQUE",     "CHECK",   "DEFAULT",  "COLLATE",
                                       "REFERENCES", "AS",      "GENERATED"};
  for (const char* w : kWords) {
    if (isWord(t, w)) return true;
  }
  return false;
}

// Whether the tokens from `from` on hold PRIMARY KEY; *after is the token behind it.
bool primaryKeyAt(const std::vector<Token>& tokens, std::size_t from, std::size_t* after) {
  for (std::size_t k = from; k + 1 < tokens.size(); ++k) {
    if (isWord(tokens[k], "PRIMARY") && isWord(tokens[k + 1], "KEY")) {
      *after = k + 2;
      return true;
    }
  }
  return false;
}

// The comma-separated parts of a list, commas inside quotes or parentheses not counting.
std::vector<std::string_view> splitOutsideQuotes(std::string_view list) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  for (std::size_t k = 0; k <= list.size(); ++k) {
    if (k < list.size() && isQuote(list[k])) {
      k = skipQuoted(list, k) - 1;
      continue;
    }
    if (k < list.size() && list[k] == '(') {
      k = skipGroup(list, k) - 1;
      continue;
    }
    if (k < list.size() && list[k] != ',') continue;
    parts.push_back(list.substr(start, std::min(k, list.size()) - start));
    start = k + 1;
  }
  return parts;
}

bool startsTableConstraint(const std::vector<Token>& tokens) {
  if (tokens.empty()) return false;
  static const char* const kStarts[] = {"CONSTRAINT", "PRIMARY", "UNIQUE", "CHECK", "FOREIGN"};
  for (const char* w : kStarts) {
    if (isWord(tokens[0], w)) return true;
  }
  return false;
}

}  // namespace

Affinity affinityOf(std::string_view type) {
  const std::string upper = [&] {
    std::string u(type);
    for (char& c : u) c = platform::asciiUpper(c);
    return u;
  }();
  auto has = [&upper](const char* part) { return upper.find(part) != std::string::npos; };
  if (has("INT")) return Affinity::kInteger;
  if (has("CHAR") || has("CLOB") || has("TEXT")) return Affinity::kText;
  if (has("BLOB") || upper.empty()) return Affinity::kBlob;
  if (has("REAL") || has("FLOA") || has("DOUB")) return Affinity::kReal;
  return Affinity::kNumeric;
}

TableLayout::TableLayout(std::string_view sql) {
  const std::vector<Token> head = tokenize(sql.substr(0, std::min(sql.size(), std::size_t{64})));
  if (head.empty() || !isWord(head[0], "CREATE")) return;
  // A virtual table's rows live in its module's own tables.
  if (head.size() > 1 && isWord(head[1], "VIRTUAL")) return;
  // The column list is the first parenthesis outside quotes.
  std::size_t open = 0;
  while (open < sql.size() && sql[open] != '(') {
    open = isQuote(sql[open]) ? skipQuoted(sql, open) : open + 1;
  }
  if (open >= sql.size()) return;
  const std::size_t close = skipGroup(sql, open);
  if (close > sql.size() || sql[close - 1] != ')') return;  // cut short: nothing is trusted

  std::vector<DeclaredColumn> columns;
  int alias = -1;
  std::vector<int> key;                          // the primary key's columns, in key order
  std::vector<std::vector<int>> constraintKeys;  // in the order SQLite makes their indexes
  std::vector<std::vector<Token>> constraints;
  bool inConstraints = false;
  std::size_t itemStart = open + 1;
  for (std::size_t k = open + 1; k < close; ++k) {
    const char c = sql[k];
    if (isQuote(c)) {
      k = skipQuoted(sql, k) - 1;
      continue;
    }
    if (c == '(') {
      k = skipGroup(sql, k) - 1;
      continue;
    }
    if (c != ',' && k != close - 1) continue;
    const std::vector<Token> item = tokenize(sql.substr(itemStart, k - itemStart));
    itemStart = k + 1;
    if (item.empty()) continue;  // nothing between two commas
    // The columns end at the first table constraint.
    if (inConstraints || startsTableConstraint(item)) {
      inConstraints = true;
      constraints.push_back(item);
      continue;
    }
    DeclaredColumn col;
    std::size_t t = 0;
    if (item[0].kind == Token::kWord || item[0].kind == Token::kQuoted) {
      col.name = unquote(item[0].text);
      t = 1;
    }
    for (; t < item.size(); ++t) {
      if (item[t].kind == Token::kGroup && !col.type.empty()) {
        col.type += std::string(item[t].text);  // DECIMAL(10, 2)
        continue;
      }
      if (item[t].kind != Token::kWord || isConstraintWord(item[t])) break;
      if (!col.type.empty()) col.type += ' ';
      col.type += std::string(item[t].text);
    }
    col.affinity = affinityOf(col.type);
    for (std::size_t w = t; w + 1 < item.size(); ++w) {
      if (isWord(item[w], "NOT") && isWord(item[w + 1], "NULL")) col.notNull = true;
    }
    std::size_t after = 0;
    const int position = static_cast<int>(columns.size());
    // An INTEGER PRIMARY KEY is the row id, except when declared DESC (SQLite keeps that
    // quirk for compatibility).
    if (primaryKeyAt(item, t, &after)) {
      key.push_back(position);
      if (platform::equalsNoCase(col.type, "INTEGER") &&
          !(after < item.size() && isWord(item[after], "DESC")))
        alias = position;
    }
    // Any other primary key, and each UNIQUE, is kept in an index of its own.
    for (std::size_t w = t; w < item.size(); ++w) {
      const bool primary = isWord(item[w], "PRIMARY") && w + 1 < item.size() &&
                           isWord(item[w + 1], "KEY") && alias != position;
      if (primary || isWord(item[w], "UNIQUE")) constraintKeys.push_back({position});
    }
    columns.push_back(std::move(col));
  }
  // The columns a table constraint's list names, in its order.
  auto listed = [&columns](std::string_view group) {
    std::vector<int> out;
    for (std::string_view part : splitOutsideQuotes(group.substr(1, group.size() - 2))) {
      const std::vector<Token> keyed = tokenize(part);
      if (keyed.empty()) continue;
      const std::string name = unquote(keyed[0].text);
      for (std::size_t i = 0; i < columns.size(); ++i) {
        if (platform::equalsNoCase(columns[i].name, name)) out.push_back(static_cast<int>(i));
      }
    }
    return out;
  };
  // PRIMARY KEY (col, ...) among the table constraints: the key's columns in key order; a key
  // of one INTEGER column is the alias.
  for (const std::vector<Token>& item : constraints) {
    std::size_t after = 0;
    if (primaryKeyAt(item, 0, &after) && after < item.size() && item[after].kind == Token::kGroup) {
      key = listed(item[after].text);
      if (key.size() == 1 &&
          platform::equalsNoCase(columns[static_cast<std::size_t>(key[0])].type, "INTEGER")) {
        alias = key[0];
      } else {
        constraintKeys.push_back(key);
      }
      continue;
    }
    for (std::size_t k = 0; k + 1 < item.size(); ++k) {
      if (isWord(item[k], "UNIQUE") && item[k + 1].kind == Token::kGroup) {
        constraintKeys.push_back(listed(item[k + 1].text));
        break;
      }
    }
  }
  // A table WITHOUT ROWID keeps its rows in an index b-tree and has no row id.
  const std::vector<Token> tail = tokenize(sql.substr(close));
  for (std::size_t k = 0; k + 1 < tail.size(); ++k) {
    if (isWord(tail[k], "WITHOUT") && isWord(tail[k + 1], "ROWID")) withoutRowId_ = true;
  }
  if (withoutRowId_) alias = -1;
  // Its records hold the key's columns first (each once), then the others in declared order.
  if (withoutRowId_ && !key.empty()) {
    std::vector<bool> placed(columns.size(), false);
    for (int k : key) {
      if (!placed[static_cast<std::size_t>(k)]) storedOrder_.push_back(k);
      placed[static_cast<std::size_t>(k)] = true;
    }
    primaryKey_ = storedOrder_;
    for (std::size_t i = 0; i < columns.size(); ++i) {
      if (!placed[i]) storedOrder_.push_back(static_cast<int>(i));
    }
  } else {
    // A WITHOUT ROWID table must have a primary key: without one read, its records are read
    // in declared order.
    for (std::size_t i = 0; i < columns.size(); ++i) storedOrder_.push_back(static_cast<int>(i));
  }
  columns_ = std::move(columns);
  rowIdAlias_ = alias;
  // A table WITHOUT ROWID is its primary key's index; a list a constraint repeats gets no
  // second index.
  for (std::vector<int>& keyColumns : constraintKeys) {
    if (keyColumns.empty() || (withoutRowId_ && keyColumns == key)) continue;
    if (std::find(constraintIndexes_.begin(), constraintIndexes_.end(), keyColumns) ==
        constraintIndexes_.end())
      constraintIndexes_.push_back(std::move(keyColumns));
  }
}

TableLayout TableLayout::of(const std::vector<SchemaEntry>& schema, std::string_view table) {
  for (const SchemaEntry& e : schema) {
    if (e.type == "table" && platform::equalsNoCase(e.name, table)) return TableLayout(e.sql);
  }
  return TableLayout();
}

int TableLayout::find(std::string_view name) const {
  for (std::size_t i = 0; i < columns_.size(); ++i) {
    if (platform::equalsNoCase(columns_[i].name, name)) return static_cast<int>(i);
  }
  return -1;
}

int TableLayout::position(std::initializer_list<std::string_view> names, int fallback) const {
  if (!known()) return fallback;
  for (std::string_view name : names) {
    const int at = find(name);
    if (at >= 0) return at;
  }
  return -1;
}

const DeclaredColumn* TableLayout::column(int position) const {
  if (position < 0 || position >= width()) return nullptr;
  return &columns_[static_cast<std::size_t>(position)];
}

std::vector<int> indexedColumns(std::string_view sql, const TableLayout& table) {
  const std::vector<Token> tokens = tokenize(sql);
  std::size_t k = 0;
  while (k < tokens.size() && !isWord(tokens[k], "ON")) ++k;
  // ON, the table's name, then the key's terms in one group.
  if (k + 2 >= tokens.size() || tokens[k + 2].kind != Token::kGroup) return {};
  const std::string_view group = tokens[k + 2].text;
  if (group.size() < 2 || group.back() != ')') return {};
  std::vector<int> key;
  bool anyColumn = false;
  for (std::string_view part : splitOutsideQuotes(group.substr(1, group.size() - 2))) {
    const std::vector<Token> term = tokenize(part);
    if (term.empty()) return {};
    // A name followed by nothing but a collation and an order is a column.
    bool plain = term[0].kind == Token::kWord || term[0].kind == Token::kQuoted;
    for (std::size_t t = 1; plain && t < term.size(); ++t) {
      if (isWord(term[t], "COLLATE") && t + 1 < term.size()) {
        ++t;
      } else {
        plain = isWord(term[t], "ASC") || isWord(term[t], "DESC");
      }
    }
    const int position = plain ? table.find(unquote(term[0].text)) : -1;
    anyColumn = anyColumn || position >= 0;
    key.push_back(position);
  }
  if (!anyColumn) key.clear();
  return key;
}

std::vector<int> indexedColumns(const SchemaEntry& index, const TableLayout& table) {
  if (!index.sql.empty()) return indexedColumns(index.sql, table);
  const std::string prefix = "sqlite_autoindex_" + index.tableName + "_";
  if (index.name.size() <= prefix.size() || index.name.compare(0, prefix.size(), prefix) != 0)
    return {};
  std::size_t n = 0;
  for (std::size_t i = prefix.size(); i < index.name.size(); ++i) {
    const char c = index.name[i];
    if (c < '0' || c > '9' || n > 1000000) return {};
    n = n * 10 + static_cast<std::size_t>(c - '0');
  }
  const std::vector<std::vector<int>>& made = table.constraintIndexes();
  if (n == 0 || n > made.size()) return {};
  return made[n - 1];
}

std::vector<int> indexRecordColumns(const std::vector<int>& key, const TableLayout& table) {
  std::vector<int> columns = key;
  if (!table.withoutRowId()) {
    columns.push_back(kIndexRowId);
    return columns;
  }
  for (int k : table.primaryKey()) {
    if (std::find(key.begin(), key.end(), k) == key.end()) columns.push_back(k);
  }
  return columns;
}

bool isUniqueIndex(const SchemaEntry& index) {
  if (index.sql.empty()) return index.name.rfind("sqlite_autoindex_", 0) == 0;
  const std::vector<Token> head =
      tokenize(std::string_view(index.sql).substr(0, std::min(index.sql.size(), std::size_t{32})));
  return head.size() > 2 && isWord(head[0], "CREATE") && isWord(head[1], "UNIQUE") &&
         isWord(head[2], "INDEX");
}

std::vector<std::string> createTableColumnNames(std::string_view sql) {
  const TableLayout table(sql);
  std::vector<std::string> names;
  for (const DeclaredColumn& c : table.columns()) names.push_back(c.name);
  return names;
}

bool hasTable(const std::vector<SchemaEntry>& schema, std::string_view table) {
  for (const SchemaEntry& e : schema) {
    if (e.type == "table" && platform::equalsNoCase(e.name, table)) return true;
  }
  return false;
}

int declaredColumnCount(const std::vector<SchemaEntry>& schema, std::string_view table) {
  return TableLayout::of(schema, table).width();
}

std::vector<SchemaEntry> readSchemaOf(SqlitePageReader& reader) {
  std::vector<SchemaEntry> schema;
  reader.ReadSchema(&schema);  // a damaged schema still gives the rows it could read
  return schema;
}

}  // namespace qv::db
