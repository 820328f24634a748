#include "samples/sqlite_scenarios.h"

#include <cstdio>
#include <vector>

namespace qv::samples {

const char* const kMessageTableSql =
    "CREATE TABLE message (ROWID INTEGER PRIMARY KEY AUTOINCREMENT, guid TEXT UNIQUE NOT NULL, "
    "text TEXT, replace INTEGER DEFAULT 0, service_center TEXT, handle_id INTEGER DEFAULT 0, "
    "subject TEXT, country TEXT, attributedBody BLOB, version INTEGER DEFAULT 0, type INTEGER "
    "DEFAULT 0, service TEXT, account TEXT, account_guid TEXT, error INTEGER DEFAULT 0, date "
    "INTEGER, date_read INTEGER, date_delivered INTEGER, is_delivered INTEGER DEFAULT 0, "
    "is_finished INTEGER DEFAULT 0, is_emote INTEGER DEFAULT 0, is_from_me INTEGER DEFAULT 0, "
    "is_empty INTEGER DEFAULT 0, is_delayed INTEGER DEFAULT 0, is_auto_reply INTEGER DEFAULT 0, "
    "is_prepared INTEGER DEFAULT 0, is_read INTEGER DEFAULT 0, is_system_message INTEGER "
    "DEFAULT 0, is_sent INTEGER DEFAULT 0, has_dd_results INTEGER DEFAULT 0, is_service_message "
    "INTEGER DEFAULT 0, is_forward INTEGER DEFAULT 0, was_downgraded INTEGER DEFAULT 0, "
    "is_archive INTEGER DEFAULT 0, cache_has_attachments INTEGER DEFAULT 0, cache_roomnames "
    "TEXT, was_data_detected INTEGER DEFAULT 0, was_deduplicated INTEGER DEFAULT 0);"
    "CREATE INDEX message_idx_handle ON message(handle_id, date);"
    "CREATE INDEX message_idx_is_read ON message(is_read, is_from_me, is_finished);";

const char* patternName(DeletionPattern pattern) {
  switch (pattern) {
    case DeletionPattern::kNone:
      return "none";
    case DeletionPattern::kScattered:
      return "scattered";
    case DeletionPattern::kContiguous:
      return "contiguous";
    case DeletionPattern::kEndOfPage:
      return "end-of-page";
    case DeletionPattern::kOverflow:
      return "overflow";
    case DeletionPattern::kFreelist:
      return "freelist";
  }
  return "?";
}

namespace {

std::string guidOf(int n, unsigned seed, char tag) {
  char buf[48];
  std::snprintf(buf, sizeof buf, "%08X-%04X-4%03X-%c%03X-%012X",
                static_cast<unsigned>(n) * 2654435761u, seed & 0xffff,
                static_cast<unsigned>(n) & 0xfff, tag, (seed >> 4) & 0xfff,
                static_cast<unsigned>(n));
  return buf;
}

std::string textOf(int n, std::size_t length, unsigned seed) {
  static const char* const kWords[] = {"see", "you",    "at",    "the", "station", "tonight",
                                       "ok",  "thanks", "call",  "me",  "later",   "Grüße",
                                       "😀",   "lunch",  "where", "are", "running", "late"};
  std::string s = "#" + std::to_string(n) + " ";
  unsigned x = seed * 2246822519u + static_cast<unsigned>(n) * 3266489917u + 1;
  while (s.size() < length) {
    x = x * 1103515245u + 12345u;
    s += kWords[(x >> 16) % (sizeof kWords / sizeof kWords[0])];
    s += ' ';
  }
  // Cut on a character boundary so the text stays valid UTF-8.
  std::size_t cut = length;
  while (cut > 0 && (static_cast<unsigned char>(s[cut]) & 0xC0) == 0x80) --cut;
  s.resize(cut);
  return s;
}

}  // namespace

SqlRow messageRow(int n, std::size_t textLength, unsigned seed) {
  const std::int64_t date = 500000000 + static_cast<std::int64_t>(n) * 37;
  SqlRow r;
  r.push_back(SqlValue::null());                             // 0 ROWID
  r.push_back(SqlValue::text(guidOf(n, seed, '8')));         // 1 guid
  r.push_back(SqlValue::text(textOf(n, textLength, seed)));  // 2 text
  r.push_back(SqlValue::of(0));                              // 3 replace
  r.push_back(SqlValue::null());                             // 4 service_center
  r.push_back(SqlValue::of(1 + n % 17));                     // 5 handle_id
  r.push_back(SqlValue::null());                             // 6 subject
  r.push_back(SqlValue::null());                             // 7 country
  r.push_back(n % 5 == 0 ? SqlValue::blob(std::string("\x04\x0bstreamtyped", 13))
                         : SqlValue::null());
  r.push_back(SqlValue::of(10));                                          // 9 version
  r.push_back(SqlValue::of(0));                                           // 10 type
  r.push_back(SqlValue::text(n % 2 ? "iMessage" : "SMS"));                // 11 service
  r.push_back(SqlValue::text("e:owner@example.com"));                     // 12 account
  r.push_back(SqlValue::text(guidOf(7, seed, 'A')));                      // 13 account_guid
  r.push_back(SqlValue::of(0));                                           // 14 error
  r.push_back(SqlValue::of(date));                                        // 15 date
  r.push_back(SqlValue::of(n % 3 ? date + 60 : 0));                       // 16 date_read
  r.push_back(SqlValue::of(date + 2));                                    // 17 date_delivered
  for (int c = 18; c <= 34; ++c) r.push_back(SqlValue::of((n + c) % 2));  // 18..34 flags
  r.push_back(SqlValue::null());                                          // 35 cache_roomnames
  r.push_back(SqlValue::of(1));                                           // 36 was_data_detected
  r.push_back(SqlValue::of(0));                                           // 37 was_deduplicated
  return r;
}

int buildMessageDatabase(const std::string& path, const MessageScenario& s, SqliteFixture* db) {
  SqliteOptions options;
  options.pageSize = s.pageSize;
  options.encoding = s.encoding;
  options.secureDelete = s.secureDelete;
  int rc = db->create(path, options);
  if (rc == 0) rc = db->exec(kMessageTableSql);
  if (rc != 0) return rc;

  rc = db->begin();
  std::vector<std::int64_t> ids;
  std::vector<std::int64_t> longOnes;
  for (int n = 1; rc == 0 && n <= s.rows; ++n) {
    std::size_t length = 20 + (static_cast<unsigned>(n) * 97u + s.seed) % 380;
    const bool spill = s.pattern == DeletionPattern::kOverflow && n % 4 == 0;
    if (spill) length = static_cast<std::size_t>(s.pageSize) * 3 + 17 * (n % 7);
    std::int64_t id = 0;
    rc = db->insert("message", messageRow(n, length, s.seed), &id);
    ids.push_back(id);
    if (spill) longOnes.push_back(id);
  }
  if (rc == 0) rc = db->commit();
  if (rc != 0) return rc;

  std::vector<std::int64_t> gone;
  const std::size_t count = ids.size();
  switch (s.pattern) {
    case DeletionPattern::kNone:
      break;
    case DeletionPattern::kScattered:
      for (std::size_t i = 0; i < count; ++i) {
        if (i % 5 == 2) gone.push_back(ids[i]);
      }
      break;
    case DeletionPattern::kContiguous:
      for (std::size_t i = count / 4; i < count * 3 / 4; ++i) gone.push_back(ids[i]);
      break;
    case DeletionPattern::kEndOfPage:
      for (std::size_t i = count - 3; i < count; ++i) gone.push_back(ids[i]);
      break;
    case DeletionPattern::kOverflow:
      gone = longOnes;
      break;
    case DeletionPattern::kFreelist:
      for (std::size_t i = 0; i < count; ++i) {
        if (i % 10 != 0) gone.push_back(ids[i]);
      }
      break;
  }
  if (!gone.empty()) rc = db->deleteRows("message", gone);
  const int closed = db->close();
  return rc != 0 ? rc : closed;
}

}  // namespace qv::samples
