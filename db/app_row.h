// What the phone-database decoders (messages, contacts, calls, notes) share: columns of one
// walked row image by column number, the text tests a taken text must pass, a RowSink over a
// function, and the widths the tables' own CREATE statements declare.
//
// A row image is what the page reader hands a decoder: a live or freelist cell (serial types
// from column 0, overflow assembled) or a record carved from free space (serial types from
// column 0 or 1 when the first one was overwritten). Every column read here was laid out by
// the record walk, which refuses a record whose contents run past the bytes held.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "db/record.h"
#include "db/sqlite_page_reader.h"

namespace qv::db {

class AppRow {
 public:
  // Walks the row in its layout; non-zero when the record does not fit the bytes held.
  int load(const RowImage& row, TextEncoding encoding);

  // The column with that number, or nullptr when the row has no such column.
  const RecordColumn* column(int n) const;
  // An integer of any width, or one of the constants 0 and 1 (the database stores the
  // integers 0 and 1 as constants, so a reference to row 1 arrives as a constant).
  bool integer(int n, std::int64_t* out) const;
  // A 1- to 4-byte integer read unsigned, or a constant: the row references and dates that the
  // phone stores in at most four bytes.
  bool smallUnsigned(int n, std::uint32_t* out) const;
  // An 8-byte floating value.
  bool real(int n, double* out) const;

  enum class Text {
    kAbsent,  // no such column, or not a text
    kEmpty,   // a text of no bytes
    kGood,
    kBad,  // malformed UTF-8, an embedded zero, or U+FFFD in the text
  };
  // A text column as wide text. With `blobToo` a blob is taken as text bytes as well.
  Text text(int n, std::wstring* out, bool blobToo = false) const;
  // The raw bytes of a text or blob column (empty for other types).
  std::string_view bytes(int n) const;

  const Record& record() const { return record_; }
  const std::uint8_t* data() const { return data_; }

 private:
  const std::uint8_t* data_ = nullptr;
  TextEncoding encoding_ = TextEncoding::kUtf8;
  int first_ = 0;
  Record record_;
};

// The text tests on bytes of the database's encoding: valid, no zero inside, no U+FFFD.
AppRow::Text decodeText(std::string_view bytes, TextEncoding encoding, std::wstring* out);

// A RowSink that hands each row image to a function.
template <class F>
class DecoderSink final : public RowSink {
 public:
  explicit DecoderSink(F f) : f_(std::move(f)) {}
  int onRow(SqlitePageReader& reader, const RowImage& row) override { return f_(reader, row); }

 private:
  F f_;
};
template <class F>
DecoderSink<F> decoderSink(F f) {
  return DecoderSink<F>(std::move(f));
}

// The schema of the open database (empty when it cannot be read).
std::vector<SchemaEntry> readSchemaOf(SqlitePageReader& reader);

// The column count the CREATE statement of a table declares (names compared without regard
// to ASCII case); 0 when the table or a statement that can be counted is not there.
int declaredColumnCount(const std::vector<SchemaEntry>& schema, std::string_view table);

// Hands the reader the declared width of a table so that its carving and freelist test expect
// the columns the table really has. Returns the width (0: none declared, the width table
// stays in force).
int declareTableWidth(SqlitePageReader& reader, const std::vector<SchemaEntry>& schema,
                      const std::string& table);

// Compares two texts without regard to ASCII case (the dates and names lists sort on).
bool lessNoCase(const std::wstring& a, const std::wstring& b);

// Sorts records by a text field without regard to ASCII case, keeping the order of equal ones.
// The records are moved once each; texts without upper-case letters (every date) compare as
// they are.
template <class T, class Text>
void stableSortByText(std::vector<T>* items, Text text) {
  const std::size_t n = items->size();
  if (n < 2) return;
  std::vector<std::uint32_t> order(n);
  std::vector<bool> folded(n);
  for (std::size_t i = 0; i < n; ++i) {
    order[i] = static_cast<std::uint32_t>(i);
    const std::wstring& t = text((*items)[i]);
    folded[i] = std::any_of(t.begin(), t.end(), [](wchar_t c) { return c >= L'A' && c <= L'Z'; });
  }
  std::stable_sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
    const std::wstring& x = text((*items)[a]);
    const std::wstring& y = text((*items)[b]);
    return folded[a] || folded[b] ? lessNoCase(x, y) : x < y;
  });
  std::vector<T> sorted;
  sorted.reserve(n);
  for (std::uint32_t i : order) sorted.push_back(std::move((*items)[i]));
  items->swap(sorted);
}

}  // namespace qv::db
