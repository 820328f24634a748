#include "db/call_reader.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "db/contact_reader.h"
#include "db/local_dates.h"
#include "db/phone_lookup.h"
#include "db/row_columns.h"
#include "db/row_scan.h"
#include "db/sqlite_page_reader.h"
#include "db/sqlite_probe.h"
#include "db/table_columns.h"
#include "db/table_shapes.h"
#include "db/text_sort.h"
#include "db/varint.h"
#include "platform/result.h"

namespace qv::db {

namespace {

constexpr int kOriginatedColumn = 10;
constexpr int kDateColumn = 12;
constexpr int kDurationColumn = 13;

// A floating value truncated toward zero into a range; NaN and values outside it give `none`.
bool truncated(double v, double lo, double hi, std::int64_t* out) {
  if (!std::isfinite(v)) return false;
  v = std::trunc(v);
  if (v < lo || v > hi) return false;
  *out = static_cast<std::int64_t>(v);
  return true;
}

std::uint32_t durationOf(const RowColumns& row, bool floatsToo) {
  constexpr double kMax = std::numeric_limits<std::uint32_t>::max();
  std::int64_t v = 0;
  double d = 0;
  if (row.integer(kDurationColumn, &v)) {
    return static_cast<std::uint32_t>(
        std::clamp<std::int64_t>(v, 0, static_cast<std::int64_t>(kMax)));
  }
  if (floatsToo && row.real(kDurationColumn, &d)) {
    if (std::isfinite(d) && d > 0) return static_cast<std::uint32_t>(std::min(std::trunc(d), kMax));
  }
  return 0;
}

// The call decoder and what it learns: the older table's header width, when its statement
// does not give one.
class CallDecoder {
 public:
  CallDecoder(bool newer, int versionFlag, LocalDates& dates)
      : newer_(newer), versionFlag_(versionFlag), dates_(dates) {}

  // Learns the header scans' width from the header size of the live and freelist cells it is
  // handed (the carving waits for them: TableScan::learnt).
  void learnHeaderWidth(TableShape* shape) { learning_ = shape; }

  int decode(SqlitePageReader& reader, const RowImage& image, CallRecord* out);

 private:
  bool newer_;
  int versionFlag_;
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

  std::int64_t originated = -1;
  if (row.integer(kOriginatedColumn, &originated)) c.incoming = originated == 0 ? 1 : 0;

  std::uint32_t seconds = 0;
  double d = 0;
  std::int64_t whole = 0;
  if (row.smallUnsigned(kDateColumn, &seconds) && row.column(kDateColumn)->serialType <= 4) {
    c.date = newer_ ? dates_.appleTime(seconds) : dates_.unixTime(seconds);
  } else if (newer_ && row.real(kDateColumn, &d) && truncated(d, -1e15, 1e15, &whole)) {
    c.date = dates_.appleTime(whole);
  }
  c.duration = durationOf(row, newer_);

  const int numberColumn = newer_ && versionFlag_ != 0 ? 21 : 20;
  // Core Data declares ZADDRESS a blob; the phone stores the number's UTF-8 bytes in it.
  const RowColumns::Text t = row.text(numberColumn, &c.number, newer_);
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

int ProbeCallRecordTable(const std::string& path, bool* present) {
  int columns = 0;
  const int rc = probeTable(path, "ZCALLRECORD", &columns);
  *present = rc == kOk;
  return rc == kQueryFailed ? kOk : rc;
}

int ReadCalls(const std::string& callHistoryPath, const std::string& addressBookPath,
              int versionFlag, std::vector<CallRecord>* calls) {
  bool newer = false;
  int rc = ProbeCallRecordTable(callHistoryPath, &newer);
  if (rc != kOk) return rc;

  SqlitePageReader reader;
  rc = reader.Open(callHistoryPath);
  if (rc != kOk) return rc;
  const std::string table = newer ? "ZCALLRECORD" : "call";
  LocalDates dates;
  CallDecoder decoder(newer, versionFlag, dates);
  const std::vector<SchemaEntry> schema = readSchemaOf(reader);
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

  rc = reader.Open(addressBookPath);
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
