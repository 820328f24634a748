// `quenvale sqlite FILE [TABLE] [--json] [--deleted-only] [--no-wal] [--indexes]`: every row
// image the page reader finds in one table, or in every table of the schema: live cells, cells
// of freelist pages, records carved from free space, and with the write-ahead log beside the
// file (unless --no-wal) the cells its frames hold and those of the page versions its commits
// replaced.
//
// A freelist, carved or superseded row that is a leftover copy of a live row of the same table
// (its values equal the live row's and, when it has a row id, so is the row id) is marked
// stale: a copy the database left behind when it moved a row, not a deleted row. So is a
// superseded row found again in a still older version of its page. Live rows of a table always
// come before its other rows in a scan, so the live values are known by then. Each table is
// carved with its own declared columns (the width table's width for a table without a
// statement), and tables dropped from the schema follow under their recovered names. With
// --indexes each table's indexes follow it, as the entries of rows it no longer has. With
// --json each table's rows follow a line naming its columns and giving its statement.
#include <algorithm>
#include <charconv>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "cli/cli_io.h"
#include "cli/commands.h"
#include "cli/terminal_text.h"
#include "db/dropped_tables.h"
#include "db/index_entries.h"
#include "db/leftover_copies.h"
#include "db/record.h"
#include "db/sqlite_page_reader.h"
#include "db/table_columns.h"
#include "db/table_shapes.h"
#include "db/varint.h"
#include "platform/ascii.h"
#include "platform/result.h"

namespace qv::cli {

namespace {

// Output is gathered and written in large pieces.
constexpr std::size_t kFlushAt = 1 << 20;

// A cell read from a frame of the write-ahead log is a "wal" row (deleted when a later commit
// replaced the frame); a cell of the database file's own page that the log replaced is
// "superseded".
const char* kindName(const db::RowImage& row) {
  switch (row.kind) {
    case db::RowKind::kLive:
      return row.frame != 0 ? "wal" : "live";
    case db::RowKind::kFreelist:
      return "freelist";
    case db::RowKind::kCarved:
      return "carved";
    case db::RowKind::kSuperseded:
      return row.frame != 0 ? "wal" : "superseded";
  }
  return "?";
}

void appendHex(std::string& out, const std::uint8_t* p, std::size_t n) {
  static const char kDigits[] = "0123456789abcdef";
  for (std::size_t i = 0; i < n; ++i) {
    out += kDigits[p[i] >> 4];
    out += kDigits[p[i] & 15];
  }
}

void appendReal(std::string& out, double d, bool json) {
  if (!std::isfinite(d)) {
    out += json ? "null" : (std::isnan(d) ? "NaN" : (d > 0 ? "Inf" : "-Inf"));
    return;
  }
  char buf[40];
  // The shortest of 15 or 17 significant digits that reads back as the same value.
  std::snprintf(buf, sizeof buf, "%.15g", d);
  if (std::strtod(buf, nullptr) != d) std::snprintf(buf, sizeof buf, "%.17g", d);
  out += buf;
  const std::string_view s(buf);
  if (s.find_first_of(".eEn") == std::string_view::npos) out += ".0";
}

void appendInt(std::string& out, std::int64_t v) {
  char buf[24];
  const auto r = std::to_chars(buf, buf + sizeof buf, v);
  out.append(buf, r.ptr);
}

// Text that JSON takes as it is: valid UTF-8 without quotes, backslashes or control bytes.
// One pass, eight bytes at a time (the byte tests below are exact for words with bytes of any
// value); a word with a byte past ASCII is taken up again at that byte's sequence.
bool isPlainText(std::string_view s) {
  constexpr std::uint64_t kOnes = 0x0101010101010101ull, kHigh = 0x8080808080808080ull;
  auto hasZero = [](std::uint64_t v) { return ((v - kOnes) & ~v & kHigh) != 0; };
  const auto* p = reinterpret_cast<const std::uint8_t*>(s.data());
  const std::size_t n = s.size();
  std::size_t i = 0;
  while (i < n) {
    if (n - i >= 8) {
      std::uint64_t w = 0;
      std::memcpy(&w, p + i, 8);
      // A byte below 0x20, a quote, a backslash or DEL.
      if (((w - kOnes * 0x20) & ~w & kHigh) != 0 || hasZero(w ^ (kOnes * '"')) ||
          hasZero(w ^ (kOnes * '\\')) || hasZero(w ^ (kOnes * 0x7F)))
        return false;
      if ((w & kHigh) == 0) {
        i += 8;
        continue;
      }
      // The word's bytes before the first past ASCII are plain: in memory order the first is
      // the lowest set high bit of a little-endian word.
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
      i += static_cast<std::size_t>(__builtin_ctzll(w & kHigh)) / 8;
#else
      while (p[i] < 0x80) ++i;
#endif
    } else {
      const std::uint8_t c = p[i];
      if (c < 0x20 || c == '"' || c == '\\' || c == 0x7F) return false;
      if (c < 0x80) {
        ++i;
        continue;
      }
    }
    const std::size_t len = db::utf8SequenceLength(p + i, n - i);
    if (len == 0) return false;
    i += len;
  }
  return true;
}

// A 64-bit hash of row values, for comparing freelist and carved rows with the live rows:
// eight bytes at a time, multiplied and folded.
struct Hasher {
  std::uint64_t h = 0x9E3779B97F4A7C15ull;
  void word(std::uint64_t w) {
    h = (h ^ w) * 0xff51afd7ed558ccdull;
    h ^= h >> 32;
  }
  void add(const void* data, std::size_t n) {
    const auto* p = static_cast<const unsigned char*>(data);
    std::size_t i = 0;
    for (; n - i >= 8; i += 8) {
      std::uint64_t w;
      std::memcpy(&w, p + i, 8);
      word(w);
    }
    std::uint64_t tail = n;  // the length settles where the tail ends
    for (; i < n; ++i) tail = (tail << 8) | p[i];
    word(tail);
  }
};

// The listing's output until the next write. Rows are written straight into it through a
// pointer into room reserved for their worst case: growing it zero-fills the new room once,
// where a string would copy each row in from a scratch buffer.
class OutBuffer {
 public:
  OutBuffer& operator+=(std::string_view s) {
    std::memcpy(room(s.size()), s.data(), s.size());
    used_ += s.size();
    return *this;
  }
  OutBuffer& operator+=(char c) {
    *room(1) = c;
    ++used_;
    return *this;
  }
  void append(std::size_t count, char c) {
    std::memset(room(count), c, count);
    used_ += count;
  }
  // At least n writable bytes at the end; commit() says how far they were written.
  char* room(std::size_t n) {
    if (bytes_.size() - used_ < n) bytes_.resize(std::max(2 * bytes_.size(), used_ + n));
    return bytes_.data() + used_;
  }
  void commit(const char* end) { used_ = static_cast<std::size_t>(end - bytes_.data()); }
  std::size_t size() const { return used_; }
  std::string_view view() const { return {bytes_.data(), used_}; }
  void clear() { used_ = 0; }

 private:
  std::vector<char> bytes_;
  std::size_t used_ = 0;
};

class ListingSink : public db::RowSink {
 public:
  static constexpr std::size_t kNotHeld = static_cast<std::size_t>(-1);

  ListingSink(bool json, bool deletedOnly) : json_(json), deletedOnly_(deletedOnly) {}

  // Every table is listed and then the rows of no known table, which need every live row.
  void listEveryTable() { everyTable_ = true; }
  // The tables' indexes follow them: a table WITHOUT ROWID keeps its live rows' keys for them.
  void listIndexes() { withIndexes_ = true; }

  void startTable(const std::string& table, const db::TableLayout& layout) {
    table_ = terminalText(table);
    tableJson_ = jsonString(table);
    live_ = db::KeptRows<std::uint64_t>();
    superseded_ = db::KeptRows<std::uint64_t>();
    indexEntries_.startTable();
    indexJson_.clear();
    indexText_.clear();
    // A table WITHOUT ROWID stores its key's columns first: its values are put back in the
    // declared order, and its column 0 is a value like any other (there is no row id).
    storedAt_.clear();
    keyedRecords_ = layout.withoutRowId();
    // Its records hold the primary key's columns first, in key order.
    tableKeyAt_.clear();
    for (std::size_t k = 0; keyedRecords_ && k < layout.primaryKey().size(); ++k)
      tableKeyAt_.push_back(k);
    const std::vector<int>& order = layout.storedOrder();
    for (std::size_t i = 0; i < order.size(); ++i) {
      if (order[i] != static_cast<int>(i)) {
        storedAt_.assign(order.size(), 0);
        for (std::size_t k = 0; k < order.size(); ++k)
          storedAt_[static_cast<std::size_t>(order[k])] = k;
        break;
      }
    }
  }

  // The entries of one of the table's indexes follow its rows: those of rows the table no
  // longer has (a deleted row whose own record is gone may still lie in the index's pages).
  // `record` gives the table column of each column of its records, as indexRecordColumns
  // gives them (-1: an expression); the first `keyWidth` are the key's.
  void startIndex(const std::string& index, const std::vector<int>& record, std::size_t keyWidth,
                  const db::TableLayout& layout, bool unique) {
    indexJson_ = jsonString(index);
    indexText_ = terminalText(index);
    indexKeyWidth_ = keyWidth;
    indexWidth_ = record.size();
    indexLayoutHolds_ = true;
    indexLayoutChecked_ = false;
    const std::size_t tableWidth = layout.columns().size();
    indexAt_.assign(tableWidth, kNotHeld);
    for (std::size_t k = record.size(); k-- > 0;) {
      if (record[k] >= 0 && static_cast<std::size_t>(record[k]) < tableWidth)
        indexAt_[static_cast<std::size_t>(record[k])] = k;
    }
    // In a table WITHOUT ROWID, where each column of the primary key lies in the entry.
    indexKeyAt_.clear();
    for (std::size_t k = 0; keyedRecords_ && k < layout.primaryKey().size(); ++k) {
      const auto column = static_cast<std::size_t>(layout.primaryKey()[k]);
      indexKeyAt_.push_back(column < tableWidth ? indexAt_[column] : kNotHeld);
    }
    indexEntries_.startIndex(unique);
  }

  int onRow(db::SqlitePageReader& reader, const db::RowImage& row) override {
    if (!indexJson_.empty()) return onIndexRow(reader, row);
    if (db::walkRow(row, &record_) != kOk) return kInvalid;
    const db::TextEncoding encoding = reader.textEncoding();
    if (row.kind == db::RowKind::kCarved && !textsHold(row, encoding)) return kInvalid;
    const std::uint64_t hash = valuesHash(row);
    const auto rowId = static_cast<std::uint32_t>(row.rowId);
    const bool live = row.kind == db::RowKind::kLive;
    bool stale = false;
    if (live) {
      // A live row is kept once it is written out: where it goes is fetched meanwhile.
      live_.prefetch(hash);
      if (withIndexes_ && !tableKeyAt_.empty()) {
        if (const auto key = valuesAt(row, tableKeyAt_)) indexEntries_.addLiveKeyedRow(*key);
      }
    } else {
      // Rows of no known table ("") are copies when they equal a live row of any table.
      stale = (tableJson_ == "\"\"" ? everyLive_ : live_).covers(hash, rowId);
    }
    // Every older version of a page repeats the rows the log did not touch: only the first
    // finding of a superseded row is news.
    if (row.kind == db::RowKind::kSuperseded) {
      stale = stale || superseded_.covers(hash, rowId);
      superseded_.add(hash, rowId);
    }
    if (!deletedOnly_ || row.deleted != 0) {
      if (!storedAt_.empty()) toDeclaredOrder(row, storedAt_);
      emit(row, encoding, stale, kindName(row), row.rowId);
    }
    if (live) {
      live_.add(hash, rowId);
      indexEntries_.addLiveRow(row.rowId);
      if (everyTable_) everyLive_.add(hash, rowId);
    }
    return kOk;
  }

  // The hash of the values at these places of the walked record (in the order given); nullopt
  // when the record does not hold one of them.
  std::optional<std::uint64_t> valuesAt(const db::RowImage& row,
                                        const std::vector<std::size_t>& places) const {
    const int first = firstWalkedColumn(row);
    Hasher f;
    for (std::size_t place : places) {
      const auto k = static_cast<std::ptrdiff_t>(place) - first;
      if (place == kNotHeld || k < 0 || k >= static_cast<std::ptrdiff_t>(record_.columns.size()))
        return std::nullopt;
      const db::RecordColumn& c = record_.columns[static_cast<std::size_t>(k)];
      f.word(c.serialType);
      f.add(row.data + c.offset, c.width);
    }
    return f.h;
  }

  // The line that names a table's columns before its rows (JSON only), so that a reader of the
  // listing can tell the values apart: the names the CREATE statement declares, and the
  // statement itself (null when the schema holds none).
  void tableHeader(const db::SchemaEntry& table, const db::TableLayout& layout) {
    if (!json_) return;
    out_ += "{\"table\": ";
    out_ += tableJson_;
    out_ += ", \"columns\": [";
    for (std::size_t i = 0; i < layout.columns().size(); ++i) {
      if (i != 0) out_ += ", ";
      out_ += jsonString(layout.columns()[i].name);
    }
    out_ += "], \"sql\": ";
    out_ += table.sql.empty() ? std::string("null") : jsonString(table.sql);
    out_ += "}\n";
  }

  void flush() {
    writeOut(out_.view());
    out_.clear();
  }

  void endIndex() {
    indexJson_.clear();
    indexText_.clear();
    flush();
  }
  std::uint64_t rows() const { return rows_; }

 private:
  // Values from column 1 on: column 0 is the row-id alias in most tables and is lost in carved
  // rows whose header was overwritten. Equal values have equal serial types and content bytes.
  // A table WITHOUT ROWID has no row id to tell two rows apart: all its values count.
  // An index entry's values all count too (`allColumns`).
  // The serial types are hashed as the header's bytes hold them (SQLite writes each varint in
  // its one shortest form), all at once; column 0's alone, as a carved row may have rebuilt it.
  std::uint64_t valuesHash(const db::RowImage& row, bool allColumns = false) const {
    Hasher f;
    const std::vector<db::RecordColumn>& columns = record_.columns;
    std::size_t types = record_.typesStart;
    std::size_t first = 0;  // the first column hashed
    if (!columns.empty() && columns.front().column == 0) {
      if (keyedRecords_ || allColumns) {
        f.word(columns.front().serialType);
      } else {
        first = 1;
      }
      // A rebuilt type is not among the header's bytes.
      if (!(row.carvedLayout && row.firstColumn == 1)) {
        std::uint64_t ignored = 0;
        types += db::readVarint(row.data + types, record_.contentStart - types, &ignored);
      }
    }
    f.add(row.data + types, record_.contentStart - types);
    if (first < columns.size()) {
      const std::size_t from = columns[first].offset;
      f.add(row.data + from, columns.back().offset + columns.back().width - from);
    }
    return f.h;
  }

  void emit(const db::RowImage& row, db::TextEncoding encoding, bool stale, const char* kind,
            std::int64_t rowId) {
    if (json_) {
      appendJson(row, encoding, stale, kind, rowId);
    } else {
      appendText(row, encoding, stale, kind, rowId);
    }
    ++rows_;
    if (out_.size() >= kFlushAt) flush();
  }

  // Texts of a record that is not a live cell must be what SQLite could have written: text in
  // the database's encoding. Bytes that merely parse as a header are not shown.
  bool textsHold(const db::RowImage& row, db::TextEncoding encoding) const {
    if (encoding != db::TextEncoding::kUtf8) return true;
    for (const db::RecordColumn& c : record_.columns) {
      if (db::isTextType(c.serialType) &&
          !db::isValidUtf8(
              std::string_view(reinterpret_cast<const char*>(row.data + c.offset), c.width)))
        return false;
    }
    return true;
  }

  // An index entry the selector shows (db/index_entries.h): its values are put in the table's
  // columns (NULL in the others) and its row id is the row's (0 in a table WITHOUT ROWID).
  int onIndexRow(db::SqlitePageReader& reader, const db::RowImage& row) {
    const bool live = row.kind == db::RowKind::kLive;
    if (live && !indexEntries_.unique() && indexLayoutChecked_) return kOk;
    if (db::walkRow(row, &record_) != kOk) return kInvalid;
    if (live && !indexLayoutChecked_) {
      // SQLite writes every entry of an index with the same columns. A live entry of another
      // count says the entries are not laid out as read (a key column held again under another
      // collation), and those found elsewhere would be misread: they are not listed.
      indexLayoutChecked_ = true;
      indexLayoutHolds_ = record_.columns.size() == indexWidth_;
    }
    if (!live && !indexLayoutHolds_) return kOk;
    const std::size_t keyWidth = indexKeyWidth_;
    Hasher key;
    const db::RecordColumn* id = nullptr;
    for (const db::RecordColumn& c : record_.columns) {
      const auto k = static_cast<std::size_t>(c.column);
      if (k == keyWidth) id = &c;
      if (k >= keyWidth) continue;
      key.word(c.serialType);
      key.add(row.data + c.offset, c.width);
    }
    if (live) {
      if (indexEntries_.unique()) indexEntries_.addLiveEntry(key.h);
      return kOk;
    }
    const db::TextEncoding encoding = reader.textEncoding();
    if (!textsHold(row, encoding)) return kInvalid;
    if (keyedRecords_) {
      // A table WITHOUT ROWID: the row is its primary key's values, and there is no row id.
      const auto primaryKey = valuesAt(row, indexKeyAt_);
      if (!primaryKey || !indexEntries_.showsKeyed(*primaryKey, key.h, valuesHash(row, true)))
        return primaryKey ? kOk : kInvalid;
      toDeclaredOrder(row, indexAt_);
      emit(row, encoding, false, "index", 0);
      return kOk;
    }
    if (id == nullptr || id->serialType == 0 || id->serialType > 9 || id->serialType == 7)
      return kInvalid;
    const std::int64_t rowId = db::integerValue(row.data + id->offset, id->serialType);
    if (!indexEntries_.shows(rowId, key.h, valuesHash(row, true))) return kOk;
    toDeclaredOrder(row, indexAt_);
    emit(row, encoding, false, "index", rowId);
    return kOk;
  }

  // Puts the walked columns in the table's declared order: `at` gives, by declared position,
  // the place in the record (a table WITHOUT ROWID, or an index entry). A column the record
  // does not hold (a carved row's lost one, a column no index key has) is NULL.
  void toDeclaredOrder(const db::RowImage& row, const std::vector<std::size_t>& at) {
    const int first = firstWalkedColumn(row);
    declared_.assign(at.size(), db::RecordColumn());
    for (std::size_t i = 0; i < at.size(); ++i) {
      db::RecordColumn& c = declared_[i];
      const auto k = static_cast<std::ptrdiff_t>(at[i]) - first;
      if (at[i] != kNotHeld && k >= 0 && k < static_cast<std::ptrdiff_t>(record_.columns.size()))
        c = record_.columns[static_cast<std::size_t>(k)];
      c.column = static_cast<int>(i);
    }
    record_.columns.swap(declared_);
  }

  // The first column the walk laid out: a carved row whose first serial type was overwritten
  // starts at column 1, unless the type of a value there was rebuilt.
  int firstWalkedColumn(const db::RowImage& row) const {
    return record_.columns.empty() ? row.firstColumn : record_.columns.front().column;
  }

  // A value as the text form shows it.
  void appendValue(const db::RowImage& row, const db::RecordColumn& c, db::TextEncoding enc) {
    const std::uint8_t* p = row.data + c.offset;
    const std::uint64_t t = c.serialType;
    value_.clear();
    if (t == 0 || t == 10 || t == 11) {
      value_ = "NULL";
    } else if (t <= 6 || t == 8 || t == 9) {
      appendInt(value_, db::integerValue(p, t));
    } else if (t == 7) {
      appendReal(value_, db::realValue(p), false);
    } else if (db::isTextType(t)) {
      const std::string_view bytes(reinterpret_cast<const char*>(p), c.width);
      // One line per row, and nothing from the database reaches the terminal as a control.
      value_ = terminalText(enc == db::TextEncoding::kUtf8 ? std::string(bytes)
                                                           : db::textToUtf8(bytes, enc));
    } else {
      value_ = "x'";
      appendHex(value_, p, c.width);
      value_ += "'";
    }
    out_ += value_;
  }

  // JSON of one row, written through a raw pointer into room reserved for the worst case:
  // rows are the bulk of the output, and an append per value costs more than the formatting.
  void appendJson(const db::RowImage& row, db::TextEncoding enc, bool stale, const char* kind,
                  std::int64_t rowId) {
    // Every value's bytes lie in the row's bytes, so these bound the values' widths.
    const std::size_t bound = 200 + tableJson_.size() + indexJson_.size() +
                              8 * static_cast<std::size_t>(row.firstColumn) +
                              40 * record_.columns.size() + 6 * row.size;
    char* p = out_.room(bound);
    auto put = [&p](std::string_view s) {
      std::memcpy(p, s.data(), s.size());
      p += s.size();
    };
    auto putInt = [&p](std::int64_t v) {
      if (v >= 0 && v < 10) {
        *p++ = static_cast<char>('0' + v);  // the 0/1 flags of most columns
      } else {
        p = std::to_chars(p, p + 24, v).ptr;
      }
    };
    put("{\"table\": ");
    put(tableJson_);
    put(", \"kind\": \"");
    put(kind);
    put("\"");
    if (!indexJson_.empty()) {
      put(", \"index\": ");
      put(indexJson_);
    }
    put(", \"deleted\": ");
    putInt(row.deleted);
    put(", \"page\": ");
    putInt(row.pageIndex);
    put(", \"frame\": ");
    putInt(row.frame);
    put(", \"offset\": ");
    putInt(row.offset);
    put(", \"rowid\": ");
    putInt(rowId);
    put(stale ? ", \"stale\": true, \"values\": [" : ", \"stale\": false, \"values\": [");
    bool first = true;
    // A carved row whose first serial type was overwritten starts at column 1.
    for (int k = 0; row.carvedLayout && k < firstWalkedColumn(row); ++k) {
      put(first ? "null" : ", null");
      first = false;
    }
    for (const db::RecordColumn& c : record_.columns) {
      if (!first) put(", ");
      first = false;
      const std::uint8_t* v = row.data + c.offset;
      const std::uint64_t t = c.serialType;
      if (t == 0 || t == 10 || t == 11) {
        put("null");
      } else if (t <= 6 || t == 8 || t == 9) {
        putInt(db::integerValue(v, t));
      } else if (t == 7) {
        std::string real;
        appendReal(real, db::realValue(v), true);
        put(real);
      } else if (db::isTextType(t)) {
        const std::string_view bytes(reinterpret_cast<const char*>(v), c.width);
        std::string converted;  // a text of another encoding, in UTF-8
        const std::string_view text =
            enc == db::TextEncoding::kUtf8 ? bytes : (converted = db::textToUtf8(bytes, enc));
        // Most texts need no escaping and are copied as they are, exactly what jsonString
        // would give them.
        if (isPlainText(text)) {
          *p++ = '"';
          put(text);
          *p++ = '"';
        } else {
          put(jsonString(text));  // at most 6 bytes for each byte of the value: within the bound
        }
      } else {
        put("{\"blob\": \"");
        static const char kDigits[] = "0123456789abcdef";
        for (std::size_t i = 0; i < c.width; ++i) {
          *p++ = kDigits[v[i] >> 4];
          *p++ = kDigits[v[i] & 15];
        }
        put("\"}");
      }
    }
    put("]}\n");
    out_.commit(p);
  }

  void appendText(const db::RowImage& row, db::TextEncoding enc, bool stale, const char* kind,
                  std::int64_t rowId) {
    // Names of any length are written whole: only the numbers go through the fixed buffer.
    auto padded = [this](std::string_view s, std::size_t width) {
      out_ += s;
      if (s.size() < width) out_.append(width - s.size(), ' ');
      out_ += ' ';
    };
    padded(table_, 20);
    // An index entry's kind names the index: "index people_city".
    padded(indexText_.empty() ? std::string(kind) : std::string(kind) + " " + indexText_, 10);
    char buf[96];
    std::snprintf(buf, sizeof buf, "%u %8u %6u %5u %12" PRId64 " %-5s ", row.deleted, row.pageIndex,
                  row.frame, row.offset, rowId, stale ? "stale" : "-");
    out_ += buf;
    bool first = true;
    for (int k = 0; row.carvedLayout && k < firstWalkedColumn(row); ++k) {
      out_ += first ? "NULL" : " | NULL";
      first = false;
    }
    for (const db::RecordColumn& c : record_.columns) {
      if (!first) out_ += " | ";
      first = false;
      appendValue(row, c, enc);
    }
    out_ += "\n";
  }

  bool json_;
  bool deletedOnly_;
  std::string table_;  // as text output shows it
  std::string tableJson_;
  OutBuffer out_;
  std::string value_;  // a value of the text form
  db::Record record_;
  std::vector<db::RecordColumn> declared_;  // a row's columns put in declared order
  std::vector<std::size_t> storedAt_;  // by declared position, the place in the record; empty: same
  bool keyedRecords_ = false;          // a table WITHOUT ROWID
  db::KeptRows<std::uint64_t> live_;   // values hashes of the table's live rows
  bool everyTable_ = false;            // every table is listed, then rows of none
  db::KeptRows<std::uint64_t> everyLive_;   // and of every table's listed so far
  db::KeptRows<std::uint64_t> superseded_;  // and of its superseded rows listed so far
  db::IndexEntrySelector indexEntries_;     // the table's live row ids, the index's entries
  std::string indexJson_;                   // the index whose entries are listed; empty: none
  std::string indexText_;                   // and its name as text output shows it
  std::size_t indexKeyWidth_ = 0;           // its key's columns (what finds the row follows)
  std::size_t indexWidth_ = 0;              // the columns of its records
  bool indexLayoutChecked_ = false;         // a live entry was walked
  bool indexLayoutHolds_ = true;            // and had that many columns
  bool withIndexes_ = false;                // the indexes follow their tables
  std::vector<std::size_t> tableKeyAt_;     // a table WITHOUT ROWID: its key's record places
  std::vector<std::size_t> indexKeyAt_;     // and their places in the index's entries
  std::vector<std::size_t> indexAt_;        // by declared position, the place in an entry
  std::uint64_t rows_ = 0;
};

}  // namespace

int runSqlite(const Args& args) {
  CommandLine command("sqlite", args, {"--json", "--deleted-only", "--no-wal", "--indexes"}, {});
  if (auto status = command.finishedEarly()) return *status;
  const std::vector<std::string>& words = command.positional();
  if (words.empty() || words.size() > 2) return command.usageError("sqlite needs FILE [TABLE]");
  const std::string& path = words[0];

  db::SqlitePageReader reader;
  // The write-ahead log beside the file belongs to it, as SQLite would take it.
  int rc = reader.Open(command.has("--no-wal") ? db::DatabaseFile(path)
                                               : db::DatabaseFile(path, path + "-wal"));
  if (rc != kOk) return reportFailure(rc, path);
  std::vector<db::SchemaEntry> schema;
  int schemaRc = reader.ReadSchema(&schema);

  // Dropped tables follow the live ones, under the names their carved statements give.
  const std::vector<db::SchemaEntry> dropped = db::droppedTables(reader, schema);
  std::vector<const db::SchemaEntry*> tables;
  auto take = [&](const db::SchemaEntry& e, bool live) {
    if (e.type != "table" || (live && e.rootPage == 0)) return;
    if (words.size() == 2 && e.name != words[1]) return;
    tables.push_back(&e);
  };
  for (const db::SchemaEntry& e : schema) take(e, true);
  for (const db::SchemaEntry& e : dropped) take(e, false);
  if (words.size() == 2 && tables.empty()) {
    if (schemaRc != kOk) return reportFailure(schemaRc, path);
    return reportFailure(kQueryFailed, "no table " + words[1] + " in " + path);
  }

  // A freed page whose records several tables could hold goes to those whose declared types
  // fit them best, among every table (named or not).
  std::vector<std::pair<std::string, db::TableShape>> shapes;
  auto addShapes = [&shapes](const std::vector<db::SchemaEntry>& list) {
    for (const db::SchemaEntry& e : list) {
      if (e.type == "table")
        shapes.emplace_back(e.name, db::tableShape(db::TableLayout(e.sql), e.name));
    }
  };
  addShapes(schema);
  addShapes(dropped);
  reader.AssignFreelistPages(shapes);

  ListingSink sink(command.has("--json"), command.has("--deleted-only"));
  if (words.size() == 1) sink.listEveryTable();
  if (command.has("--indexes")) sink.listIndexes();
  int result = schemaRc;
  for (const db::SchemaEntry* table : tables) {
    const db::TableLayout layout(table->sql);
    db::TableScan tableScan;
    tableScan.shape = db::tableShape(layout, table->name);
    sink.startTable(table->name, layout);
    sink.tableHeader(*table, layout);
    rc = reader.ScanTable(table->name, tableScan, &sink);
    sink.flush();
    if (rc != kOk && result == kOk) result = rc;
    // With --indexes, the indexes of a live table, those made for its constraints too (a
    // table WITHOUT ROWID needs its primary key read: its entries name their rows by it).
    // Reading them costs as much again as their share of the file, and their entries mostly
    // repeat rows the table's own pages gave, so they are asked for.
    if (!command.has("--indexes") || table->rootPage == 0 ||
        (layout.withoutRowId() && layout.primaryKey().empty()))
      continue;
    for (const db::SchemaEntry& index : schema) {
      if (index.type != "index" || index.rootPage == 0 ||
          !platform::equalsNoCase(index.tableName, table->name))
        continue;
      const std::vector<int> key = db::indexedColumns(index, layout);
      if (key.empty()) continue;
      const std::vector<int> record = db::indexRecordColumns(key, layout);
      db::TableScan indexScan;
      indexScan.shape = db::indexShape(layout, record);
      sink.startIndex(index.name, record, key.size(), layout, db::isUniqueIndex(index));
      rc = reader.ScanTable(index.name, indexScan, &sink);
      sink.endIndex();
      if (rc != kOk && result == kOk) result = rc;
    }
  }
  // Freelist pages no table took hold rows of tables the schema no longer names: listed as
  // table "", each row with the columns its record shows.
  if (words.size() == 1) {
    const db::SchemaEntry unknown;
    const db::TableLayout none;
    sink.startTable(unknown.name, none);
    sink.tableHeader(unknown, none);
    rc = reader.ScanUnclaimedFreelistPages(&sink);
    if (rc != kOk && result == kOk) result = rc;
  }
  sink.flush();
  std::fflush(stdout);
  if (result != kOk) return reportFailure(result, path);
  return 0;
}

}  // namespace qv::cli
