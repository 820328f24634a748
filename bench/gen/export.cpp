// Input and timing for bench/export.
//
//   bench_export generate DIR BYTES FILES [MESSAGES]
//                                           writes the backup DIR/backup (Manifest.db): FILES
//                                           Camera Roll photos (true JPEG signatures) of
//                                           BYTES in all, and an sms.db (the phone's 38-column
//                                           layout) of MESSAGES (default 100,000) messages in
//                                           500 conversations
//   bench_export time DIR OUT TEMPLATES     scans it, then times two recovery jobs into OUT:
//                                           the Camera Roll copies and the Messages documents
//                                           (templates from the folder TEMPLATES), and prints
//                                           their figures as key=value lines
#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

#include "engine/recovery_engine.h"
#include "engine/scan_sequence.h"
#include "engine/source_factory.h"
#include "export/doc_template.h"
#include "export/recovery_job.h"
#include "export/selection.h"
#include "platform/file.h"
#include "platform/folders.h"
#include "platform/text.h"
#include "samples/appdb_contacts.h"
#include "samples/appdb_messages.h"
#include "samples/appdb_rows.h"
#include "samples/backup_builder.h"
#include "samples/backup_info_plist.h"
#include "samples/media_samples.h"

namespace {

using qv::samples::SqlValue;
using Clock = std::chrono::steady_clock;

constexpr int kDefaultMessages = 100000;
constexpr int kConversations = 500;

int exec(sqlite3* db, const std::string& sql) {
  char* message = nullptr;
  const int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message);
  if (rc != SQLITE_OK) std::fprintf(stderr, "bench_export: %s\n", message ? message : "?");
  sqlite3_free(message);
  return rc;
}

int bindRow(sqlite3_stmt* st, const qv::samples::SqlRow& row) {
  for (std::size_t i = 0; i < row.size(); ++i) {
    const SqlValue& v = row[i];
    const int at = static_cast<int>(i + 1);
    if (v.kind == SqlValue::kInteger) {
      sqlite3_bind_int64(st, at, v.integer);
    } else if (v.kind == SqlValue::kText) {
      sqlite3_bind_text(st, at, v.bytes.data(), static_cast<int>(v.bytes.size()), SQLITE_TRANSIENT);
    } else {
      sqlite3_bind_null(st, at);
    }
  }
  const int rc = sqlite3_step(st);
  sqlite3_reset(st);
  return rc == SQLITE_DONE ? SQLITE_OK : rc;
}

// sms.db with the messages spread over the conversations, texts with markup, commas, quotes
// and line breaks now and then.
int writeSms(const std::string& path, int messages) {
  std::remove(path.c_str());
  sqlite3* db = nullptr;
  int rc = sqlite3_open(path.c_str(), &db);
  const std::string schema = qv::samples::smsSchemaSql(qv::samples::SmsLayout::kIos6);
  if (rc == SQLITE_OK) rc = exec(db, "PRAGMA page_size=4096; PRAGMA secure_delete=OFF;");
  if (rc == SQLITE_OK) rc = exec(db, schema);
  if (rc == SQLITE_OK) rc = exec(db, "BEGIN");
  std::mt19937 rng(20240607);
  static const char* const kWords[] = {
      "see", "you",        "at",       "the",   "station", "<b>tonight</b>",
      "ok,", "\"thanks\"", "call\nme", "later", "Grüße",   "😀"};
  if (rc == SQLITE_OK) {
    sqlite3_stmt* handle = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO handle VALUES (?,?,?,?,?)", -1, &handle, nullptr);
    for (int h = 1; rc == SQLITE_OK && h <= kConversations; ++h) {
      char number[32];
      std::snprintf(number, sizeof number, "+4477009%05d", h);
      rc = bindRow(handle, {SqlValue::null(), SqlValue::text(number), SqlValue::text("gb"),
                            SqlValue::text("SMS"), SqlValue::null()});
    }
    sqlite3_finalize(handle);
  }
  if (rc == SQLITE_OK) {
    const qv::samples::NamedColumns message(schema.substr(0, schema.find(';')));
    std::string sql = "INSERT INTO message VALUES (";
    for (std::size_t i = 0; i < message.count(); ++i) sql += i ? ",?" : "?";
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, (sql + ")").c_str(), -1, &st, nullptr);
    for (int n = 1; rc == SQLITE_OK && n <= messages; ++n) {
      std::string text = "msg " + std::to_string(n) + ":";
      const std::size_t length = 20 + rng() % 160;
      while (text.size() < length) text += std::string(" ") + kWords[rng() % 12];
      const bool fromMe = rng() % 3 == 0;
      rc = bindRow(st, message.row({{"guid", SqlValue::text("G" + std::to_string(n))},
                                    {"text", SqlValue::text(text)},
                                    {"handle_id", SqlValue::of(1 + n % kConversations)},
                                    {"service", SqlValue::text("SMS")},
                                    {"date", SqlValue::of(400000000 + n * 31)},
                                    {"is_finished", SqlValue::of(1)},
                                    {"is_from_me", SqlValue::of(fromMe ? 1 : 0)}}));
    }
    sqlite3_finalize(st);
  }
  if (rc == SQLITE_OK) rc = exec(db, "COMMIT");
  sqlite3_close(db);
  return rc;
}

// The address book (the message reader takes contact names from it): a person for every
// other conversation's number, so that half the conversations have a name.
int writeAddressBook(const std::string& path) {
  std::remove(path.c_str());
  sqlite3* db = nullptr;
  int rc = sqlite3_open(path.c_str(), &db);
  const char* sql = qv::samples::addressBookContentSql(qv::samples::AddressBookLayout::kIos6);
  if (rc == SQLITE_OK) rc = exec(db, sql);
  if (rc == SQLITE_OK) rc = exec(db, "BEGIN");
  if (rc == SQLITE_OK) {
    const qv::samples::NamedColumns columns(sql);
    std::string insert = "INSERT INTO ABPersonFullTextSearch_content VALUES (";
    for (std::size_t i = 0; i < columns.count(); ++i) insert += i ? ",?" : "?";
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, (insert + ")").c_str(), -1, &st, nullptr);
    for (int h = 2; rc == SQLITE_OK && h <= kConversations; h += 2) {
      char number[32];
      std::snprintf(number, sizeof number, "+4477009%05d", h);
      rc = bindRow(st, columns.row({{"c0First", SqlValue::text("Person" + std::to_string(h))},
                                    {"c1Last", SqlValue::text(h % 4 ? "O'Brien" : "Nakamura")},
                                    {"c15Phone", SqlValue::text(number)}}));
    }
    sqlite3_finalize(st);
  }
  if (rc == SQLITE_OK) rc = exec(db, "COMMIT");
  sqlite3_close(db);
  return rc;
}

// Reads a database file written beside the backup into the backup, then removes it.
int store(qv::samples::BackupBuilder& b, const char* domain, const char* relativePath,
          const std::string& path) {
  std::string bytes;
  const int rc = qv::platform::readWholeFile(path, 1u << 30, &bytes);
  if (rc == 0) b.addFile(domain, relativePath, bytes);
  std::remove(path.c_str());
  return rc;
}

int generate(const std::string& dir, std::uint64_t bytes, int files, int messages) {
  qv::platform::createFolders(dir);
  qv::samples::BackupBuilder b(qv::platform::joinPath(dir, "backup"),
                               qv::samples::ManifestLayout::kDb);
  qv::samples::DeviceInfo info;
  info.displayName = "Bench Phone";
  info.productVersion = "14.3";
  int rc = qv::samples::writeInfoPlist(b.folder(), qv::samples::infoPlistText(info));
  const std::size_t each = static_cast<std::size_t>(bytes / static_cast<std::uint64_t>(files));
  for (int i = 0; rc == 0 && i < files; ++i) {
    char name[64];
    std::snprintf(name, sizeof name, "Media/DCIM/%03dAPPLE/IMG_%05d.JPG", 100 + i / 1000, i);
    b.addFile("CameraRollDomain", name,
              qv::samples::mediaBytes(qv::samples::MediaSample::kJpegJfif, each,
                                      static_cast<std::uint32_t>(i)));
  }
  const std::string sms = qv::platform::joinPath(dir, "sms.db");
  if (rc == 0) rc = writeSms(sms, messages);
  if (rc == 0) rc = store(b, qv::samples::kSmsDomain, qv::samples::kSmsRelativePath, sms);
  const std::string book = qv::platform::joinPath(dir, "AddressBook.sqlitedb");
  if (rc == 0) rc = writeAddressBook(book);
  if (rc == 0)
    rc = store(b, qv::samples::kAddressBookDomain, qv::samples::kAddressBookRelativePath, book);
  if (rc == 0) rc = b.finish();
  return rc;
}

// Notes when the last result of a conversation page came.
class Timer : public qv::output::JobObserver {
 public:
  void result(const std::string& path, int code, const std::string&) override {
    if (code != 0) ++failures;
    if (path.size() > 5 && path.compare(path.size() - 5, 5, ".html") == 0) lastPage = Clock::now();
  }
  int failures = 0;
  Clock::time_point lastPage;
};

// Every timed copy starts with no dirty pages left by the one before it, so that none pays for
// another's write-back.
void settle() {
  if (std::system("sync") != 0) std::fprintf(stderr, "bench_export: sync failed\n");
}

double since(Clock::time_point t0, Clock::time_point t1) {
  return std::chrono::duration<double>(t1 - t0).count();
}

int timeJobs(const std::string& dir, const std::string& out, const std::string& templates) {
  using qv::engine::ItemCategory;
  qv::engine::EngineSetup setup;
  setup.findBackups = false;
  setup.workFolder = qv::platform::joinPath(out, "work");
  qv::engine::RecoveryEngine engine(setup);
  qv::backup::BackupInfo info;
  int rc = engine.readBackupFolder(&info, qv::platform::joinPath(dir, "backup"));
  if (rc != 0) return rc;
  engine.setCurrentBackup(info);
  auto source = qv::engine::createSource(qv::engine::SourceKind::kLocalBackup, &engine);
  qv::engine::ScanResults results;
  qv::engine::ScanControl control;
  qv::engine::ScanObserver quiet;
  qv::engine::CategorySet chosen;
  chosen.set(static_cast<int>(ItemCategory::kCameraRoll));
  chosen.set(static_cast<int>(ItemCategory::kMessages));
  qv::engine::ScanSequence sequence(*source, chosen, results, control, quiet);
  const auto s0 = Clock::now();
  sequence.run(L"");
  std::printf("scan_seconds=%.3f\n", since(s0, Clock::now()));
  std::uint64_t mediaBytes = 0;
  for (const auto& f : results.cameraRoll) mediaBytes += f.size;
  std::size_t messages = 0;
  for (const auto& [handle, list] : results.conversations) messages += list.size();
  std::printf("media_files=%zu\nmedia_bytes=%llu\nconversations=%zu\nmessages=%zu\n",
              results.cameraRoll.size(), static_cast<unsigned long long>(mediaBytes),
              results.messageRows.size(), messages);

  // The same copies through the platform layer in 64 KiB pieces, without the job or the
  // engine: what a user-space copy of this kind costs here.
  {
    const std::string raw = qv::platform::joinPath(out, "raw");
    qv::platform::createFolders(raw);
    std::vector<char> buffer(65536);
    settle();
    const auto r0 = Clock::now();
    int n = 0;
    for (const auto& f : results.cameraRoll) {
      qv::platform::File in, copy;
      std::uint64_t size = 0;
      if (in.openRead(qv::platform::toUtf8(f.storedPath)) != 0 || in.size(&size) != 0 ||
          copy.openWrite(qv::platform::joinPath(raw, std::to_string(n++))) != 0)
        return 87;
      for (std::uint64_t done = 0; done < size;) {
        const std::size_t piece =
            static_cast<std::size_t>(size - done < buffer.size() ? size - done : buffer.size());
        if (in.readExactAt(done, buffer.data(), piece) != 0 ||
            copy.write(buffer.data(), piece) != 0)
          return 30;
        done += piece;
      }
      copy.close();
    }
    std::printf("raw_seconds=%.3f\n", since(r0, Clock::now()));
  }

  for (ItemCategory category : {ItemCategory::kCameraRoll, ItemCategory::kMessages}) {
    qv::output::CStatisticsObj stats;
    qv::output::registerCategory(stats, results, category);
    Timer timer;
    qv::output::JobSetup job;
    job.outputRoot =
        qv::platform::joinPath(out, category == ItemCategory::kCameraRoll ? "media" : "messages");
    job.templateFolder = templates;
    job.deviceName = "Bench Phone";
    job.source = source.get();
    job.results = &results;
    job.statistics = &stats;
    qv::output::RecoveryJob run(job, timer);
    rc = run.loadTemplates();
    if (rc != 0) return rc;
    settle();
    const auto t0 = Clock::now();
    rc = run.run("20240101000000");
    const auto t1 = Clock::now();
    if (category == ItemCategory::kCameraRoll) {
      std::printf("media_seconds=%.3f\n", since(t0, t1));
    } else {
      std::printf("documents_seconds=%.3f\njob_seconds=%.3f\n", since(t0, timer.lastPage),
                  since(t0, t1));
    }
    std::printf("%s_results=%d\n%s_failures=%d\n",
                category == ItemCategory::kCameraRoll ? "media" : "messages", run.processed(),
                category == ItemCategory::kCameraRoll ? "media" : "messages", timer.failures);
    if (rc != 0) return rc;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "generate" && (argc == 5 || argc == 6)) {
    const int messages = argc == 6 ? std::atoi(argv[5]) : kDefaultMessages;
    return generate(argv[2], std::strtoull(argv[3], nullptr, 10), std::atoi(argv[4]), messages) == 0
               ? 0
               : 1;
  }
  if (mode == "time" && argc == 5) return timeJobs(argv[2], argv[3], argv[4]) == 0 ? 0 : 1;
  std::fprintf(
      stderr, "usage: bench_export generate DIR BYTES FILES [MESSAGES] | time DIR OUT TEMPLATES\n");
  return 2;
}
