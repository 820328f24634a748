#include "db/page_layout.h"

#include "db/sqlite_format.h"
#include "db/varint.h"
#include "platform/result.h"

namespace qv::db {

bool readPageHeader(const std::uint8_t* page, const PageGeometry& g, std::uint32_t pageIndex,
                    PageHeader* out) {
  *out = PageHeader();
  const std::size_t h = pageHeaderOffset(pageIndex);
  // The largest header (interior, 12 bytes) must fit inside the usable part of the page.
  if (g.usableSize < h + 12) return false;
  out->headerOffset = h;
  out->type = page[h];
  out->firstFreeblock = be16(page + h + 1);
  out->cellCount = be16(page + h + 3);
  const std::uint32_t content = be16(page + h + 5);
  out->contentStart = content == 0 ? 65536u : content;
  const bool interior = out->type == kInteriorTable || out->type == kInteriorIndex;
  out->rightChild = interior ? be32(page + h + 8) : 0;
  out->pointerArray = h + (interior ? 12 : 8);
  out->pointerArrayEnd = out->pointerArray;
  return true;
}

int cellPointers(const std::uint8_t* page, const PageGeometry& g, const PageHeader& h,
                 std::vector<std::uint16_t>* out) {
  out->clear();
  int rc = kOk;
  std::size_t count = h.cellCount;
  // The pointer array must end inside the usable part of the page.
  const std::size_t room = (g.usableSize - h.pointerArray) / 2;
  if (count > room) {
    count = room;
    rc = kInvalid;
  }
  const std::size_t arrayEnd = h.pointerArray + 2 * count;
  out->reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint16_t off = be16(page + h.pointerArray + 2 * i);
    // A cell lies between the pointer array and the end of the usable space.
    if (off < arrayEnd || off >= g.usableSize) {
      rc = kInvalid;
      continue;
    }
    out->push_back(off);
  }
  return rc;
}

std::uint64_t localPayloadSize(std::uint64_t payload, std::size_t usableSize, bool indexPage) {
  const std::uint64_t u = usableSize;
  const std::uint64_t maxLocal = indexPage ? ((u - 12) * 64 / 255) - 23 : u - 35;
  if (payload <= maxLocal) return payload;
  const std::uint64_t minLocal = ((u - 12) * 32 / 255) - 23;
  const std::uint64_t k = minLocal + (payload - minLocal) % (u - 4);
  return k <= maxLocal ? k : minLocal;
}

namespace {

// A cell from its payload-length varint on: `prefix` bytes before it (an index interior
// cell's child page number), then the row id when `withRowId`.
int parseCell(const std::uint8_t* page, const PageGeometry& g, std::size_t offset,
              std::size_t prefix, bool withRowId, LeafCell* out) {
  *out = LeafCell();
  if (offset >= g.usableSize || g.usableSize - offset <= prefix) return kInvalid;
  std::size_t avail = g.usableSize - offset - prefix;
  std::size_t pos = offset + prefix;
  std::size_t n = readVarint(page + pos, avail, &out->payloadSize);
  if (n == 0) return kInvalid;
  pos += n;
  avail -= n;
  if (withRowId) {
    std::uint64_t rowId = 0;
    n = readVarint(page + pos, avail, &rowId);
    if (n == 0) return kInvalid;
    out->rowId = static_cast<std::int64_t>(rowId);
    pos += n;
    avail -= n;
  }
  out->payloadOffset = pos;
  const std::uint64_t local = localPayloadSize(out->payloadSize, g.usableSize, !withRowId);
  const bool spills = local < out->payloadSize;
  // The local payload (and the overflow page number after it) must end inside the page.
  if (local > avail || (spills && avail - local < 4)) return kInvalid;
  out->localSize = static_cast<std::size_t>(local);
  if (spills) out->firstOverflow = be32(page + pos + out->localSize);
  std::size_t size = pos - offset + out->localSize + (spills ? 4 : 0);
  out->cellSize = size < 4 ? 4 : size;
  return kOk;
}

}  // namespace

int parseLeafCell(const std::uint8_t* page, const PageGeometry& g, std::size_t offset,
                  LeafCell* out) {
  return parseCell(page, g, offset, 0, true, out);
}

bool holdsRecords(std::uint8_t pageType) {
  return pageType == kLeafTable || pageType == kLeafIndex || pageType == kInteriorIndex;
}

int parseRecordCell(const std::uint8_t* page, const PageGeometry& g, std::uint8_t pageType,
                    std::size_t offset, LeafCell* out) {
  switch (pageType) {
    case kLeafTable:
      return parseCell(page, g, offset, 0, true, out);
    case kLeafIndex:
      return parseCell(page, g, offset, 0, false, out);
    case kInteriorIndex:
      return parseCell(page, g, offset, 4, false, out);
    default:
      *out = LeafCell();
      return kInvalid;
  }
}

}  // namespace qv::db
