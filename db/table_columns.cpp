#include "db/table_columns.h"

#include <cctype>

namespace qv::db {

namespace {

bool isWordChar(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

bool equalsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::toupper(static_cast<unsigned char>(a[i])) !=
        std::toupper(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

// Skips a quoted string or identifier starting at i ('...', "...", `...`, [...]); returns the
// index after its closing quote (the text's end when it has none).
std::size_t skipQuoted(std::string_view s, std::size_t i) {
  const char open = s[i];
  const char close = open == '[' ? ']' : open;
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

bool isQuote(char c) {
  return c == '\'' || c == '"' || c == '`' || c == '[';
}

// The first token of a column definition: a bare word or a quoted identifier, unquoted.
std::string firstToken(std::string_view item) {
  std::size_t i = 0;
  while (i < item.size() && std::isspace(static_cast<unsigned char>(item[i]))) ++i;
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

bool startsWithWord(std::string_view item, std::string_view word) {
  std::size_t i = 0;
  while (i < item.size() && std::isspace(static_cast<unsigned char>(item[i]))) ++i;
  if (item.size() - i < word.size()) return false;
  if (!equalsNoCase(item.substr(i, word.size()), word)) return false;
  const std::size_t after = i + word.size();
  return after == item.size() || !isWordChar(item[after]);
}

}  // namespace

std::vector<std::string> createTableColumnNames(std::string_view sql) {
  std::vector<std::string> names;
  if (!startsWithWord(sql, "CREATE")) return names;
  // The column list is the first parenthesis outside quotes.
  std::size_t open = 0;
  while (open < sql.size() && sql[open] != '(') {
    open = isQuote(sql[open]) ? skipQuoted(sql, open) : open + 1;
  }
  if (open >= sql.size()) return names;
  for (std::size_t k = 0; k + 7 <= open; ++k) {
    if (equalsNoCase(sql.substr(k, 7), "VIRTUAL")) return names;
  }
  static const char* const kConstraints[] = {"CONSTRAINT", "PRIMARY", "UNIQUE", "CHECK", "FOREIGN"};
  int depth = 0;
  std::size_t itemStart = open + 1;
  std::vector<std::string> found;
  // Returns false at the first table constraint: the columns end there.
  auto finishItem = [&](std::size_t end) {
    const std::string_view item = sql.substr(itemStart, end - itemStart);
    for (const char* word : kConstraints) {
      if (startsWithWord(item, word)) return false;
    }
    std::string name = firstToken(item);
    if (!name.empty()) found.push_back(std::move(name));
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
        return found;
      }
    } else if (c == ',' && depth == 1) {
      if (!finishItem(k)) return found;
      itemStart = k + 1;
    }
  }
  return names;  // no closing parenthesis: nothing is trusted
}

int columnPosition(const std::vector<std::string>& names, std::string_view name) {
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (equalsNoCase(names[i], name)) return static_cast<int>(i);
  }
  return -1;
}

}  // namespace qv::db
