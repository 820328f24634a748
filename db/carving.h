// Carving deleted rows out of the free space of one table leaf page.
//
// Free space on a leaf page is every byte between the end of the cell pointer array and the
// end of the usable area that no live cell covers: the gap above the pointer array, freeblocks
// (whose first four bytes the database overwrote with the next-freeblock offset and the
// block size when the cell was freed), fragments, and whatever lies behind the highest cell.
// Deleted cells sit there whole, or with their first four bytes overwritten, which takes the
// payload-length and row-id varints and often the header size and the first serial type.
//
// Candidates are proposed by four passes (the freeblock chain, behind the highest cell, the
// gap, stale pointer entries) and by a sweep that looks for intact record headers anywhere in
// free space and for overwritten ones where a freed cell must begin. Every proposal is then
// measured the same way: its serial types must be valid and complete, its content must fit in
// the free interval it starts in (or spill to a plausible overflow page), it must carry some
// content (zeroed space carries none), and it scores by the evidence around it (an intact
// header, an intact cell, a record that exactly fills its freeblock). Overlapping proposals
// keep the best scored one, so one deleted row gives one candidate.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "db/page_layout.h"

namespace qv::db {

// A record the carver has measured, as a table's own test sees it. Every offset lies inside
// the page image; `end` is at most the usable size.
struct CarvedRecordView {
  const std::uint8_t* page = nullptr;
  const std::uint64_t* types = nullptr;  // the serial types read
  std::size_t typeCount = 0;
  int firstColumn = 0;           // column number of types[0]
  std::size_t contentStart = 0;  // where the content of types[0] begins
  std::size_t end = 0;           // end of the record's bytes on the page
  bool utf16 = false;            // texts are UTF-16 (2 bytes a unit)
};

// A table's own test of a carved record: false drops the record before it competes with the
// proposals it overlaps. It runs on the carving thread and may look at its argument only.
using CarvedRecordTest = bool (*)(const CarvedRecordView& record);

// The storage classes a column can hold, as bits of a mask: what SQLite may write for the
// column's declared type and constraints (a TEXT column stores numbers as text; a NOT NULL
// column holds no NULL; the row-id alias is stored as NULL and nothing else).
enum ColumnClass : std::uint8_t {
  kHoldsNull = 1,
  kHoldsInteger = 2,  // serial types 1..6, 8, 9
  kHoldsReal = 4,
  kHoldsText = 8,
  kHoldsBlob = 16,
  kHoldsAnything = 31,
};

// Whether a column of that mask can hold a value of this serial type.
bool columnHolds(std::uint8_t mask, std::uint64_t serialType);

// What a column can hold, and what its declared type usually holds (a TEXT column may hold a
// blob, but rows of a table whose text columns hold texts are likelier its own).
struct ColumnClasses {
  std::uint8_t holds = kHoldsAnything;
  std::uint8_t usual = kHoldsAnything;
};

// What carving needs to know of a table; it knows nothing of what the columns mean.
struct TableShape {
  // Columns of a row: freed headers are rebuilt with this many serial types, and a freelist
  // page is taken when its first cell has this many (0: unknown; carving then proposes only
  // the intact headers the header scans find).
  int width = 0;
  // Serial types the intact-header scans behind the highest cell and in the gap expect; -1
  // for the width, 0 to switch those scans off.
  int headerWidth = -1;
  CarvedRecordTest accept = nullptr;  // null: every measured record competes
  // Column 0 holds a value (the table has no row-id alias there): when a freed cell lost its
  // first serial type, the column's content still lies before the others and its type is
  // rebuilt from the room the record fills; when the type survived, it is read.
  bool firstIsValue = false;
  // The storage classes each column can hold, by position (null or shorter: anything).
  std::shared_ptr<const std::vector<ColumnClasses>> columnClasses;
  // The serial type a lost column 0 most likely had, tried before the room is read (0: none):
  // the schema table's rows begin with the text "table" or "index".
  std::uint64_t firstTypeGuess = 0;
  // The table's rows are the records of an index b-tree (a table WITHOUT ROWID): its cells
  // hold a payload length and the record, no row id, on leaf and interior pages alike, and
  // the columns (and `columnClasses`) are in the record's order, the key first.
  bool withoutRowId = false;

  int headerScanWidth() const { return headerWidth < 0 ? width : headerWidth; }
};

struct CarveContext {
  PageGeometry geometry;
  std::uint32_t pageIndex = 0;
  TableShape shape;
  bool utf16 = false;           // texts are UTF-16 (2 bytes a unit)
  std::uint32_t pageCount = 0;  // pages in the file, for overflow page numbers (0: none)
};

struct CarvedCandidate {
  std::uint16_t offset = 0;         // where the record's serial types begin
  std::uint8_t firstColumn = 0;     // column number of the first serial type (0 or 1)
  std::uint16_t typeCount = 0;      // serial types to read
  std::int32_t payloadOffset = 0;   // where the payload began (may be before the free space)
  std::uint32_t payloadSize = 0;    // header + content as rebuilt
  std::uint32_t firstOverflow = 0;  // 0 when the record lies wholly on the page
  std::uint32_t localEnd = 0;       // end of the record's bytes on this page (up to 65536)
  std::uint8_t pass = 0;            // 1..4 the passes, 5 the free-space sweep
  std::uint8_t score = 0;           // evidence (higher is stronger)
  // The serial type rebuilt for column 0 when it held a value whose type was overwritten
  // (firstColumn 1 in a table without a row-id alias in column 0): its content comes first.
  // 0 when there is none to lay out.
  std::uint32_t lostType = 0;
};

// Appends the candidates of one leaf page image (pageSize bytes followed by kBufferPad zero
// bytes) in the order they were found. An interior table page (a leaf once: a root that split)
// gives what the sweep finds below its content; any other page yields nothing.
void carvePage(const std::uint8_t* page, const CarveContext& ctx,
               std::vector<CarvedCandidate>* out);

// The same for a freelist trunk page: the bytes past its list of leaf pages are what the page
// held before it was freed.
void carveTrunkPage(const std::uint8_t* page, const CarveContext& ctx,
                    std::vector<CarvedCandidate>* out);

}  // namespace qv::db
