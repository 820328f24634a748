// A database's write-ahead log ("-wal"), read as SQLite reads it: which frames hold committed
// pages, and which version of each page a reader of the database sees.
//
// Layout (integers big-endian):
//   header, 32 bytes:
//     0  4  magic 0x377f0682 or 0x377f0683 (the low bit: checksums sum big-endian words)
//     4  4  format version 3007000
//     8  4  page size (a power of two, 512 to 65536)
//    12  4  checkpoint sequence number
//    16  8  salt-1, salt-2 (new at every restart of the log)
//    24  8  checksum-1, checksum-2 of bytes 0..23
//   frames from offset 32, each a 24-byte header and one page:
//     0  4  page number (1-based)
//     4  4  for a commit frame the database's size in pages after the commit, else 0
//     8  8  salt-1, salt-2, equal to the header's
//    16  8  checksum-1, checksum-2: the running checksum over the previous checksum, the first
//           8 bytes of this header and the page
// Checksum: s1, s2 start from the previous pair (0, 0 for the header); for each pair of 32-bit
// words x0, x1 of the bytes: s1 += x0 + s2; s2 += x1 + s1 (unsigned, wrapping).
//
// Invariants a frame must keep to count: a page number other than 0, the header's salts, and
// the checksum chain unbroken from the header up to it. The first frame that breaks one ends
// the log (what follows is a torn write or an older log's leftovers). Only frames up to the last
// commit frame count; a page's version as of a commit is its last frame at or before that
// commit, or the database file's page when it has none.
#pragma once

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "db/page_source.h"

namespace qv::db {

constexpr std::size_t kWalHeaderSize = 32;
constexpr std::size_t kWalFrameHeaderSize = 24;

class WalIndex {
 public:
  // Reads the log. 0 when it was read, whatever it held (a log with a damaged header or no
  // committed frame simply has no frame that counts); the source's code when reading failed.
  // With expectedPageSize set, a log of another page size belongs to no database of this one and
  // counts nothing.
  int load(PageSource& wal, std::uint32_t expectedPageSize);

  // Whether any committed frame counts.
  bool empty() const { return commits_.empty(); }
  std::uint32_t pageSize() const { return pageSize_; }
  // The frame numbers (1-based) of the commit frames, ascending; the last one is the view a
  // reader of the database sees.
  const std::vector<std::uint32_t>& commits() const { return commits_; }
  std::uint32_t lastCommit() const { return commits_.empty() ? 0 : commits_.back(); }
  // The database's size in pages after the commit that ends at a commit frame.
  std::uint32_t pagesAt(std::uint32_t commitFrame) const;
  // The frame holding a page (1-based number) as of the commit ending at `snapshot`; 0 when the
  // database file holds that version.
  std::uint32_t frameOf(std::uint32_t pageNumber, std::uint32_t snapshot) const;
  // Where a frame's page bytes begin in the log.
  std::uint64_t pageOffset(std::uint32_t frame) const {
    return kWalHeaderSize + std::uint64_t{frame - 1} * (kWalFrameHeaderSize + pageSize_) +
           kWalFrameHeaderSize;
  }
  // The pages the log holds, each with its frames in ascending order.
  const std::unordered_map<std::uint32_t, std::vector<std::uint32_t>>& versions() const {
    return versions_;
  }

 private:
  std::uint32_t pageSize_ = 0;
  std::vector<std::uint32_t> commits_;
  std::vector<std::uint32_t> commitPages_;  // database size after each commit
  std::unordered_map<std::uint32_t, std::vector<std::uint32_t>> versions_;
};

}  // namespace qv::db
