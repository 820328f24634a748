#include "db/create_table.h"

#include <cctype>
#include <string>

namespace qv::db {

namespace {

bool startsWithWord(std::string_view text, std::string_view word) {
  std::size_t i = 0;
  while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
  if (text.size() - i < word.size()) return false;
  for (std::size_t k = 0; k < word.size(); ++k) {
    if (std::toupper(static_cast<unsigned char>(text[i + k])) != word[k]) return false;
  }
  const std::size_t after = i + word.size();
  return after == text.size() ||
         !(std::isalnum(static_cast<unsigned char>(text[after])) || text[after] == '_');
}

// Skips a quoted string or identifier starting at i ('...', "...", `...`, [...]).
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

}  // namespace

int createTableColumnCount(std::string_view sql) {
  if (!startsWithWord(sql, "CREATE")) return 0;
  // The column list is the first parenthesis outside quotes.
  std::size_t i = 0;
  while (i < sql.size() && sql[i] != '(') {
    if (sql[i] == '\'' || sql[i] == '"' || sql[i] == '`' || sql[i] == '[') {
      i = skipQuoted(sql, i);
    } else {
      ++i;
    }
  }
  const std::string_view head = sql.substr(0, i);
  if (head.find("VIRTUAL") != std::string_view::npos ||
      head.find("virtual") != std::string_view::npos || i >= sql.size())
    return 0;
  int depth = 0;
  int columns = 0;
  std::size_t itemStart = i + 1;
  auto finishItem = [&](std::size_t end) {
    const std::string_view item = sql.substr(itemStart, end - itemStart);
    static const char* const kConstraints[] = {"CONSTRAINT", "PRIMARY", "UNIQUE", "CHECK",
                                               "FOREIGN"};
    for (const char* word : kConstraints) {
      if (startsWithWord(item, word)) return false;
    }
    bool blank = true;
    for (char c : item) blank = blank && std::isspace(static_cast<unsigned char>(c));
    if (!blank) ++columns;
    return true;
  };
  for (std::size_t k = i; k < sql.size(); ++k) {
    const char c = sql[k];
    if (c == '\'' || c == '"' || c == '`' || c == '[') {
      k = skipQuoted(sql, k) - 1;
    } else if (c == '(') {
      ++depth;
    } else if (c == ')') {
      if (--depth == 0) {
        finishItem(k);
        return columns;
      }
    } else if (c == ',' && depth == 1) {
      // Table constraints follow the last column: stop counting at the first.
      if (!finishItem(k)) return columns;
      itemStart = k + 1;
    }
  }
  return 0;  // no closing parenthesis
}

}  // namespace qv::db
