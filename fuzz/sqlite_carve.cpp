// Fuzz target: the carving passes on one page image. The first byte picks the table width,
// the second the page size (512 << (b % 7)), whether the page is read as page 1, another
// header-scan width, whether records need the message guid and whether column 0 holds a value
// (the columns' classes then come from the page's first bytes); the first byte's high bit reads
// the page as one of an index tree (a table WITHOUT ROWID). The rest is the page, cut or
// zero-filled to that size.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "db/carving.h"
#include "db/record.h"
#include "db/sqlite_format.h"
#include "db/table_shapes.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const int width = data[0] % 64;
  const std::size_t pageSize = std::size_t{512} << (data[1] % 7);
  std::vector<std::uint8_t> page(pageSize + qv::db::kBufferPad, 0);
  for (std::size_t i = 2; i < size && i - 2 < pageSize; ++i) page[i - 2] = data[i];

  qv::db::CarveContext ctx;
  ctx.geometry.pageSize = pageSize;
  ctx.geometry.usableSize = pageSize - (data[1] & 0x80 ? 32 : 0);
  ctx.pageIndex = (data[1] & 0x08) ? 0 : 7;
  ctx.shape.width = width;
  ctx.shape.headerWidth = width + (data[1] & 0x10 ? 1 : 0);
  ctx.shape.withoutRowId = (data[0] & 0x80) != 0;
  if (data[1] & 0x20) ctx.shape.accept = qv::db::messageGuidLeads;
  if (data[1] & 0x40) {
    // A table without a row-id alias whose columns hold what the page's first bytes say.
    ctx.shape.firstIsValue = true;
    auto classes = std::make_shared<std::vector<qv::db::ColumnClasses>>();
    for (int i = 0; i < width; ++i) {
      const std::uint8_t b = page[static_cast<std::size_t>(i)];
      classes->push_back({static_cast<std::uint8_t>(b & qv::db::kHoldsAnything),
                          static_cast<std::uint8_t>((b >> 3) & qv::db::kHoldsAnything)});
    }
    ctx.shape.columnClasses = std::move(classes);
    if (data[0] & 0x40) ctx.shape.firstTypeGuess = 13 + 2 * (data[0] & 15);
  }
  ctx.pageCount = 64;
  std::vector<qv::db::CarvedCandidate> list;
  qv::db::carvePage(page.data(), ctx, &list);
  qv::db::carveTrunkPage(page.data(), ctx, &list);
  for (const qv::db::CarvedCandidate& c : list) {
    if (c.offset >= ctx.geometry.usableSize) __builtin_trap();
    qv::db::Record rec;
    qv::db::walkCarved(page.data() + c.offset, ctx.geometry.usableSize - c.offset, c.firstColumn,
                       c.typeCount, &rec, c.lostType);
  }
  return 0;
}
