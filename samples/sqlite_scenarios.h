// Message databases shaped like the phone's sms.db (the 38-column `message` table with its
// indexes), filled and then thinned by one deletion pattern, for recall tests of the carver.
#pragma once

#include <string>

#include "samples/sqlite_fixture.h"

namespace qv::samples {

enum class DeletionPattern {
  kNone,
  kScattered,   // single rows all over the table: their cells become freeblocks
  kContiguous,  // a long run of rows: whole leaf pages go to the freelist
  kEndOfPage,   // the newest rows, whose cells sit at the start of the content area
  kOverflow,    // rows whose text spills to overflow pages
  kFreelist,    // nearly every row on small pages: a freelist of several trunk pages
};

const char* patternName(DeletionPattern pattern);

struct MessageScenario {
  int pageSize = 4096;
  const char* encoding = "UTF-8";
  bool secureDelete = false;
  int rows = 400;
  DeletionPattern pattern = DeletionPattern::kNone;
  unsigned seed = 1;
};

// The CREATE statement of the 38-column message table (iOS 6) and its indexes.
extern const char* const kMessageTableSql;

// One row of the message table: text of textLength bytes made from n and the seed.
SqlRow messageRow(int n, std::size_t textLength, unsigned seed);

// Writes the database at path, applying the scenario's pattern; `db` keeps what was written
// and deleted (closed on return).
int buildMessageDatabase(const std::string& path, const MessageScenario& scenario,
                         SqliteFixture* db);

}  // namespace qv::samples
