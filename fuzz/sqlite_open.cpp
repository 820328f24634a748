// Fuzz target: the page reader over arbitrary bytes. Opens them as a database, reads the
// schema, and scans every table (with its declared width, so the carving passes run) and the
// tables the width table knows by name. Every row image is walked and its values touched.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/scan_every_table.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  qv::db::SqlitePageReader reader;
  if (reader.OpenMemory(std::string(reinterpret_cast<const char*>(data), size)) != 0) return 0;
  qv::fuzz::TouchAll sink;
  qv::fuzz::scanEveryTable(reader, &sink);
  for (const char* known : {"message", "handle", "call", "ZWAMESSAGE"}) {
    qv::db::TableScan scan;
    scan.shape = qv::db::knownTableShape(known);
    reader.ScanTable(known, scan, &sink);
  }
  return 0;
}
