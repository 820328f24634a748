#include "samples/sqlite_corpus.h"

#include <sqlite3.h>

#include <cstring>
#include <functional>
#include <random>
#include <set>

namespace qv::samples {

namespace {

constexpr const char* kWords[] = {"see",  "you",   "at",     "the",   "station", "tonight", "ok",
                                  "call", "later", "Grüße",  "lunch", "where",   "running", "late",
                                  "😀",    "plan",  "ticket", "soon",  "Ωmega",   "café"};

std::string wordsOf(std::mt19937& rng, std::size_t length) {
  std::string s;
  while (s.size() < length) {
    if (!s.empty()) s += ' ';
    s += kWords[rng() % (sizeof kWords / sizeof kWords[0])];
  }
  return s;
}

// The tables of the corpus: with a row-id alias, keyed by a text, keyed by nothing with an
// integer first, typeless columns holding every storage class, and a small `message` table
// that is not sms.db's.
const char* const kNotesSql =
    "CREATE TABLE notes (id INTEGER PRIMARY KEY, title TEXT NOT NULL, body TEXT, stamp INTEGER, "
    "score REAL, data BLOB)";
const char* const kPeopleSql =
    "CREATE TABLE people (name TEXT NOT NULL PRIMARY KEY, age INTEGER, email TEXT, balance REAL)";
const char* const kEventsSql =
    "CREATE TABLE events (code INTEGER NOT NULL, kind TEXT, at INTEGER, note TEXT)";
const char* const kValuesSql = "CREATE TABLE vals (a, b, c, d, e)";
// Keyed by a text and an integer, without a row id: the records hold tag and note first.
const char* const kTagsSql =
    "CREATE TABLE tags (note INTEGER, label TEXT, weight REAL, tag TEXT NOT NULL, "
    "PRIMARY KEY (tag, note)) WITHOUT ROWID";
// The declared position of each column of a tags record, in the record's order.
const std::vector<int> kTagsStoredOrder = {3, 0, 1, 2};
const char* const kMessageSql =
    "CREATE TABLE message (ROWID INTEGER PRIMARY KEY AUTOINCREMENT, guid TEXT, text TEXT, "
    "handle_id INTEGER, date INTEGER, service TEXT, is_from_me INTEGER)";

SqlRow notesRow(int n, std::mt19937& rng, std::size_t bodyLength) {
  SqlRow r;
  r.push_back(SqlValue::null());
  r.push_back(SqlValue::text("title " + std::to_string(n) + " " + wordsOf(rng, 5)));
  r.push_back(n % 11 == 0 ? SqlValue::null() : SqlValue::text(wordsOf(rng, bodyLength)));
  r.push_back(SqlValue::of(1600000000 + static_cast<std::int64_t>(n) * 37));
  r.push_back(SqlValue::ofReal(n + 0.25));
  r.push_back(n % 3 == 0 ? SqlValue::null() : SqlValue::blob(std::string(n % 7 + 1, '\x5a')));
  return r;
}

SqlRow peopleRow(int n, std::mt19937& rng) {
  return {SqlValue::text("person " + std::to_string(n) + " " + wordsOf(rng, 4)),
          SqlValue::of(18 + n % 70), SqlValue::text("p" + std::to_string(n) + "@example.org"),
          SqlValue::ofReal(n * 3.5 + 0.125)};
}

SqlRow eventsRow(int n, std::mt19937& rng) {
  return {SqlValue::of(1000 + n * 13), SqlValue::text(n % 2 ? "alarm" : "visit"),
          SqlValue::of(1500000000 + static_cast<std::int64_t>(n) * 61),
          SqlValue::text(wordsOf(rng, 10 + rng() % 60))};
}

// Every storage class, integers of every width among them.
SqlRow valuesRow(int n, std::mt19937& rng) {
  static const std::int64_t kInts[] = {
      0, 1, -5, 300, -70000, 9000000, 3000000000LL, -200000000000000LL, 1LL << 60};
  SqlRow r;
  r.push_back(SqlValue::of(kInts[n % 9] + (n % 9 > 1 ? n : 0)));
  r.push_back(SqlValue::ofReal(n * -1.75 + 0.5));
  r.push_back(SqlValue::text("v" + std::to_string(n) + " " + wordsOf(rng, 8)));
  r.push_back(SqlValue::blob(std::string(1 + n % 13, static_cast<char>(0x80 + n % 50))));
  r.push_back(n % 4 == 0 ? SqlValue::null() : SqlValue::of(n));
  return r;
}

SqlRow tagsRow(int n, std::mt19937& rng) {
  return {SqlValue::of(n), SqlValue::text(wordsOf(rng, 10 + rng() % 200)),
          SqlValue::ofReal(n * 0.5 + 0.125),
          SqlValue::text("tag " + std::to_string(n % 37) + " " + wordsOf(rng, 3))};
}

SqlRow messageRow7(int n, std::mt19937& rng) {
  return {SqlValue::null(),
          SqlValue::text("G-" + std::to_string(n * 7919)),
          SqlValue::text(wordsOf(rng, 15 + rng() % 90)),
          SqlValue::of(n % 9),
          SqlValue::of(700000000 + static_cast<std::int64_t>(n) * 17),
          SqlValue::text(n % 3 ? "iMessage" : "SMS"),
          SqlValue::of(n % 2)};
}

struct Options {
  int pageSize = 4096;
  const char* encoding = "UTF-8";
  bool secureDelete = false;
  const char* autoVacuum = nullptr;  // "FULL" or "INCREMENTAL"
};

// One database being written: the fixture, and the rows that are gone beyond what the
// fixture records (older versions of updated rows, dropped tables).
struct Build {
  SqliteFixture db;
  std::vector<CorpusRow> replaced;
  std::map<std::int64_t, SqlRow> updated;  // the live values of updated rows, by row id
  std::set<std::string> dropped;
  // Rows of tables without a row id (the fixture tracks rows by row id), by their `note`.
  std::map<std::int64_t, SqlRow> keyedLive;
  std::map<std::int64_t, SqlRow> keyedGone;
};

using Filler = std::function<int(Build&, std::mt19937&)>;

int fillTable(Build& b, const std::string& table, const char* sql, int rows,
              const std::function<SqlRow(int)>& make) {
  int rc = b.db.exec(sql);
  if (rc == 0) rc = b.db.begin();
  for (int n = 1; n <= rows && rc == 0; ++n) rc = b.db.insert(table, make(n));
  return rc == 0 ? b.db.commit() : rc;
}

std::vector<std::int64_t> everyNth(int rows, int step, int offset) {
  std::vector<std::int64_t> ids;
  for (int n = 1 + offset; n <= rows; n += step) ids.push_back(n);
  return ids;
}

Filler notesScattered(int rows, std::size_t body, int step) {
  return [=](Build& b, std::mt19937& rng) {
    int rc = fillTable(b, "notes", kNotesSql, rows, [&](int n) { return notesRow(n, rng, body); });
    return rc ? rc : b.db.deleteRows("notes", everyNth(rows, step, 2));
  };
}

Filler notesContiguous(int rows) {
  return [=](Build& b, std::mt19937& rng) {
    int rc = fillTable(b, "notes", kNotesSql, rows, [&](int n) { return notesRow(n, rng, 60); });
    std::vector<std::int64_t> ids;
    for (int n = rows / 4; n < rows / 4 + rows / 3; ++n) ids.push_back(n);
    return rc ? rc : b.db.deleteRows("notes", ids);
  };
}

Filler notesPageEnds(int rows) {
  return [=](Build& b, std::mt19937& rng) {
    int rc = fillTable(b, "notes", kNotesSql, rows, [&](int n) { return notesRow(n, rng, 40); });
    std::vector<std::int64_t> ids;
    for (int n = rows - rows / 10; n <= rows; ++n) ids.push_back(n);
    return rc ? rc : b.db.deleteRows("notes", ids);
  };
}

Filler keyedTables(int rows) {
  return [=](Build& b, std::mt19937& rng) {
    int rc = fillTable(b, "people", kPeopleSql, rows, [&](int n) { return peopleRow(n, rng); });
    if (rc == 0)
      rc = fillTable(b, "events", kEventsSql, rows, [&](int n) { return eventsRow(n, rng); });
    if (rc == 0) rc = b.db.deleteRows("people", everyNth(rows, 4, 1));
    return rc ? rc : b.db.deleteRows("events", everyNth(rows, 5, 3));
  };
}

// A table WITHOUT ROWID, rows deleted by their `note` (every step-th, or a third from a
// quarter on when step is 0).
Filler withoutRowId(int rows, int step) {
  return [=](Build& b, std::mt19937& rng) {
    int rc = b.db.exec(kTagsSql);
    if (rc == 0) rc = b.db.begin();
    for (int n = 1; n <= rows && rc == 0; ++n) {
      SqlRow row = tagsRow(n, rng);
      rc = b.db.insert("tags", row);
      b.keyedLive[n] = std::move(row);
    }
    if (rc == 0) rc = b.db.commit();
    if (rc == 0) rc = b.db.begin();
    std::vector<std::int64_t> gone =
        step != 0 ? everyNth(rows, step, 1) : std::vector<std::int64_t>();
    for (int n = rows / 4; step == 0 && n < rows / 4 + rows / 3; ++n) gone.push_back(n);
    for (std::int64_t n : gone) {
      if (rc == 0) rc = b.db.exec("DELETE FROM tags WHERE note=" + std::to_string(n));
      b.keyedGone[n] = b.keyedLive[n];
      b.keyedLive.erase(n);
    }
    return rc == 0 ? b.db.commit() : rc;
  };
}

Filler storageClasses(int rows) {
  return [=](Build& b, std::mt19937& rng) {
    int rc = fillTable(b, "vals", kValuesSql, rows, [&](int n) { return valuesRow(n, rng); });
    return rc ? rc : b.db.deleteRows("vals", everyNth(rows, 3, 1));
  };
}

Filler smallMessageTable(int rows) {
  return [=](Build& b, std::mt19937& rng) {
    int rc = fillTable(b, "message", kMessageSql, rows, [&](int n) { return messageRow7(n, rng); });
    return rc ? rc : b.db.deleteRows("message", everyNth(rows, 4, 0));
  };
}

// Rows updated with texts of other lengths: the older version is a row that is gone.
Filler updatedRows(int rows) {
  return [=](Build& b, std::mt19937& rng) {
    int rc = fillTable(b, "notes", kNotesSql, rows, [&](int n) { return notesRow(n, rng, 50); });
    if (rc == 0) rc = b.db.begin();
    for (int n = 3; n <= rows && rc == 0; n += 6) {
      const auto it = b.db.live("notes").find(n);
      if (it == b.db.live("notes").end()) continue;
      const std::string body = wordsOf(rng, 20 + rng() % 120);
      rc = b.db.exec("UPDATE notes SET body='" + body +
                     "', stamp=stamp+1 WHERE id=" + std::to_string(n));
      CorpusRow old{"notes", n, it->second, false};
      b.replaced.push_back(old);
      SqlRow now = it->second;
      now[2] = SqlValue::text(body);
      now[3] = SqlValue::of(now[3].integer + 1);
      b.updated[n] = now;
    }
    return rc == 0 ? b.db.commit() : rc;
  };
}

Filler droppedTable(int rows) {
  return [=](Build& b, std::mt19937& rng) {
    int rc = fillTable(b, "notes", kNotesSql, rows, [&](int n) { return notesRow(n, rng, 40); });
    if (rc == 0)
      rc = fillTable(b, "people", kPeopleSql, rows, [&](int n) { return peopleRow(n, rng); });
    if (rc == 0) rc = b.db.exec("DROP TABLE people");
    b.dropped.insert("people");
    return rc ? rc : b.db.deleteRows("notes", everyNth(rows, 7, 0));
  };
}

struct CorpusCase {
  const char* category;
  const char* name;
  Options options;
  Filler fill;
};

std::vector<CorpusCase> corpusCases() {
  std::vector<CorpusCase> c;
  c.push_back({"rowid alias", "alias", {}, notesScattered(400, 80, 5)});
  c.push_back({"no rowid alias", "keyed", {}, keyedTables(400)});
  c.push_back({"storage classes", "classes", {}, storageClasses(400)});
  c.push_back({"named like an app table", "message7", {}, smallMessageTable(300)});
  c.push_back({"UTF-16", "utf16le", {4096, "UTF-16le"}, notesScattered(300, 80, 4)});
  c.push_back({"UTF-16", "utf16be", {2048, "UTF-16be"}, keyedTables(200)});
  for (int size : {512, 1024, 8192, 16384, 32768, 65536}) {
    c.push_back({"page sizes", nullptr, {size}, notesScattered(size >= 16384 ? 1200 : 300, 60, 4)});
  }
  c.push_back({"contiguous", "contiguous", {}, notesContiguous(900)});
  c.push_back({"contiguous", "contiguous-keyed", {1024}, keyedTables(600)});
  c.push_back({"page ends", "pageends", {}, notesPageEnds(600)});
  c.push_back({"updated rows", "updated", {}, updatedRows(400)});
  c.push_back({"overflow", "overflow", {1024}, notesScattered(120, 1500, 3)});
  c.push_back({"overflow", "overflow4k", {}, notesScattered(80, 9000, 4)});
  c.push_back({"dropped table", "dropped", {}, droppedTable(300)});
  c.push_back({"secure delete", "secure", {4096, "UTF-8", true}, notesScattered(300, 60, 4)});
  c.push_back({"auto vacuum", "vacuum-full", {4096, "UTF-8", false, "FULL"}, notesContiguous(900)});
  c.push_back({"auto vacuum",
               "vacuum-incremental",
               {4096, "UTF-8", false, "INCREMENTAL"},
               notesScattered(600, 70, 3)});
  // Written last, so that the databases before keep the texts they were measured with.
  c.push_back({"without rowid", "keyed-scattered", {}, withoutRowId(500, 4)});
  c.push_back({"without rowid", "keyed-contiguous", {1024}, withoutRowId(600, 0)});
  return c;
}

// The bytes of a record on its page and on each of its overflow pages, as SQLite splits a
// payload (usable size = page size: the corpus reserves no bytes), must all be found.
// A row's values in the order its record holds them.
SqlRow storedRecord(const SqlRow& row, const std::vector<int>& order) {
  SqlRow stored;
  for (int k : order) stored.push_back(row[static_cast<std::size_t>(k)]);
  return stored;
}

bool recordIntact(const std::string& file, const SqlRow& row, const char* encoding, int pageSize,
                  bool indexCell = false) {
  const std::string tail = recordTail(row, encoding);
  if (file.find(tail) == std::string::npos) {
    const std::size_t usable = static_cast<std::size_t>(pageSize);
    std::string types;
    appendVarint(types, serialTypeOf(row[0], encoding));
    const std::size_t headerLength =
        types.size() + (tail.size() - recordContent(row, encoding).size());
    std::size_t hs = headerLength + 1;
    if (hs > 127) ++hs;
    const std::size_t payload = hs + tail.size() + types.size();
    const std::size_t maxLocal = indexCell ? (usable - 12) * 64 / 255 - 23 : usable - 35;
    if (payload <= maxLocal) return false;
    const std::size_t minLocal = (usable - 12) * 32 / 255 - 23;
    std::size_t local = minLocal + (payload - minLocal) % (usable - 4);
    if (local > maxLocal) local = minLocal;
    // The tail begins past the header size and column 0's serial type.
    const std::size_t skip = payload - tail.size();
    if (local <= skip || file.find(tail.substr(0, local - skip)) == std::string::npos) return false;
    for (std::size_t at = local - skip; at < tail.size(); at += usable - 4) {
      if (file.find(tail.substr(at, usable - 4)) == std::string::npos) return false;
    }
  }
  return true;
}

bool sameRow(const SqlRow& found, const SqlRow& truth) {
  if (found.size() != truth.size() || found.empty()) return false;
  for (std::size_t i = 1; i < found.size(); ++i) {
    if (!(found[i] == truth[i])) return false;
  }
  return found[0] == truth[0] || found[0].kind == SqlValue::kNull;
}

}  // namespace

std::uint64_t serialTypeOf(const SqlValue& v, const char* encoding) {
  switch (v.kind) {
    case SqlValue::kNull:
      return 0;
    case SqlValue::kInteger: {
      const std::int64_t x = v.integer;
      if (x == 0) return 8;
      if (x == 1) return 9;
      if (x >= -128 && x <= 127) return 1;
      if (x >= -32768 && x <= 32767) return 2;
      if (x >= -8388608 && x <= 8388607) return 3;
      if (x >= -2147483648LL && x <= 2147483647LL) return 4;
      if (x >= -140737488355328LL && x <= 140737488355327LL) return 5;
      return 6;
    }
    case SqlValue::kReal:
      return 7;
    case SqlValue::kText:
      return 13 + 2 * recordContent({v}, encoding).size();
    case SqlValue::kBlob:
      return 12 + 2 * v.bytes.size();
  }
  return 0;
}

void appendVarint(std::string& out, std::uint64_t v) {
  char tmp[10];
  int n = 0;
  do {
    tmp[n++] = static_cast<char>(v & 0x7f);
    v >>= 7;
  } while (v != 0);
  for (int i = n - 1; i >= 0; --i) out += static_cast<char>(tmp[i] | (i ? 0x80 : 0));
}

std::string recordTail(const SqlRow& row, const char* encoding) {
  std::string types;
  for (std::size_t c = 1; c < row.size(); ++c) appendVarint(types, serialTypeOf(row[c], encoding));
  return types + recordContent(row, encoding);
}

int buildCorpus(const std::string& dir, std::vector<CorpusDatabase>* out) {
  unsigned seed = 7;
  for (const CorpusCase& c : corpusCases()) {
    CorpusDatabase d;
    d.category = c.category;
    d.encoding = c.options.encoding;
    d.pageSize = c.options.pageSize;
    d.path = dir + "/" + (c.name ? c.name : "page" + std::to_string(c.options.pageSize)) + ".db";
    std::remove(d.path.c_str());
    Build b;
    SqliteOptions o;
    o.pageSize = c.options.pageSize;
    o.encoding = c.options.encoding;
    o.secureDelete = c.options.secureDelete;
    int rc = b.db.create(d.path, o);
    if (rc == 0 && c.options.autoVacuum)
      rc = b.db.exec(std::string("PRAGMA auto_vacuum=") + c.options.autoVacuum);
    std::mt19937 rng(seed++);
    if (rc == 0) rc = c.fill(b, rng);
    if (rc != 0) return rc;
    for (const std::string table : {"notes", "people", "events", "vals", "message"}) {
      const bool dropped = b.dropped.count(table) != 0;
      for (const auto& [id, values] : b.db.live(table)) {
        const auto now = b.updated.find(id);
        const SqlRow& v = table == "notes" && now != b.updated.end() ? now->second : values;
        (dropped ? d.gone : d.live).push_back({table, id, v, false});
      }
      for (const auto& [id, values] : b.db.deleted(table))
        d.gone.push_back({table, id, values, false});
    }
    for (const CorpusRow& r : b.replaced) d.gone.push_back(r);
    for (const auto& [note, values] : b.keyedLive) d.live.push_back({"tags", 0, values, false});
    for (const auto& [note, values] : b.keyedGone) d.gone.push_back({"tags", 0, values, false});
    rc = b.db.close();
    if (rc != 0) return rc;
    const std::string file = readFileBytes(d.path);
    for (CorpusRow& r : d.gone) {
      r.intact = r.table == "tags" ? recordIntact(file, storedRecord(r.values, kTagsStoredOrder),
                                                  d.encoding, d.pageSize, true)
                                   : recordIntact(file, r.values, d.encoding, d.pageSize);
    }
    out->push_back(std::move(d));
  }
  return 0;
}

void scoreFindings(const CorpusDatabase& db, const std::vector<FoundRow>& found, CorpusScore* score,
                   std::vector<const CorpusRow*>* missed) {
  std::vector<bool> recovered(db.gone.size(), false);
  for (const FoundRow& f : found) {
    if (!f.deleted || f.stale) continue;
    bool matched = false;
    for (std::size_t i = 0; i < db.gone.size(); ++i) {
      if ((f.table.empty() || db.gone[i].table == f.table) &&
          sameRow(f.values, db.gone[i].values)) {
        recovered[i] = true;
        matched = true;
      }
    }
    if (matched) continue;
    bool live = false;
    for (const CorpusRow& r : db.live)
      live = live || ((f.table.empty() || r.table == f.table) && sameRow(f.values, r.values));
    if (live) {
      ++score->liveAsDeleted;
    } else {
      ++score->unmatched;
    }
  }
  for (std::size_t i = 0; i < db.gone.size(); ++i) {
    ++score->gone;
    if (!db.gone[i].intact) continue;
    ++score->intact;
    if (recovered[i]) {
      ++score->recovered;
    } else if (missed != nullptr) {
      missed->push_back(&db.gone[i]);
    }
  }
}

}  // namespace qv::samples
