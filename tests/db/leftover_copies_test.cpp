// The one rule that tells leftover copies and second findings from deleted rows, for every
// reader and for the stale marker of `quenvale sqlite`.
#include "db/leftover_copies.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qv::db {
namespace {

struct Row {
  std::uint32_t deleted = 0;
  std::wstring fields;
};

// A row as a table scan hands it over: fields, deleted marker, row id (0: carved).
struct Given {
  const wchar_t* fields;
  std::uint32_t deleted;
  std::uint32_t rowId;
};

struct CopyCase {
  const char* what;
  std::vector<Given> rows;
  std::vector<std::size_t> kept;  // indexes into rows, in the order they remain
};

std::vector<std::size_t> remaining(const std::vector<Given>& given) {
  std::vector<ScannedRow<Row>> rows;
  for (const Given& g : given) rows.push_back({{g.deleted, g.fields}, g.rowId});
  dropLeftoverCopies(&rows, [](const Row& r) { return r.fields; });
  std::vector<std::size_t> out;
  for (const auto& r : rows) {
    for (std::size_t i = 0; i < given.size(); ++i) {
      if (given[i].fields == r.record.fields && given[i].rowId == r.rowId &&
          given[i].deleted == r.record.deleted) {
        out.push_back(i);
        break;
      }
    }
  }
  return out;
}

TEST(LeftoverCopies, OneRuleForEveryTable) {
  const CopyCase cases[] = {
      {"a freelist cell of a live row's id and fields is its copy",
       {{L"a", 0, 5}, {L"a", 1, 5}},
       {0}},
      {"a carved row with a live row's fields is its copy", {{L"a", 0, 5}, {L"a", 1, 0}}, {0}},
      {"another row id with the same fields is another row", {{L"a", 0, 5}, {L"a", 1, 6}}, {0, 1}},
      {"other fields under the live row's id are a deletion", {{L"a", 0, 5}, {L"b", 1, 5}}, {0, 1}},
      {"a second finding of a deleted row is dropped",
       {{L"a", 1, 7}, {L"a", 1, 7}, {L"b", 1, 0}, {L"b", 1, 0}},
       {0, 2}},
      // Where the chat readers kept the carved finding read first and dropped every finding
      // with a row id after it, the rule keeps what carries a row id, read in any order, and
      // two row ids are two rows.
      {"findings with a row id win over a carved one read before them",
       {{L"a", 1, 0}, {L"a", 1, 7}, {L"a", 1, 8}},
       {1, 2}},
      {"a row without a row id is the same row as any of its fields",
       {{L"a", 0, 0}, {L"a", 1, 9}, {L"a", 1, 0}},
       {0}},
      {"live rows come first, each part in reading order",
       {{L"x", 1, 3}, {L"a", 0, 1}, {L"y", 1, 0}, {L"b", 0, 2}},
       {1, 3, 0, 2}},
      {"nothing", {}, {}},
  };
  for (const CopyCase& c : cases) EXPECT_EQ(remaining(c.rows), c.kept) << c.what;
}

TEST(LeftoverCopies, KeysKeepFieldsApart) {
  const std::wstring ab = L"ab", c = L"c", a = L"a", bc = L"bc", empty;
  EXPECT_NE(fieldsKey(ab, c), fieldsKey(a, bc));
  EXPECT_NE(fieldsKey(12, 3), fieldsKey(1, 23));
  EXPECT_NE(fieldsKey(1, empty), fieldsKey(empty, 1));
  EXPECT_NE(fieldsKey(-1), fieldsKey(std::uint32_t{0xFFFFFFFF}));
  EXPECT_EQ(fieldsKey(7, ab), fieldsKey(std::int64_t{7}, std::wstring(L"ab")));
}

TEST(LeftoverCopies, KeptRowsOverHashes) {
  // The stale marker keeps 64-bit hashes of the live rows' values.
  KeptRows<std::uint64_t> live;
  live.add(0xfeedull, 5);
  live.add(0xbeefull, 0);
  EXPECT_TRUE(live.covers(0xfeedull, 5));
  EXPECT_TRUE(live.covers(0xfeedull, 0));   // carved: the values alone
  EXPECT_FALSE(live.covers(0xfeedull, 6));  // a freelist cell of another row
  EXPECT_FALSE(live.covers(0xcafeull, 0));
  EXPECT_TRUE(live.covers(0xbeefull, 0));
  EXPECT_TRUE(live.covers(0xbeefull, 9));  // kept without a row id: any row id
  // The same values under several row ids: each of those, and no other.
  for (std::uint32_t id : {1u, 2u, 3u}) live.add(0xabcull, id);
  EXPECT_TRUE(live.covers(0xabcull, 1));
  EXPECT_TRUE(live.covers(0xabcull, 3));
  EXPECT_FALSE(live.covers(0xabcull, 4));
  // Kept with a row id first and then without one: any row id.
  live.add(0xdadull, 7);
  EXPECT_FALSE(live.covers(0xdadull, 8));
  live.add(0xdadull, 0);
  EXPECT_TRUE(live.covers(0xdadull, 8));
}

}  // namespace
}  // namespace qv::db
