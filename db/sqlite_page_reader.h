// SqlitePageReader: the program's own reader of SQLite 3 database files. It never writes.
//
// A database routine constructs one reader on its stack, calls Open with the file's path and
// runs one table scan per table it needs. A scan finds the table's root pages through the
// schema, walks the table's b-tree, and hands the routine's RowSink three kinds of row images:
//   - live cells of the table's leaf pages (deleted marker 0);
//   - cells of freelist leaf pages whose rows have the table's width (marker 1);
//   - records carved out of the free space of leaf pages (marker 1; see db/carving.h).
// The sink walks each image's record with walkRow and keeps the row only if it passes its own
// tests. The reader knows nothing of what columns mean: the routine says with each scan what
// the table's rows look like (a TableShape: the width a carved row is rebuilt with, and any
// test of its own a carved record must pass), and keeps whatever it learns while decoding.
//
// A database in write-ahead-log mode is read together with its log ("-wal"), as SQLite reads
// it: the committed frames of the log overlay the file's pages, the last commit wins, and the
// log may hold every page (the file then is only its first page, or nothing). Older versions
// of the table's leaf pages (the file's page a frame replaced, frames a later commit replaced)
// still hold rows the current view no longer has: a scan hands those over as superseded rows,
// deleted. Nothing is written, to the log or beside it.
//
// Damaged files: every page number, offset, count and length taken from the file is checked
// before use; every chain (b-tree children, freelist trunks, overflow pages, freeblocks) runs
// on a shrinking budget with a depth cap and a visited set. Damage gives kInvalid (87) and the
// rows that could still be read; a short read gives kShortRead (30); a failed system call its
// own code. Pages are read on demand, so files of any size are read in little memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "db/carving.h"
#include "db/page_layout.h"
#include "db/page_source.h"
#include "db/record.h"
#include "db/sqlite_format.h"
#include "db/wal_index.h"

namespace qv::db {

class SqlitePageReader;
class CarveWorker;

// The schema table's name: a scan of it reads page 1's tree (and carves its freed rows).
constexpr const char* kSchemaTable = "sqlite_master";

// Live: a cell of the current view. Freelist: a cell of a freelist leaf page. Carved: carved
// from free space. Superseded: a cell of an older version of one of the table's leaf pages
// (a page of the database file that the log replaced, or a log frame a later commit replaced).
enum class RowKind { kLive, kFreelist, kCarved, kSuperseded };

// A database file and the write-ahead log stored beside it (empty: read the file alone).
struct DatabaseFile {
  DatabaseFile(std::string file) : path(std::move(file)) {}
  DatabaseFile(const char* file) : path(file) {}
  DatabaseFile(std::string file, std::string log) : path(std::move(file)), wal(std::move(log)) {}
  std::string path;
  std::string wal;
};

// One row image handed to a table decoder.
struct RowImage {
  RowKind kind = RowKind::kLive;
  std::uint32_t deleted = 0;    // 0 for live cells, 1 for freelist cells and carved records
  std::uint32_t pageIndex = 0;  // 0-based page index
  std::uint32_t frame = 0;      // the log's frame the page image came from; 0: the database file
  std::uint16_t offset = 0;     // cell offset, or where a carved record's serial types begin
  bool carvedLayout = false;
  // Cell layout: the payload (header-size varint first), overflow assembled. Carved layout:
  // the bytes from the first serial type to the end of the page (or of the assembled record).
  // Followed by kBufferPad readable zero bytes.
  const std::uint8_t* data = nullptr;
  std::size_t size = 0;
  std::int64_t rowId = 0;      // 0 for carved records and the records of an index tree
  int firstColumn = 0;         // carved layout: column number of the first serial type
  std::size_t typeCount = 0;   // carved layout: serial types to read
  bool complete = true;        // false when a spilled payload's overflow chain was broken
  std::uint64_t lostType = 0;  // carved layout: column 0's rebuilt serial type (see walkCarved)
};

// Walks the record of a row image in its layout.
int walkRow(const RowImage& row, Record* out);

class RowSink {
 public:
  virtual ~RowSink() = default;
  // Decodes one row image. A non-zero result drops the row; the scan goes on either way.
  virtual int onRow(SqlitePageReader& reader, const RowImage& row) = 0;
};

// What a table scan needs beyond the table's name.
struct TableScan {
  TableShape shape;  // the table's shape, known before the walk
  // A shape the sink is still learning from the live rows it decodes (its own state). When set
  // it takes the place of `shape`: each tree's leaves are carved only once every live row of
  // the tree was handed over, and it is read again for the freelist phase and before each
  // freelist page is carved, so every carving uses what the rows handed over so far taught.
  const TableShape* learnt = nullptr;
  bool withFreelist = true;  // false: the table's own leaves only
};

// One row of the schema table.
struct SchemaEntry {
  std::string type;  // "table", "index", "view", "trigger"
  std::string name;
  std::string tableName;
  std::uint32_t rootPage = 0;  // page number (1-based); 0 for views and triggers
  std::string sql;
};

// Maps of a table scan, ordered by page index. A root page maps to kOwnTree for the table's
// own tree, kIndexTree for the tree of one of its indexes.
using RootPageMap = std::map<std::uint32_t, std::int64_t>;
constexpr std::int64_t kOwnTree = 0;
constexpr std::int64_t kIndexTree = -1;
using LiveCellMap = std::map<std::uint32_t, std::vector<std::uint16_t>>;
using CarvedCandidateMap = std::map<std::uint32_t, std::vector<CarvedCandidate>>;

class SqlitePageReader {
 public:
  SqlitePageReader();
  ~SqlitePageReader();
  SqlitePageReader(const SqlitePageReader&) = delete;
  SqlitePageReader& operator=(const SqlitePageReader&) = delete;

  // Opens a database file (read only, shared) with its write-ahead log when one is named and
  // can be opened (a log that cannot be read, or whose frames do not hold, is no log). 0, the
  // system's code, 87 when the file is not a database this reader can read, or 30 when it is
  // cut short.
  int Open(const DatabaseFile& file);
  // The same over bytes held in memory (tests and fuzzing); an empty log is none.
  int OpenMemory(std::string bytes, std::string walBytes = {});
  void Close();
  bool isOpen() const { return source_ != nullptr; }

  // Reads the page at a 0-based index, as the current view holds it, into buffer (pageSize() +
  // kBufferPad bytes; the pad is zeroed).
  int ReadPage(std::uint32_t pageIndex, std::uint8_t* buffer);
  // The log's frame the current view takes a page from; 0 for the database file's own page.
  std::uint32_t frameOfPage(std::uint32_t pageIndex) const;
  // The committed frames of the log that count (0: no log, or none of its frames holds).
  std::uint32_t walFrames() const { return wal_ ? wal_->lastCommit() : 0; }

  // Root pages (0-based) of the table and of its indexes, from the schema (page 1 for the
  // schema table, kSchemaTable). 87 when a schema row of the table names a page outside the
  // file.
  int FindRootPages(const std::string& table, RootPageMap* roots);
  // Every schema row, in b-tree order.
  int ReadSchema(std::vector<SchemaEntry>* out);

  // The table-leaf pages below a page and their cell offsets in pointer order; with
  // `indexTree`, the pages of an index tree (leaves and interior pages, whose cells hold
  // records too).
  // With `unread`, the leaves the walk need not read are listed there instead (see walkTable).
  int CollectLiveCells(const std::uint8_t* page, std::uint32_t pageIndex, LiveCellMap* cells,
                       bool indexTree = false, std::vector<std::uint32_t>* unread = nullptr);
  // The carved candidates of the table-leaf pages below a page, for a table of that shape.
  int CollectCarvedCandidates(const std::uint8_t* page, std::uint32_t pageIndex,
                              const TableShape& shape, CarvedCandidateMap* candidates);

  // The number of columns of the cell at `offset` of a leaf page (the freelist test).
  int CellColumnCount(const std::uint8_t* page, std::uint16_t offset, int* columns);

  // The live rows of a table alone: each leaf's cells are handed over as the walk reads the
  // leaf (one read of every page), nothing is carved, and neither the freelist nor the older
  // snapshots of a log are read. For a reader that wants the table as SQLite shows it, fast.
  // Leaves come in ascending page index below each interior page, which is the order of the
  // keys only in a table that was filled in that order. A table WITHOUT ROWID gives its records
  // as stored (key columns first), with row id 0. 0 or the first failure.
  int ScanLiveRows(const std::string& table, RowSink* sink);

  // One table scan: live cells, carved candidates of the table's leaves, then (with
  // scan.withFreelist) freelist leaf pages of the table's width, then the cells and carved
  // candidates of the older versions of the table's leaf pages that a log replaced. Returns 0
  // or the first failure; rows delivered before a failure stay delivered.
  int ScanTable(const std::string& table, const TableScan& scan, RowSink* sink);

  // Settles which of these tables each freelist leaf page goes to. A table fits a page when
  // the page's first cell has its width and values its columns can hold; every cell of the
  // page whose values are all of the classes its columns' declared types usually hold counts
  // a point for it, and the page goes only to the fitting tables with the most points (all of
  // them on a tie). A page no table fits, and every page before this call, goes to each table
  // it fits. 0 or the first failure to read a page.
  int AssignFreelistPages(const std::vector<std::pair<std::string, TableShape>>& tables);

  // The rows carved from the freelist leaf pages that hold no cell at all, with the marker 1.
  // A page whose rows were deleted one by one until it emptied goes to the freelist without a
  // cell, and the freelist test of a table scan (the column count of a page's first cell)
  // cannot admit it; its rows still lie in its free space. Candidates are measured with the
  // shape's width, so rows of tables of another width rarely pass; the sink's own tests do the
  // rest. Records that spilled are handed over with the bytes of the page alone.
  int ScanEmptyFreelistPages(const TableShape& shape, RowSink* sink);

  // The cells of the freelist leaf pages that no table scan since Open took (their rows fit
  // no table: a table dropped with its statement overwritten), as freelist rows read with
  // the column count each record shows. 0 or the first failure.
  int ScanUnclaimedFreelistPages(RowSink* sink);

  // The carving context of a page of this file for a table of that shape.
  CarveContext carveContext(std::uint32_t pageIndex, const TableShape& shape) const;
  // The row image of a candidate carved from a page image in hand, with the bytes of the page
  // alone (a record that spilled to overflow pages is marked incomplete).
  RowImage carvedRowImage(std::uint32_t pageIndex, const std::uint8_t* page,
                          const CarvedCandidate& candidate) const;

  std::size_t pageSize() const { return geometry_.pageSize; }
  std::size_t usableSize() const { return geometry_.usableSize; }
  std::uint32_t pageCount() const { return pageCount_; }
  TextEncoding textEncoding() const { return encoding_; }
  const std::vector<std::uint32_t>& freelistLeafPages() const { return freelist_; }

  // The snapshot a commit of the log left (0: the database file alone), for the superseded
  // versions; the view is restored when the object goes.
  class SnapshotView;

 private:
  int openSource(std::unique_ptr<PageSource> source, std::unique_ptr<PageSource> wal);
  int scanSuperseded(const std::string& table, const TableShape& shape, bool withFreelist,
                     RowSink* sink);
  struct Freelist {
    std::vector<std::uint32_t> leaves;  // 0-based
    std::vector<std::uint32_t> trunks;  // 0-based
  };
  int collectFreelist(Freelist* out);
  // *taken (when given) says whether the page's rows fit the shape and were handed over.
  int deliverFreelistPage(std::uint32_t index, RowKind kind, const TableShape& shape, RowSink* sink,
                          bool* taken = nullptr);
  int readFreelist();
  // Whether a freelist page of that header fits the shape (its cell offsets in *offsets), and
  // with usualCells, how many of its cells hold only what the columns usually hold.
  bool freelistPageFits(const std::uint8_t* page, const PageHeader& h, const TableShape& shape,
                        std::vector<std::uint16_t>* offsets, std::size_t* usualCells);
  // Whether a table scan may take a freelist page (AssignFreelistPages).
  bool ownsFreelistPage(std::uint32_t index, const std::string& table) const;
  // The serial types of the cell at `offset` of a page of that type (its header assembled
  // when it spilled).
  int cellSerialTypes(const std::uint8_t* page, std::uint8_t pageType, std::uint16_t offset,
                      std::vector<std::uint64_t>* types);
  template <class Visit>
  int walkTable(const std::uint8_t* page, std::uint32_t pageIndex, bool indexTree,
                Visit&& visitLeaf, std::vector<std::uint32_t>* unread = nullptr);
  int assemblePayload(const std::uint8_t* page, const LeafCell& cell,
                      std::vector<std::uint8_t>* out);
  int assembleCarved(const std::uint8_t* page, const CarvedCandidate& c,
                     std::vector<std::uint8_t>* out);
  int deliverCells(std::uint32_t pageIndex, const std::vector<std::uint16_t>& offsets, RowKind kind,
                   RowSink* sink, const TableShape* carveAs, CarvedCandidateMap* carveInto,
                   CarveWorker* worker);
  // The same for the page already read into deliverPage_.
  int deliverPageCells(std::uint32_t pageIndex, const std::vector<std::uint16_t>& offsets,
                       RowKind kind, RowSink* sink, const TableShape* carveAs,
                       CarvedCandidateMap* carveInto, CarveWorker* worker);
  // The live rows of a page the walk took for a table leaf unread, once the page shows it is
  // one. An interior page of the table is not handed over: `interior` says so, and its image
  // is left in deliverPage_. Any other page is damage (87).
  int deliverUnreadLeaf(std::uint32_t pageIndex, RowSink* sink, const TableShape* carveAs,
                        CarvedCandidateMap* carveInto, CarveWorker* worker, bool* interior);
  // Hands over the live rows of a tree's leaves in ascending page index: those the walk read
  // (`cells`) and those it took for leaves unread. An unread page that is an interior page of
  // the table (leaves at different depths, which only damage makes) is walked there and its
  // leaves are handed over at once. No leaf is handed over twice. 0 or the first failure.
  int deliverLeaves(const LiveCellMap& cells, std::vector<std::uint32_t> unread, RowSink* sink,
                    const TableShape* carveAs, CarvedCandidateMap* carveInto, CarveWorker* worker);
  // The cells at `offsets` of a leaf page image in hand.
  int deliverCellsOf(const std::uint8_t* page, std::uint32_t pageIndex,
                     const std::vector<std::uint16_t>& offsets, RowKind kind, RowSink* sink);
  int deliverCandidates(std::uint32_t pageIndex, const std::vector<CarvedCandidate>& list,
                        RowSink* sink);

  struct ChunkSlot {
    bool valid = false;
    std::uint64_t index = 0;
    std::size_t size = 0;
    std::vector<std::uint8_t> bytes;
  };
  static constexpr std::size_t kChunkSlots = 8;

  std::unique_ptr<PageSource> source_;
  std::unique_ptr<PageSource> walSource_;
  std::unique_ptr<WalIndex> wal_;  // null without a log whose frames count
  std::uint32_t snapshot_ = 0;     // the last frame of the view read (0: the file alone)
  ChunkSlot chunks_[kChunkSlots];
  PageGeometry geometry_;
  std::uint32_t pageCount_ = 0;  // pages of the view
  std::uint32_t filePages_ = 0;  // pages the database file holds
  TextEncoding encoding_ = TextEncoding::kUtf8;
  std::vector<std::uint32_t> freelist_;
  std::vector<std::uint32_t> trunks_;  // freelist trunk pages, 0-based
  std::set<std::uint32_t> claimed_;    // freelist leaf pages a table scan took
  std::map<std::uint32_t, std::vector<std::string>> freelistOwners_;  // the best-fitting tables
  int freelistStatus_ = 0;                  // 87 when the trunk chain was damaged
  std::vector<std::uint32_t> interiors_;    // interior pages of the last tree walked
  std::vector<std::uint8_t> payload_;       // assembly buffer reused across rows
  std::vector<std::uint8_t> deliverPage_;   // the page whose rows are being handed over
  std::vector<std::uint16_t> unreadCells_;  // the cells of a leaf the tree walk did not read
};

}  // namespace qv::db
