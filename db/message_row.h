// One row of sms.db's `message` table as the message list shows it (layout in
// message_reader.h).
#pragma once

#include <cstdint>

#include "db/carving.h"
#include "db/local_dates.h"
#include "db/records.h"
#include "db/sqlite_page_reader.h"
#include "db/table_columns.h"

namespace qv::db {

// Where the columns a message shows lie in the table: by name in the table's statement, at
// the places every version so far kept them when there is no statement to read.
struct MessageColumns {
  int text = 2, handle = 5, date = 15, fromMe = 21;
  static MessageColumns of(const TableLayout& table);
};

// The message decoder and what it learns from the cells it is handed (live and freelist): the
// highest row id and, for a table whose schema declares no width, the width from the header
// size (38 below 51 bytes, else 51).
class MessageDecoder {
 public:
  explicit MessageDecoder(LocalDates& dates, MessageColumns columns = MessageColumns())
      : dates_(dates), columns_(columns) {}

  // Learns the width into *shape as the cells come (the carving waits: TableScan::learnt).
  void learnWidth(TableShape* shape) { learning_ = shape; }
  std::uint64_t maxRowId() const { return maxRowId_; }

  // Handle id, date (seconds or nanoseconds since 2001), from-me flag and text. kInvalid drops
  // the row: a record that does not fit, or a text that is missing, empty, malformed, cut by an
  // embedded zero or holding U+FFFD.
  int decode(SqlitePageReader& reader, const RowImage& image, MessageRecord* out);

 private:
  LocalDates& dates_;
  MessageColumns columns_;
  TableShape* learning_ = nullptr;
  std::uint64_t maxRowId_ = 0;
};

}  // namespace qv::db
