#include "db/wal_index.h"

#include <algorithm>

#include "db/sqlite_format.h"

namespace qv::db {

namespace {

constexpr std::uint32_t kMagic = 0x377f0682;
constexpr std::uint32_t kVersion = 3007000;
// Frames are read a run at a time, in at most this many bytes.
constexpr std::size_t kReadRun = 1 << 20;

std::uint32_t le32(const std::uint8_t* p) {
  return std::uint32_t{p[0]} | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16) |
         (std::uint32_t{p[3]} << 24);
}

struct Checksum {
  bool bigEndian = false;
  std::uint32_t s1 = 0, s2 = 0;
  // n is a multiple of 8 (a frame header's first 8 bytes, a page, the header's 24).
  void add(const std::uint8_t* p, std::size_t n) {
    for (std::size_t i = 0; i + 8 <= n; i += 8) {
      const std::uint32_t x0 = bigEndian ? be32(p + i) : le32(p + i);
      const std::uint32_t x1 = bigEndian ? be32(p + i + 4) : le32(p + i + 4);
      s1 += x0 + s2;
      s2 += x1 + s1;
    }
  }
  bool matches(const std::uint8_t* stored) const {
    return be32(stored) == s1 && be32(stored + 4) == s2;
  }
};

}  // namespace

int WalIndex::load(PageSource& wal, std::uint32_t expectedPageSize) {
  *this = WalIndex();
  std::uint64_t size = 0;
  int rc = wal.size(&size);
  if (rc != kOk) return rc;
  std::uint8_t header[kWalHeaderSize];
  std::size_t got = 0;
  if (size < kWalHeaderSize) return kOk;
  rc = wal.readAt(0, header, sizeof header, &got);
  if (rc != kOk) return rc;
  if (got < kWalHeaderSize) return kOk;
  // The magic with either checksum order, the one format version there is, a page size SQLite
  // writes, and a header whose own checksum holds.
  const std::uint32_t magic = be32(header);
  if ((magic & ~1u) != kMagic || be32(header + 4) != kVersion) return kOk;
  const std::uint32_t pageSize = be32(header + 8);
  if (pageSize < 512 || pageSize > 65536 || (pageSize & (pageSize - 1)) != 0) return kOk;
  if (expectedPageSize != 0 && pageSize != expectedPageSize) return kOk;
  Checksum sum;
  sum.bigEndian = (magic & 1) != 0;
  sum.add(header, 24);
  if (!sum.matches(header + 24)) return kOk;
  const std::uint8_t* salts = header + 16;

  const std::size_t frameSize = kWalFrameHeaderSize + pageSize;
  const std::uint64_t frames = (size - kWalHeaderSize) / frameSize;
  const std::size_t perRun = std::max<std::size_t>(1, kReadRun / frameSize);
  std::vector<std::uint8_t> run(perRun * frameSize);
  std::vector<std::pair<std::uint32_t, std::uint32_t>> pending;  // (page, frame) since a commit
  std::vector<std::uint32_t> commits, commitPages;
  std::unordered_map<std::uint32_t, std::vector<std::uint32_t>> versions;
  bool torn = false;
  for (std::uint64_t first = 0; first < frames && !torn; first += perRun) {
    const std::size_t count =
        static_cast<std::size_t>(std::min<std::uint64_t>(perRun, frames - first));
    rc = wal.readAt(kWalHeaderSize + first * frameSize, run.data(), count * frameSize, &got);
    if (rc != kOk) return rc;
    for (std::size_t k = 0; k < count; ++k) {
      // A frame cut short by the end of what could be read is a torn write.
      if (got < (k + 1) * frameSize) {
        torn = true;
        break;
      }
      const std::uint8_t* f = run.data() + k * frameSize;
      const std::uint32_t page = be32(f);
      const std::uint32_t commitSize = be32(f + 4);
      Checksum next = sum;
      next.add(f, 8);
      next.add(f + kWalFrameHeaderSize, pageSize);
      if (page == 0 || !std::equal(salts, salts + 8, f + 8) || !next.matches(f + 16)) {
        torn = true;
        break;
      }
      sum = next;
      const auto frame = static_cast<std::uint32_t>(first + k + 1);
      pending.emplace_back(page, frame);
      if (commitSize != 0) {
        for (const auto& p : pending) versions[p.first].push_back(p.second);
        pending.clear();
        commits.push_back(frame);
        commitPages.push_back(commitSize);
      }
    }
  }
  pageSize_ = pageSize;
  commits_ = std::move(commits);
  commitPages_ = std::move(commitPages);
  versions_ = std::move(versions);
  return kOk;
}

std::uint32_t WalIndex::pagesAt(std::uint32_t commitFrame) const {
  const auto it = std::lower_bound(commits_.begin(), commits_.end(), commitFrame);
  if (it == commits_.end() || *it != commitFrame) return 0;
  return commitPages_[static_cast<std::size_t>(it - commits_.begin())];
}

std::uint32_t WalIndex::frameOf(std::uint32_t pageNumber, std::uint32_t snapshot) const {
  const auto found = versions_.find(pageNumber);
  if (found == versions_.end()) return 0;
  const std::vector<std::uint32_t>& frames = found->second;
  const auto after = std::upper_bound(frames.begin(), frames.end(), snapshot);
  return after == frames.begin() ? 0 : *(after - 1);
}

}  // namespace qv::db
