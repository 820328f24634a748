#include "db/message_row.h"

#include "db/column_dates.h"
#include "db/row_columns.h"
#include "db/varint.h"
#include "platform/result.h"

namespace qv::db {

MessageColumns MessageColumns::of(const TableLayout& table) {
  MessageColumns c;
  c.text = table.position({"text"}, c.text);
  c.handle = table.position({"handle_id"}, c.handle);
  c.date = table.position({"date"}, c.date);
  c.fromMe = table.position({"is_from_me"}, c.fromMe);
  return c;
}

int MessageDecoder::decode(SqlitePageReader& reader, const RowImage& image, MessageRecord* out) {
  if (!image.carvedLayout) {
    std::uint64_t headerSize = 0;
    if (learning_ != nullptr && readVarint(image.data, image.size, &headerSize) != 0)
      learning_->width = headerSize < 51 ? 38 : 51;
    if (image.rowId > 0 && static_cast<std::uint64_t>(image.rowId) > maxRowId_)
      maxRowId_ = static_cast<std::uint64_t>(image.rowId);
  }
  RowColumns row;
  int rc = row.load(image, reader.textEncoding());
  if (rc != kOk) return rc;
  MessageRecord& m = *out;
  m = MessageRecord();
  m.rowId = static_cast<std::uint32_t>(image.rowId);
  std::uint32_t handle = 0;
  if (row.reference(columns_.handle, &handle)) m.handleId = static_cast<std::int32_t>(handle);
  m.date = columnDate(row, columns_.date, DateForm::kAppleSecondsOrNanoseconds, dates_);
  std::int64_t fromMe = 0;
  m.fromMe = row.integer(columns_.fromMe, &fromMe) && fromMe == 1 ? 1 : 0;
  if (row.text(columns_.text, &m.text) != RowColumns::Text::kGood) return kInvalid;
  return kOk;
}

}  // namespace qv::db
