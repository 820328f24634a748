#include "db/call_reader.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "db/app_row.h"
#include "db/contact_reader.h"
#include "db/leftover_copies.h"
#include "db/local_dates.h"
#include "db/phone_lookup.h"
#include "db/sqlite_page_reader.h"
#include "db/sqlite_probe.h"
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

std::uint32_t durationOf(const AppRow& row, bool floatsToo) {
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

int decodeCall(SqlitePageReader& reader, const RowImage& image, LocalDates& dates,
               ScannedRow<CallRecord>* out) {
  AppRow row;
  int rc = row.load(image, reader.textEncoding());
  if (rc != kOk) return rc;
  const bool newer = reader.callHistoryFormat == 1;
  CallRecord& c = out->record;
  c = CallRecord();
  c.deleted = image.deleted;
  out->rowId = static_cast<std::uint32_t>(image.rowId);

  std::int64_t originated = -1;
  if (row.integer(kOriginatedColumn, &originated)) c.incoming = originated == 0 ? 1 : 0;

  std::uint32_t seconds = 0;
  double d = 0;
  std::int64_t whole = 0;
  if (row.smallUnsigned(kDateColumn, &seconds) && row.column(kDateColumn)->serialType <= 4) {
    c.date = newer ? dates.appleTime(seconds) : dates.unixTime(seconds);
  } else if (newer && row.real(kDateColumn, &d) && truncated(d, -1e15, 1e15, &whole)) {
    c.date = dates.appleTime(whole);
  }
  c.duration = durationOf(row, newer);

  const int numberColumn = newer && reader.versionFlag != 0 ? 21 : 20;
  // Core Data declares ZADDRESS a blob; the phone stores the number's UTF-8 bytes in it.
  const AppRow::Text t = row.text(numberColumn, &c.number, newer);
  if (t == AppRow::Text::kBad) return kInvalid;
  if (!newer && std::any_of(c.number.begin(), c.number.end(), [](wchar_t ch) { return ch < L' '; }))
    return kInvalid;
  if (c.number.empty() || c.date.empty()) return kInvalid;
  return kOk;
}

std::wstring callKey(const CallRecord& c) {
  std::wstring key;
  appendKeyNumber(key, c.incoming);
  appendKeyNumber(key, c.duration);
  appendKeyText(key, c.date);
  appendKeyText(key, c.number);
  return key;
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
  reader.versionFlag = versionFlag;
  rc = reader.Open(callHistoryPath);
  if (rc != kOk) return rc;
  reader.callHistoryFormat = newer ? 1 : 0;
  const std::string table = newer ? "ZCALLRECORD" : "call";
  const int width = declareTableWidth(reader, readSchemaOf(reader), table);
  if (width != 0) reader.widths.call = width;

  std::vector<ScannedRow<CallRecord>> rows;
  LocalDates dates;
  auto sink = decoderSink([&](SqlitePageReader& r, const RowImage& image) {
    if (!newer && !image.carvedLayout && width == 0) {
      // No declared width: the older table's carving falls back to the live rows' count.
      std::uint64_t headerSize = 0;
      if (image.size > 0 && readVarint(image.data, image.size, &headerSize) != 0 &&
          headerSize > 0 && headerSize < 0x7fffffff)
        r.widths.call = static_cast<int>(headerSize - 1);
    }
    ScannedRow<CallRecord> row;
    const int decoded = decodeCall(r, image, dates, &row);
    if (decoded == kOk) rows.push_back(std::move(row));
    return decoded;
  });
  // A damaged page ends the scan; the calls read before it stay.
  reader.ScanTable(table, &sink);
  dropLeftoverCopies(&rows, callKey);
  for (auto& r : rows) calls->push_back(std::move(r.record));

  rc = reader.Open(addressBookPath);
  if (rc != kOk) return rc;
  std::vector<ContactRecord> contacts;
  ScanContacts(reader, &contacts);
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
