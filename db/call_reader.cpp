#include "db/call_reader.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "db/column_dates.h"
#include "db/contact_reader.h"
#include "db/local_dates.h"
#include "db/phone_lookup.h"
#include "db/row_columns.h"
#include "db/row_scan.h"
#include "db/sqlite_page_reader.h"
#include "db/table_columns.h"
#include "db/table_shapes.h"
#include "db/text_sort.h"
#include "db/varint.h"
#include "platform/result.h"

namespace qv::db {

namespace {

// Where a call's columns lie, by name in the table's statement. Without a statement: the
// places of iOS 10 and 11 for ZCALLRECORD, and for `call` the layout every version kept from
// iOS 4 on (1 address, 2 date, 3 duration, 4 flags).
struct CallColumns {
  int direction, date, duration, number;
};

CallColumns callColumns(const TableLayout& table, bool newer) {
  if (newer) {
    return {table.position({"ZORIGINATED"}, 10), table.position({"ZDATE"}, 12),
            table.position({"ZDURATION"}, 13), table.position({"ZADDRESS"}, 20)};
  }
  return {table.position({"flags"}, 4), table.position({"date"}, 2),
          table.position({"duration"}, 3), table.position({"address"}, 1)};
}

std::uint32_t durationOf(const RowColumns& row, int column, bool floatsToo) {
  constexpr double kMax = std::numeric_limits<std::uint32_t>::max();
  std::int64_t v = 0;
  double d = 0;
  if (row.integer(column, &v)) {
    return static_cast<std::uint32_t>(
        std::clamp<std::int64_t>(v, 0, static_cast<std::int64_t>(kMax)));
  }
  if (floatsToo && row.real(column, &d)) {
    if (std::isfinite(d) && d > 0) return static_cast<std::uint32_t>(std::min(std::trunc(d), kMax));
  }
  return 0;
}

// The call decoder and what it learns: the older table's header width, when its statement
// does not give one.
class CallDecoder {
 public:
  CallDecoder(bool newer, const CallColumns& columns, LocalDates& dates)
      : newer_(newer), cols_(columns), dates_(dates) {}

  // Learns the header scans' width from the header size of the live and freelist cells it is
  // handed (the carving waits for them: TableScan::learnt).
  void learnHeaderWidth(TableShape* shape) { learning_ = shape; }

  int decode(SqlitePageReader& reader, const RowImage& image, CallRecord* out);

 private:
  bool newer_;
  CallColumns cols_;
  LocalDates& dates_;
  TableShape* learning_ = nullptr;
};

int CallDecoder::decode(SqlitePageReader& reader, const RowImage& image, CallRecord* out) {
  if (learning_ != nullptr && !image.carvedLayout) {
    std::uint64_t headerSize = 0;
    if (image.size > 0 && readVarint(image.data, image.size, &headerSize) != 0 && headerSize > 0 &&
        headerSize < 0x7fffffff)
      learning_->headerWidth = static_cast<int>(headerSize - 1);
  }
  RowColumns row;
  int rc = row.load(image, reader.textEncoding());
  if (rc != kOk) return rc;
  CallRecord& c = *out;
  c = CallRecord();

  std::int64_t direction = -1;
  if (row.integer(cols_.direction, &direction)) {
    // ZORIGINATED is 0 for a call that came in; the older table's flags have bit 0 set for a
    // call that went out (4 incoming, 5 outgoing).
    c.incoming = newer_ ? (direction == 0 ? 1 : 0) : ((direction & 1) == 0 ? 1 : 0);
  }
  c.date = columnDate(row, cols_.date, newer_ ? DateForm::kAppleSeconds : DateForm::kUnixSeconds,
                      dates_);
  c.duration = durationOf(row, cols_.duration, newer_);

  // Core Data declared ZADDRESS a blob up to iOS 11 (the phone stores the number's UTF-8 bytes
  // in it) and a text since.
  const RowColumns::Text t = row.text(cols_.number, &c.number, newer_);
  if (t == RowColumns::Text::kBad) return kInvalid;
  if (!newer_ &&
      std::any_of(c.number.begin(), c.number.end(), [](wchar_t ch) { return ch < L' '; }))
    return kInvalid;
  if (c.number.empty() || c.date.empty()) return kInvalid;
  return kOk;
}

std::wstring callKey(const CallRecord& c) {
  return fieldsKey(c.incoming, c.duration, c.date, c.number);
}

}  // namespace

int ReadCalls(const DatabaseFile& callHistory, const DatabaseFile& addressBook, int versionFlag,
              std::vector<CallRecord>* calls) {
  SqlitePageReader reader;
  int rc = reader.Open(callHistory);
  if (rc != kOk) return rc;
  // The schema, read through the write-ahead log, says which table the file holds.
  const std::vector<SchemaEntry> schema = readSchemaOf(reader);
  const bool newer = hasTable(schema, "ZCALLRECORD");
  const std::string table = newer ? "ZCALLRECORD" : "call";
  LocalDates dates;
  CallDecoder decoder(newer, callColumns(TableLayout::of(schema, table), newer), dates);
  TableScan scan;
  scan.shape = tableShape(schema, table);
  TableShape learnt;
  if (!newer && declaredColumnCount(schema, table) == 0) {
    // No declared width: the older table's header scans take the live rows' width, which the
    // carving waits for; until a row was read they are off.
    learnt = scan.shape;
    learnt.headerWidth = 0;
    scan.learnt = &learnt;
    decoder.learnHeaderWidth(&learnt);
  }
  std::vector<ScannedRow<CallRecord>> rows;
  // A damaged page ends the scan; the calls read before it stay.
  scanRows(
      reader, table, scan,
      [&decoder](SqlitePageReader& r, const RowImage& image, CallRecord* out) {
        return decoder.decode(r, image, out);
      },
      callKey, &rows);
  for (auto& r : rows) calls->push_back(std::move(r.record));

  rc = reader.Open(addressBook);
  if (rc != kOk) return rc;
  std::vector<ContactRecord> contacts;
  ScanContacts(reader, versionFlag, &contacts);
  std::vector<const std::wstring*> phones;
  phones.reserve(contacts.size());
  for (const ContactRecord& c : contacts) phones.push_back(&c.phone);
  PhoneLookup lookup(phones);
  for (CallRecord& call : *calls) {
    call.name.clear();
    if (call.number.size() <= 4) continue;
    const long at = lookup.firstContaining(call.number);
    if (at >= 0) call.name = contacts[static_cast<std::size_t>(at)].name;
  }
  stableSortByText(calls, [](const CallRecord& c) -> const std::wstring& { return c.date; });
  return kOk;
}

}  // namespace qv::db
