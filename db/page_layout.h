// One b-tree page image: its header, its cell pointers and the extent of its table cells.
// Everything here reads a page image of pageSize bytes (plus kBufferPad zero bytes) and
// checks every offset it takes from the page against the page before using it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace qv::db {

struct PageGeometry {
  std::size_t pageSize = 0;    // bytes in a page image
  std::size_t usableSize = 0;  // page size less the reserved bytes at the end of each page
};

struct PageHeader {
  std::uint8_t type = 0;
  std::size_t headerOffset = 0;  // 100 on page index 0, else 0
  std::uint16_t firstFreeblock = 0;
  std::uint32_t cellCount = 0;
  std::uint32_t contentStart = 0;   // the stored 0 already turned into 65536
  std::uint32_t rightChild = 0;     // interior pages only (a page number, 0 when absent)
  std::size_t pointerArray = 0;     // offset of the first cell pointer
  std::size_t pointerArrayEnd = 0;  // offset just past the last cell pointer
};

// Reads the page header. False when the header itself does not fit in the page.
bool readPageHeader(const std::uint8_t* page, const PageGeometry& g, std::uint32_t pageIndex,
                    PageHeader* out);

// The cell offsets in pointer-array order. Only offsets that can start a cell of this page are
// kept: at or past the end of the pointer array and below the usable size. Returns kOk when
// every pointer was sound and kInvalid when the count overran the page or a pointer was
// dropped (the sound ones are still returned).
int cellPointers(const std::uint8_t* page, const PageGeometry& g, const PageHeader& h,
                 std::vector<std::uint16_t>* out);

// How much of a table-leaf payload of `payload` bytes lies on the page (the rest spills to
// overflow pages), by SQLite's rule for the usable size. Index pages keep less on the page
// (`indexPage`): a quarter of it at most, so that every interior page holds four keys.
std::uint64_t localPayloadSize(std::uint64_t payload, std::size_t usableSize,
                               bool indexPage = false);

// A table-leaf cell parsed at an offset.
struct LeafCell {
  std::uint64_t payloadSize = 0;
  std::int64_t rowId = 0;
  std::size_t payloadOffset = 0;    // where the payload starts in the page image
  std::size_t localSize = 0;        // payload bytes on the page
  std::uint32_t firstOverflow = 0;  // 0 when the payload fits on the page
  std::size_t cellSize = 0;         // bytes the cell takes on the page (at least 4)
};

// Parses the leaf cell at `offset`. kInvalid when its local part runs past the usable size.
int parseLeafCell(const std::uint8_t* page, const PageGeometry& g, std::size_t offset,
                  LeafCell* out);

// Whether cells of a page of this type hold a record (table leaves, index leaves and index
// interior pages; a table interior page holds only keys).
bool holdsRecords(std::uint8_t pageType);

// Parses a record-holding cell of a page of that type: a table-leaf cell as parseLeafCell, an
// index cell (a child page number first on an interior page, then the payload length and the
// payload, no row id: rowId 0). kInvalid for other page types or a cell that runs past the
// usable size.
int parseRecordCell(const std::uint8_t* page, const PageGeometry& g, std::uint8_t pageType,
                    std::size_t offset, LeafCell* out);

}  // namespace qv::db
