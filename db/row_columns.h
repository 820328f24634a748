// The columns of one walked row image by column number, and the text tests a taken text must
// pass: what every table decoder reads a row with.
//
// A row image is what the page reader hands a decoder: a live or freelist cell (serial types
// from column 0, overflow assembled) or a record carved from free space (serial types from
// column 0 or 1 when the first one was overwritten). Every column read here was laid out by
// the record walk, which refuses a record whose contents run past the bytes held.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "db/record.h"
#include "db/sqlite_page_reader.h"

namespace qv::db {

class RowColumns {
 public:
  // Walks the row in its layout; non-zero when the record does not fit the bytes held.
  int load(const RowImage& row, TextEncoding encoding);

  // The column with that number, or nullptr when the row has no such column.
  const RecordColumn* column(int n) const;
  // An integer of any width, or one of the constants 0 and 1 (the database stores the
  // integers 0 and 1 as constants, so a reference to row 1 arrives as a constant).
  bool integer(int n, std::int64_t* out) const;
  // A reference to another row: a 1- to 4-byte integer or a constant, as stored. A negative
  // value refers to no row and is not taken.
  bool reference(int n, std::uint32_t* out) const;
  // A 1- to 4-byte integer read unsigned, or a constant: the dates the phone's own tables
  // store in at most four bytes.
  bool smallUnsigned(int n, std::uint32_t* out) const;
  // Whether the column holds 0, as the constant or as a 1- to 4-byte integer: the direction
  // flags of the chat apps, where 0 means sent by the owner.
  bool holdsZero(int n) const;
  // An 8-byte floating value.
  bool real(int n, double* out) const;
  bool isText(int n) const;

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
RowColumns::Text decodeText(std::string_view bytes, TextEncoding encoding, std::wstring* out);

}  // namespace qv::db
