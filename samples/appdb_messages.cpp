#include "samples/appdb_messages.h"

#include <cstdio>

#include "platform/file.h"
#include "samples/appdb_rows.h"

namespace qv::samples {

const char* const kSmsDomain = "HomeDomain";
const char* const kSmsRelativePath = "Library/SMS/sms.db";

namespace {

// The phone's own tables, verbatim (see the schema notes of each phone version). Later message
// tables only append columns: each statement is the columns of the one before and its own.
#define QV_MESSAGE_38_COLUMNS                                                               \
  "ROWID INTEGER PRIMARY KEY AUTOINCREMENT, "                                               \
  "guid TEXT UNIQUE NOT NULL, text TEXT, replace INTEGER DEFAULT 0, service_center TEXT, "  \
  "handle_id INTEGER DEFAULT 0, subject TEXT, country TEXT, attributedBody BLOB, "          \
  "version INTEGER DEFAULT 0, type INTEGER DEFAULT 0, service TEXT, account TEXT, "         \
  "account_guid TEXT, error INTEGER DEFAULT 0, date INTEGER, date_read INTEGER, "           \
  "date_delivered INTEGER, is_delivered INTEGER DEFAULT 0, is_finished INTEGER DEFAULT 0, " \
  "is_emote INTEGER DEFAULT 0, is_from_me INTEGER DEFAULT 0, is_empty INTEGER DEFAULT 0, "  \
  "is_delayed INTEGER DEFAULT 0, is_auto_reply INTEGER DEFAULT 0, "                         \
  "is_prepared INTEGER DEFAULT 0, is_read INTEGER DEFAULT 0, "                              \
  "is_system_message INTEGER DEFAULT 0, is_sent INTEGER DEFAULT 0, "                        \
  "has_dd_results INTEGER DEFAULT 0, is_service_message INTEGER DEFAULT 0, "                \
  "is_forward INTEGER DEFAULT 0, was_downgraded INTEGER DEFAULT 0, "                        \
  "is_archive INTEGER DEFAULT 0, cache_has_attachments INTEGER DEFAULT 0, "                 \
  "cache_roomnames TEXT, was_data_detected INTEGER DEFAULT 0, "                             \
  "was_deduplicated INTEGER DEFAULT 0"
#define QV_MESSAGE_51_COLUMNS                                                               \
  QV_MESSAGE_38_COLUMNS                                                                     \
  ", is_audio_message INTEGER DEFAULT 0, "                                                  \
  "is_played INTEGER DEFAULT 0, date_played INTEGER, item_type INTEGER DEFAULT 0, "         \
  "other_handle INTEGER DEFAULT 0, group_title TEXT, group_action_type INTEGER DEFAULT 0, " \
  "share_status INTEGER DEFAULT 0, share_direction INTEGER DEFAULT 0, "                     \
  "is_expirable INTEGER DEFAULT 0, expire_state INTEGER DEFAULT 0, "                        \
  "message_action_type INTEGER DEFAULT 0, message_source INTEGER DEFAULT 0"
#define QV_MESSAGE_64_COLUMNS                                                                \
  QV_MESSAGE_51_COLUMNS                                                                      \
  ", associated_message_guid TEXT, associated_message_type INTEGER DEFAULT 0, "              \
  "balloon_bundle_id TEXT, payload_data BLOB, expressive_send_style_id TEXT, "               \
  "associated_message_range_location INTEGER DEFAULT 0, "                                    \
  "associated_message_range_length INTEGER DEFAULT 0, time_expressive_send_played INTEGER, " \
  "message_summary_info BLOB, ck_sync_state INTEGER DEFAULT 0, ck_record_id TEXT, "          \
  "ck_record_change_tag TEXT, destination_caller_id TEXT"

const char kMessage38[] = "CREATE TABLE message (" QV_MESSAGE_38_COLUMNS ")";
const char kMessage51[] = "CREATE TABLE message (" QV_MESSAGE_51_COLUMNS ")";
// iOS 10 appended its nine columns with other types than iOS 11 gave the same names.
const char kMessage60[] =
    "CREATE TABLE message (" QV_MESSAGE_51_COLUMNS
    ", associated_message_guid STRING DEFAULT NULL, balloon_bundle_id STRING DEFAULT NULL, "
    "payload_data BLOB, associated_message_type INTEGER DEFAULT 0, "
    "expressive_send_style_id STRING DEFAULT NULL, "
    "associated_message_range_location INTEGER DEFAULT 0, "
    "associated_message_range_length INTEGER DEFAULT 0, "
    "time_expressive_send_played INTEGER DEFAULT 0, message_summary_info BLOB DEFAULT NULL)";
const char kMessage64[] = "CREATE TABLE message (" QV_MESSAGE_64_COLUMNS ")";
const char kMessage74[] =
    "CREATE TABLE message (" QV_MESSAGE_64_COLUMNS
    ", sr_ck_sync_state INTEGER DEFAULT 0, sr_ck_record_id TEXT, sr_ck_record_change_tag TEXT, "
    "is_corrupt INTEGER DEFAULT 0, reply_to_guid TEXT DEFAULT NULL, "
    "sort_id INTEGER DEFAULT 0, is_spam INTEGER DEFAULT 0, "
    "has_unseen_mention INTEGER DEFAULT 0, thread_originator_guid TEXT DEFAULT NULL, "
    "thread_originator_part TEXT DEFAULT NULL)";
#undef QV_MESSAGE_64_COLUMNS
#undef QV_MESSAGE_51_COLUMNS
#undef QV_MESSAGE_38_COLUMNS
const char kHandle5[] =
    "CREATE TABLE handle (ROWID INTEGER PRIMARY KEY AUTOINCREMENT UNIQUE, id TEXT NOT NULL, "
    "country TEXT, service TEXT NOT NULL, uncanonicalized_id TEXT, UNIQUE (id, service))";
const char kHandle6[] =
    "CREATE TABLE handle (ROWID INTEGER PRIMARY KEY AUTOINCREMENT UNIQUE, id TEXT NOT NULL, "
    "country TEXT, service TEXT NOT NULL, uncanonicalized_id TEXT, person_centric_id TEXT, "
    "UNIQUE (id, service) )";
const char kAttachment9[] =
    "CREATE TABLE attachment (ROWID INTEGER PRIMARY KEY AUTOINCREMENT, "
    "guid TEXT UNIQUE NOT NULL, created_date INTEGER DEFAULT 0, "
    "start_date INTEGER DEFAULT 0, filename TEXT, uti TEXT, mime_type TEXT, "
    "transfer_state INTEGER DEFAULT 0, is_outgoing INTEGER DEFAULT 0)";
const char kAttachment12[] =
    "CREATE TABLE attachment (ROWID INTEGER PRIMARY KEY AUTOINCREMENT, "
    "guid TEXT UNIQUE NOT NULL, created_date INTEGER DEFAULT 0, "
    "start_date INTEGER DEFAULT 0, filename TEXT, uti TEXT, mime_type TEXT, "
    "transfer_state INTEGER DEFAULT 0, is_outgoing INTEGER DEFAULT 0, user_info BLOB, "
    "transfer_name TEXT, total_bytes INTEGER DEFAULT 0)";
const char kAttachment20[] =
    "CREATE TABLE attachment (ROWID INTEGER PRIMARY KEY AUTOINCREMENT, "
    "guid TEXT UNIQUE NOT NULL, created_date INTEGER DEFAULT 0, "
    "start_date INTEGER DEFAULT 0, filename TEXT, uti TEXT, mime_type TEXT, "
    "transfer_state INTEGER DEFAULT 0, is_outgoing INTEGER DEFAULT 0, user_info BLOB, "
    "transfer_name TEXT, total_bytes INTEGER DEFAULT 0, is_sticker INTEGER DEFAULT 0, "
    "sticker_user_info BLOB, attribution_info BLOB, hide_attachment INTEGER DEFAULT 0, "
    "ck_sync_state INTEGER DEFAULT 0, ck_server_change_token_blob BLOB, ck_record_id TEXT, "
    "original_guid TEXT UNIQUE NOT NULL)";
const char kAttachment16[] =
    "CREATE TABLE attachment (ROWID INTEGER PRIMARY KEY AUTOINCREMENT, "
    "guid TEXT UNIQUE NOT NULL, created_date INTEGER DEFAULT 0, "
    "start_date INTEGER DEFAULT 0, filename TEXT, uti TEXT, mime_type TEXT, "
    "transfer_state INTEGER DEFAULT 0, is_outgoing INTEGER DEFAULT 0, user_info BLOB, "
    "transfer_name TEXT, total_bytes INTEGER DEFAULT 0, is_sticker INTEGER DEFAULT 0, "
    "sticker_user_info BLOB, attribution_info BLOB, hide_attachment INTEGER DEFAULT 0)";
const char kJoin[] =
    ""
    "CREATE TABLE message_attachment_join (message_id INTEGER REFERENCES message (ROWID) ON DELETE "
    "CASCADE, "
    "attachment_id INTEGER REFERENCES attachment (ROWID) ON DELETE CASCADE, "
    "UNIQUE(message_id, attachment_id))";

const char kIndexes[] =
    "CREATE INDEX message_idx_handle ON message(handle_id, date);"
    "CREATE INDEX message_idx_is_read ON message(is_read, is_from_me, is_finished);"
    "CREATE INDEX message_attachment_join_idx ON message_attachment_join(message_id);";

// Seconds since 2001-01-01 of the first message (2013-06-05).
constexpr std::int64_t kStart = 392100000;

// A guid of the phone's form: 36 characters, upper-case hex digits and dashes.
std::string guidOf(std::int64_t n, char tag) {
  char buf[48];
  std::snprintf(buf, sizeof buf, "%08X-%04X-4%03X-%c%03X-%012llX",
                static_cast<unsigned>(n * 2654435761u), static_cast<unsigned>(n & 0xffff),
                static_cast<unsigned>(n & 0xfff), tag, static_cast<unsigned>((n >> 3) & 0xfff),
                static_cast<unsigned long long>(n * 7919));
  return buf;
}

std::string textOf(int n) {
  static const char* const kWords[] = {
      "see",    "you",  "at",   "the",    "station", "tonight", "it's",  "\"fine\"",
      "thanks", "call", "me",   "later",  "Grüße",   "😀",       "lunch", "where",
      "are",    "you?", "好的", "明天见", "café",    "O'Brien", "late",  "ok"};
  std::string s = "#" + std::to_string(n) + " ";
  unsigned x = static_cast<unsigned>(n) * 2246822519u + 7;
  const std::size_t length = 12 + static_cast<std::size_t>(n * 37 % 170);
  while (s.size() < length) {
    x = x * 1103515245u + 12345u;
    s += kWords[(x >> 16) % (sizeof kWords / sizeof kWords[0])];
    s += ' ';
  }
  return s;
}

const std::vector<std::string>& droppedTexts() {
  static const std::vector<std::string> texts = {
      "Broken \xEF\xBF\xBD text",  // holds U+FFFD
      std::string("Cut\0off", 7),  // an embedded zero
      "Bad \xC3\x28 bytes",        // malformed UTF-8
  };
  return texts;
}

struct SmsTables {
  const char *message, *handle, *attachment;
  int messageColumns;
};

SmsTables tablesOf(SmsLayout layout) {
  switch (layout) {
    case SmsLayout::kIos6:
      return {kMessage38, kHandle5, kAttachment9, 38};
    case SmsLayout::kIos9:
      return {kMessage51, kHandle5, kAttachment12, 51};
    case SmsLayout::kIos10:
      return {kMessage60, kHandle5, kAttachment16, 60};
    case SmsLayout::kIos11:
      return {kMessage64, kHandle5, kAttachment20, 64};
    case SmsLayout::kIos14:
      break;
  }
  return {kMessage74, kHandle6, kAttachment20, 74};
}

class SmsBuilder {
 public:
  SmsBuilder(SmsLayout layout, SqliteFixture* db, SmsFixtureFacts* facts)
      : layout_(layout),
        db_(db),
        facts_(facts),
        message_(messageSql()),
        handle_(handleSql()),
        attachment_(attachmentSql()) {}

  int run() {
    int rc = db_->exec(messageSql());
    if (rc == 0) rc = db_->exec(handleSql());
    if (rc == 0) rc = db_->exec(attachmentSql());
    if (rc == 0) rc = db_->exec(kJoin);
    if (rc == 0) rc = db_->exec(kIndexes);
    if (rc == 0) rc = db_->begin();
    if (rc == 0) rc = addHandles();
    if (rc == 0) rc = addMessages();
    if (rc == 0) rc = addAttachments();
    if (rc == 0) rc = db_->commit();
    if (rc == 0) rc = moveLiveRows();
    if (rc == 0) rc = deleteRows();
    return rc;
  }

  // What the phone did after the last checkpoint, kept in the log: new messages (two of them
  // in a transaction of their own that a later one changes), some read before deleted.
  int runLogChanges() {
    int rc = db_->useWal();
    std::vector<std::int64_t> fresh;
    for (int k = 0; rc == 0 && k < 3; ++k) {
      rc = db_->begin();
      for (int n = 1; rc == 0 && n <= 5; ++n) {
        const int number = kCount + 5 * k + n;
        std::int64_t id = 0;
        rc = message(number, SqlValue::text("Only in the log #" + std::to_string(number)),
                     1 + number % 5, dateValue(kStart + number * 97), number % 2 == 0, &id);
        fresh.push_back(id);
      }
      if (rc == 0) rc = db_->commit();
    }
    facts_->logMessages = fresh;
    // One message of the log changed by a later commit: its first text is an older frame's.
    if (rc == 0)
      rc = db_->exec("UPDATE message SET text = 'Changed in the log' WHERE ROWID = " +
                     std::to_string(fresh[1]));
    // Messages of the file deleted in the log, and one of the log's own.
    std::vector<std::int64_t> gone = {ids_[33], ids_[34], ids_[35], fresh[4]};
    if (rc == 0) rc = db_->deleteRows("message", gone);
    facts_->logDeletedMessages = gone;
    return rc;
  }

 private:
  const char* messageSql() const { return tablesOf(layout_).message; }
  const char* handleSql() const { return tablesOf(layout_).handle; }
  const char* attachmentSql() const { return tablesOf(layout_).attachment; }
  // From iOS 11 the phone writes its dates in nanoseconds.
  bool nanoseconds() const { return layout_ == SmsLayout::kIos11 || layout_ == SmsLayout::kIos14; }

  int handle(const char* address) {
    return db_->insert("handle", handle_.row({{"id", SqlValue::text(address)},
                                              {"country", SqlValue::text("gb")},
                                              {"service", SqlValue::text("SMS")}}));
  }

  int addHandles() {
    int rc = handle("+447700900123");              // 1
    if (rc == 0) rc = handle("+15555550100");      // 2
    if (rc == 0) rc = handle("anna@example.com");  // 3
    if (rc == 0) rc = handle("+4915112345678");    // 4: in no contact
    if (rc == 0) rc = handle("+33612345678");      // 5: only a deleted contact has it
    if (rc == 0) rc = handle("+81312345678");      // 6: deleted with its messages
    facts_->deletedContactAddress = "+33612345678";
    facts_->deletedHandle = 6;
    return rc;
  }

  SqlValue dateValue(std::int64_t seconds) const {
    return SqlValue::of(nanoseconds() ? seconds * 1000000000 : seconds);
  }

  int message(int n, SqlValue text, std::int64_t handleId, SqlValue date, bool fromMe,
              std::int64_t* id) {
    NamedValues v = {{"guid", SqlValue::text(guidOf(n, '8'))},
                     {"text", std::move(text)},
                     {"replace", SqlValue::of(0)},
                     {"handle_id", SqlValue::of(handleId)},
                     {"version", SqlValue::of(10)},
                     {"type", SqlValue::of(0)},
                     {"service", SqlValue::text(n % 2 ? "iMessage" : "SMS")},
                     {"account", SqlValue::text("e:owner@example.com")},
                     {"error", SqlValue::of(n % 40 == 7 ? -5 : 0)},
                     {"date", date},
                     {"date_read", fromMe ? SqlValue::of(0) : date},
                     {"date_delivered", date},
                     {"is_delivered", SqlValue::of(1)},
                     {"is_finished", SqlValue::of(1)},
                     {"is_from_me", SqlValue::of(fromMe ? 1 : 0)},
                     {"is_read", SqlValue::of(fromMe ? 0 : 1)},
                     {"is_sent", SqlValue::of(fromMe ? 1 : 0)},
                     {"was_data_detected", SqlValue::of(1)},
                     {"was_deduplicated", SqlValue::of(0)}};
    // Rows written before the phone kept an account have none (the line writer skips them
    // when deleted).
    if (n % 23 != 11) v["account_guid"] = SqlValue::text(guidOf(7, 'A'));
    if (n % 5 == 0)
      v["attributedBody"] =
          SqlValue::blob(std::string("\x04\x0bstreamtyped\x81\xe8\x03\x84\x01@", 20));
    return db_->insert("message", message_.row(v), id);
  }

  int addMessages() {
    int rc = 0;
    for (int n = 1; rc == 0 && n <= kCount; ++n) {
      const std::int64_t handleId = n % 50 == 25 ? 6 : 1 + n % 5;
      // Messages 100 to 119 share a date; the rest are a minute and a half apart.
      const std::int64_t seconds = kStart + (n >= 100 && n < 120 ? 100 : n) * 97;
      SqlValue date = dateValue(seconds);
      SqlValue text = SqlValue::text(textOf(n));
      if (n == kNanosecondMessage && !nanoseconds()) date = SqlValue::of(seconds * 1000000000);
      if (n == kLongMessage) {
        std::string t = "A long letter: ";
        while (t.size() < 9000)
          t += "the quick brown fox jumps over the lazy dog, " + std::to_string(t.size()) + " ";
        text = SqlValue::text(t);
      }
      if (n == 13) text = SqlValue::null();
      if (n == 14) text = SqlValue::text("");
      if (n >= 15 && n < 15 + static_cast<int>(droppedTexts().size()))
        text = rawText(droppedTexts()[static_cast<std::size_t>(n - 15)]);
      std::int64_t id = 0;
      rc = message(n, std::move(text), handleId, std::move(date), n % 3 == 0, &id);
      ids_.push_back(id);
      if (n == kNanosecondMessage) facts_->nanosecondMessage = id;
    }
    return rc;
  }

  int attachment(int k, std::int64_t messageNumber, std::int64_t* id) {
    const std::string name = "~/Library/SMS/Attachments/" + std::to_string(10 + k) + "/0" +
                             std::to_string(k) + "/IMG_00" + std::to_string(40 + k) + ".JPG";
    int rc = db_->insert("attachment",
                         attachment_.row({{"guid", SqlValue::text(guidOf(k, 'B'))},
                                          {"created_date", SqlValue::of(kStart + k)},
                                          {"start_date", SqlValue::of(0)},
                                          {"filename", SqlValue::text(name)},
                                          {"uti", SqlValue::text("public.jpeg")},
                                          {"mime_type", SqlValue::text("image/jpeg")},
                                          {"transfer_state", SqlValue::of(5)},
                                          {"is_outgoing", SqlValue::of(0)},
                                          {"original_guid", SqlValue::text(guidOf(k, 'C'))}}),
                         id);
    if (rc == 0)
      rc = db_->insert(
          "message_attachment_join",
          {SqlValue::of(ids_[static_cast<std::size_t>(messageNumber - 1)]), SqlValue::of(*id)});
    if (k == 1) facts_->firstAttachmentName = name;
    return rc;
  }

  int addAttachments() {
    std::int64_t id = 0;
    // Message 10 has two attachments; the first one read names it.
    int rc = attachment(1, 10, &id);
    if (rc == 0) rc = attachment(2, 10, &id);
    facts_->twoAttachmentMessage = ids_[9];
    for (int k = 3; rc == 0 && k <= 12; ++k) {
      rc = attachment(k, 10 * k, &id);
      if (k == 5) deletedAttachment_ = id;
    }
    return rc;
  }

  // An update that grows a column no reader decodes moves the cell; the old one stays behind.
  int moveLiveRows() {
    const std::string room(260, 'r');
    for (int n : {60, 61, 120, 180}) {
      const std::int64_t id = ids_[static_cast<std::size_t>(n - 1)];
      int rc = db_->exec("UPDATE message SET cache_roomnames = '" + room +
                         "' WHERE ROWID = " + std::to_string(id));
      if (rc != 0) return rc;
      facts_->movedMessages.push_back(id);
    }
    return 0;
  }

  int deleteRows() {
    std::vector<std::int64_t> gone;
    for (int n = 1; n <= kCount; ++n) {
      const bool scattered = n % 9 == 4 && n < 150;
      const bool run = n >= 250 && n <= 330;
      const bool ofHandle = n % 50 == 25;
      if (scattered || run || ofHandle) gone.push_back(ids_[static_cast<std::size_t>(n - 1)]);
    }
    int rc = db_->deleteRows("message", gone);
    // The spilled row goes last: the freelist has a trunk page by then, so its overflow pages
    // become leaves of it and keep their bytes (a page that became a trunk would not).
    if (rc == 0) rc = db_->deleteRows("message", {ids_[kLongMessage - 1]});
    if (rc == 0) rc = db_->deleteRows("handle", {facts_->deletedHandle});
    if (rc == 0)
      rc = db_->exec("DELETE FROM message_attachment_join WHERE attachment_id = " +
                     std::to_string(deletedAttachment_));
    if (rc == 0) rc = db_->deleteRows("attachment", {deletedAttachment_});
    return rc;
  }

  static constexpr int kCount = 400;
  static constexpr int kLongMessage = 200;
  static constexpr int kNanosecondMessage = 77;

  SmsLayout layout_;
  SqliteFixture* db_;
  SmsFixtureFacts* facts_;
  NamedColumns message_, handle_, attachment_;
  std::vector<std::int64_t> ids_;
  std::int64_t deletedAttachment_ = 0;
};

}  // namespace

const char* smsLayoutName(SmsLayout layout) {
  switch (layout) {
    case SmsLayout::kIos6:
      return "ios6";
    case SmsLayout::kIos9:
      return "ios9";
    case SmsLayout::kIos10:
      return "ios10";
    case SmsLayout::kIos11:
      return "ios11";
    case SmsLayout::kIos14:
      return "ios14";
  }
  return "?";
}

int smsMessageColumns(SmsLayout layout) {
  return tablesOf(layout).messageColumns;
}

std::string smsSchemaSql(SmsLayout layout) {
  const SmsTables t = tablesOf(layout);
  return std::string(t.message) + ";" + t.handle + ";" + t.attachment + ";" + kJoin + ";" +
         kIndexes;
}

std::vector<std::string> smsDroppedTexts() {
  std::vector<std::string> texts = droppedTexts();
  texts.push_back("");
  return texts;
}

int buildSmsDatabase(const std::string& path, SmsLayout layout, SqliteFixture* db,
                     SmsFixtureFacts* facts, int pageSize) {
  SmsFixtureFacts ignored;
  SqliteOptions options;
  options.pageSize = pageSize;
  int rc = db->create(path, options);
  if (rc == 0) rc = SmsBuilder(layout, db, facts ? facts : &ignored).run();
  const int closed = db->close();
  return rc != 0 ? rc : closed;
}

int buildSmsDatabaseWithLog(const std::string& path, SmsLayout layout, SqliteFixture* db,
                            SmsFixtureFacts* facts) {
  SmsFixtureFacts ignored;
  SmsFixtureFacts* f = facts ? facts : &ignored;
  const std::string building = path + ".building";
  int rc = db->create(building, SqliteOptions());
  SmsBuilder builder(layout, db, f);
  if (rc == 0) rc = builder.run();
  if (rc == 0) rc = builder.runLogChanges();
  if (rc == 0) rc = db->copyWithWal(path);
  const int closed = db->close();
  platform::removeFile(building);
  return rc != 0 ? rc : closed;
}

int buildSmallSmsDatabase(const std::string& path, SqliteFixture* db) {
  SqliteOptions options;
  options.pageSize = 1024;
  int rc = db->create(path, options);
  if (rc == 0) rc = db->exec(kMessage38);
  NamedColumns message(kMessage38);
  const std::string account = "0A1B2C3D-4E5F-6A7B-8C9D-0E1F2A3B4C5D";
  auto row = [&](const char* guid, SqlValue text, std::int64_t date, int fromMe, SqlValue body,
                 std::int64_t error) {
    return message.row({{"guid", SqlValue::text(guid)},
                        {"text", std::move(text)},
                        {"handle_id", SqlValue::of(1)},
                        {"attributedBody", std::move(body)},
                        {"service", SqlValue::text("SMS")},
                        {"account_guid", SqlValue::text(account)},
                        {"error", SqlValue::of(error)},
                        {"date", SqlValue::of(date)},
                        {"date_read", SqlValue::of(fromMe ? 0 : date + 5)},
                        {"is_finished", SqlValue::of(1)},
                        {"is_from_me", SqlValue::of(fromMe)},
                        {"is_read", SqlValue::of(fromMe ? 0 : 1)},
                        {"was_deduplicated", SqlValue::of(0)}});
  };
  std::int64_t gone = 0;
  if (rc == 0)
    rc = db->insert("message",
                    row("6F9619FF-8B86-D011-B42D-00C04FC964FF", SqlValue::text("It's \"fine\""),
                        600000000, 0, SqlValue::blob(std::string("\x04\x0b\x00\xff", 4)), 0));
  if (rc == 0)
    rc = db->insert("message",
                    row("7A1E0C2B-1D3F-4B5A-9C8D-7E6F5A4B3C2D", SqlValue::text("Gone 'soon'"),
                        600000050, 1, SqlValue::null(), 0),
                    &gone);
  if (rc == 0)
    rc = db->insert("message", row("8B2F1D3C-2E4A-5C6B-AD9E-8F7A6B5C4D3E", SqlValue::text("Ok"),
                                   600000100, 1, SqlValue::null(), -5));
  if (rc == 0) rc = db->deleteRows("message", {gone});
  const int closed = db->close();
  return rc != 0 ? rc : closed;
}

}  // namespace qv::samples
