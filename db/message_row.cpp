#include "db/message_row.h"

#include <cmath>

#include "db/row_columns.h"
#include "db/varint.h"
#include "platform/result.h"

namespace qv::db {

namespace {

constexpr int kTextColumn = 2;
constexpr int kHandleColumn = 5;
constexpr int kDateColumn = 15;
constexpr int kFromMeColumn = 21;

std::wstring messageDate(const RowColumns& row, LocalDates& dates) {
  const RecordColumn* c = row.column(kDateColumn);
  if (c == nullptr) return {};
  const std::uint8_t* content = row.data() + c->offset;
  switch (c->serialType) {
    case 1:
    case 2:
    case 3:
    case 4:
      return dates.appleTime(unsignedValue(content, c->serialType));
    case 6:  // nanoseconds since 2001 (iOS 11 on)
      return dates.appleNanoseconds(integerValue(content, c->serialType));
    case 7: {
      const double ns = realValue(content);
      if (!std::isfinite(ns) || std::fabs(ns) >= 9.2e18) return {};
      return dates.appleNanoseconds(static_cast<std::int64_t>(std::trunc(ns)));
    }
    default:
      return {};
  }
}

}  // namespace

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
  if (row.reference(kHandleColumn, &handle)) m.handleId = static_cast<std::int32_t>(handle);
  m.date = messageDate(row, dates_);
  std::int64_t fromMe = 0;
  m.fromMe = row.integer(kFromMeColumn, &fromMe) && fromMe == 1 ? 1 : 0;
  if (row.text(kTextColumn, &m.text) != RowColumns::Text::kGood) return kInvalid;
  return kOk;
}

}  // namespace qv::db
