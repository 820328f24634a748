#include "db/message_row.h"

#include <cmath>

#include "db/app_row.h"
#include "db/varint.h"
#include "platform/result.h"

namespace qv::db {

namespace {

constexpr int kTextColumn = 2;
constexpr int kHandleColumn = 5;
constexpr int kDateColumn = 15;
constexpr int kFromMeColumn = 21;

std::wstring messageDate(const AppRow& row, LocalDates& dates) {
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

int decodeMessage(SqlitePageReader& reader, const RowImage& image, bool widthFromHeader,
                  LocalDates& dates, ScannedRow<MessageRecord>* out) {
  if (!image.carvedLayout) {
    if (widthFromHeader) {
      std::uint64_t headerSize = 0;
      if (readVarint(image.data, image.size, &headerSize) != 0)
        reader.widths.message = headerSize < 51 ? 38 : 51;
    }
    if (image.rowId > 0 && static_cast<std::uint64_t>(image.rowId) > reader.maxMessageRowId)
      reader.maxMessageRowId = static_cast<std::uint64_t>(image.rowId);
  }
  AppRow row;
  int rc = row.load(image, reader.textEncoding());
  if (rc != kOk) return rc;
  MessageRecord& m = out->record;
  m = MessageRecord();
  m.deleted = image.deleted;
  m.rowId = static_cast<std::uint32_t>(image.rowId);
  out->rowId = m.rowId;
  std::uint32_t handle = 0;
  if (row.smallUnsigned(kHandleColumn, &handle)) m.handleId = static_cast<std::int32_t>(handle);
  m.date = messageDate(row, dates);
  std::int64_t fromMe = 0;
  m.fromMe = row.integer(kFromMeColumn, &fromMe) && fromMe == 1 ? 1 : 0;
  if (row.text(kTextColumn, &m.text) != AppRow::Text::kGood) return kInvalid;
  return kOk;
}

}  // namespace qv::db
