// Expected column counts of the tables the database readers know. The carving passes rebuild
// a freed row's header from this width, and the freelist test admits a page only when its
// cells have it.
#pragma once

#include <string_view>

namespace qv::db {

// The widths that depend on what a reader has learnt from a database.
struct LearntWidths {
  int message = 38;           // `message`: 38 or 51, set by the message reader
  int whatsAppMessage = 28;   // `ZWAMESSAGE`, set by the WhatsApp reader
  int contactsIndicator = 0;  // serial-type bytes of the last live contacts row
  int call = 0;               // `call`, taken from live rows by the call reader
};

// The width of a table by name (case-insensitive, except the "Chat_" and "tb_c2cMsg" prefixes
// which are case-sensitive); 0 for a table the readers do not know.
int widthOfTable(std::string_view table, const LearntWidths& learnt);

// The width for the carving passes that use the call reader's width: the learnt call width
// when the table is exactly "call", the table width otherwise.
int callAdjustedWidth(std::string_view table, const LearntWidths& learnt);

}  // namespace qv::db
