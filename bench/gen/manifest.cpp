// Input and in-process timings for bench/manifest.
//   bench_manifest make DIR N   writes DIR/Manifest.mbdb and DIR/db/Manifest.db, N entries each
//   bench_manifest time DIR     times the Manifest.mbdb parse (SHA-1 of every key included) on
//                               the bytes in memory, and readManifestDb on DIR/db/Manifest.db;
//                               prints key=value lines (wall and processor seconds), best
//                               of five runs
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

#include "backup/manifest_db.h"
#include "backup/manifest_mbdb.h"
#include "platform/file.h"
#include "platform/folders.h"
#include "platform/text.h"
#include "samples/backup_builder.h"

namespace {

using qv::samples::BackupBuilder;
using qv::samples::ManifestLayout;
using qv::samples::MbdbRecord;
namespace platform = qv::platform;

// A record shaped like those of a real device: a spread of domains, cache and media paths of
// typical length, a data hash on files, a property on some.
MbdbRecord recordFor(std::size_t i) {
  static const char* kDomains[] = {
      "HomeDomain",     "CameraRollDomain",
      "MediaDomain",    "AppDomainGroup-group.net.whatsapp.WhatsApp.shared",
      "KeychainDomain", "SystemPreferencesDomain"};
  char path[160];
  MbdbRecord r;
  if (i % 5 == 0) {
    r.domain = "AppDomain-com.example.app" + std::to_string(i % 97);
    std::snprintf(path, sizeof path,
                  "Library/Caches/com.example.app%zu/fsCachedData/%08zX-%04zX-4%03zX", i % 97,
                  i * 2654435761u % 0xFFFFFFFFu, i % 0xFFFF, i % 0xFFF);
  } else if (i % 5 == 1) {
    r.domain = kDomains[1];
    std::snprintf(path, sizeof path, "Media/DCIM/%zuAPPLE/IMG_%07zu.JPG", 100 + i / 1000 % 50, i);
  } else {
    r.domain = kDomains[i % 6];
    std::snprintf(path, sizeof path, "Library/Application Support/Data/%zu/Item %zu.plist", i % 400,
                  i);
  }
  r.relativePath = std::string(path);
  if (i % 10 == 3) {
    r.mode = qv::samples::kModeDirectory;
  } else {
    r.dataHash = qv::samples::pseudoRandomBytes(20, static_cast<std::uint32_t>(i));
    r.size = i * 37 % 5000000;
  }
  if (i % 7 == 0) r.properties = {{"com.apple.assetsd.UUID", std::string(16, '\x5A')}};
  r.inode = i;
  return r;
}

// Wall time and processor time of one timed call; the machine may be shared, so both are kept.
struct Timing {
  double wall = 1e9;
  double cpu = 1e9;
};

template <typename F>
int timeBest(int runs, Timing* best, F&& call) {
  for (int run = 0; run < runs; ++run) {
    std::clock_t c0 = std::clock();
    auto t0 = std::chrono::steady_clock::now();
    int rc = call();
    auto t1 = std::chrono::steady_clock::now();
    std::clock_t c1 = std::clock();
    if (rc != 0) return rc;
    best->wall = std::min(best->wall, std::chrono::duration<double>(t1 - t0).count());
    best->cpu = std::min(best->cpu, static_cast<double>(c1 - c0) / CLOCKS_PER_SEC);
  }
  return 0;
}

int make(const std::string& dir, std::size_t n) {
  std::string mbdb("mbdb\x05\x00", 6);
  BackupBuilder db(platform::joinPath(dir, "db"), ManifestLayout::kDb);
  db.setDbFileBlobSize(300);
  for (std::size_t i = 0; i < n; ++i) {
    MbdbRecord r = recordFor(i);
    mbdb += qv::samples::encodeMbdbRecord(r);
    db.addRecord(r);
  }
  int rc =
      platform::writeWholeFile(platform::joinPath(dir, "Manifest.mbdb"), mbdb.data(), mbdb.size());
  if (rc == 0) rc = db.finish();
  if (rc != 0) std::fprintf(stderr, "bench_manifest: writing failed with %d\n", rc);
  return rc == 0 ? 0 : 1;
}

int time(const std::string& dir) {
  std::string bytes;
  int rc = platform::readWholeFile(platform::joinPath(dir, "Manifest.mbdb"), 1ull << 32, &bytes);
  if (rc != 0)
    return std::fprintf(stderr, "bench_manifest: cannot read Manifest.mbdb (%d)\n", rc), 1;
  qv::backup::ManifestIndex index;
  Timing mbdb;
  rc = timeBest(5, &mbdb, [&] {
    index = qv::backup::ManifestIndex();  // each run fills a fresh index, as opening a backup does
    return qv::backup::parseManifestMbdb(bytes, &index);
  });
  if (rc != 0) return std::fprintf(stderr, "bench_manifest: parse failed (%d)\n", rc), 1;
  std::printf("mbdb_bytes=%zu\nmbdb_entries=%zu\nmbdb_seconds=%.6f\nmbdb_cpu_seconds=%.6f\n",
              bytes.size(), index.size(), mbdb.wall, mbdb.cpu);

  const std::string db = platform::joinPath(platform::joinPath(dir, "db"), "Manifest.db");
  Timing read;
  rc = timeBest(5, &read, [&] {
    index = qv::backup::ManifestIndex();
    return qv::backup::readManifestDb(db, &index);
  });
  if (rc != 0) return std::fprintf(stderr, "bench_manifest: readManifestDb failed (%d)\n", rc), 1;
  std::printf("db_entries=%zu\ndb_seconds=%.6f\ndb_cpu_seconds=%.6f\n", index.size(), read.wall,
              read.cpu);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::string(argv[1]) == "make")
    return make(argv[2], std::strtoul(argv[3], nullptr, 10));
  if (argc == 3 && std::string(argv[1]) == "time") return time(argv[2]);
  std::fprintf(stderr, "usage: bench_manifest make DIR N | bench_manifest time DIR\n");
  return 2;
}
