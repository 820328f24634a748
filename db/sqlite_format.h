// The SQLite 3 file format as this reader uses it. All integers are big-endian.
//
// Database header (page 1, offset 0, 100 bytes):
//   0   16  "SQLite format 3\0"
//   16   2  page size: a power of two 512..32768, or the value 1, which means 65536 (a page
//           size of 65536 does not fit the field)
//   20   1  reserved bytes at the end of every page (usable size = page size - reserved)
//   28   4  page count as the writer last knew it (the file size decides here)
//   32   4  first freelist trunk page number (0: no freelist)
//   36   4  number of freelist pages
//   56   4  text encoding: 1 UTF-8, 2 UTF-16le, 3 UTF-16be
//
// B-tree page (header at offset 100 on page 1, 0 elsewhere; h below):
//   h+0  1  type: 13 leaf table, 5 interior table, 10 leaf index, 2 interior index
//   h+1  2  first freeblock offset (0: none)
//   h+3  2  cell count
//   h+5  2  start of the cell content area (0 means 65536)
//   h+7  1  fragmented free bytes
//   h+8  4  right-most child page number (interior pages only)
//   then the cell pointer array: count 2-byte offsets, at h+12 (interior) or h+8 (leaf)
// Invariants of a well-formed page: pointer array end <= content start <= usable size; every
// cell lies inside [content start, usable size); freeblocks ascend, each at least 4 bytes and
// inside the page.
//
// Table leaf cell:     payload length varint, row id varint, local payload, [4-byte overflow]
// Table interior cell: 4-byte left child page number, key varint
// Freeblock:           2-byte next freeblock offset, 2-byte size (whole block), free bytes
// Overflow page:       4-byte next overflow page number (0 ends), usable size - 4 payload bytes
// Freelist trunk page: 4-byte next trunk, 4-byte leaf count, leaf page numbers (4 bytes each)
//
// Record (the payload): header size varint H (counting itself), serial type varints filling
// the header, then the column contents in order. Serial types: 0 NULL; 1,2,3,4,5,6 integers of
// 1,2,3,4,6,8 bytes (signed two's complement); 7 IEEE double; 8 and 9 the constants 0 and 1;
// 10, 11 reserved; even N>=12 a blob of (N-12)/2 bytes; odd N>=13 text of (N-13)/2 bytes.
#pragma once

#include <cstddef>
#include <cstdint>

namespace qv::db {

constexpr std::size_t kFileHeaderSize = 100;
constexpr std::size_t kMagicSize = 16;
constexpr std::size_t kPageSizeOffset = 16;
constexpr std::size_t kReservedOffset = 20;
constexpr std::size_t kFirstTrunkOffset = 32;
constexpr std::size_t kEncodingOffset = 56;

constexpr std::uint8_t kLeafTable = 13;
constexpr std::uint8_t kInteriorTable = 5;
constexpr std::uint8_t kLeafIndex = 10;
constexpr std::uint8_t kInteriorIndex = 2;

constexpr std::size_t kMinPageSize = 512;
constexpr std::size_t kMaxPageSize = 65536;

// Zero bytes kept past the end of every page and payload buffer: the longest varint, so that
// a missed bound check reads zeros instead of the heap.
constexpr std::size_t kBufferPad = 16;

// The deepest b-tree a sound file can have (SQLite refuses deeper ones).
constexpr int kMaxTreeDepth = 20;

enum class TextEncoding { kUtf8 = 1, kUtf16le = 2, kUtf16be = 3 };

// The page header's offset inside a page image.
inline std::size_t pageHeaderOffset(std::uint32_t pageIndex) {
  return pageIndex == 0 ? kFileHeaderSize : 0;
}

inline std::uint16_t be16(const std::uint8_t* p) {
  return static_cast<std::uint16_t>((p[0] << 8) | p[1]);
}
inline std::uint32_t be32(const std::uint8_t* p) {
  return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) |
         std::uint32_t{p[3]};
}

}  // namespace qv::db
