// Input and timing for bench/readers.
//
//   bench_readers generate DIR   writes DIR/sms.db (the phone's 38-column layout: 100,000
//                                messages of 5,000 handles, 10,000 attachments joined to
//                                them, a fifth of the messages deleted as single rows and in
//                                runs) and DIR/AddressBook.sqlitedb (5,000 persons, their
//                                numbers spelt two ways)
//   bench_readers time DIR       runs ReadMessages and ReadContacts on them three times each
//                                and prints the best time of each with what they returned
#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "db/contact_reader.h"
#include "db/message_reader.h"
#include "platform/folders.h"
#include "samples/appdb_contacts.h"
#include "samples/appdb_messages.h"
#include "samples/appdb_rows.h"

namespace {

using qv::samples::NamedColumns;
using qv::samples::SqlRow;
using qv::samples::SqlValue;

constexpr int kMessages = 100000;
constexpr int kHandles = 5000;
constexpr int kAttachments = 10000;
constexpr int kContacts = 5000;
constexpr unsigned kSeed = 20240607;

int exec(sqlite3* db, const std::string& sql) {
  char* message = nullptr;
  const int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message);
  if (rc != SQLITE_OK) std::fprintf(stderr, "bench_readers: %s\n", message ? message : "?");
  sqlite3_free(message);
  return rc;
}

// Inserts rows through one prepared statement.
class Inserter {
 public:
  Inserter(sqlite3* db, const std::string& table, std::size_t columns) {
    std::string sql = "INSERT INTO " + table + " VALUES (";
    for (std::size_t i = 0; i < columns; ++i) sql += i ? ",?" : "?";
    sqlite3_prepare_v2(db, (sql + ")").c_str(), -1, &st_, nullptr);
  }
  ~Inserter() { sqlite3_finalize(st_); }
  int insert(const SqlRow& row) {
    for (std::size_t i = 0; i < row.size(); ++i) {
      const SqlValue& v = row[i];
      const int at = static_cast<int>(i + 1);
      switch (v.kind) {
        case SqlValue::kNull:
          sqlite3_bind_null(st_, at);
          break;
        case SqlValue::kInteger:
          sqlite3_bind_int64(st_, at, v.integer);
          break;
        case SqlValue::kReal:
          sqlite3_bind_double(st_, at, v.real);
          break;
        case SqlValue::kText:
          sqlite3_bind_text(st_, at, v.bytes.data(), static_cast<int>(v.bytes.size()),
                            SQLITE_TRANSIENT);
          break;
        case SqlValue::kBlob:
          sqlite3_bind_blob(st_, at, v.bytes.data(), static_cast<int>(v.bytes.size()),
                            SQLITE_TRANSIENT);
          break;
      }
    }
    const int rc = sqlite3_step(st_);
    sqlite3_reset(st_);
    return rc == SQLITE_DONE ? SQLITE_OK : rc;
  }

 private:
  sqlite3_stmt* st_ = nullptr;
};

std::string number(int person) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "+4477009%05d", person * 13 % 100000);
  return buf;
}

std::string guid(int n, char tag) {
  char buf[48];
  std::snprintf(buf, sizeof buf, "%08X-%04X-4%03X-%c%03X-%012X",
                static_cast<unsigned>(n) * 2654435761u, n & 0xffff, n % 4096, tag, (n * 7) % 4096,
                n);
  return buf;
}

std::string textOf(std::mt19937& rng, int n) {
  static const char* const kWords[] = {"see",    "you",  "at", "the",   "station", "tonight", "ok",
                                       "thanks", "call", "me", "later", "Grüße",   "lunch",   "😀"};
  const std::size_t length = 20 + rng() % 180;
  std::string s = "msg " + std::to_string(n) + ":";
  while (s.size() < length) {
    s += ' ';
    s += kWords[rng() % (sizeof kWords / sizeof kWords[0])];
  }
  return s;
}

int open(const std::string& path, sqlite3** db) {
  std::remove(path.c_str());
  int rc = sqlite3_open(path.c_str(), db);
  // secure_delete off, as the phone has it (Debian's library turns it on by default).
  if (rc == SQLITE_OK)
    rc = exec(*db, "PRAGMA page_size=4096; PRAGMA journal_mode=DELETE; PRAGMA secure_delete=OFF;");
  return rc;
}

int writeAddressBook(const std::string& path) {
  using qv::samples::AddressBookLayout;
  sqlite3* db = nullptr;
  int rc = open(path, &db);
  const char* sql = qv::samples::addressBookContentSql(AddressBookLayout::kIos6);
  if (rc == SQLITE_OK) rc = exec(db, sql);
  if (rc == SQLITE_OK) rc = exec(db, "BEGIN");
  {
    NamedColumns cols(sql);
    Inserter ins(db, "ABPersonFullTextSearch_content", cols.count());
    for (int p = 1; rc == SQLITE_OK && p <= kContacts; ++p) {
      const std::string n = number(p);
      rc = ins.insert(
          cols.row({{"c0First", SqlValue::text("Person" + std::to_string(p))},
                    {"c1Last", SqlValue::text(p % 2 ? "Lindqvist" : "Nakamura")},
                    {"c6Organization", p % 4 ? SqlValue::null() : SqlValue::text("ACME")},
                    {"c14DisplayName", SqlValue::text("Person " + std::to_string(p))},
                    {"c15Phone", SqlValue::text(n + " 0" + n.substr(3) + " ")},
                    {"c16Email", SqlValue::text("p" + std::to_string(p) + "@example.org")}}));
    }
  }
  if (rc == SQLITE_OK) rc = exec(db, "COMMIT");
  sqlite3_close(db);
  return rc;
}

int writeMessages(const std::string& path) {
  using qv::samples::SmsLayout;
  sqlite3* db = nullptr;
  int rc = open(path, &db);
  const std::string schema = qv::samples::smsSchemaSql(SmsLayout::kIos6);
  if (rc == SQLITE_OK) rc = exec(db, schema);
  if (rc == SQLITE_OK) rc = exec(db, "BEGIN");
  std::mt19937 rng(kSeed);
  {
    const std::string messageSql = schema.substr(0, schema.find(';'));
    NamedColumns message(messageSql);
    Inserter handles(db, "handle", 5);
    for (int h = 1; rc == SQLITE_OK && h <= kHandles; ++h) {
      // Four handles in five belong to a person of the address book.
      const std::string address = h % 5 ? number(h) : "h" + std::to_string(h) + "@example.net";
      rc = handles.insert({SqlValue::null(), SqlValue::text(address), SqlValue::text("gb"),
                           SqlValue::text("SMS"), SqlValue::null()});
    }
    Inserter messages(db, "message", message.count());
    for (int n = 1; rc == SQLITE_OK && n <= kMessages; ++n) {
      const bool fromMe = rng() % 3 == 0;
      const std::int64_t date = 400000000 + n * 31;
      rc = messages.insert(
          message.row({{"guid", SqlValue::text(guid(n, '8'))},
                       {"text", SqlValue::text(textOf(rng, n))},
                       {"handle_id", SqlValue::of(1 + static_cast<int>(rng() % kHandles))},
                       {"service", SqlValue::text("SMS")},
                       {"account_guid", SqlValue::text(guid(7, 'A'))},
                       {"date", SqlValue::of(date)},
                       {"date_read", SqlValue::of(fromMe ? 0 : date + 60)},
                       {"is_finished", SqlValue::of(1)},
                       {"is_from_me", SqlValue::of(fromMe ? 1 : 0)},
                       {"is_read", SqlValue::of(fromMe ? 0 : 1)},
                       {"was_deduplicated", SqlValue::of(0)}}));
    }
    Inserter attachments(db, "attachment", 9);
    Inserter joins(db, "message_attachment_join", 2);
    for (int a = 1; rc == SQLITE_OK && a <= kAttachments; ++a) {
      rc = attachments.insert(
          {SqlValue::null(), SqlValue::text(guid(a, 'B')), SqlValue::of(0), SqlValue::of(0),
           SqlValue::text("~/Library/SMS/Attachments/" + std::to_string(a % 100) + "/IMG_" +
                          std::to_string(a) + ".JPG"),
           SqlValue::text("public.jpeg"), SqlValue::text("image/jpeg"), SqlValue::of(5),
           SqlValue::of(0)});
      if (rc == SQLITE_OK)
        rc = joins.insert({SqlValue::of(1 + static_cast<int>(rng() % kMessages)), SqlValue::of(a)});
    }
  }
  if (rc == SQLITE_OK) rc = exec(db, "COMMIT");
  // A fifth of the messages deleted: every tenth row, and runs of 500 rows that make another
  // tenth.
  if (rc == SQLITE_OK)
    rc = exec(db,
              "DELETE FROM message WHERE ROWID % 10 = 3 OR (ROWID % 5000) BETWEEN 1000 AND 1499");
  sqlite3_close(db);
  return rc;
}

double seconds(std::chrono::steady_clock::duration d) {
  return std::chrono::duration<double>(d).count();
}

int timeReaders(const std::string& dir) {
  const std::string sms = qv::platform::joinPath(dir, "sms.db");
  const std::string book = qv::platform::joinPath(dir, "AddressBook.sqlitedb");
  double bestMessages = 1e9, bestContacts = 1e9;
  std::size_t live = 0, deleted = 0, named = 0, attached = 0, conversations = 0, persons = 0;
  for (int run = 0; run < 3; ++run) {
    qv::db::ConversationMap map;
    std::uint64_t max = 0;
    auto start = std::chrono::steady_clock::now();
    int rc = qv::db::ReadMessages(sms, book, &map, qv::db::ReadProgress(), &max);
    bestMessages = std::min(bestMessages, seconds(std::chrono::steady_clock::now() - start));
    if (rc != 0) {
      std::fprintf(stderr, "bench_readers: ReadMessages: %d\n", rc);
      return 1;
    }
    live = deleted = named = attached = 0;
    conversations = map.size();
    for (const auto& c : map) {
      for (const auto& m : c.second) {
        (m.deleted ? deleted : live) += 1;
        named += !m.contactName.empty();
        attached += !m.attachment.empty();
      }
    }
    std::vector<qv::db::ContactRecord> contacts;
    start = std::chrono::steady_clock::now();
    rc = qv::db::ReadContacts(book, 0, &contacts, &max);
    bestContacts = std::min(bestContacts, seconds(std::chrono::steady_clock::now() - start));
    if (rc != 0) {
      std::fprintf(stderr, "bench_readers: ReadContacts: %d\n", rc);
      return 1;
    }
    persons = contacts.size();
  }
  std::printf(
      "ReadMessages: %.3f s  (%zu live, %zu deleted, %zu conversations, %zu named, %zu with "
      "attachment)\n",
      bestMessages, live, deleted, conversations, named, attached);
  std::printf("ReadContacts: %.3f s  (%zu persons)\n", bestContacts, persons);
  std::printf("messages_seconds=%.3f contacts_seconds=%.3f\n", bestMessages, bestContacts);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 2 ? argv[1] : "";
  if (mode == "generate") {
    const std::string dir = argv[2];
    int rc = writeAddressBook(qv::platform::joinPath(dir, "AddressBook.sqlitedb"));
    if (rc == SQLITE_OK) rc = writeMessages(qv::platform::joinPath(dir, "sms.db"));
    return rc == SQLITE_OK ? 0 : 1;
  }
  if (mode == "time") return timeReaders(argv[2]);
  std::fprintf(stderr, "usage: bench_readers generate DIR | time DIR\n");
  return 2;
}
