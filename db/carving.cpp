#include "db/carving.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "db/record.h"
#include "db/sqlite_format.h"
#include "db/varint.h"

namespace qv::db {

namespace {

struct Interval {
  std::size_t begin = 0;
  std::size_t end = 0;
};

// A place where a record's serial types may begin.
struct Proposal {
  std::size_t start = 0;
  int firstColumn = -1;   // -1: by the first-byte rule
  std::size_t count = 0;  // serial types to read; 0: the width less the first column
  int score = 0;          // evidence the proposing pass brings
  int pass = 0;
  std::size_t mustFill = 0;  // when set: the record must end here (give or take 3 bytes)
  bool needsCellPrefix = false;
  bool atCellStart = false;  // start is four bytes past where a freed cell began
};

struct Scored {
  CarvedCandidate candidate;
  std::size_t extentEnd = 0;
  std::size_t order = 0;
};

// Budget for proposals on one page: a damaged page cannot make the carver quadratic.
constexpr std::size_t kMaxProposals = 8192;
// A payload larger than this is not a row anyone wrote (SQLite's own default limit).
constexpr std::uint64_t kMaxPayload = 1000000000;

class PageCarver {
 public:
  PageCarver(const std::uint8_t* page, const CarveContext& ctx)
      : page_(page), ctx_(ctx), end_(ctx.geometry.usableSize), index_(ctx.shape.withoutRowId) {}

  void run(std::vector<CarvedCandidate>* out) {
    if (!readPageHeader(page_, ctx_.geometry, ctx_.pageIndex, &h_)) return;
    if (h_.type == (index_ ? kInteriorIndex : kInteriorTable)) {
      // A leaf that became an interior page (a root that split) keeps its old cells below
      // the new content: only the sweep and its chase apply there. So does an interior page
      // of an index tree, whose freed cells were records too.
      collectLiveExtents();
      collectFreeblocks();
      sweepFreeSpace();
      select(out);
      return;
    }
    if (h_.type != (index_ ? kLeafIndex : kLeafTable)) return;
    collectLiveExtents();
    collectFreeblocks();
    passFreeblockChain();
    passBehindHighestCell();
    passGap();
    passStalePointers();
    sweepFreeSpace();
    select(out);
  }

  // A page with no b-tree header whose bytes from `begin` on are old content (a freelist
  // trunk page past its leaf list): only the free-space sweep applies.
  void runRegion(std::size_t begin, std::vector<CarvedCandidate>* out) {
    if (begin + 4 >= end_) return;
    arrayEnd_ = begin;
    staleArrayEnd_ = stalePointersEnd(begin);
    h_.contentStart = static_cast<std::uint32_t>(end_);
    free_.push_back({begin, end_});
    sweepFreeSpace();
    select(out);
  }

 private:
  // ---- page facts ----------------------------------------------------------------------

  void collectLiveExtents() {
    cellPointers(page_, ctx_.geometry, h_, &cells_);
    std::size_t count = std::min<std::size_t>(h_.cellCount, (end_ - h_.pointerArray) / 2);
    arrayEnd_ = h_.pointerArray + 2 * count;
    staleArrayEnd_ = stalePointersEnd(arrayEnd_);
    std::vector<Interval> live;
    for (std::uint16_t off : cells_) {
      if (h_.type == kInteriorTable) {
        // A child page number and a key varint.
        std::size_t len = 0;
        varintAt(off + 4u, end_, &len);
        if (off + 4u + len <= end_) live.push_back({off, off + 4u + len});
        continue;
      }
      LeafCell cell;
      if (parseRecordCell(page_, ctx_.geometry, h_.type, off, &cell) != 0) continue;
      live.push_back({off, off + cell.cellSize});
    }
    std::sort(live.begin(), live.end(),
              [](const Interval& a, const Interval& b) { return a.begin < b.begin; });
    // Free space is the complement of the live cells within [pointer array end, usable end).
    std::size_t pos = arrayEnd_;
    for (const Interval& c : live) {
      if (c.begin > pos) free_.push_back({pos, c.begin});
      pos = std::max(pos, c.end);
    }
    if (pos < end_) free_.push_back({pos, end_});
  }

  // Behind a page's live pointers (and behind a trunk page's list of leaves, which took the
  // place of the page's header) lie the pointers of cells the page had: offsets past their
  // own entries, falling as the page wrote its cells downward, rising where a cell was put in
  // among the others later. Eight or more in a row, three in four of them falling, are a stale
  // pointer array, not a record, and no record is read from them: the end of such a run
  // from `from`, or `from` itself.
  std::size_t stalePointersEnd(std::size_t from) const {
    std::size_t run = from, last = end_, entries = 0, falls = 0;
    while (run + 2 <= end_) {
      const std::size_t e = be16(page_ + run);
      if (e <= run + 2 || e >= end_) break;
      falls += e < last ? 1 : 0;
      last = e;
      ++entries;
      run += 2;
    }
    return entries >= 8 && 4 * falls >= 3 * entries ? run : from;
  }

  // The freeblock chain, as far as it is sound: ascending offsets past the pointer array,
  // each block at least 4 bytes and inside the page.
  void collectFreeblocks() {
    std::size_t off = h_.firstFreeblock;
    std::size_t prev = 0;
    std::size_t budget = end_ / 4;
    while (off != 0 && budget-- > 0) {
      if (off <= prev || off < arrayEnd_ || off > end_ - 4) break;
      const std::size_t size = be16(page_ + off + 2);
      if (size >= 4 && size <= end_ - off) freeblocks_.push_back({off, off + size});
      prev = off;
      off = be16(page_ + off);
    }
  }

  const Interval* freeIntervalAt(std::size_t pos) const {
    auto it = std::upper_bound(free_.begin(), free_.end(), pos,
                               [](std::size_t p, const Interval& i) { return p < i.begin; });
    if (it == free_.begin()) return nullptr;
    --it;
    return pos < it->end ? &*it : nullptr;
  }

  std::size_t width() const {
    return ctx_.shape.width > 0 ? static_cast<std::size_t>(ctx_.shape.width) : 0;
  }
  std::size_t headerScanWidth() const {
    const int n = ctx_.shape.headerScanWidth();
    return n > 0 ? static_cast<std::size_t>(n) : 0;
  }

  std::uint64_t varintAt(std::size_t pos, std::size_t limit, std::size_t* len) const {
    std::uint64_t v = 0;
    *len = pos < limit ? readVarint(page_ + pos, limit - pos, &v) : 0;
    return v;
  }

  bool propose(std::size_t start, int firstColumn, std::size_t count, int score, int pass) {
    if (proposals_.size() >= kMaxProposals || start >= end_) return false;
    // Where column 0 holds a value, the first byte says nothing about whether its serial type
    // survived: both readings compete.
    const bool atCellStart = firstColumn < 0;
    if (firstColumn < 0 && ctx_.shape.firstIsValue) {
      proposals_.push_back({start, 0, count, score, pass, 0, false, atCellStart});
      if (proposals_.size() >= kMaxProposals) return true;
      firstColumn = 1;
    }
    proposals_.push_back({start, firstColumn, count, score, pass, 0, false, atCellStart});
    return true;
  }

  // ---- pass 1: the freeblock chain -------------------------------------------------------

  void passFreeblockChain() {
    const std::size_t n = width();
    std::size_t m = 0;  // kept from the previous freeblock when the width is unknown
    std::size_t off = h_.firstFreeblock;
    std::size_t prev = 0;
    std::size_t budget = end_ / 4;
    while (off != 0 && budget-- > 0) {
      // Each freeblock lies past the previous one and leaves room for its own header.
      if (off <= prev || off > end_ - 4) break;
      const std::size_t size = be16(page_ + off + 2);
      const std::size_t next = be16(page_ + off);
      if (size == 0) break;
      prev = off;
      // A freeblock whose size runs past the page end yields nothing; the chain goes on.
      if (size <= end_ - off) {
        std::size_t h = 0;
        const std::uint64_t headerSize = varintAt(off + 4, end_, &h);
        if (n != 0) m = varintsLength(page_ + off + 4 + h, end_ - std::min(end_, off + 4 + h), n);
        const bool headerSurvived = h != 0 && headerSize >= h && headerSize - h == m;
        const std::size_t start = headerSurvived ? off + 4 + h : off + 4;
        const std::uint64_t u = recordSize(page_ + start, end_ - start, m, n);
        if (u <= size) propose(start, headerSurvived ? 0 : -1, 0, 1, 1);
      }
      off = next;
    }
  }

  // ---- pass 2: behind the highest cell ---------------------------------------------------

  void passBehindHighestCell() {
    if (cells_.empty()) return;
    const std::size_t n = width();
    const std::size_t nHeader = headerScanWidth();
    const std::size_t pos = *std::max_element(cells_.begin(), cells_.end());
    std::size_t l1 = 0, l2 = 0;
    const std::uint64_t payload = varintAt(pos, end_, &l1);
    if (!index_) varintAt(pos + l1, end_, &l2);  // the row id
    if (payload > end_) return;
    const std::size_t e = pos + l1 + l2 + static_cast<std::size_t>(payload);
    if (e >= end_) return;

    // Header scan: a header-size varint whose serial types fill it exactly.
    std::size_t off = e;
    while (off < end_) {
      std::size_t g = 0;
      const std::uint64_t v = varintAt(off, end_, &g);
      if (g == 0) break;
      off += g;
      if (off >= end_) break;
      if (v != 0 && v <= n + 5 && v < end_ - (off - g) && n < end_ - off) {
        const std::size_t k = nHeader ? varintsLength(page_ + off, end_ - off, nHeader) + g : 0;
        if (k == v) {
          const std::uint64_t u = recordSize(page_ + off, end_ - off, v - g, 0);
          if (u < end_ - off) {
            propose(off, 0, nHeader, 1, 2);
            off += static_cast<std::size_t>(u);
          }
        }
      }
    }

    // Chain scan: freed cells back to back, each with its first four bytes overwritten.
    if (n == 0) return;
    std::size_t g = e;
    std::size_t budget = end_;
    while (budget-- > 0 && n + 9 < end_ - std::min(end_, g)) {
      g += 4;
      const std::size_t m = varintsLength(page_ + g, end_ - g, n);
      const std::uint64_t u = recordSize(page_ + g, end_ - g, m, n);
      if (u == 0 || u > end_ - g) break;
      propose(g, -1, 0, 0, 2);
      g += static_cast<std::size_t>(u);
    }
  }

  // ---- pass 3: the gap between the pointer array and the cell content --------------------

  void passGap() {
    const std::size_t n = width();
    const std::size_t nHeader = headerScanWidth();
    std::size_t a = end_;
    if (!cells_.empty()) a = *std::min_element(cells_.begin(), cells_.end());
    const std::size_t limit = 2 * (a / 2);
    std::size_t z = h_.pointerArray;
    while (z + 2 <= limit && be16(page_ + z) != 0) z += 2;
    if (z + 2 > limit) return;
    std::size_t b = z + 2;
    while (b < limit && page_[b] == 0) ++b;
    if (b >= limit) return;

    // Backward scan from the content start: intact headers, each record ending where the
    // one found before it began.
    std::size_t l = a;
    for (std::size_t p = a; p-- > b;) {
      std::size_t d = 0;
      const std::uint64_t v = varintAt(p, l, &d);
      if (d == 0 || v == 0 || v < n || v > n + 5) continue;
      if (v >= l - p || v >= l - p - d) continue;
      const std::size_t k = nHeader ? varintsLength(page_ + p + d, l - p - d, nHeader) + d : 0;
      if (k != v) continue;
      if (recordSize(page_ + p + d, l - (p + d), v - d, 0) > l - (p + d)) continue;
      propose(p + d, 0, nHeader, 1, 3);
      l = p;
    }

    // Forward test: a freed cell at the first non-zero byte of the gap.
    if (b + 4 < a) {
      const std::size_t m = n ? varintsLength(page_ + b + 4, a - (b + 4), n) : be16(page_ + b);
      if (recordSize(page_ + b + 4, a - (b + 4), m, n) <= a - (b + 4)) propose(b + 4, -1, 0, 0, 3);
    }
  }

  // ---- pass 4: stale entries behind the cell pointer array -------------------------------

  void passStalePointers() {
    const std::size_t n = width();
    std::size_t lastLive = 0;
    for (std::size_t i = 0; h_.pointerArray + 2 * i + 2 <= end_; ++i) {
      const std::size_t e = be16(page_ + h_.pointerArray + 2 * i);
      if (e == 0 || e >= end_) break;
      if (i < h_.cellCount) {
        lastLive = e;
        continue;
      }
      if (e >= lastLive && e <= lastLive + 6) continue;
      if (e < arrayEnd_) continue;  // would point into the header or the pointer array
      staleEntry(e, n);
    }
  }

  void staleEntry(std::size_t e, std::size_t n) {
    std::size_t r = end_ - e;
    std::size_t p = e;
    // As a freeblock: the header four bytes in, the record sized by the block.
    if (n < r && r >= 8) {
      std::size_t s = be16(page_ + e + 2);
      bool ok = s != 0;
      if (ok && s > end_ - e) {
        std::size_t len = 0;
        s = static_cast<std::size_t>(std::min<std::uint64_t>(varintAt(e + 3, end_, &len), end_));
        ok = len != 0 && s <= r - len;
      }
      if (ok) {
        std::size_t h = 0;
        const std::uint64_t headerSize = varintAt(e + 4, end_, &h);
        const std::size_t m = varintsLength(page_ + e + 4 + h, end_ - std::min(end_, e + 4 + h), n);
        const bool headerSurvived = h != 0 && headerSize >= h && headerSize - h == m;
        p = headerSurvived ? e + 4 + h : e + 4;
        if (p < end_ && recordSize(page_ + p, end_ - p, m, n) <= s) {
          propose(p, headerSurvived ? 0 : -1, 0, 0, 4);
          return;
        }
      }
    }
    // As a cell, or a freeblock whose header size survived.
    if (p + 4 > end_) return;
    r = end_ - p;
    std::uint64_t target = 0;
    bool freeblockLike = false;
    if (be16(page_ + p) != 0) {
      std::size_t l1 = 0, l2 = 0;
      const std::uint64_t payload = varintAt(p, end_, &l1);
      if (payload == 0 || payload - 1 > r) return;
      if (!index_) varintAt(p + l1, end_, &l2);  // the row id
      if (l1 + l2 >= r) return;
      p += l1 + l2;
      r -= l1 + l2;
      target = payload - 1;
    } else {
      target = static_cast<std::uint64_t>(be16(page_ + p + 2)) - 5;  // wraps when below 5
      p += 4;
      freeblockLike = true;
      if (p >= end_) return;
      r = end_ - p;
    }
    std::size_t h = 0;
    const std::uint64_t headerSize = varintAt(p, end_, &h);
    const std::size_t q = p + h;
    if (h == 0 || n >= r || q >= end_) return;
    const std::size_t k = n ? varintsLength(page_ + q, end_ - q, n) + h : 0;
    if (k != headerSize || headerSize == 0 || headerSize >= target) return;
    if (headerSize >= end_ - q) return;
    // A cell's record (past its one-byte header size) is its payload less one byte.
    if (recordSize(page_ + q, end_ - q, headerSize, n) == target || freeblockLike)
      propose(q, 0, n, 0, 4);
  }

  // ---- the free-space sweep --------------------------------------------------------------

  // Intact headers anywhere in free space, and overwritten ones at each freeblock start,
  // including the stale freeblock headers a rebuilt page leaves in its gap.
  void sweepFreeSpace() {
    const std::size_t n = width();
    if (n == 0) return;  // without a width, short headers match everywhere
    // What the passes and the freeblock chain already found for sure needs no byte-by-byte
    // search: measure those first and skip the bytes they cover.
    for (const Interval& block : freeblocks_) anchored(block.begin, 5, 2);
    measurePending();
    collectCovered();
    const std::size_t chained = freeblocks_.size();
    findStaleFreeblocks();
    for (std::size_t k = chained; k < freeblocks_.size(); ++k) anchored(freeblocks_[k].begin, 5, 2);
    // A stale header found now may be where a record with a lost first type ends: in an index
    // tree (where the lost type is all that makes such a record) the chained blocks are read
    // again with the new ends.
    if (index_ && freeblocks_.size() > chained) {
      for (std::size_t k = 0; k < chained; ++k) anchored(freeblocks_[k].begin, 5, 2);
    }
    for (const Interval& block : looseBlocks_) {
      const std::size_t before = proposals_.size();
      anchored(block.begin, 5, 0);
      for (std::size_t i = before; i < proposals_.size(); ++i) proposals_[i].mustFill = block.end;
    }
    // terminal[i]: how many bytes before offset i end a varint (high bit clear). The n serial
    // types of a header end in exactly n such bytes, which rules out most offsets at once.
    for (const Interval& f : free_) {
      std::size_t first = 0;
      if (skipCovered(f.begin, &first) >= f.end) continue;  // found whole already
      const std::size_t base = f.begin;
      terminal_.assign(f.end - base + 1, 0);
      for (std::size_t i = base; i < f.end; ++i)
        terminal_[i - base + 1] = terminal_[i - base] + ((page_[i] & 0x80) == 0);
      std::size_t cover = 0;
      for (std::size_t p = f.begin; p < f.end; ++p) {
        p = skipCovered(p, &cover);
        if (p >= f.end) break;
        std::size_t d = 1;
        std::uint64_t v = page_[p];
        if (v & 0x80) v = varintAt(p, f.end, &d);
        if (d == 0 || v <= d) continue;
        // A header of n serial types takes between n and 9n bytes after its size varint.
        if (v - d < n || v - d > 9 * n) continue;
        if (v - d > f.end - p - d) continue;
        const std::size_t typesEnd = p + static_cast<std::size_t>(v);
        if (terminal_[typesEnd - base] - terminal_[p + d - base] != n ||
            (page_[typesEnd - 1] & 0x80))
          continue;
        const std::size_t types = countVarints(p + d, static_cast<std::size_t>(v - d), n);
        if (types == 0 || (n != 0 && types != n)) continue;
        // A header of one to three serial types is found by chance in any bytes: such a
        // record must also have its payload-length and row-id varints in front of it.
        if (propose(p + d, 0, types, 2, 5) && n < 4) proposals_.back().needsCellPrefix = true;
      }
    }
  }

  // A freeblock header (next offset, size) left in free space by an earlier life of the page:
  // its size must end the block exactly at a boundary the page still shows (a live cell, the
  // content start, the end of free space or of the page), and its next offset lie past it.
  void findStaleFreeblocks() {
    std::vector<std::size_t> bounds;
    for (const Interval& f : free_) bounds.push_back(f.end);
    bounds.push_back(end_);
    if (h_.contentStart <= end_) bounds.push_back(h_.contentStart);
    // In an index tree a cell freed into the block before it keeps its start whole: a stale
    // header may end there.
    if (index_) {
      for (const Interval& f : free_) intactCellStarts(f.begin, f.end, kMaxProposals, &bounds);
    }
    std::sort(bounds.begin(), bounds.end());
    const std::size_t known = freeblocks_.size();
    // Covered records are searched too: a stale header inside one shows that a cell freed
    // later lay over its tail (the yielding rule of choose()).
    for (const Interval& f : free_) {
      for (std::size_t q = f.begin; q + 4 <= f.end; ++q) {
        const std::size_t next = be16(page_ + q);
        const std::size_t size = be16(page_ + q + 2);
        if (size < 8 || size > f.end - q) continue;
        if (next != 0 && (next < q + size || next >= end_)) continue;
        if (!endsAtBound(bounds, q + size)) {
          // The block may have ended at a cell the page no longer has: such a header counts
          // only when a record fills it exactly. In an index tree, where that fill is all
          // that rebuilds a lost first type, so does one with a next block.
          if ((next == 0 || index_) && looseBlocks_.size() < kMaxProposals)
            looseBlocks_.push_back({q, q + size});
          continue;
        }
        bool listed = false;
        for (std::size_t k = 0; k < known && !listed; ++k) listed = freeblocks_[k].begin == q;
        if (!listed && freeblocks_.size() < kMaxProposals) freeblocks_.push_back({q, q + size});
      }
    }
  }

  // Whether a block ending at `end` ends at one of the bounds. In an index tree the up to
  // three fragment bytes the database leaves behind a cell may lie between the two: a freed
  // cell there keeps its whole start, so a false block rarely yields a record.
  bool endsAtBound(const std::vector<std::size_t>& bounds, std::size_t end) const {
    if (!index_) return std::binary_search(bounds.begin(), bounds.end(), end);
    const auto at = std::lower_bound(bounds.begin(), bounds.end(), end);
    return at != bounds.end() && *at - end <= 3;
  }

  // A freed cell starting at `cellStart` with its first four bytes overwritten: the header
  // size may have survived a few bytes in (long payload-length and row-id varints), or the
  // serial types begin right at cellStart + 4.
  void anchored(std::size_t cellStart, int pass, int score) {
    const std::size_t n = width();
    for (std::size_t p = cellStart + 4; p < cellStart + 19 && p < end_; ++p) {
      std::size_t d = 0;
      const std::uint64_t v = varintAt(p, end_, &d);
      if (d == 0 || v <= d || v - d > end_ - p - d) continue;
      if (n != 0 && (v - d < n || v - d > 9 * n)) continue;
      const std::size_t types = countVarints(p + d, static_cast<std::size_t>(v - d),
                                             n != 0 ? n : static_cast<std::size_t>(-1));
      if (types == 0 || (n != 0 && types != n)) continue;
      propose(p + d, 0, types, score + 1, pass);
    }
    // The first-byte rule, for a header size that did not survive (proposed even when a
    // surviving one seems to be there: in a run of freed cells either may be the true one).
    if (n != 0) propose(cellStart + 4, -1, 0, score, pass);
  }

  // The number of varints that exactly fill `len` bytes at pos, or 0 when they do not (or
  // when there would be more than `most` of them).
  std::size_t countVarints(std::size_t pos, std::size_t len,
                           std::size_t most = static_cast<std::size_t>(-1)) const {
    if (pos >= end_ || len > end_ - pos) return 0;
    std::size_t count = 0;
    std::size_t at = 0;
    while (at < len) {
      if (count == most) return 0;
      std::uint64_t t = 0;
      const std::size_t l = readVarint(page_ + pos + at, len - at, &t);
      if (l == 0 || ((page_[pos + at + l - 1] & 0x80) && l < 9)) return 0;  // cut short
      if (t == 10 || t == 11) return 0;
      at += l;
      ++count;
    }
    return count;
  }

  // ---- measuring and choosing ------------------------------------------------------------

  // What a proposal's place says, whoever proposed it: the same start, first column and count
  // give the same answer, so select() measures each place once.
  struct Core {
    bool ok = false;
    Scored scored;
    bool prefix = false;  // an intact payload-length and row-id in front
    bool yields = false;  // a freeblock header lies inside the record
    int evidence = 0;     // score from the bytes around the record
  };

  bool measure(const Proposal& pr, Scored* out) const {
    const std::uint64_t key = (std::uint64_t{pr.start} << 24) ^
                              (static_cast<std::uint64_t>(pr.firstColumn + 1) << 20) ^ pr.count;
    if (!coreValid_ || key != coreKey_) {
      core_ = Core();
      core_.ok = measureCore(pr, &core_);
      coreKey_ = key;
      coreValid_ = true;
    }
    if (!core_.ok) return false;
    if (pr.mustFill != 0 &&
        (core_.scored.extentEnd > pr.mustFill || pr.mustFill - core_.scored.extentEnd > 3))
      return false;
    if (pr.needsCellPrefix && !core_.prefix) return false;
    // An index cell has only its payload length before the record: four bytes past a freed
    // cell's start the record can be read only when the payload length, the header size and
    // the serial type lost took those four bytes exactly. A small record lost two serial
    // types there, and two lengths cannot be told from the one room they share. A lost type
    // of two bytes is no reading either: the same bytes read as a small record whose second
    // type took two bytes, the first of them lost.
    if (index_ && pr.atCellStart) {
      const CarvedCandidate& c = core_.scored.candidate;
      if (pr.start < 4 ||
          static_cast<std::int64_t>(pr.start) - 4 +
                  static_cast<std::int64_t>(varintSize(c.payloadSize)) !=
              c.payloadOffset ||
          (c.firstColumn == 1 && varintSize(c.lostType) != 1))
        return false;
    }
    *out = core_.scored;
    out->candidate.pass = static_cast<std::uint8_t>(pr.pass);
    const int score = core_.yields ? 0 : std::min(pr.score + core_.evidence, 255);
    out->candidate.score = static_cast<std::uint8_t>(score);
    return true;
  }

  bool measureCore(const Proposal& pr, Core* core) const {
    Scored* out = &core->scored;
    const std::size_t start = pr.start;
    if (start < staleArrayEnd_ || start >= end_) return false;
    const Interval* room = freeIntervalAt(start);
    if (room == nullptr) return false;
    int firstColumn = pr.firstColumn;
    if (firstColumn < 0) {
      if (width() == 0) return false;
      firstColumn = page_[start] != 0 ? 1 : 0;
    }
    std::size_t count = pr.count;
    if (count == 0)
      count = width() > static_cast<std::size_t>(firstColumn)
                  ? width() - static_cast<std::size_t>(firstColumn)
                  : 0;
    if (count == 0) return false;

    // Serial types: all complete, none reserved.
    std::size_t typesLen = 0;
    std::uint64_t content = 0;
    types_.clear();
    for (std::size_t i = 0; i < count; ++i) {
      if (typesLen >= end_ - start) return false;
      std::uint64_t t = 0;
      const std::size_t avail = end_ - start - typesLen;
      const std::size_t l = readVarint(page_ + start + typesLen, avail, &t);
      if (l == 0 || (l < 9 && (page_[start + typesLen + l - 1] & 0x80))) return false;
      if (t == 10 || t == 11) return false;
      typesLen += l;
      types_.push_back(t);
      content += serialTypeWidth(t);
      if (content > kMaxPayload) return false;
    }
    // Serial types the columns cannot hold are no row of this table.
    const std::vector<ColumnClasses>* classes = ctx_.shape.columnClasses.get();
    bool usual = classes != nullptr;
    if (classes != nullptr) {
      for (std::size_t i = 0; i < types_.size(); ++i) {
        const std::size_t column = static_cast<std::size_t>(firstColumn) + i;
        if (column >= classes->size()) continue;
        if (!columnHolds((*classes)[column].holds, types_[i])) return false;
        usual = usual && columnHolds((*classes)[column].usual, types_[i]);
      }
    }
    // Column 0's content when its serial type was overwritten but it held a value. The types
    // read must say something: NULLs behind a rebuilt column are what zeroed space reads as.
    std::uint64_t lostType = 0;
    std::size_t lostWidth = 0;
    if (firstColumn == 1 && ctx_.shape.firstIsValue) {
      if (content == 0 &&
          std::all_of(types_.begin(), types_.end(), [](std::uint64_t t) { return t == 0; }))
        return false;
      if (!rebuildLostType(start + typesLen, content, *room, &lostType)) return false;
      lostWidth = static_cast<std::size_t>(serialTypeWidth(lostType));
      content += lostWidth;
    }
    // Zeroed space and headers of nothing but NULLs carry no row.
    if (content == 0) return false;

    const std::size_t lostTypeBytes =
        firstColumn == 1 ? (lostType != 0 ? varintSize(lostType) : 1) : 0;
    const std::size_t headerBytes = typesLen + lostTypeBytes;
    std::size_t d = 1;
    while (varintSize(headerBytes + d) > d) ++d;
    const std::uint64_t headerSize = headerBytes + d;
    const std::int64_t payloadStart = static_cast<std::int64_t>(start) -
                                      static_cast<std::int64_t>(d) -
                                      static_cast<std::int64_t>(lostTypeBytes);
    const std::uint64_t payload = headerSize + content;
    const std::size_t contentStart = start + typesLen;

    CarvedCandidate c;
    c.offset = static_cast<std::uint16_t>(start);
    c.firstColumn = static_cast<std::uint8_t>(firstColumn);
    c.typeCount = static_cast<std::uint16_t>(count);
    c.payloadOffset = static_cast<std::int32_t>(payloadStart);
    c.payloadSize = static_cast<std::uint32_t>(payload);
    c.pass = static_cast<std::uint8_t>(pr.pass);
    c.lostType = static_cast<std::uint32_t>(lostType);

    std::size_t extentEnd = 0;
    if (content <= end_ - contentStart) {
      extentEnd = contentStart + static_cast<std::size_t>(content);
    } else {
      // Spilled to overflow pages: the local part ends with the first overflow page number.
      if (ctx_.pageCount == 0 || payloadStart < 0 || lostWidth != 0) return false;
      const std::uint64_t local = localPayloadSize(payload, ctx_.geometry.usableSize, index_);
      const std::uint64_t localEnd = static_cast<std::uint64_t>(payloadStart) + local;
      if (local >= payload || localEnd + 4 > end_ || localEnd < contentStart) return false;
      const std::uint32_t overflow = be32(page_ + localEnd);
      if (overflow < 2 || overflow > ctx_.pageCount) return false;
      c.firstOverflow = overflow;
      extentEnd = static_cast<std::size_t>(localEnd) + 4;
    }
    // The record must lie in the free interval it starts in: bytes under a live cell are not
    // a deleted row's.
    if (extentEnd > room->end) return false;
    c.localEnd = static_cast<std::uint32_t>(std::min(extentEnd, end_));
    if (ctx_.shape.accept != nullptr) {
      CarvedRecordView view;
      view.page = page_;
      view.types = types_.data();
      view.typeCount = types_.size();
      view.firstColumn = firstColumn;
      view.contentStart = contentStart + lostWidth;
      view.end = std::min(extentEnd, end_);
      view.utf16 = ctx_.utf16;
      if (!ctx_.shape.accept(view)) return false;
    }
    // Texts are judged on what lies on this page (before the overflow page number).
    const std::size_t onPage = c.firstOverflow != 0 ? extentEnd - 4 : extentEnd;
    if (!textsPlausible(contentStart + lostWidth, std::min(onPage, end_))) return false;

    int score = 0;
    // A rebuilt type is a reading of the room, not of the bytes: a surviving one is surer.
    if (lostWidth != 0) score -= 1;
    bool prefix = false;
    if (payloadStart >= 0 && firstColumn == 0) {
      std::size_t hl = 0;
      const auto ps = static_cast<std::size_t>(payloadStart);
      if (varintAt(ps, end_, &hl) == headerSize && hl == d) {
        score += 2;  // the header size survived and agrees
        prefix = cellPrefixAgrees(ps, payload);
        if (prefix) score += 2;
      }
    }
    if (fillsBlock(extentEnd, *room)) score += 2;
    if (usual) score += 2;  // every column holds what its declared type usually does
    score = std::max(score, 0);
    // A freeblock header inside the record: a cell freed later lay over its tail, so the
    // record's last columns are that cell's bytes. It yields to any record it overlaps.
    for (const Interval& b : freeblocks_) {
      if (b.begin > start && b.begin + 4 < extentEnd) core->yields = true;
    }
    core->prefix = prefix;
    core->evidence = score;
    out->candidate = c;
    out->extentEnd = extentEnd;
    return true;
  }

  // The serial type of a column 0 whose type byte was overwritten, from where the record can
  // end: the end of its free interval (less up to three fragment bytes) or a freeblock edge.
  // The nearest end whose width the column can hold (an integer's 1, 2, 3, 4, 6 or 8 bytes, a
  // real's 8, a text or blob of any length) wins. `rest` is the content of the other columns.
  bool rebuildLostType(std::size_t contentStart, std::uint64_t rest, const Interval& room,
                       std::uint64_t* type) const {
    if (rest > room.end - std::min(room.end, contentStart)) return false;
    const std::size_t base = contentStart + static_cast<std::size_t>(rest);
    const std::uint64_t guess = ctx_.shape.firstTypeGuess;
    if (guess >= 13 && guess % 2 == 1) {
      const std::size_t w = static_cast<std::size_t>(serialTypeWidth(guess));
      if (w <= room.end - base && plausibleText(page_ + contentStart, w))
        return *type = guess, true;
    }
    // Exact ends first (nearest first), then the free interval's end less fragment bytes. The
    // freeblock edges stop while there is still room for the intact cell starts and the
    // fragment ends that follow them.
    constexpr std::size_t kIntactStarts = 4, kFragmentEnds = 3;
    std::size_t ends[24];
    std::size_t count = 0;
    if (room.end >= base) ends[count++] = room.end;
    for (const Interval& b : freeblocks_) {
      if (count + 2 + kIntactStarts + kFragmentEnds > sizeof ends / sizeof ends[0]) break;
      if (b.end >= base && b.end < room.end) ends[count++] = b.end;
      if (b.begin >= base && b.begin < room.end) ends[count++] = b.begin;
    }
    // In an index tree a freed cell merged into the block of the one before it keeps its
    // start whole: the record before it ends where it begins.
    if (index_) {
      intactStarts_.clear();
      intactCellStarts(base, room.end, kIntactStarts, &intactStarts_);
      for (std::size_t e : intactStarts_) ends[count++] = e;
    }
    std::sort(ends, ends + count);
    for (std::size_t slop = 1; slop <= kFragmentEnds; ++slop) {
      if (room.end >= base + slop) ends[count++] = room.end - slop;
    }
    const std::vector<ColumnClasses>* classes = ctx_.shape.columnClasses.get();
    const ColumnClasses column =
        classes != nullptr && !classes->empty() ? (*classes)[0] : ColumnClasses();
    // What the declared type usually holds is tried first: an 8-byte value of a REAL column is
    // a real, 4 bytes of a BLOB column a blob.
    for (const std::uint8_t mask : {column.usual, column.holds}) {
      for (std::size_t k = 0; k < count; ++k) {
        if (lostTypeOfWidth(ends[k] - base, mask, page_ + contentStart, type)) return true;
      }
    }
    return false;
  }

  // Up to `most` offsets in [from, to) where an index cell of the table's width begins whole:
  // a payload length that agrees with the record behind it, whose serial types fill its
  // header exactly and whose content fits before `to`.
  void intactCellStarts(std::size_t from, std::size_t to, std::size_t most,
                        std::vector<std::size_t>* out) const {
    const std::size_t n = width();
    std::size_t found = 0;
    for (std::size_t e = from; e + 2 < to && found < most && n != 0; ++e) {
      std::size_t l = 0, d = 0;
      const std::uint64_t payload = varintAt(e, to, &l);
      if (l == 0 || payload > to - e) continue;
      const std::uint64_t header = varintAt(e + l, to, &d);
      if (d == 0 || header <= d || header - d < n || header - d > 9 * n || header > to - e - l)
        continue;
      const std::size_t typesAt = e + l + d;
      const auto typesLen = static_cast<std::size_t>(header - d);
      if (countVarints(typesAt, typesLen, n) != n) continue;
      const std::uint64_t record = recordSize(page_ + typesAt, to - typesAt, typesLen, 0);
      if (record == 0 || header + (record - typesLen) != payload) continue;
      out->push_back(e);
      ++found;
    }
  }

  bool lostTypeOfWidth(std::size_t w, std::uint8_t mask, const std::uint8_t* content,
                       std::uint64_t* type) const {
    if (w == 0) {
      *type = 0;
      return (mask & (kHoldsNull | kHoldsInteger)) != 0;
    }
    // Zeroed space is no value (secure_delete leaves freed cells so).
    bool zero = true;
    for (std::size_t i = 0; i < w && zero; ++i) zero = content[i] == 0;
    if (zero) return false;
    static constexpr std::uint8_t kIntegerType[9] = {0, 1, 2, 3, 4, 0, 5, 0, 6};
    const bool realFirst = (mask & kHoldsReal) && !(mask & kHoldsBlob);
    if (w == 8 && realFirst) return *type = 7, true;
    if (w <= 8 && kIntegerType[w] != 0 && (mask & kHoldsInteger))
      return *type = kIntegerType[w], true;
    if (w == 8 && (mask & kHoldsReal)) return *type = 7, true;
    if ((mask & kHoldsText) && plausibleText(content, w))
      return *type = 13 + 2 * std::uint64_t{w}, true;
    if (mask & kHoldsBlob) return *type = 12 + 2 * std::uint64_t{w}, true;
    return false;
  }

  bool plausibleText(const std::uint8_t* p, std::size_t n) const {
    if (ctx_.utf16) {
      if (n % 2 != 0) return false;
      for (std::size_t i = 0; i + 1 < n; i += 2) {
        if (p[i] == 0 && p[i + 1] == 0) return false;
      }
      return true;
    }
    return std::memchr(p, 0, n) == nullptr &&
           isValidUtf8(std::string_view(reinterpret_cast<const char*>(p), n));
  }

  // The texts of a record found in free space must read as text an application wrote: no NUL
  // characters, and valid UTF-8 in a UTF-8 database. Old page numbers and pointer arrays that
  // happen to parse as a header fail this.
  bool textsPlausible(std::size_t contentStart, std::size_t limit) const {
    std::size_t at = contentStart;
    for (std::uint64_t t : types_) {
      const std::size_t w = static_cast<std::size_t>(serialTypeWidth(t));
      if (isTextType(t) && at < limit) {
        const std::size_t n = std::min(w, limit - at);
        const std::uint8_t* p = page_ + at;
        if (ctx_.utf16) {
          for (std::size_t i = 0; i + 1 < n; i += 2) {
            if (p[i] == 0 && p[i + 1] == 0) return false;
          }
        } else {
          if (std::memchr(p, 0, n) != nullptr) return false;
          // A text cut by the page end (it spills) may end inside a character.
          std::size_t whole = n;
          if (n < w) {
            while (whole > 0 && (p[whole - 1] & 0xC0) == 0x80) --whole;
            if (whole > 0 && p[whole - 1] >= 0xC0) --whole;
          }
          if (!isValidUtf8(std::string_view(reinterpret_cast<const char*>(p), whole))) return false;
        }
      }
      at += w;
      if (at >= limit) break;
    }
    return true;
  }

  // Payload-length and row-id varints just before the payload that agree with it (the
  // payload length alone in an index cell).
  bool cellPrefixAgrees(std::size_t payloadStart, std::uint64_t payload) const {
    for (std::size_t rowLen = index_ ? 0 : 1; rowLen <= (index_ ? 0u : 9u); ++rowLen) {
      const std::size_t pl = varintSize(payload);
      if (payloadStart < rowLen + pl || payloadStart - rowLen - pl < arrayEnd_) continue;
      const std::size_t at = payloadStart - rowLen - pl;
      std::size_t l1 = 0, l2 = 0;
      if (varintAt(at, end_, &l1) != payload || l1 != pl) continue;
      if (index_) return true;
      varintAt(at + l1, end_, &l2);
      if (l2 == rowLen) return true;
    }
    return false;
  }

  // The record ends where its free interval or a freeblock ends, give or take the up to
  // three fragment bytes the database leaves behind cells.
  bool fillsBlock(std::size_t extentEnd, const Interval& room) const {
    if (room.end >= extentEnd && room.end - extentEnd <= 3) return true;
    for (const Interval& b : freeblocks_) {
      if (b.end >= extentEnd && b.end - extentEnd <= 3) return true;
      if (b.begin >= extentEnd && b.begin - extentEnd <= 3) return true;
    }
    return false;
  }

  // Extents of records measured with strong evidence, ascending: the sweeps step over them.
  void collectCovered() {
    covered_.clear();
    for (const Scored& s : scored_) {
      if (s.candidate.score >= 4) covered_.push_back({s.candidate.offset, s.extentEnd});
    }
    std::sort(covered_.begin(), covered_.end(),
              [](const Interval& a, const Interval& b) { return a.begin < b.begin; });
  }

  // The first position at or after p outside every covered extent; *at walks the list.
  std::size_t skipCovered(std::size_t p, std::size_t* at) const {
    while (*at < covered_.size()) {
      const Interval& c = covered_[*at];
      if (p < c.begin) break;
      if (p < c.end) p = c.end;
      ++*at;
    }
    return p;
  }

  void select(std::vector<CarvedCandidate>* out) {
    measurePending();
    choose(out);
  }

  void measurePending() {
    std::vector<Scored>& scored = scored_;
    // Measuring may reveal where the next freed cell of a run begins: chase those anchors, in
    // rounds. Within a round equal proposals sit next to each other and are measured once.
    std::vector<std::size_t> order;
    for (std::size_t done = measured_; done < proposals_.size();) {
      const std::size_t roundEnd = proposals_.size();
      order.clear();
      for (std::size_t i = done; i < roundEnd; ++i) order.push_back(i);
      std::sort(order.begin(), order.end(), [this](std::size_t a, std::size_t b) {
        const Proposal& x = proposals_[a];
        const Proposal& y = proposals_[b];
        if (x.start != y.start) return x.start < y.start;
        if (x.firstColumn != y.firstColumn) return x.firstColumn < y.firstColumn;
        if (x.count != y.count) return x.count < y.count;
        return a < b;
      });
      done = roundEnd;
      for (std::size_t i : order) {
        Scored s;
        if (!measure(proposals_[i], &s)) continue;
        s.order = i;
        scored.push_back(s);
        // A record found by chasing keeps the run going: each freed cell of a run merged into
        // one freeblock lost its first bytes to a header of its own and scores low. So do the
        // records the gap and stale pointers lead to: the old cells of a rebuilt page follow.
        if ((s.candidate.score >= 2 || s.candidate.pass >= 3) && s.extentEnd + 4 < end_ &&
            chased_.size() < kMaxProposals &&
            std::find(chased_.begin(), chased_.end(), s.extentEnd) == chased_.end()) {
          chased_.push_back(s.extentEnd);
          anchored(s.extentEnd, 5, 1);
        }
      }
    }
    measured_ = proposals_.size();
  }

  void choose(std::vector<CarvedCandidate>* out) {
    std::vector<Scored>& scored = scored_;
    // The yielding rule again, now that the stale freeblock headers are known too.
    for (Scored& s : scored) {
      for (const Interval& b : freeblocks_) {
        if (b.begin > s.candidate.offset && b.begin + 4 < s.extentEnd) s.candidate.score = 0;
      }
    }
    // Equal scores are settled by the order of proposing (the passes' order).
    std::sort(scored.begin(), scored.end(),
              [](const Scored& a, const Scored& b) { return a.order < b.order; });
    std::stable_sort(scored.begin(), scored.end(), [](const Scored& a, const Scored& b) {
      return a.candidate.score > b.candidate.score;
    });
    std::vector<Interval> taken;
    std::vector<Scored> kept;
    for (const Scored& s : scored) {
      const std::size_t b = s.candidate.offset;
      bool overlaps = false;
      for (const Interval& t : taken) {
        // Records written at different times may share the few bytes where one's overwritten
        // prefix meets the other's tail; more than that is the same bytes read twice.
        const std::size_t lo = std::max(b, t.begin);
        const std::size_t hi = std::min(s.extentEnd, t.end);
        if (hi > lo && hi - lo > 4) {
          overlaps = true;
          break;
        }
      }
      if (overlaps) continue;
      taken.push_back({b, s.extentEnd});
      kept.push_back(s);
    }
    std::sort(kept.begin(), kept.end(),
              [](const Scored& a, const Scored& b) { return a.order < b.order; });
    for (const Scored& s : kept) out->push_back(s.candidate);
  }

  const std::uint8_t* page_;
  const CarveContext& ctx_;
  const std::size_t end_;
  const bool index_;  // the pages of an index tree: cells without a row id
  PageHeader h_;
  std::size_t arrayEnd_ = 0;
  std::size_t staleArrayEnd_ = 0;  // the end of the stale pointers behind the live ones
  std::vector<std::uint16_t> cells_;
  std::vector<Interval> free_;
  std::vector<Interval> freeblocks_;
  std::vector<Interval> looseBlocks_;
  std::vector<Proposal> proposals_;
  std::vector<std::size_t> chased_;
  std::vector<std::uint32_t> terminal_;
  mutable std::vector<std::size_t> intactStarts_;
  mutable std::vector<std::uint64_t> types_;  // serial types of the proposal being measured
  std::vector<Scored> scored_;
  std::size_t measured_ = 0;
  std::vector<Interval> covered_;
  mutable Core core_;
  mutable std::uint64_t coreKey_ = 0;
  mutable bool coreValid_ = false;
};

}  // namespace

bool columnHolds(std::uint8_t mask, std::uint64_t t) {
  if (t == 0) return (mask & kHoldsNull) != 0;
  if (t <= 6 || t == 8 || t == 9) return (mask & kHoldsInteger) != 0;
  if (t == 7) return (mask & kHoldsReal) != 0;
  if (t >= 12) return (mask & (t % 2 != 0 ? kHoldsText : kHoldsBlob)) != 0;
  return false;
}

void carvePage(const std::uint8_t* page, const CarveContext& ctx,
               std::vector<CarvedCandidate>* out) {
  if (ctx.geometry.usableSize < 480 || ctx.geometry.usableSize > ctx.geometry.pageSize) return;
  PageCarver(page, ctx).run(out);
}

void carveTrunkPage(const std::uint8_t* page, const CarveContext& ctx,
                    std::vector<CarvedCandidate>* out) {
  if (ctx.geometry.usableSize < 480 || ctx.geometry.usableSize > ctx.geometry.pageSize) return;
  // Trunk header: next trunk (4 bytes), leaf count (4 bytes), the leaf page numbers. With no
  // page structure to anchor on, headers of one column match by chance; those of two or three
  // must have their payload-length and row-id varints in front (the sweep's rule).
  if (ctx.shape.width < 2) return;
  const std::uint64_t count = be32(page + 4);
  const std::uint64_t listEnd = 8 + 4 * count;
  if (listEnd >= ctx.geometry.usableSize) return;
  PageCarver(page, ctx).runRegion(static_cast<std::size_t>(listEnd), out);
}

}  // namespace qv::db
