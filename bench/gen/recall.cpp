// Recall over the carving corpus, for bench/recall.
//
//   bench_recall DIR QUENVALE   writes the corpus into DIR (see samples/sqlite_corpus.h), runs
//                               `QUENVALE sqlite DB --json` on each database and prints, per
//                               category, the deleted rows whose bytes are still in the file,
//                               how many of them the listing reports as deleted with their
//                               values, and the live rows it reports as deleted without the
//                               stale flag
// Exit status 0 when every category reaches 98% and reports no live row as deleted, 3 when
// not, 1 on a failure.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "bench/gen/json_rows.h"
#include "samples/sqlite_corpus.h"

namespace {

using qv::samples::CorpusScore;
using qv::samples::FoundRow;
using qv::samples::SqlValue;

std::string fromHex(const std::string& hex) {
  std::string out;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
    out += static_cast<char>(std::strtol(hex.substr(i, 2).c_str(), nullptr, 16));
  return out;
}

int readListing(const std::string& path, std::vector<FoundRow>* out) {
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    qv::bench::JsonRow row;
    qv::bench::LineParser p(line);
    if (!p.parse(&row)) {
      std::fprintf(stderr, "bench_recall: unreadable line: %.80s\n", line.c_str());
      return 1;
    }
    if (row.header) continue;
    for (SqlValue& v : row.values) {
      if (v.kind == SqlValue::kBlob) v.bytes = fromHex(v.bytes);
    }
    out->push_back({row.table, row.deleted != 0, row.stale, std::move(row.values)});
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: bench_recall DIR QUENVALE\n");
    return 2;
  }
  const std::string dir = argv[1], quenvale = argv[2];
  std::vector<qv::samples::CorpusDatabase> corpus;
  if (int rc = qv::samples::buildCorpus(dir, &corpus)) {
    std::fprintf(stderr, "bench_recall: the corpus could not be written (SQLite %d)\n", rc);
    return 1;
  }
  std::map<std::string, CorpusScore> scores;
  std::vector<std::string> order;
  for (const auto& db : corpus) {
    const std::string listing = db.path + ".jsonl";
    const std::string command =
        "'" + quenvale + "' sqlite '" + db.path + "' --json > '" + listing + "'";
    if (std::system(command.c_str()) != 0)
      std::fprintf(stderr, "bench_recall: %s reported a failure\n", db.path.c_str());
    std::vector<FoundRow> found;
    if (readListing(listing, &found) != 0) return 1;
    if (scores.find(db.category) == scores.end()) order.push_back(db.category);
    std::vector<const qv::samples::CorpusRow*> missed;
    qv::samples::scoreFindings(db, found, &scores[db.category], &missed);
    // QV_RECALL_MISSES=1 names the rows each database's listing missed.
    if (std::getenv("QV_RECALL_MISSES") != nullptr) {
      // A row of a table without a row id is named by its first value.
      for (const qv::samples::CorpusRow* r : missed) {
        const SqlValue first = r->values.empty() ? SqlValue::null() : r->values[0];
        std::printf("missed: %s %s row %lld\n", db.path.c_str(), r->table.c_str(),
                    static_cast<long long>(r->rowId != 0 ? r->rowId : first.integer));
      }
    }
  }
  int status = 0;
  CorpusScore all;
  std::printf("%-24s %6s %6s %9s %7s %14s %9s\n", "category", "gone", "intact", "recovered",
              "recall", "live as deleted", "unmatched");
  auto line = [&status](const std::string& name, const CorpusScore& s) {
    const double recall = s.intact ? 100.0 * static_cast<double>(s.recovered) / s.intact : 100.0;
    std::printf("%-24s %6zu %6zu %9zu %6.1f%% %14zu %9zu\n", name.c_str(), s.gone, s.intact,
                s.recovered, recall, s.liveAsDeleted, s.unmatched);
    if (recall < 98.0 || s.liveAsDeleted != 0) status = 3;
  };
  for (const std::string& category : order) {
    const CorpusScore& s = scores[category];
    line(category, s);
    all.gone += s.gone;
    all.intact += s.intact;
    all.recovered += s.recovered;
    all.liveAsDeleted += s.liveAsDeleted;
    all.unmatched += s.unmatched;
  }
  line("whole corpus", all);
  std::printf(
      "(targets: at least 98%% of the intact deleted rows recovered in every category; no "
      "live row reported as deleted unless stale)\n");
  return status;
}
