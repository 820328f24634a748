// One row of sms.db's `message` table as the message list shows it (layout in
// message_reader.h).
#pragma once

#include "db/leftover_copies.h"
#include "db/local_dates.h"
#include "db/records.h"
#include "db/sqlite_page_reader.h"

namespace qv::db {

// Decodes a message row image: handle id (column 5), date (15), from-me flag (21) and text (2).
// A cell raises the reader's maximum message row id; with `widthFromHeader` it also sets the
// reader's message width from its header size (38 below 51 bytes, else 51), for tables whose
// schema declares no width. kInvalid drops the row: a record that does not fit, or a text that
// is missing, empty, malformed, cut by an embedded zero or holding U+FFFD.
int decodeMessage(SqlitePageReader& reader, const RowImage& image, bool widthFromHeader,
                  LocalDates& dates, ScannedRow<MessageRecord>* out);

}  // namespace qv::db
