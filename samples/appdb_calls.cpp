#include "samples/appdb_calls.h"

#include <vector>

#include "samples/appdb_rows.h"

namespace qv::samples {

const char* const kCallHistoryDomain = "HomeDomain";
const char* const kCallHistoryRelativePath = "Library/CallHistoryDB/CallHistory.storedata";
const char* const kOldCallHistoryDomain = "WirelessDomain";
const char* const kOldCallHistoryRelativePath = "Library/CallHistory/call_history.db";

namespace {

// The phone's own statements (see the schema notes of each phone version).
const char kCallRecord18[] =
    "CREATE TABLE ZCALLRECORD (Z_PK INTEGER PRIMARY KEY, Z_ENT INTEGER, Z_OPT INTEGER, "
    "ZANSWERED INTEGER, ZCALLTYPE INTEGER, ZDISCONNECTED_CAUSE INTEGER, "
    "ZFACE_TIME_DATA INTEGER, ZNUMBER_AVAILABILITY INTEGER, ZORIGINATED INTEGER, ZREAD INTEGER, "
    "ZDATE TIMESTAMP, ZDURATION FLOAT, ZDEVICE_ID VARCHAR, ZISO_COUNTRY_CODE VARCHAR, "
    "ZLOCATION VARCHAR, ZNAME VARCHAR, ZUNIQUE_ID VARCHAR UNIQUE, ZADDRESS BLOB)";
const char kCallRecord21[] =
    "CREATE TABLE ZCALLRECORD (Z_PK INTEGER PRIMARY KEY, Z_ENT INTEGER, Z_OPT INTEGER, "
    "ZANSWERED INTEGER, ZCALL_CATEGORY INTEGER, ZCALLTYPE INTEGER, "
    "ZDISCONNECTED_CAUSE INTEGER, ZFACE_TIME_DATA INTEGER, ZHANDLE_TYPE INTEGER, "
    "ZNUMBER_AVAILABILITY INTEGER, ZORIGINATED INTEGER, ZREAD INTEGER, ZDATE TIMESTAMP, "
    "ZDURATION FLOAT, ZDEVICE_ID VARCHAR, ZISO_COUNTRY_CODE VARCHAR, ZLOCATION VARCHAR, "
    "ZNAME VARCHAR, ZSERVICE_PROVIDER VARCHAR, ZUNIQUE_ID VARCHAR UNIQUE, ZADDRESS BLOB)";
const char kCallRecord30[] =
    "CREATE TABLE ZCALLRECORD ( Z_PK INTEGER PRIMARY KEY, Z_ENT INTEGER, Z_OPT INTEGER, "
    "ZANSWERED INTEGER, ZCALL_CATEGORY INTEGER, ZCALLTYPE INTEGER, ZDISCONNECTED_CAUSE INTEGER, "
    "ZFACE_TIME_DATA INTEGER, ZFILTERED_OUT_REASON INTEGER, ZHANDLE_TYPE INTEGER, "
    "ZJUNKCONFIDENCE INTEGER, ZNUMBER_AVAILABILITY INTEGER, ZORIGINATED INTEGER, ZREAD INTEGER, "
    "ZVERIFICATIONSTATUS INTEGER, ZDATE TIMESTAMP, ZDURATION FLOAT, ZADDRESS VARCHAR, "
    "ZISO_COUNTRY_CODE VARCHAR, ZLOCATION VARCHAR, ZNAME VARCHAR, ZSERVICE_PROVIDER VARCHAR, "
    "ZUNIQUE_ID VARCHAR, ZLOCALPARTICIPANTUUID BLOB, ZOUTGOINGLOCALPARTICIPANTUUID BLOB, "
    "ZPARTICIPANTGROUPUUID BLOB , ZIMAGEURL VARCHAR, ZHASMESSAGE INTEGER, "
    "ZJUNKIDENTIFICATIONCATEGORY VARCHAR, ZCONVERSATIONID BLOB)";
const char kCall8[] =
    "CREATE TABLE call (ROWID INTEGER PRIMARY KEY AUTOINCREMENT, address TEXT, date INTEGER, "
    "duration INTEGER, flags INTEGER, id INTEGER, name TEXT, country_code TEXT)";
const char kCall13[] =
    "CREATE TABLE call (ROWID INTEGER PRIMARY KEY AUTOINCREMENT, address TEXT, date INTEGER, "
    "duration INTEGER, flags INTEGER, id INTEGER, name TEXT, country_code TEXT, "
    "network_code TEXT, read INTEGER, assisted INTEGER, face_time_data BLOB, "
    "originalAddress TEXT)";
const char kCall14[] =
    "CREATE TABLE call (ROWID INTEGER PRIMARY KEY AUTOINCREMENT, address TEXT, date INTEGER, "
    "duration INTEGER, flags INTEGER, id INTEGER, name TEXT, country_code TEXT, "
    "network_code TEXT, read INTEGER, assisted INTEGER, face_time_data BLOB, "
    "originalAddress TEXT, answered INTEGER DEFAULT '1')";

}  // namespace

const char* callHistoryLayoutName(CallHistoryLayout layout) {
  switch (layout) {
    case CallHistoryLayout::kIos9:
      return "ZCALLRECORD_ios9_18";
    case CallHistoryLayout::kIos11:
      return "ZCALLRECORD_ios11_21";
    case CallHistoryLayout::kIos17:
      return "ZCALLRECORD_ios17_30";
    case CallHistoryLayout::kIos5:
      return "call_ios5_8";
    case CallHistoryLayout::kIos6:
      return "call_ios6_13";
    case CallHistoryLayout::kIos7:
      return "call_ios7_14";
  }
  return "?";
}

bool isCoreDataCallHistory(CallHistoryLayout layout) {
  return layout == CallHistoryLayout::kIos9 || layout == CallHistoryLayout::kIos11 ||
         layout == CallHistoryLayout::kIos17;
}

const char* callHistoryTable(CallHistoryLayout layout) {
  return isCoreDataCallHistory(layout) ? "ZCALLRECORD" : "call";
}

const char* callHistorySql(CallHistoryLayout layout) {
  switch (layout) {
    case CallHistoryLayout::kIos9:
      return kCallRecord18;
    case CallHistoryLayout::kIos11:
      return kCallRecord21;
    case CallHistoryLayout::kIos17:
      return kCallRecord30;
    case CallHistoryLayout::kIos5:
      return kCall8;
    case CallHistoryLayout::kIos6:
      return kCall13;
    case CallHistoryLayout::kIos7:
      return kCall14;
  }
  return kCall8;
}

namespace {

const char* const kNumbers[] = {"+447700900123", "+15555558877", "+4915112345678", "1234",
                                "+447700910007", "+33612345678", "0800123456"};

class CallBuilder {
 public:
  CallBuilder(SqliteFixture* db, CallHistoryLayout layout)
      : db_(db),
        layout_(layout),
        newer_(isCoreDataCallHistory(layout)),
        table_(callHistoryTable(layout)),
        columns_(callHistorySql(layout)) {}

  int run() {
    int rc = db_->exec(callHistorySql(layout_));
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
    // Up to iOS 11 the phone stored ZADDRESS as the number's bytes in a blob (some rows hold a
    // text); model 27 declares it a text.
    const bool blob = layout_ == CallHistoryLayout::kIos9 || layout_ == CallHistoryLayout::kIos11;
    return blob && n % 4 != 1 ? SqlValue::blob(s) : SqlValue::text(s);
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
      // flags: 4 for a call that came in, 5 for one that went out.
      v = {{"id", SqlValue::of(-1)},
           {"flags", SqlValue::of(incoming ? 4 : 5)},
           {"date", SqlValue::of(seconds + 978307200)},
           {"duration", SqlValue::of(duration)},
           {"country_code", SqlValue::text("234")},
           {"read", SqlValue::of(1)},
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
    const char* column = newer_ ? "ZLOCATION" : "name";
    const char* key = newer_ ? "Z_PK" : "ROWID";
    for (std::int64_t id : moved_) {
      int rc = db_->exec("UPDATE " + table_ + " SET " + column + " = '" + place + "' WHERE " + key +
                         " = " + std::to_string(id));
      if (rc != 0) return rc;
    }
    return 0;
  }

  SqliteFixture* db_;
  CallHistoryLayout layout_;
  bool newer_;
  std::string table_;
  NamedColumns columns_;
  std::vector<std::int64_t> gone_, moved_;
};

}  // namespace

int buildCallHistory(const std::string& path, CallHistoryLayout layout, SqliteFixture* db) {
  int rc = db->create(path, SqliteOptions());
  if (rc == 0) rc = CallBuilder(db, layout).run();
  const int closed = db->close();
  return rc != 0 ? rc : closed;
}

}  // namespace qv::samples
