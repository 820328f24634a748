#include "db/width_table.h"

namespace qv::db {

namespace {

bool equalsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

struct FixedWidth {
  const char* name;
  int columns;
};

constexpr FixedWidth kFixed[] = {
    {"ZNOTEBODY", 7},
    {"ZNOTE", 19},
    {"handle", 5},
    {"attachment", 9},
    {"message_attachment_join", 2},
    {"call", 13},
    {"Friend", 13},
    {"tb_c2cTables", 1},
    {"ZWACHATSESSION", 25},
    {"ZWAGROUPMEMBER", 13},
    {"ZWAMEDIAITEM", 24},
    {"ZCALLRECORD", 17},
    {"ZWACONTACT", 11},
    {"ZWAPHONE", 9},
};

}  // namespace

int widthOfTable(std::string_view table, const LearntWidths& learnt) {
  if (equalsNoCase(table, "message")) return learnt.message;
  if (equalsNoCase(table, "ABPersonFullTextSearch_content"))
    return learnt.contactsIndicator > 25 ? 25 : 24;
  if (equalsNoCase(table, "ZWAMESSAGE")) return learnt.whatsAppMessage;
  for (const FixedWidth& f : kFixed) {
    if (equalsNoCase(table, f.name)) return f.columns;
  }
  if (table.substr(0, 5) == "Chat_") return 9;
  if (table.substr(0, 9) == "tb_c2cMsg") return 50;
  return 0;
}

int callAdjustedWidth(std::string_view table, const LearntWidths& learnt) {
  if (table == "call") return learnt.call;
  return widthOfTable(table, learnt);
}

}  // namespace qv::db
