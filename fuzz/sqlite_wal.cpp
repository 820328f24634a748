// Fuzz target: a database read together with a write-ahead log, both from arbitrary bytes.
// Input: a 4-byte little-endian length n, then n bytes of database file (n is taken modulo what
// follows), then the log. The log's index is built on its own first (any page size), then the
// pair is opened and every table of the view's schema is scanned, the older page versions the
// log replaced included, and every row image walked.
#include <cstddef>
#include <cstdint>
#include <string>

#include "db/page_source.h"
#include "db/wal_index.h"
#include "fuzz/scan_every_table.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 4) return 0;
  const std::uint32_t declared =
      data[0] | (data[1] << 8) | (data[2] << 16) | (static_cast<std::uint32_t>(data[3]) << 24);
  const std::size_t rest = size - 4;
  const std::size_t dbSize = rest == 0 ? 0 : declared % (rest + 1);
  const std::string db(reinterpret_cast<const char*>(data + 4), dbSize);
  const std::string wal(reinterpret_cast<const char*>(data + 4 + dbSize), rest - dbSize);

  qv::db::MemoryPageSource source(wal);
  qv::db::WalIndex index;
  if (index.load(source, 0) == 0 && !index.empty()) {
    for (std::uint32_t commit : index.commits()) (void)index.pagesAt(commit);
    for (const auto& page : index.versions()) (void)index.frameOf(page.first, index.lastCommit());
  }

  qv::db::SqlitePageReader reader;
  if (reader.OpenMemory(db, wal) != 0) return 0;
  qv::fuzz::TouchAll sink;
  qv::fuzz::scanEveryTable(reader, &sink);
  return 0;
}
