#include "db/sqlite_page_reader.h"

#include <algorithm>
#include <cstring>
#include <set>
#include <unordered_set>

#include "db/carve_worker.h"
#include "db/varint.h"
#include "platform/ascii.h"
#include "platform/file.h"
#include "platform/result.h"
#include "platform/text.h"

namespace qv::db {

namespace {

// Trees with at least this many leaf pages are carved on a second thread.
constexpr std::size_t kParallelCarveLeaves = 64;

// Reads are split in chunks of at most this many bytes.
constexpr std::size_t kReadChunk = 65536;

bool magicMatches(const std::uint8_t* p) {
  static const char kMagic[] = "SQLite format 3";  // with its terminating zero: 16 bytes
  return platform::equalsNoCase(std::string_view(reinterpret_cast<const char*>(p), kMagicSize),
                                std::string_view(kMagic, kMagicSize));
}

// The name of a table in the database's text encoding, for byte comparison with schema text.
std::string encodeName(const std::string& utf8, TextEncoding encoding) {
  if (encoding == TextEncoding::kUtf8) return utf8;
  std::string out;
  const std::wstring wide = platform::toWide(utf8);
  auto put = [&](std::uint32_t unit) {
    const char hi = static_cast<char>((unit >> 8) & 0xff);
    const char lo = static_cast<char>(unit & 0xff);
    if (encoding == TextEncoding::kUtf16le) {
      out += lo;
      out += hi;
    } else {
      out += hi;
      out += lo;
    }
  };
  for (wchar_t wc : wide) {
    auto cp = static_cast<std::uint32_t>(wc);
    if (cp >= 0x10000) {
      cp -= 0x10000;
      put(0xD800 + (cp >> 10));
      put(0xDC00 + (cp & 0x3ff));
    } else {
      put(cp);
    }
  }
  return out;
}

class PageBuffer {
 public:
  explicit PageBuffer(std::size_t pageSize) : bytes_(pageSize + kBufferPad, 0) {}
  std::uint8_t* data() { return bytes_.data(); }

 private:
  std::vector<std::uint8_t> bytes_;
};

}  // namespace

int walkRow(const RowImage& row, Record* out) {
  if (row.carvedLayout)
    return walkCarved(row.data, row.size, row.firstColumn, row.typeCount, out, row.lostType);
  return walkPayload(row.data, row.size, out);
}

SqlitePageReader::SqlitePageReader() = default;
SqlitePageReader::~SqlitePageReader() = default;

void SqlitePageReader::Close() {
  source_.reset();
  walSource_.reset();
  wal_.reset();
  snapshot_ = 0;
  filePages_ = 0;
  for (ChunkSlot& slot : chunks_) slot = ChunkSlot();
  geometry_ = PageGeometry();
  pageCount_ = 0;
  freelist_.clear();
  trunks_.clear();
  claimed_.clear();
  freelistOwners_.clear();
  freelistStatus_ = 0;
}

int SqlitePageReader::Open(const DatabaseFile& file) {
  Close();
  platform::File main;
  int rc = main.openRead(file.path);
  if (rc != kOk) return rc;
  std::unique_ptr<PageSource> wal;
  platform::File log;
  // A log that cannot be opened is as good as none: the file alone is still the database.
  if (!file.wal.empty() && log.openRead(file.wal) == kOk)
    wal = std::make_unique<FilePageSource>(std::move(log));
  return openSource(std::make_unique<FilePageSource>(std::move(main)), std::move(wal));
}

int SqlitePageReader::OpenMemory(std::string bytes, std::string walBytes) {
  Close();
  std::unique_ptr<PageSource> wal;
  if (!walBytes.empty()) wal = std::make_unique<MemoryPageSource>(std::move(walBytes));
  return openSource(std::make_unique<MemoryPageSource>(std::move(bytes)), std::move(wal));
}

int SqlitePageReader::openSource(std::unique_ptr<PageSource> source,
                                 std::unique_ptr<PageSource> wal) {
  std::uint64_t fileSize = 0;
  int rc = source->size(&fileSize);
  if (rc != kOk) return rc;
  std::uint8_t header[kFileHeaderSize] = {};
  std::size_t got = 0;
  rc = source->readAt(0, header, sizeof header, &got);
  if (rc != kOk) return rc;
  if (got < kMagicSize || !magicMatches(header)) return kInvalid;
  if (got < kFileHeaderSize) return kShortRead;

  // The log counts when its page size is the file's. A file without its header is no
  // database even with a log beside it: SQLite takes an empty file for an empty database and
  // drops its log.
  std::unique_ptr<WalIndex> index;
  if (wal != nullptr) {
    index = std::make_unique<WalIndex>();
    const std::uint32_t stored = be16(header + kPageSizeOffset);
    rc = index->load(*wal, stored == 1 ? 65536 : stored);
    if (rc != kOk || index->empty()) index.reset();
  }

  // Page size: a power of two from 512 to 32768, or 1 for 65,536-byte pages. Offsets within
  // such a page still fit 16 bits (every cell, freeblock and record starts below 65536); only
  // ends of extents may reach 65536, and those are kept wider.
  std::uint32_t pageSize = be16(header + kPageSizeOffset);
  if (pageSize == 1) pageSize = 65536;
  if (pageSize < kMinPageSize || pageSize > kMaxPageSize || (pageSize & (pageSize - 1)) != 0)
    return kInvalid;
  // The usable size must leave room for the smallest cells SQLite writes.
  const std::uint32_t reserved = header[kReservedOffset];
  if (pageSize - reserved < 480) return kInvalid;
  // A database holds at least its first page (in the file, or in the log).
  if (fileSize < pageSize && !index) return kShortRead;
  const std::uint64_t pages = fileSize / pageSize;
  if (pages > 0xFFFFFFFEull) return kInvalid;

  const std::uint32_t enc = be32(header + kEncodingOffset);
  encoding_ = enc == 2   ? TextEncoding::kUtf16le
              : enc == 3 ? TextEncoding::kUtf16be
                         : TextEncoding::kUtf8;
  source_ = std::move(source);
  geometry_.pageSize = pageSize;
  geometry_.usableSize = pageSize - reserved;
  filePages_ = static_cast<std::uint32_t>(pages);
  pageCount_ = filePages_;
  if (index) {
    walSource_ = std::move(wal);
    wal_ = std::move(index);
    snapshot_ = wal_->lastCommit();
    pageCount_ = wal_->pagesAt(snapshot_);
  }
  rc = readFreelist();
  if (rc != kOk && rc != kInvalid) {
    Close();
    return rc;
  }
  return kOk;
}

std::uint32_t SqlitePageReader::frameOfPage(std::uint32_t pageIndex) const {
  return wal_ ? wal_->frameOf(pageIndex + 1, snapshot_) : 0;
}

// The freelist: trunk pages, each listing leaf pages. A damaged chain keeps what was sound
// before the damage and makes later freelist scans report 87.
int SqlitePageReader::readFreelist() {
  Freelist list;
  const int rc = collectFreelist(&list);
  freelist_ = std::move(list.leaves);
  trunks_ = std::move(list.trunks);
  freelistStatus_ = rc == kOk || rc == kInvalid ? rc : kOk;
  return rc;
}

// The freelist of the view read: 0, 87 for a damaged chain (what was sound before the damage
// is kept), or a read failure.
int SqlitePageReader::collectFreelist(Freelist* out) {
  out->leaves.clear();
  out->trunks.clear();
  int status = kOk;
  PageBuffer header(geometry_.pageSize);
  int rc = ReadPage(0, header.data());
  if (rc != kOk) return rc;
  std::uint32_t trunk = be32(header.data() + kFirstTrunkOffset);
  std::vector<bool> seen(pageCount_, false);
  PageBuffer page(geometry_.pageSize);
  // A trunk lists at most this many leaves (the rest of the page after its 8-byte header).
  const std::uint32_t maxLeaves = static_cast<std::uint32_t>(geometry_.usableSize / 4 - 2);
  std::uint32_t budget = pageCount_;
  while (trunk != 0) {
    // Trunk numbers lie inside the file and no trunk is visited twice.
    if (trunk > pageCount_ || seen[trunk - 1] || budget-- == 0) return kInvalid;
    seen[trunk - 1] = true;
    out->trunks.push_back(trunk - 1);
    rc = ReadPage(trunk - 1, page.data());
    if (rc != kOk) return rc;
    const std::uint32_t next = be32(page.data());
    std::uint32_t count = be32(page.data() + 4);
    if (count > maxLeaves) {
      count = maxLeaves;
      status = kInvalid;
    }
    for (std::uint32_t k = 0; k < count; ++k) {
      const std::uint32_t leaf = be32(page.data() + 8 + 4 * k);
      if (leaf == 0 || leaf > pageCount_ || seen[leaf - 1]) {
        status = kInvalid;
        continue;
      }
      seen[leaf - 1] = true;
      out->leaves.push_back(leaf - 1);
    }
    trunk = next;
  }
  return status;
}

int SqlitePageReader::ReadPage(std::uint32_t pageIndex, std::uint8_t* buffer) {
  if (!source_) return kInvalid;
  std::memset(buffer + geometry_.pageSize, 0, kBufferPad);
  if (pageIndex >= pageCount_) return kShortRead;
  if (const std::uint32_t frame = frameOfPage(pageIndex)) {
    std::size_t got = 0;
    const int rc = walSource_->readAt(wal_->pageOffset(frame), buffer, geometry_.pageSize, &got);
    if (rc != kOk) return rc;
    return got < geometry_.pageSize ? kShortRead : kOk;
  }
  if (wal_ && pageIndex >= filePages_) {
    // A page the log's view counts that neither the log nor the file holds reads as zeros,
    // as it does to SQLite.
    std::memset(buffer, 0, geometry_.pageSize);
    return kOk;
  }
  const std::uint64_t offset = std::uint64_t{pageIndex} * geometry_.pageSize;
  // Scans read pages mostly in ascending order, several times over: a few 64 KiB chunks kept
  // in memory save most of the system calls. A chunk holds whole pages only.
  const std::size_t chunkBytes = std::max(kReadChunk, geometry_.pageSize);
  const std::uint64_t chunk = offset / chunkBytes;
  ChunkSlot& slot = chunks_[chunk % kChunkSlots];
  if (!slot.valid || slot.index != chunk) {
    slot.valid = false;
    slot.bytes.resize(chunkBytes);
    std::size_t got = 0;
    int rc = source_->readAt(chunk * chunkBytes, slot.bytes.data(), chunkBytes, &got);
    if (rc != kOk) return rc;
    slot.valid = true;
    slot.index = chunk;
    slot.size = got;
  }
  const std::size_t within = static_cast<std::size_t>(offset - chunk * chunkBytes);
  if (slot.size >= within + geometry_.pageSize) {
    std::memcpy(buffer, slot.bytes.data() + within, geometry_.pageSize);
    return kOk;
  }
  // The chunk ended early (the end of the file): read the page on its own.
  std::size_t done = 0;
  while (done < geometry_.pageSize) {
    const std::size_t want = std::min(kReadChunk, geometry_.pageSize - done);
    std::size_t got = 0;
    int rc = source_->readAt(offset + done, buffer + done, want, &got);
    if (rc != kOk) return rc;
    if (got < want) return kShortRead;
    done += got;
  }
  return kOk;
}

namespace {

// The leaf pages whose cells are a table's rows: index leaves for a table WITHOUT ROWID.
std::uint8_t leafType(const TableShape& shape) {
  return shape.withoutRowId ? kLeafIndex : kLeafTable;
}

}  // namespace

// ---- the b-tree walk ------------------------------------------------------------------------

// Visits the table-leaf pages below `page` (itself included). Interior table pages are
// expanded child by child in ascending page index; a root of another page type is passed by,
// a child of another page type is damage. In an index
// tree (`indexTree`: a table WITHOUT ROWID) the index pages are walked instead, and interior
// pages are visited too, before their children: their cells hold records as well. Children
// outside the file, children seen before in this walk and trees deeper than kMaxTreeDepth are
// not followed and make the walk report 87; a read error is reported and the walk goes on
// with the other children, so everything readable is still visited.
//
// With `unread` (a table's own tree), the children of an interior page that follow a child
// read as a leaf are taken for leaves unread and listed there: every leaf of a b-tree lies at
// the same depth, and the scan reads each leaf again to hand its rows over, where it checks
// that the page is one (ScanTable). The walk then reads only the interior pages and one leaf
// below each of the lowest ones.
template <class Visit>
int SqlitePageReader::walkTable(const std::uint8_t* page, std::uint32_t pageIndex, bool indexTree,
                                Visit&& visitLeaf, std::vector<std::uint32_t>* unread) {
  std::vector<bool> seen(pageCount_, false);
  if (pageIndex < pageCount_) seen[pageIndex] = true;
  interiors_.clear();
  std::vector<std::vector<std::uint8_t>> levels;  // one page buffer per depth
  int result = kOk;
  auto note = [&result](int rc) {
    if (result == kOk) result = rc;
  };

  // Recursion by an explicit function object keeps one buffer per level.
  // Says whether the page was a leaf of the tree.
  auto descend = [&](auto&& self, const std::uint8_t* image, std::uint32_t index,
                     int depth) -> bool {
    PageHeader h;
    if (!readPageHeader(image, geometry_, index, &h)) return note(kInvalid), false;
    if (h.type == (indexTree ? kLeafIndex : kLeafTable))
      return note(visitLeaf(image, index, h)), true;
    // A root of the other kind of tree (an index's, walked for its table) is passed by; a child
    // that is no page of the tree's kind is damage, and the rows below it are lost to the walk.
    if (h.type != (indexTree ? kInteriorIndex : kInteriorTable))
      return note(depth > 0 ? kInvalid : kOk), false;
    if (depth >= kMaxTreeDepth) return note(kInvalid), false;
    if (indexTree) {
      note(visitLeaf(image, index, h));
    } else {
      interiors_.push_back(index);
    }
    std::vector<std::uint16_t> cells;
    if (cellPointers(image, geometry_, h, &cells) != kOk) note(kInvalid);
    std::map<std::uint32_t, std::int64_t> children;
    for (std::uint16_t off : cells) {
      // An interior cell is a 4-byte child page number and a key varint (a payload length in
      // an index tree).
      if (off > geometry_.usableSize - 5) {
        note(kInvalid);
        continue;
      }
      std::uint64_t key = 0;
      readVarint(image + off + 4, geometry_.usableSize - off - 4, &key);
      const std::uint32_t child = be32(image + off);
      if (child == 0 || child > pageCount_) {
        note(kInvalid);
        continue;
      }
      children[child - 1] = static_cast<std::int64_t>(key);
    }
    if (h.rightChild != 0 && h.rightChild <= pageCount_) {
      children[h.rightChild - 1] = -1;
    } else {
      note(kInvalid);
    }
    if (levels.size() <= static_cast<std::size_t>(depth)) {
      levels.emplace_back(geometry_.pageSize + kBufferPad, 0);
    }
    bool leavesHere = false;  // a child read was a leaf
    for (const auto& child : children) {
      if (seen[child.first]) {
        note(kInvalid);  // a page reached twice: a cycle or a shared child
        continue;
      }
      seen[child.first] = true;
      if (leavesHere) {
        unread->push_back(child.first);
        continue;
      }
      std::uint8_t* buffer = levels[static_cast<std::size_t>(depth)].data();
      int rc = ReadPage(child.first, buffer);
      if (rc != kOk) {
        note(rc);
        continue;
      }
      const bool leaf = self(self, buffer, child.first, depth + 1);
      leavesHere = unread != nullptr && !indexTree && leaf;
    }
    return false;
  };
  descend(descend, page, pageIndex, 0);
  return result;
}

int SqlitePageReader::CollectLiveCells(const std::uint8_t* page, std::uint32_t pageIndex,
                                       LiveCellMap* cells, bool indexTree,
                                       std::vector<std::uint32_t>* unread) {
  return walkTable(
      page, pageIndex, indexTree,
      [&](const std::uint8_t* image, std::uint32_t index, const PageHeader& h) {
        std::vector<std::uint16_t>& list = (*cells)[index];
        return cellPointers(image, geometry_, h, &list);
      },
      unread);
}

CarveContext SqlitePageReader::carveContext(std::uint32_t pageIndex,
                                            const TableShape& shape) const {
  CarveContext ctx;
  ctx.geometry = geometry_;
  ctx.pageIndex = pageIndex;
  ctx.shape = shape;
  ctx.utf16 = encoding_ != TextEncoding::kUtf8;
  ctx.pageCount = pageCount_;
  return ctx;
}

int SqlitePageReader::CollectCarvedCandidates(const std::uint8_t* page, std::uint32_t pageIndex,
                                              const TableShape& shape,
                                              CarvedCandidateMap* candidates) {
  return walkTable(page, pageIndex, shape.withoutRowId,
                   [&](const std::uint8_t* image, std::uint32_t index, const PageHeader&) {
                     std::vector<CarvedCandidate> list;
                     carvePage(image, carveContext(index, shape), &list);
                     if (!list.empty()) (*candidates)[index] = std::move(list);
                     return kOk;
                   });
}

// ---- the schema -----------------------------------------------------------------------------

namespace {

// Text or integer column of a schema record, by column number.
struct SchemaColumns {
  std::string_view text[5];
  bool isText[5] = {};
  std::int64_t integer[5] = {};
  bool isInteger[5] = {};
};

// The first columns of a schema record (type, name, tbl_name, rootpage, sql). With
// `constantsToo` the constants 0 and 1 count as integers.
void splitSchemaRecord(const std::uint8_t* data, const Record& rec, bool constantsToo,
                       SchemaColumns* out) {
  for (const RecordColumn& c : rec.columns) {
    if (c.column < 0 || c.column > 4) continue;
    if (isTextType(c.serialType)) {
      out->isText[c.column] = true;
      out->text[c.column] =
          std::string_view(reinterpret_cast<const char*>(data + c.offset), c.width);
    } else if (isIntegerType(c.serialType) ||
               (constantsToo && (c.serialType == 8 || c.serialType == 9))) {
      out->isInteger[c.column] = true;
      out->integer[c.column] = integerValue(data + c.offset, c.serialType);
    }
  }
}

// Hands visit(page, cellOffset) every cell of the schema's leaf pages, in b-tree order. The
// first failure of the walk, of a page read or of a visit is returned; the walk goes on.
template <class Visit>
int forEachSchemaCell(SqlitePageReader& reader, Visit visit) {
  if (!reader.isOpen()) return kInvalid;
  PageBuffer first(reader.pageSize());
  int rc = reader.ReadPage(0, first.data());
  if (rc != kOk) return rc;
  LiveCellMap cells;
  int result = reader.CollectLiveCells(first.data(), 0, &cells);
  auto note = [&result](int code) {
    if (result == kOk && code != kOk) result = code;
  };
  PageBuffer page(reader.pageSize());
  for (const auto& leaf : cells) {
    rc = reader.ReadPage(leaf.first, page.data());
    if (rc != kOk) {
      note(rc);
      continue;
    }
    for (std::uint16_t off : leaf.second) note(visit(page.data(), off));
  }
  return result;
}

}  // namespace

int SqlitePageReader::ReadSchema(std::vector<SchemaEntry>* out) {
  out->clear();
  Record rec;
  std::vector<std::uint8_t> payload;
  return forEachSchemaCell(*this, [&](const std::uint8_t* page, std::uint16_t off) {
    LeafCell cell;
    if (parseLeafCell(page, geometry_, off, &cell) != kOk) return kInvalid;
    const int rc = assemblePayload(page, cell, &payload);
    if (rc != kOk) return rc;
    if (walkPayload(payload.data(), static_cast<std::size_t>(cell.payloadSize), &rec) != kOk)
      return kInvalid;
    SchemaColumns cols;
    splitSchemaRecord(payload.data(), rec, true, &cols);
    SchemaEntry e;
    e.type = textToUtf8(cols.text[0], encoding_);
    e.name = textToUtf8(cols.text[1], encoding_);
    e.tableName = textToUtf8(cols.text[2], encoding_);
    if (cols.isInteger[3] && cols.integer[3] > 0 && cols.integer[3] <= 0xFFFFFFFFll)
      e.rootPage = static_cast<std::uint32_t>(cols.integer[3]);
    e.sql = textToUtf8(cols.text[4], encoding_);
    out->push_back(std::move(e));
    return kOk;
  });
}

int SqlitePageReader::FindRootPages(const std::string& table, RootPageMap* roots) {
  roots->clear();
  // The schema table itself is rooted on page 1.
  if (platform::equalsNoCase(table, kSchemaTable)) {
    (*roots)[0] = -1;
    return kOk;
  }
  const std::string wanted = encodeName(table, encoding_);
  Record rec;
  return forEachSchemaCell(*this, [&](const std::uint8_t* page, std::uint16_t off) {
    // The first four columns (type, name, tbl_name, rootpage) sit at the start of the payload,
    // so the local part is enough even when the SQL text spills.
    LeafCell cell;
    if (parseLeafCell(page, geometry_, off, &cell) != kOk) return kOk;
    const std::uint8_t* data = page + cell.payloadOffset;
    if (walkPayload(data, cell.localSize, &rec) != kOk && rec.columns.size() < 4) return kOk;
    SchemaColumns cols;
    splitSchemaRecord(data, rec, false, &cols);
    // The table's own row matches by name, its indexes by tbl_name.
    const bool own = cols.isText[1] && cols.text[1] == wanted;
    const bool named = own || (cols.isText[2] && cols.text[2] == wanted);
    // Views and triggers have no root page (rootpage 0): they are not b-trees.
    if (!named || !cols.isInteger[3] || cols.integer[3] == 0) return kOk;
    // A root page outside the file.
    if (cols.integer[3] < 1 || cols.integer[3] > static_cast<std::int64_t>(pageCount_))
      return kInvalid;
    (*roots)[static_cast<std::uint32_t>(cols.integer[3] - 1)] = own ? kOwnTree : kIndexTree;
    return kOk;
  });
}

// ---- the freelist test ---------------------------------------------------------------------

int SqlitePageReader::CellColumnCount(const std::uint8_t* page, std::uint16_t offset,
                                      int* columns) {
  *columns = 0;
  std::vector<std::uint64_t> types;
  const int rc = cellSerialTypes(page, kLeafTable, offset, &types);
  if (rc == kOk) *columns = static_cast<int>(types.size());
  return rc;
}

int SqlitePageReader::cellSerialTypes(const std::uint8_t* page, std::uint8_t pageType,
                                      std::uint16_t offset, std::vector<std::uint64_t>* types) {
  types->clear();
  LeafCell cell;
  int rc = parseRecordCell(page, geometry_, pageType, offset, &cell);
  if (rc != kOk) return rc;
  const std::uint8_t* data = page + cell.payloadOffset;
  std::size_t size = cell.localSize;
  std::uint64_t headerSize = 0;
  const std::size_t h = readVarint(data, size, &headerSize);
  if (h == 0 || headerSize < h) return kInvalid;
  if (headerSize > size) {
    // A header longer than the local part: read it in the assembled payload.
    rc = assemblePayload(page, cell, &payload_);
    if (rc != kOk) return rc;
    data = payload_.data();
    size = static_cast<std::size_t>(cell.payloadSize);
    if (headerSize > size) return kInvalid;
  }
  std::size_t pos = h;
  while (pos < headerSize) {
    std::uint64_t t = 0;
    pos += readVarint(data + pos, static_cast<std::size_t>(headerSize) - pos, &t);
    types->push_back(t);
  }
  return kOk;
}

// ---- payload assembly -----------------------------------------------------------------------

// Reads `want` payload bytes from an overflow chain starting at page number `first` and
// appends them to out. The chain may take no more pages than the bytes need, and may not
// leave the file or revisit a page.
static int appendOverflow(SqlitePageReader& reader, std::uint32_t first, std::uint64_t want,
                          std::vector<std::uint8_t>* out) {
  const std::size_t per = reader.usableSize() - 4;
  std::vector<std::uint8_t> page(reader.pageSize() + kBufferPad);
  std::unordered_set<std::uint32_t> seen;
  std::uint32_t next = first;
  while (want > 0) {
    if (next == 0 || next > reader.pageCount() || !seen.insert(next).second) return kInvalid;
    int rc = reader.ReadPage(next - 1, page.data());
    if (rc != kOk) return rc;
    const std::size_t take = static_cast<std::size_t>(std::min<std::uint64_t>(want, per));
    out->insert(out->end(), page.data() + 4, page.data() + 4 + take);
    want -= take;
    next = be32(page.data());
  }
  return kOk;
}

int SqlitePageReader::assemblePayload(const std::uint8_t* page, const LeafCell& cell,
                                      std::vector<std::uint8_t>* out) {
  out->clear();
  out->insert(out->end(), page + cell.payloadOffset, page + cell.payloadOffset + cell.localSize);
  int rc = kOk;
  if (cell.payloadSize > cell.localSize) {
    // A payload cannot be longer than the overflow pages the file holds.
    const std::uint64_t rest = cell.payloadSize - cell.localSize;
    if (rest > std::uint64_t{pageCount_} * (geometry_.usableSize - 4)) {
      rc = kInvalid;
    } else {
      out->reserve(static_cast<std::size_t>(cell.payloadSize) + kBufferPad);
      rc = appendOverflow(*this, cell.firstOverflow, rest, out);
    }
  }
  out->insert(out->end(), kBufferPad, 0);
  return rc;
}

int SqlitePageReader::assembleCarved(const std::uint8_t* page, const CarvedCandidate& c,
                                     std::vector<std::uint8_t>* out) {
  out->clear();
  out->insert(out->end(), page + c.offset, page + c.localEnd - 4);
  // The record's bytes on the page run from its serial types to the overflow page number;
  // the payload before the serial types (the header size) is not part of the walk.
  const std::uint64_t onPage = static_cast<std::uint64_t>(c.localEnd - 4 - c.payloadOffset);
  int rc = kInvalid;
  if (c.payloadSize > onPage) {
    const std::uint64_t rest = c.payloadSize - onPage;
    if (rest <= std::uint64_t{pageCount_} * (geometry_.usableSize - 4)) {
      out->reserve(out->size() + static_cast<std::size_t>(rest) + kBufferPad);
      rc = appendOverflow(*this, c.firstOverflow, rest, out);
    }
  }
  out->insert(out->end(), kBufferPad, 0);
  return rc;
}

// ---- the table scan -------------------------------------------------------------------------

int SqlitePageReader::deliverCells(std::uint32_t pageIndex,
                                   const std::vector<std::uint16_t>& offsets, RowKind kind,
                                   RowSink* sink, const TableShape* carveAs,
                                   CarvedCandidateMap* carveInto, CarveWorker* worker) {
  deliverPage_.resize(geometry_.pageSize + kBufferPad);
  const int rc = ReadPage(pageIndex, deliverPage_.data());
  if (rc != kOk) return rc;
  return deliverPageCells(pageIndex, offsets, kind, sink, carveAs, carveInto, worker);
}

int SqlitePageReader::deliverUnreadLeaf(std::uint32_t pageIndex, RowSink* sink,
                                        const TableShape* carveAs, CarvedCandidateMap* carveInto,
                                        CarveWorker* worker, bool* interior) {
  *interior = false;
  deliverPage_.resize(geometry_.pageSize + kBufferPad);
  const int rc = ReadPage(pageIndex, deliverPage_.data());
  if (rc != kOk) return rc;
  PageHeader h;
  if (!readPageHeader(deliverPage_.data(), geometry_, pageIndex, &h)) return kInvalid;
  if (h.type == kInteriorTable) {
    *interior = true;
    return kOk;
  }
  if (h.type != kLeafTable) return kInvalid;
  const int pointers = cellPointers(deliverPage_.data(), geometry_, h, &unreadCells_);
  const int cells =
      deliverPageCells(pageIndex, unreadCells_, RowKind::kLive, sink, carveAs, carveInto, worker);
  return pointers != kOk ? pointers : cells;
}

int SqlitePageReader::deliverLeaves(const LiveCellMap& cells, std::vector<std::uint32_t> unread,
                                    RowSink* sink, const TableShape* carveAs,
                                    CarvedCandidateMap* carveInto, CarveWorker* worker) {
  int result = kOk;
  auto note = [&result](int rc) {
    if (result == kOk) result = rc;
  };
  std::sort(unread.begin(), unread.end());
  std::vector<bool> delivered(pageCount_, false);
  // A page a subtree walk reached again is reached twice in the tree: a cycle or a shared child.
  auto deliverRead = [&](std::uint32_t index, const std::vector<std::uint16_t>& offsets) {
    if (delivered[index]) return note(kInvalid);
    delivered[index] = true;
    note(deliverCells(index, offsets, RowKind::kLive, sink, carveAs, carveInto, worker));
  };
  auto deliverUnread = [&](std::uint32_t index) {
    if (delivered[index]) return note(kInvalid);
    delivered[index] = true;
    bool interior = false;
    note(deliverUnreadLeaf(index, sink, carveAs, carveInto, worker, &interior));
    if (!interior) return;
    // Leaves at different depths: the subtree is walked as the tree was, and its leaves are
    // handed over now, out of page order.
    const std::vector<std::uint8_t> image = deliverPage_;
    std::vector<std::uint32_t> interiors = interiors_;
    LiveCellMap below;
    note(CollectLiveCells(image.data(), index, &below));
    interiors.insert(interiors.end(), interiors_.begin(), interiors_.end());
    interiors_ = std::move(interiors);
    for (const auto& leaf : below) deliverRead(leaf.first, leaf.second);
  };
  auto read = cells.begin();
  std::size_t next = 0;
  while (read != cells.end() || next < unread.size()) {
    if (next == unread.size() || (read != cells.end() && read->first < unread[next])) {
      deliverRead(read->first, read->second);
      ++read;
    } else {
      deliverUnread(unread[next++]);
    }
  }
  return result;
}

int SqlitePageReader::deliverPageCells(std::uint32_t pageIndex,
                                       const std::vector<std::uint16_t>& offsets, RowKind kind,
                                       RowSink* sink, const TableShape* carveAs,
                                       CarvedCandidateMap* carveInto, CarveWorker* worker) {
  std::vector<std::uint8_t>& page = deliverPage_;
  if (carveAs != nullptr && worker != nullptr) {
    worker->submit(pageIndex, page.data(), page.size(), carveContext(pageIndex, *carveAs));
  } else if (carveAs != nullptr && carveInto != nullptr) {
    // The page is in hand: its candidates are found now, before its live rows are handed
    // over (the shape is known before the walk), and handed over after every live row of the
    // tree. This saves reading every leaf a second time.
    std::vector<CarvedCandidate> list;
    carvePage(page.data(), carveContext(pageIndex, *carveAs), &list);
    if (!list.empty()) (*carveInto)[pageIndex] = std::move(list);
  }
  return deliverCellsOf(page.data(), pageIndex, offsets, kind, sink);
}

int SqlitePageReader::deliverCellsOf(const std::uint8_t* page, std::uint32_t pageIndex,
                                     const std::vector<std::uint16_t>& offsets, RowKind kind,
                                     RowSink* sink) {
  int result = kOk;
  PageHeader h;
  readPageHeader(page, geometry_, pageIndex, &h);
  for (std::uint16_t off : offsets) {
    LeafCell cell;
    if (parseRecordCell(page, geometry_, h.type, off, &cell) != kOk) {
      if (kind == RowKind::kLive && result == kOk) result = kInvalid;
      continue;
    }
    RowImage row;
    row.kind = kind;
    row.deleted = kind == RowKind::kLive ? 0 : 1;
    row.pageIndex = pageIndex;
    row.frame = frameOfPage(pageIndex);
    row.offset = off;
    row.rowId = cell.rowId;
    if (cell.firstOverflow == 0) {
      row.data = page + cell.payloadOffset;
      row.size = cell.localSize;
    } else {
      const int rc = assemblePayload(page, cell, &payload_);
      // A broken chain leaves the local part; the decoder's bounds drop what is missing.
      row.complete = rc == kOk;
      if (rc != kOk && kind == RowKind::kLive && result == kOk) result = rc;
      row.data = payload_.data();
      row.size = row.complete ? static_cast<std::size_t>(cell.payloadSize) : cell.localSize;
    }
    sink->onRow(*this, row);
  }
  return result;
}

RowImage SqlitePageReader::carvedRowImage(std::uint32_t pageIndex, const std::uint8_t* page,
                                          const CarvedCandidate& candidate) const {
  RowImage row;
  row.kind = RowKind::kCarved;
  row.deleted = 1;
  row.pageIndex = pageIndex;
  row.frame = frameOfPage(pageIndex);
  row.offset = candidate.offset;
  row.carvedLayout = true;
  row.firstColumn = candidate.firstColumn;
  row.typeCount = candidate.typeCount;
  row.lostType = candidate.lostType;
  row.data = page + candidate.offset;
  row.size = geometry_.usableSize - candidate.offset;
  row.complete = candidate.firstOverflow == 0;
  return row;
}

int SqlitePageReader::deliverCandidates(std::uint32_t pageIndex,
                                        const std::vector<CarvedCandidate>& list, RowSink* sink) {
  std::vector<std::uint8_t>& page = deliverPage_;
  page.resize(geometry_.pageSize + kBufferPad);
  int rc = ReadPage(pageIndex, page.data());
  if (rc != kOk) return rc;
  for (const CarvedCandidate& c : list) {
    RowImage row = carvedRowImage(pageIndex, page.data(), c);
    if (c.firstOverflow != 0) {
      // A deleted row that spilled: its overflow pages went to the freelist with their bytes.
      row.complete = assembleCarved(page.data(), c, &payload_) == kOk;
      row.data = payload_.data();
      row.size = payload_.size() - kBufferPad;
    }
    sink->onRow(*this, row);
  }
  return kOk;
}

int SqlitePageReader::ScanEmptyFreelistPages(const TableShape& shape, RowSink* sink) {
  if (shape.width <= 0 || !source_) return kOk;
  PageBuffer page(geometry_.pageSize);
  int result = kOk;
  for (std::uint32_t index : freelist_) {
    const int rc = ReadPage(index, page.data());
    if (rc != kOk) {
      if (result == kOk) result = rc;
      continue;
    }
    PageHeader h;
    if (!readPageHeader(page.data(), geometry_, index, &h) || h.type != leafType(shape) ||
        h.cellCount != 0)
      continue;
    std::vector<CarvedCandidate> candidates;
    carvePage(page.data(), carveContext(index, shape), &candidates);
    for (const CarvedCandidate& c : candidates)
      sink->onRow(*this, carvedRowImage(index, page.data(), c));
  }
  return result;
}

// A freelist leaf page whose first cell has the table's width: its cells, then its carved
// candidates. 0 or the page's read failure.
int SqlitePageReader::ScanUnclaimedFreelistPages(RowSink* sink) {
  if (!source_) return kInvalid;
  PageBuffer page(geometry_.pageSize);
  int result = kOk;
  for (std::uint32_t index : freelist_) {
    if (claimed_.count(index) != 0) continue;
    int rc = ReadPage(index, page.data());
    PageHeader h;
    std::vector<std::uint16_t> offsets;
    if (rc == kOk && readPageHeader(page.data(), geometry_, index, &h) && h.type == kLeafTable &&
        cellPointers(page.data(), geometry_, h, &offsets) == kOk && !offsets.empty())
      rc = deliverCells(index, offsets, RowKind::kFreelist, sink, nullptr, nullptr, nullptr);
    if (rc != kOk && result == kOk) result = rc;
  }
  return result;
}

int SqlitePageReader::deliverFreelistPage(std::uint32_t index, RowKind kind,
                                          const TableShape& shape, RowSink* sink, bool* taken) {
  PageBuffer page(geometry_.pageSize);
  const int rc = ReadPage(index, page.data());
  if (rc != kOk) return rc;
  PageHeader h;
  // Only leaf pages are taken: the children of a freed interior page belong to the live
  // tree or to the freelist by now, and would be read twice or as deleted when live. An
  // interior page of an index tree holds records of its own, which are taken (its children
  // are not followed).
  if (!readPageHeader(page.data(), geometry_, index, &h)) return kOk;
  std::vector<std::uint16_t> offsets;
  if (!freelistPageFits(page.data(), h, shape, &offsets, nullptr)) return kOk;
  if (taken != nullptr) *taken = true;
  deliverCells(index, offsets, kind, sink, nullptr, nullptr, nullptr);
  std::vector<CarvedCandidate> list;
  carvePage(page.data(), carveContext(index, shape), &list);
  deliverCandidates(index, list, sink);
  return kOk;
}

bool SqlitePageReader::freelistPageFits(const std::uint8_t* page, const PageHeader& h,
                                        const TableShape& shape,
                                        std::vector<std::uint16_t>* offsets,
                                        std::size_t* usualCells) {
  if (h.type != leafType(shape) && !(shape.withoutRowId && h.type == kInteriorIndex)) return false;
  cellPointers(page, geometry_, h, offsets);
  if (offsets->empty() || shape.width <= 0) return false;
  const std::vector<ColumnClasses>* classes = shape.columnClasses.get();
  std::vector<std::uint64_t> types;
  // The first cell must fit; the others only count when they hold what the columns usually do.
  for (std::size_t k = 0; k < offsets->size(); ++k) {
    if (k > 0 && usualCells == nullptr) break;
    const bool ok = cellSerialTypes(page, h.type, (*offsets)[k], &types) == kOk &&
                    types.size() == static_cast<std::size_t>(shape.width);
    if (k == 0 && !ok) return false;
    if (!ok) continue;
    bool holds = true, usual = true;
    for (std::size_t i = 0; classes != nullptr && i < types.size() && i < classes->size(); ++i) {
      holds = holds && columnHolds((*classes)[i].holds, types[i]);
      usual = usual && columnHolds((*classes)[i].usual, types[i]);
    }
    if (k == 0 && !holds) return false;
    if (usualCells != nullptr && holds && usual) ++*usualCells;
  }
  return true;
}

int SqlitePageReader::AssignFreelistPages(
    const std::vector<std::pair<std::string, TableShape>>& tables) {
  freelistOwners_.clear();
  if (!source_) return kInvalid;
  PageBuffer page(geometry_.pageSize);
  std::vector<std::uint16_t> offsets;
  int result = kOk;
  for (std::uint32_t index : freelist_) {
    const int rc = ReadPage(index, page.data());
    PageHeader h;
    if (rc != kOk || !readPageHeader(page.data(), geometry_, index, &h)) {
      if (result == kOk) result = rc != kOk ? rc : kInvalid;
      continue;
    }
    // The tables its first cell fits; only when there are several are its cells scored.
    std::vector<const std::pair<std::string, TableShape>*> fitting;
    for (const auto& table : tables) {
      if (freelistPageFits(page.data(), h, table.second, &offsets, nullptr))
        fitting.push_back(&table);
    }
    std::vector<std::string> best;
    std::size_t bestScore = 0;
    for (const auto* table : fitting) {
      std::size_t score = 0;
      if (fitting.size() > 1) freelistPageFits(page.data(), h, table->second, &offsets, &score);
      if (!best.empty() && score < bestScore) continue;
      if (best.empty() || score > bestScore) best.clear();
      best.push_back(table->first);
      bestScore = score;
    }
    if (!best.empty()) freelistOwners_[index] = std::move(best);
  }
  return result;
}

bool SqlitePageReader::ownsFreelistPage(std::uint32_t index, const std::string& table) const {
  const auto owners = freelistOwners_.find(index);
  if (owners == freelistOwners_.end()) return true;
  return std::find(owners->second.begin(), owners->second.end(), table) != owners->second.end();
}

class SqlitePageReader::SnapshotView {
 public:
  SnapshotView(SqlitePageReader& reader, std::uint32_t snapshot)
      : reader_(reader), snapshot_(reader.snapshot_), pages_(reader.pageCount_) {
    reader.snapshot_ = snapshot;
    reader.pageCount_ = snapshot == 0 ? reader.filePages_ : reader.wal_->pagesAt(snapshot);
  }
  ~SnapshotView() {
    reader_.snapshot_ = snapshot_;
    reader_.pageCount_ = pages_;
  }
  SnapshotView(const SnapshotView&) = delete;
  SnapshotView& operator=(const SnapshotView&) = delete;

 private:
  SqlitePageReader& reader_;
  std::uint32_t snapshot_;
  std::uint32_t pages_;
};

// Each commit of the log left a snapshot of the database, and the file alone is the oldest one.
// The table's tree is walked in every snapshot but the current view, and every version of a
// leaf page that the view no longer holds is handed over once: its cells as superseded rows
// (deleted), then what can be carved from it. Damage in an older snapshot is not the view's:
// it ends that snapshot's walk and is not reported.
int SqlitePageReader::scanSuperseded(const std::string& table, const TableShape& shape,
                                     bool withFreelist, RowSink* sink) {
  if (!wal_) return kOk;
  const std::uint32_t current = snapshot_;
  std::vector<std::uint32_t> snapshots;
  if (filePages_ > 0) snapshots.push_back(0);
  for (std::uint32_t commit : wal_->commits()) {
    if (commit != current) snapshots.push_back(commit);
  }
  std::set<std::pair<std::uint32_t, std::uint32_t>> handedOver;  // (page index, frame)
  PageBuffer page(geometry_.pageSize);
  for (std::uint32_t snapshot : snapshots) {
    SnapshotView view(*this, snapshot);
    if (ReadPage(0, page.data()) != kOk) continue;
    RootPageMap roots;
    FindRootPages(table, &roots);
    for (const auto& root : roots) {
      if (ReadPage(root.first, page.data()) != kOk) continue;
      if (shape.withoutRowId && root.second != kOwnTree) continue;
      LiveCellMap cells;
      CollectLiveCells(page.data(), root.first, &cells, shape.withoutRowId);
      for (const auto& leaf : cells) {
        const std::uint32_t frame = frameOfPage(leaf.first);
        if (frame == wal_->frameOf(leaf.first + 1, current)) continue;  // the view's own page
        if (!handedOver.insert({leaf.first, frame}).second) continue;
        CarvedCandidateMap carved;
        deliverCells(leaf.first, leaf.second, RowKind::kSuperseded, sink, &shape, &carved, nullptr);
        const auto found = carved.find(leaf.first);
        if (found != carved.end()) deliverCandidates(leaf.first, found->second, sink);
      }
    }
    // The snapshot's freelist pages that the view holds in another version (pages the log
    // took back into a tree keep the file's old rows in the file's version).
    if (!withFreelist) continue;
    Freelist freelist;
    collectFreelist(&freelist);
    for (std::uint32_t leaf : freelist.leaves) {
      const std::uint32_t frame = frameOfPage(leaf);
      if (frame == wal_->frameOf(leaf + 1, current)) continue;
      if (!handedOver.insert({leaf, frame}).second) continue;
      deliverFreelistPage(leaf, RowKind::kSuperseded, shape, sink);
    }
  }
  return kOk;
}

int SqlitePageReader::ScanLiveRows(const std::string& table, RowSink* sink) {
  if (!source_) return kInvalid;
  RootPageMap roots;
  int result = FindRootPages(table, &roots);
  auto note = [&result](int code) {
    if (result == kOk && code != kOk) result = code;
  };
  PageBuffer page(geometry_.pageSize);
  std::vector<std::uint16_t> offsets;
  for (const auto& root : roots) {
    if (root.second != kOwnTree) continue;  // the table's indexes hold no rows of their own
    const int rc = ReadPage(root.first, page.data());
    if (rc != kOk) {
      note(rc);
      continue;
    }
    // A table WITHOUT ROWID keeps its rows in an index tree: its root page says which.
    PageHeader rootHeader;
    const bool indexTree = readPageHeader(page.data(), geometry_, root.first, &rootHeader) &&
                           (rootHeader.type == kLeafIndex || rootHeader.type == kInteriorIndex);
    // Each leaf's cells are handed over from the image the walk holds: one read a page.
    note(walkTable(page.data(), root.first, indexTree,
                   [&](const std::uint8_t* image, std::uint32_t index, const PageHeader& h) {
                     const int pointers = cellPointers(image, geometry_, h, &offsets);
                     const int cells = deliverCellsOf(image, index, offsets, RowKind::kLive, sink);
                     return pointers != kOk ? pointers : cells;
                   }));
  }
  return result;
}

int SqlitePageReader::ScanTable(const std::string& table, const TableScan& scan, RowSink* sink) {
  if (!source_) return kInvalid;
  PageBuffer page(geometry_.pageSize);
  int rc = ReadPage(0, page.data());
  if (rc != kOk) return rc;
  int result = kOk;
  auto note = [&result](int code) {
    if (result == kOk && code != kOk) result = code;
  };
  // The shape as far as the rows handed over so far taught it.
  auto shape = [&scan]() -> const TableShape& {
    return scan.learnt != nullptr ? *scan.learnt : scan.shape;
  };
  RootPageMap roots;
  note(FindRootPages(table, &roots));

  // The records of a table WITHOUT ROWID are its own tree's; its indexes hold copies of parts.
  const bool indexTree = shape().withoutRowId;
  for (const auto& root : roots) {
    if (indexTree && root.second != kOwnTree) continue;
    rc = ReadPage(root.first, page.data());
    if (rc != kOk) {
      note(rc);
      continue;
    }
    // The leaves the walk read, with their cells, and those it took for leaves unread.
    LiveCellMap cells;
    std::vector<std::uint32_t> unread;
    note(CollectLiveCells(page.data(), root.first, &cells, indexTree, &unread));
    CarvedCandidateMap candidates;
    if (scan.learnt == nullptr) {
      // Every leaf of the tree is handed over, with or without cells, so carving them as their
      // live rows are delivered covers the same pages CollectCarvedCandidates would. Large
      // trees are carved on a second thread while the live rows are handed over.
      CarveWorker worker;
      CarveWorker* helper = cells.size() + unread.size() >= kParallelCarveLeaves && worker.start()
                                ? &worker
                                : nullptr;
      note(deliverLeaves(cells, std::move(unread), sink, &scan.shape, &candidates, helper));
      if (helper != nullptr) helper->finish(&candidates);
    } else {
      // A shape still to be learnt: every live row of the tree first, then the carving with
      // what they taught (the first leaf too).
      note(deliverLeaves(cells, std::move(unread), sink, nullptr, nullptr, nullptr));
      CollectCarvedCandidates(page.data(), root.first, shape(), &candidates);
    }
    // Interior pages that were leaves once (a root that split) keep old cells of the table.
    const std::vector<std::uint32_t> interiors = interiors_;
    for (std::uint32_t index : interiors) {
      if (ReadPage(index, page.data()) != kOk) continue;
      std::vector<CarvedCandidate> list;
      carvePage(page.data(), carveContext(index, shape()), &list);
      if (!list.empty()) candidates[index] = std::move(list);
    }
    for (const auto& leaf : candidates) note(deliverCandidates(leaf.first, leaf.second, sink));
  }
  scanSuperseded(table, shape(), scan.withFreelist, sink);

  if (!scan.withFreelist) return result;
  note(freelistStatus_);
  for (std::uint32_t index : freelist_) {
    if (!ownsFreelistPage(index, table)) continue;
    bool taken = false;
    note(deliverFreelistPage(index, RowKind::kFreelist, shape(), sink, &taken));
    if (taken) claimed_.insert(index);
  }
  // Trunk pages keep what they held before they were freed behind their list of leaves.
  const int width = shape().width;
  for (std::uint32_t index : trunks_) {
    if (width <= 0) break;
    rc = ReadPage(index, page.data());
    if (rc != kOk) {
      note(rc);
      continue;
    }
    std::vector<CarvedCandidate> list;
    carveTrunkPage(page.data(), carveContext(index, shape()), &list);
    deliverCandidates(index, list, sink);
  }
  return result;
}

}  // namespace qv::db
