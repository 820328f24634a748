#include "samples/appdb_calls.h"

#include <vector>

#include "samples/appdb_rows.h"

namespace qv::samples {

const char* const kCallHistoryDomain = "HomeDomain";
const char* const kCallHistoryRelativePath = "Library/CallHistoryDB/CallHistory.storedata";
const char* const kOldCallHistoryDomain = "WirelessDomain";
const char* const kOldCallHistoryRelativePath = "Library/CallHistory/call_history.db";

const char* const kOlderCallTableSql =
    "CREATE TABLE call (ROWID INTEGER PRIMARY KEY AUTOINCREMENT, id INTEGER, name TEXT, "
    "country_code TEXT, network_code TEXT, read INTEGER, assisted INTEGER, face_time_data BLOB, "
    "answered INTEGER, disconnected_cause INTEGER, originated INTEGER, service_provider TEXT, "
    "date INTEGER, duration INTEGER, device_id TEXT, iso_country_code TEXT, location TEXT, "
    "unique_id TEXT, call_type INTEGER, handle_type INTEGER, address TEXT)";

namespace {

// The Core Data call record table of iOS 10 and 11, verbatim.
const char kCallRecord21[] =
    "CREATE TABLE ZCALLRECORD (Z_PK INTEGER PRIMARY KEY, Z_ENT INTEGER, Z_OPT INTEGER, "
    "ZANSWERED INTEGER, ZCALL_CATEGORY INTEGER, ZCALLTYPE INTEGER, "
    "ZDISCONNECTED_CAUSE INTEGER, ZFACE_TIME_DATA INTEGER, ZHANDLE_TYPE INTEGER, "
    "ZNUMBER_AVAILABILITY INTEGER, ZORIGINATED INTEGER, ZREAD INTEGER, ZDATE TIMESTAMP, "
    "ZDURATION FLOAT, ZDEVICE_ID VARCHAR, ZISO_COUNTRY_CODE VARCHAR, ZLOCATION VARCHAR, "
    "ZNAME VARCHAR, ZSERVICE_PROVIDER VARCHAR, ZUNIQUE_ID VARCHAR UNIQUE, ZADDRESS BLOB)";

const char* const kNumbers[] = {"+447700900123", "+15555558877", "+4915112345678", "1234",
                                "+447700910007", "+33612345678", "0800123456"};

class CallBuilder {
 public:
  CallBuilder(SqliteFixture* db, bool newer)
      : db_(db),
        newer_(newer),
        table_(newer ? "ZCALLRECORD" : "call"),
        columns_(newer ? kCallRecord21 : kOlderCallTableSql) {}

  int run() {
    int rc = db_->exec(newer_ ? kCallRecord21 : kOlderCallTableSql);
    if (rc == 0 && newer_) {
      rc = db_->exec(
          "CREATE INDEX ZCALLRECORD_ZDATE_INDEX ON ZCALLRECORD (ZDATE);"
          "CREATE TABLE Z_PRIMARYKEY (Z_ENT INTEGER PRIMARY KEY, Z_NAME VARCHAR, "
          "Z_SUPER INTEGER, Z_MAX INTEGER);"
          "INSERT INTO Z_PRIMARYKEY VALUES (2, 'CallRecord', 0, 0);");
    }
    if (rc == 0) rc = db_->begin();
    if (rc == 0) rc = addCalls();
    if (rc == 0) rc = db_->commit();
    if (rc == 0) rc = moveLiveRows();
    if (rc == 0) rc = db_->deleteRows(table_, gone_);
    return rc;
  }

 private:
  SqlValue number(int n) const {
    std::string s = kNumbers[n % 7];
    if (n == 17)
      s = "+4477\xEF\xBF\xBD"
          "00900123";  // U+FFFD: dropped
    if (n == 18 && !newer_)
      s = "+44\x02"
          "7700900123";  // a control character: dropped
    // The phone stores ZADDRESS as the number's bytes in a blob; some rows hold a text.
    return newer_ && n % 4 != 1 ? SqlValue::blob(s) : SqlValue::text(s);
  }

  int call(int n, std::int64_t* id) {
    const std::int64_t seconds = kFirstCallDate + n * 3607;
    const bool incoming = n % 3 != 0;
    const std::int64_t duration = n % 5 == 0 ? 0 : 30 + n * 13 % 900;
    NamedValues v;
    if (newer_) {
      v = {
          {"Z_ENT", SqlValue::of(2)},
          {"Z_OPT", SqlValue::of(1)},
          {"ZANSWERED", SqlValue::of(duration > 0 ? 1 : 0)},
          {"ZCALLTYPE", SqlValue::of(1)},
          {"ZORIGINATED", SqlValue::of(incoming ? 0 : 1)},
          {"ZREAD", SqlValue::of(1)},
          // Core Data writes dates with fractions of a second; whole ones become integers.
          {"ZDATE", n % 6 == 0 ? SqlValue::of(seconds) : SqlValue::ofReal(seconds + 0.375)},
          {"ZDURATION", n % 7 == 2 ? SqlValue::ofReal(duration + 0.5) : SqlValue::ofReal(duration)},
          {"ZISO_COUNTRY_CODE", SqlValue::text("gb")},
          {"ZSERVICE_PROVIDER", SqlValue::text("com.apple.Telephony")},
          {"ZUNIQUE_ID",
           SqlValue::text("C0A1B2C3-D4E5-F607-1829-3A4B5C6D" + std::to_string(1000 + n))},
          {"ZADDRESS", number(n)}};
      if (n == 19) v.erase("ZADDRESS");  // no number: not listed
      if (n == 20) v.erase("ZDATE");     // no date: not listed
    } else {
      v = {{"id", SqlValue::of(-1)},
           {"originated", SqlValue::of(incoming ? 0 : 1)},
           {"date", SqlValue::of(seconds + 978307200)},
           {"duration", SqlValue::of(duration)},
           {"country_code", SqlValue::text("234")},
           {"address", number(n)}};
    }
    return db_->insert(table_, columns_.row(v), id);
  }

  int addCalls() {
    int rc = 0;
    for (int n = 1; rc == 0 && n <= 160; ++n) {
      std::int64_t id = 0;
      rc = call(n, &id);
      if (n % 13 == 4 || (n >= 90 && n <= 140)) gone_.push_back(id);
      if (n == 30 || n == 31 || n == 150) moved_.push_back(id);
    }
    return rc;
  }

  int moveLiveRows() {
    const std::string place(200, 'L');
    const char* column = newer_ ? "ZLOCATION" : "location";
    const char* key = newer_ ? "Z_PK" : "ROWID";
    for (std::int64_t id : moved_) {
      int rc = db_->exec("UPDATE " + table_ + " SET " + column + " = '" + place + "' WHERE " + key +
                         " = " + std::to_string(id));
      if (rc != 0) return rc;
    }
    return 0;
  }

  SqliteFixture* db_;
  bool newer_;
  std::string table_;
  NamedColumns columns_;
  std::vector<std::int64_t> gone_, moved_;
};

int build(const std::string& path, SqliteFixture* db, bool newer) {
  int rc = db->create(path, SqliteOptions());
  if (rc == 0) rc = CallBuilder(db, newer).run();
  const int closed = db->close();
  return rc != 0 ? rc : closed;
}

}  // namespace

int buildCallHistoryStoredata(const std::string& path, SqliteFixture* db) {
  return build(path, db, true);
}

int buildOldCallHistory(const std::string& path, SqliteFixture* db) {
  return build(path, db, false);
}

}  // namespace qv::samples
