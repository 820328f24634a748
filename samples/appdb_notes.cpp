#include "samples/appdb_notes.h"

#include <vector>

#include "samples/appdb_rows.h"

namespace qv::samples {

const char* const kNotesDomain = "HomeDomain";
const char* const kNotesRelativePath = "Library/Notes/notes.sqlite";

namespace {

// The notes store's tables, verbatim: ZNOTE of iOS 6 (19 columns), of iOS 9 to 11 (20, with
// ZEXTERNALSEQUENCENUMBER), ZNOTEBODY of both.
const char kNote19[] =
    "CREATE TABLE ZNOTE (Z_PK INTEGER PRIMARY KEY, Z_ENT INTEGER, Z_OPT INTEGER, "
    "ZCONTAINSCJK INTEGER, ZCONTENTTYPE INTEGER, ZDELETEDFLAG INTEGER, ZEXTERNALFLAGS INTEGER, "
    "ZEXTERNALSERVERINTID INTEGER, ZINTEGERID INTEGER, ZISBOOKKEEPINGENTRY INTEGER, "
    "ZBODY INTEGER, ZSTORE INTEGER, ZCREATIONDATE TIMESTAMP, ZMODIFICATIONDATE TIMESTAMP, "
    "ZAUTHOR VARCHAR, ZGUID VARCHAR, ZSERVERID VARCHAR, ZSUMMARY VARCHAR, ZTITLE VARCHAR)";
const char kNote20[] =
    "CREATE TABLE ZNOTE (Z_PK INTEGER PRIMARY KEY, Z_ENT INTEGER, Z_OPT INTEGER, "
    "ZCONTAINSCJK INTEGER, ZCONTENTTYPE INTEGER, ZDELETEDFLAG INTEGER, "
    "ZEXTERNALFLAGS INTEGER, ZEXTERNALSEQUENCENUMBER INTEGER, ZEXTERNALSERVERINTID INTEGER, "
    "ZINTEGERID INTEGER, ZISBOOKKEEPINGENTRY INTEGER, ZBODY INTEGER, ZSTORE INTEGER, "
    "ZCREATIONDATE TIMESTAMP, ZMODIFICATIONDATE TIMESTAMP, ZAUTHOR VARCHAR, ZGUID VARCHAR, "
    "ZSERVERID VARCHAR, ZSUMMARY VARCHAR, ZTITLE VARCHAR)";
const char kNoteBody7[] =
    "CREATE TABLE ZNOTEBODY (Z_PK INTEGER PRIMARY KEY, Z_ENT INTEGER, Z_OPT INTEGER, "
    "ZOWNER INTEGER, ZCONTENT VARCHAR, ZEXTERNALCONTENTREF VARCHAR, "
    "ZEXTERNALREPRESENTATION BLOB)";

// Seconds since 2001-01-01 of the first note.
constexpr std::int64_t kFirstNote = 450000000;

class NotesBuilder {
 public:
  NotesBuilder(SqliteFixture* db, const char* noteSql)
      : db_(db), noteSql_(noteSql), note_(noteSql), body_(kNoteBody7) {}

  int run() {
    int rc = db_->exec(noteSql_);
    if (rc == 0) rc = db_->exec(kNoteBody7);
    if (rc == 0) rc = db_->exec("CREATE INDEX ZNOTE_ZBODY_INDEX ON ZNOTE (ZBODY)");
    if (rc == 0) rc = db_->begin();
    if (rc == 0) rc = addNotes();
    if (rc == 0) rc = db_->commit();
    if (rc == 0) rc = moveLiveRows();
    if (rc == 0) rc = db_->deleteRows("ZNOTE", goneNotes_);
    if (rc == 0) rc = db_->deleteRows("ZNOTEBODY", goneBodies_);
    return rc;
  }

 private:
  int body(const std::string& html, std::int64_t* id) {
    return db_->insert("ZNOTEBODY",
                       body_.row({{"Z_ENT", SqlValue::of(3)},
                                  {"Z_OPT", SqlValue::of(1)},
                                  {"ZCONTENT", SqlValue::text(html)}}),
                       id);
  }

  int note(int n, SqlValue bodyRef, SqlValue title, std::int64_t* id) {
    const std::int64_t seconds = kFirstNote + n * 86400;
    return db_->insert(
        "ZNOTE",
        note_.row({{"Z_ENT", SqlValue::of(2)},
                   {"Z_OPT", SqlValue::of(4)},
                   {"ZCONTAINSCJK", SqlValue::of(0)},
                   {"ZDELETEDFLAG", SqlValue::of(0)},
                   {"ZBODY", std::move(bodyRef)},
                   {"ZSTORE", SqlValue::of(1)},
                   {"ZCREATIONDATE", SqlValue::ofReal(seconds - 3600 + 0.5)},
                   // Core Data's fractions of a second; whole seconds become integers.
                   {"ZMODIFICATIONDATE",
                    n % 4 == 0 ? SqlValue::of(seconds) : SqlValue::ofReal(seconds + 0.25)},
                   {"ZGUID", SqlValue::text("5E2D1F0A-" + std::to_string(1000 + n))},
                   {"ZSUMMARY", SqlValue::text("summary")},
                   {"ZTITLE", std::move(title)}}),
        id);
  }

  int addNotes() {
    int rc = 0;
    for (int n = 1; rc == 0 && n <= 90; ++n) {
      std::string html =
          "<div>Note " + std::to_string(n) + " &amp; more</div><div>Tom &amp; Jerry &lt;3</div>";
      if (n % 5 == 0) html += "<div>It&#39;s &quot;quoted&quot;&nbsp;here<br></div>";
      if (n == 7) {
        html = "<div>A long note</div>";
        while (html.size() < 7000)
          html += "<div>line " + std::to_string(html.size()) + " of the long note</div>";
      }
      std::int64_t bodyId = 0, noteId = 0;
      rc = body(html, &bodyId);
      std::string title = "Note " + std::to_string(n) + (n % 3 == 0 ? " — Café 山田" : "");
      if (n == 9) title = "Fish &amp;lt; chips";
      SqlValue titleValue = SqlValue::text(title);
      if (n == 11) titleValue = SqlValue::text("Bad \xEF\xBF\xBD title");
      if (rc == 0) rc = note(n, SqlValue::of(bodyId), std::move(titleValue), &noteId);
      const bool gone = n % 10 == 6 || (n >= 50 && n <= 80);
      if (gone) {
        goneNotes_.push_back(noteId);
        goneBodies_.push_back(bodyId);
      }
      if (n == 20 || n == 21) moved_.push_back(noteId);
    }
    std::int64_t id = 0;
    // A note without a body, and a body that no note names.
    if (rc == 0) rc = note(91, SqlValue::null(), SqlValue::text("Only a title"), &id);
    if (rc == 0) rc = body("<div>Orphan body</div>", &id);
    return rc;
  }

  int moveLiveRows() {
    const std::string summary(300, 's');
    for (std::int64_t id : moved_) {
      int rc = db_->exec("UPDATE ZNOTE SET ZSUMMARY = '" + summary +
                         "' WHERE Z_PK = " + std::to_string(id));
      if (rc != 0) return rc;
    }
    return 0;
  }

  SqliteFixture* db_;
  const char* noteSql_;
  NamedColumns note_, body_;
  std::vector<std::int64_t> goneNotes_, goneBodies_, moved_;
};

}  // namespace

const char* notesLayoutName(NotesLayout layout) {
  return layout == NotesLayout::kIos6 ? "ZNOTE_ios6_19" : "ZNOTE_ios9_20";
}

const char* notesNoteSql(NotesLayout layout) {
  return layout == NotesLayout::kIos6 ? kNote19 : kNote20;
}

int buildNotesDatabase(const std::string& path, NotesLayout layout, SqliteFixture* db) {
  int rc = db->create(path, SqliteOptions());
  if (rc == 0) rc = NotesBuilder(db, notesNoteSql(layout)).run();
  const int closed = db->close();
  return rc != 0 ? rc : closed;
}

int buildNotesDatabase(const std::string& path, SqliteFixture* db) {
  return buildNotesDatabase(path, NotesLayout::kIos9, db);
}

}  // namespace qv::samples
