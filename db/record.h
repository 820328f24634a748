// The record walk shared by every table decoder: serial types in, column positions out.
//
// Two layouts. The cell layout starts at the header-size varint of a payload that the reader
// has taken out of a live or freelist cell (overflow already assembled). The carved layout
// starts at serial types found in free space, where the header size and often the first
// serial type were overwritten when the cell was freed, so the table's width says how many
// serial types to read and the carver says which column the first one belongs to.
//
// A walk never reads outside [p, p + n): a header or a content that would run past n makes the
// walk fail with kInvalid, and the decoder drops the row.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "db/sqlite_format.h"
#include "db/varint.h"

namespace qv::db {

struct RecordColumn {
  int column = 0;  // column number (0 is the row-id alias in most tables)
  std::uint64_t serialType = 0;
  std::size_t offset = 0;  // content offset from the start of the walked bytes
  std::size_t width = 0;   // content width in bytes
};

struct Record {
  std::vector<RecordColumn> columns;
  std::size_t typesStart = 0;    // where the serial types read begin (a carved column 0's
                                 // rebuilt type is not among them)
  std::size_t contentStart = 0;  // where the first column's content begins, past the types
  std::size_t end = 0;           // one past the last content byte
};

// Cell layout: p is the payload (header-size varint first), n the bytes of it that are held.
int walkPayload(const std::uint8_t* p, std::size_t n, Record* out);

// Carved layout: `count` serial types at p, numbered from firstColumn. A non-zero lostType is
// the rebuilt serial type of column 0 (firstColumn 1): its content lies first, before the
// contents of the serial types read.
int walkCarved(const std::uint8_t* p, std::size_t n, int firstColumn, std::size_t count,
               Record* out, std::uint64_t lostType = 0);

// The first column of a carved record by the first-byte rule: a zero first serial type is the
// row-id alias stored as NULL (column 0); anything else means it was overwritten (column 1).
inline int carvedFirstColumn(const std::uint8_t* p, std::size_t n) {
  return (n > 0 && p[0] != 0) ? 1 : 0;
}

// Size of a record whose serial types begin at p: `headerLen` bytes of serial types (for a
// table of known width, recomputed as the length of `width` varints, or width - 1 when the
// first byte is not zero) plus their content widths. The content sum stops growing once it
// exceeds avail, so the result is > avail exactly when the record cannot fit.
std::uint64_t recordSize(const std::uint8_t* p, std::size_t avail, std::uint64_t headerLen,
                         std::size_t width);

// Column values. Integers are signed two's complement as SQLite stores them (types 1..6);
// 8 and 9 are the constants 0 and 1; other types give 0. Inline: a listing reads one for most
// columns of every row.
inline std::int64_t integerValue(const std::uint8_t* c, std::uint64_t serialType) {
  if (serialType == 8) return 0;
  if (serialType == 9) return 1;
  if (serialType < 1 || serialType > 6) return 0;
  const std::size_t width = static_cast<std::size_t>(serialTypeWidth(serialType));
  // Sign-extend from the first byte, as SQLite stores every integer width.
  std::uint64_t v = (c[0] & 0x80) ? ~std::uint64_t{0} : 0;
  for (std::size_t i = 0; i < width; ++i) v = (v << 8) | c[i];
  return static_cast<std::int64_t>(v);
}
// The unsigned big-endian value of a 1- to 4-byte integer (0 for other types): what the table
// decoders use for row references, which are never negative.
std::uint32_t unsignedValue(const std::uint8_t* content, std::uint64_t serialType);
double realValue(const std::uint8_t* content);

bool isValidUtf8(std::string_view bytes);
// The length of the well-formed UTF-8 sequence of more than one byte that starts at p (its
// lead byte is 0x80 or above), within avail bytes; 0 when it is malformed (a stray or missing
// continuation byte, an overlong form, a surrogate, a value past U+10FFFF).
std::size_t utf8SequenceLength(const std::uint8_t* p, std::size_t avail);

// Text of a record in the database's encoding, as UTF-8 (malformed sequences become U+FFFD).
std::string textToUtf8(std::string_view bytes, TextEncoding encoding);

}  // namespace qv::db
