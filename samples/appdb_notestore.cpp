#include "samples/appdb_notestore.h"

#include <zlib.h>

#include <map>

#include "platform/file.h"
#include "samples/appdb_rows.h"
#include "samples/backup_builder.h"

namespace qv::samples {

const char* const kNoteStoreDomain = "AppDomainGroup-group.com.apple.notes";
const char* const kNoteStoreRelativePath = "NoteStore.sqlite";

namespace {

const char kPrimaryKey[] =
    "CREATE TABLE Z_PRIMARYKEY (Z_ENT INTEGER PRIMARY KEY, Z_NAME VARCHAR, Z_SUPER INTEGER, "
    "Z_MAX INTEGER)";
const char kObjects12[] =
    "CREATE TABLE ZICCLOUDSYNCINGOBJECT ( Z_PK INTEGER PRIMARY KEY, Z_ENT INTEGER, "
    "Z_OPT INTEGER, ZCRYPTOITERATIONCOUNT INTEGER, ZFOLDERTYPE INTEGER, ZHASCHECKLIST INTEGER, "
    "ZISPASSWORDPROTECTED INTEGER, ZISPINNED INTEGER, ZMARKEDFORDELETION INTEGER, "
    "ZNEEDSINITIALFETCHFROMCLOUD INTEGER, ZACCOUNT2 INTEGER, ZFOLDER INTEGER, "
    "ZNOTEDATA INTEGER, ZOWNER INTEGER, ZPARENT INTEGER, ZCREATIONDATE1 TIMESTAMP, "
    "ZMODIFICATIONDATE1 TIMESTAMP, ZIDENTIFIER VARCHAR, ZSNIPPET VARCHAR, ZTITLE1 VARCHAR, "
    "ZTITLE2 VARCHAR, ZZONEOWNERNAME VARCHAR, ZCRYPTOSALT BLOB, ZCRYPTOTAG BLOB, "
    "ZSERVERRECORDDATA BLOB )";
const char kObjects17[] =
    "CREATE TABLE ZICCLOUDSYNCINGOBJECT ( Z_PK INTEGER PRIMARY KEY, Z_ENT INTEGER, "
    "Z_OPT INTEGER, ZCRYPTOITERATIONCOUNT INTEGER, ZFOLDERTYPE INTEGER, ZHASCHECKLIST INTEGER, "
    "ZISPASSWORDPROTECTED INTEGER, ZISPINNED INTEGER, ZISSYSTEMPAPER INTEGER, "
    "ZMARKEDFORDELETION INTEGER, ZMENTIONNOTIFICATIONSTATE INTEGER, "
    "ZNEEDSINITIALFETCHFROMCLOUD INTEGER, ZACCOUNT2 INTEGER, ZACCOUNT5 INTEGER, "
    "ZFOLDER INTEGER, ZNOTE1 INTEGER, ZNOTEDATA INTEGER, ZOWNER INTEGER, ZPARENT INTEGER, "
    "ZCREATIONDATE1 TIMESTAMP, ZCREATIONDATE2 TIMESTAMP, ZCREATIONDATE3 TIMESTAMP, "
    "ZLASTACTIVITYSUMMARYVIEWEDDATE TIMESTAMP, ZMODIFICATIONDATE1 TIMESTAMP, "
    "ZALTTEXT VARCHAR, ZDISPLAYTEXT VARCHAR, ZIDENTIFIER VARCHAR, ZSNIPPET VARCHAR, "
    "ZTITLE1 VARCHAR, ZTITLE2 VARCHAR, ZTOKENCONTENTIDENTIFIER VARCHAR, "
    "ZZONEOWNERNAME VARCHAR, ZCRYPTOSALT BLOB, ZCRYPTOTAG BLOB, ZSERVERRECORDDATA BLOB, "
    "ZSYNAPSEDATA BLOB )";
const char kNoteData[] =
    "CREATE TABLE ZICNOTEDATA ( Z_PK INTEGER PRIMARY KEY, Z_ENT INTEGER, Z_OPT INTEGER, "
    "ZNOTE INTEGER, ZCRYPTOINITIALIZATIONVECTOR BLOB, ZCRYPTOTAG BLOB, ZDATA BLOB )";

// Seconds since 2001-01-01 of the first note (2023-03-07).
constexpr std::int64_t kFirstNote = 700000000;
constexpr int kNotes = 70;

void putVarint(std::string& out, std::uint64_t v) {
  while (v >= 0x80) {
    out += static_cast<char>((v & 0x7f) | 0x80);
    v >>= 7;
  }
  out += static_cast<char>(v);
}

void putBytes(std::string& out, std::uint32_t field, const std::string& bytes) {
  putVarint(out, std::uint64_t{field} << 3 | 2);
  putVarint(out, bytes.size());
  out += bytes;
}

void putNumber(std::string& out, std::uint32_t field, std::uint64_t v) {
  putVarint(out, std::uint64_t{field} << 3);
  putVarint(out, v);
}

std::string gzip(const std::string& raw) {
  z_stream z{};
  if (deflateInit2(&z, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 16 + MAX_WBITS, 8, Z_DEFAULT_STRATEGY) !=
      Z_OK)
    return {};
  std::string out(deflateBound(&z, static_cast<uLong>(raw.size())), '\0');
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(raw.data()));
  z.avail_in = static_cast<uInt>(raw.size());
  z.next_out = reinterpret_cast<Bytef*>(&out[0]);
  z.avail_out = static_cast<uInt>(out.size());
  deflate(&z, Z_FINISH);
  out.resize(out.size() - z.avail_out);
  deflateEnd(&z);
  return out;
}

std::string noteText(int n) {
  static const char* const kWords[] = {"milk",   "eggs", "call",  "Anna", "about",   "the",
                                       "trip",   "买菜", "🍎",     "book", "tickets", "Grüße",
                                       "Friday", "明天", "notes", "café", "plan",    "list"};
  std::string text = "Note " + std::to_string(n) + " title\n";
  unsigned x = static_cast<unsigned>(n) * 2654435761u + 17;
  const std::size_t length = n == 7 ? 14000 : 40 + static_cast<std::size_t>(n * 31 % 200);
  while (text.size() < length) {
    x = x * 1103515245u + 12345u;
    text += kWords[(x >> 16) % (sizeof kWords / sizeof kWords[0])];
    text += (x >> 8) % 7 == 0 ? "\n" : " ";
    // The long note takes words that hardly compress, so that its body spills.
    if (n == 7) text += std::to_string(x % 100000);
  }
  return text;
}

class NoteStoreBuilder {
 public:
  NoteStoreBuilder(SqliteFixture* db, NoteStoreLayout layout, std::vector<ExpectedNote>* expected)
      : db_(db),
        layout_(layout),
        expected_(expected),
        objects_(noteStoreObjectSql(layout)),
        data_(kNoteData),
        folderEntity_(layout == NoteStoreLayout::kIos12 ? 11 : 14),
        noteEntity_(layout == NoteStoreLayout::kIos12 ? 12 : 15) {}

  int run() {
    int rc = db_->exec(kPrimaryKey);
    if (rc == 0) rc = db_->exec(noteStoreObjectSql(layout_));
    if (rc == 0) rc = db_->exec(kNoteData);
    if (rc == 0)
      rc = db_->exec(
          "CREATE INDEX ZICCLOUDSYNCINGOBJECT_ZFOLDER_INDEX ON ZICCLOUDSYNCINGOBJECT (ZFOLDER);"
          "CREATE INDEX ZICNOTEDATA_ZNOTE_INDEX ON ZICNOTEDATA (ZNOTE);");
    if (rc == 0) rc = db_->begin();
    if (rc == 0) rc = addEntities();
    if (rc == 0) rc = folder(1, "Notes", 0);
    if (rc == 0) rc = folder(2, "Recently Deleted", 1);
    if (rc == 0) rc = folder(3, "Recipes", 0);
    for (int n = 1; rc == 0 && n <= kNotes; ++n) rc = note(n);
    if (rc == 0) rc = db_->commit();
    if (rc == 0) rc = deleteNotes();
    return rc;
  }

  // Notes written after the last checkpoint: five new ones, and note 2 deleted.
  int runLogChanges() {
    int rc = db_->useWal();
    if (rc == 0) rc = db_->begin();
    for (int n = kNotes + 1; rc == 0 && n <= kNotes + 5; ++n) rc = note(n);
    if (rc == 0) rc = db_->commit();
    if (rc == 0) rc = remove(2);
    return rc;
  }

 private:
  int addEntities() {
    int rc = db_->insert("Z_PRIMARYKEY", {SqlValue::of(1), SqlValue::text("ICAccount"),
                                          SqlValue::of(0), SqlValue::of(1)});
    if (rc == 0)
      rc = db_->insert("Z_PRIMARYKEY", {SqlValue::of(folderEntity_), SqlValue::text("ICFolder"),
                                        SqlValue::of(0), SqlValue::of(3)});
    if (rc == 0)
      rc = db_->insert("Z_PRIMARYKEY", {SqlValue::of(noteEntity_), SqlValue::text("ICNote"),
                                        SqlValue::of(0), SqlValue::of(kNotes + 10)});
    return rc;
  }

  int folder(std::int64_t id, const char* title, std::int64_t type) {
    return db_->insert(
        "ZICCLOUDSYNCINGOBJECT",
        objects_.row({{"Z_PK", SqlValue::of(id)},
                      {"Z_ENT", SqlValue::of(folderEntity_)},
                      {"Z_OPT", SqlValue::of(3)},
                      {"ZFOLDERTYPE", SqlValue::of(type)},
                      {"ZIDENTIFIER", SqlValue::text("F0LDER-" + std::to_string(id))},
                      {"ZTITLE2", SqlValue::text(title)}}));
  }

  int note(int n) {
    ExpectedNote e;
    e.id = 10 + n;
    e.text = noteText(n);
    e.title = e.text.substr(0, e.text.find('\n'));
    e.modified = kFirstNote + n * 3600;
    std::int64_t folderId = n % 3 == 0 ? 3 : 1;
    SqlValue title = SqlValue::text(e.title);
    SqlValue body = SqlValue::blob(noteBodyBlob(e.text));
    NamedValues v = {{"Z_PK", SqlValue::of(10 + n)},
                     {"Z_ENT", SqlValue::of(noteEntity_)},
                     {"Z_OPT", SqlValue::of(5)},
                     {"ZACCOUNT2", SqlValue::of(1)},
                     {"ZNOTEDATA", SqlValue::of(n)},
                     {"ZIDENTIFIER", SqlValue::text("N0TE-" + std::to_string(n))},
                     {"ZSNIPPET", SqlValue::text(e.text.substr(e.title.size(), 40))},
                     {"ZCREATIONDATE1", SqlValue::ofReal(e.modified - 86400 + 0.5)},
                     {"ZCREATIONDATE3", SqlValue::ofReal(e.modified - 86400 + 0.5)},
                     // Core Data's fractions of a second; a whole second is stored as an integer.
                     {"ZMODIFICATIONDATE1",
                      n % 4 == 0 ? SqlValue::of(e.modified) : SqlValue::ofReal(e.modified + 0.25)}};
    if (n == 10) title = SqlValue::null();  // the title is the text's first line
    if (n == 11) {
      // Locked: the body is enciphered, only the title is readable.
      v["ZISPASSWORDPROTECTED"] = SqlValue::of(1);
      v["ZCRYPTOITERATIONCOUNT"] = SqlValue::of(20000);
      v["ZCRYPTOSALT"] = SqlValue::blob(pseudoRandomBytes(16, 11));
      body = SqlValue::blob(pseudoRandomBytes(400, 12));
      e.locked = true;
      e.text.clear();
    }
    if (n == 12) {
      // A damaged body: the stream is cut short.
      body = SqlValue::blob(noteBodyBlob(e.text).substr(0, 20));
      e.text.clear();
    }
    if (n >= 13 && n <= 15) {
      folderId = 2;  // in "Recently Deleted"
      e.deleted = 1;
    }
    if (n == 16) {
      v["ZMARKEDFORDELETION"] = SqlValue::of(1);
      e.deleted = 1;
    }
    v["ZFOLDER"] = SqlValue::of(folderId);
    v["ZTITLE1"] = title;
    int rc = db_->insert("ZICCLOUDSYNCINGOBJECT", objects_.row(v));
    if (rc == 0)
      rc = db_->insert("ZICNOTEDATA", data_.row({{"Z_PK", SqlValue::of(n)},
                                                 {"Z_ENT", SqlValue::of(9)},
                                                 {"Z_OPT", SqlValue::of(1)},
                                                 {"ZNOTE", SqlValue::of(10 + n)},
                                                 {"ZDATA", body}}));
    slot_[n] = expected_->size();
    expected_->push_back(e);
    return rc;
  }

  int remove(int n) {
    int rc = db_->deleteRows("ZICCLOUDSYNCINGOBJECT", {10 + n});
    if (rc == 0) rc = db_->deleteRows("ZICNOTEDATA", {n});
    ExpectedNote& e = (*expected_)[slot_[n]];
    e.deleted = 1;
    e.carved = true;
    return rc;
  }

  // Single notes (freeblocks) and a run (whole pages to the freelist), with their bodies.
  int deleteNotes() {
    int rc = 0;
    for (int n = 1; rc == 0 && n <= kNotes; ++n) {
      if ((n % 9 == 5 && n != 5) || (n >= 40 && n <= 55)) rc = remove(n);
    }
    return rc;
  }

  SqliteFixture* db_;
  NoteStoreLayout layout_;
  std::vector<ExpectedNote>* expected_;
  NamedColumns objects_, data_;
  std::int64_t folderEntity_, noteEntity_;
  std::map<int, std::size_t> slot_;
};

}  // namespace

const char* noteStoreLayoutName(NoteStoreLayout layout) {
  return layout == NoteStoreLayout::kIos12 ? "NoteStore_ios12" : "NoteStore_ios17";
}

const char* noteStoreObjectSql(NoteStoreLayout layout) {
  return layout == NoteStoreLayout::kIos12 ? kObjects12 : kObjects17;
}

std::string noteBodyBlob(const std::string& text) {
  std::string run;  // one attribute run over the whole text
  putNumber(run, 1, text.size());
  std::string note;
  putBytes(note, 2, text);
  putBytes(note, 5, run);
  std::string document;
  putNumber(document, 2, 0);  // version
  putBytes(document, 3, note);
  std::string root;
  putNumber(root, 1, 0);
  putBytes(root, 2, document);
  return gzip(root);
}

int buildNoteStore(const std::string& path, NoteStoreLayout layout, SqliteFixture* db,
                   std::vector<ExpectedNote>* expected, bool log) {
  expected->clear();
  const std::string target = log ? path + ".building" : path;
  int rc = db->create(target, SqliteOptions());
  NoteStoreBuilder builder(db, layout, expected);
  if (rc == 0) rc = builder.run();
  if (rc == 0 && log) rc = builder.runLogChanges();
  if (rc == 0 && log) rc = db->copyWithWal(path);
  const int closed = db->close();
  if (log) platform::removeFile(target);
  return rc != 0 ? rc : closed;
}

}  // namespace qv::samples
