#include "db/table_shapes.h"

#include <memory>

#include "db/table_columns.h"
#include "db/varint.h"
#include "platform/ascii.h"

namespace qv::db {

namespace {

struct FixedWidth {
  const char* name;
  int columns;
};

constexpr FixedWidth kFixed[] = {
    {"message", kMessageWidth},
    {"ABPersonFullTextSearch_content", kContactsWidth},
    {"ZWAMESSAGE", kWhatsAppMessageWidth},
    {"ZNOTEBODY", 7},
    {"ZNOTE", 19},
    {"handle", 5},
    {"attachment", 9},
    {"message_attachment_join", 2},
    {"call", 13},
    {"Friend", 13},
    {"tb_c2cTables", 1},
    {"ZWACHATSESSION", 25},
    {"ZWAGROUPMEMBER", 13},
    {"ZWAMEDIAITEM", 24},
    {"ZCALLRECORD", 17},
    {"ZWACONTACT", 11},
    {"ZWAPHONE", 9},
};

constexpr std::size_t kGuidLength = 36;
// sms.db's message table has had at least this many columns in every phone version; a smaller
// table of that name is some other application's.
constexpr int kMessageGuidTableWidth = 30;

}  // namespace

int knownTableWidth(std::string_view table) {
  for (const FixedWidth& f : kFixed) {
    if (platform::equalsNoCase(table, f.name)) return f.columns;
  }
  if (table.substr(0, 5) == "Chat_") return 9;
  if (table.substr(0, 9) == "tb_c2cMsg") return 50;
  return 0;
}

bool messageGuidLeads(const CarvedRecordView& record) {
  const std::size_t unit = record.utf16 ? 2 : 1;
  const std::uint64_t guidType = 13 + 2 * kGuidLength * unit;
  // Column 1 is the first serial type read, or the second after the row-id alias's NULL.
  const std::size_t at = record.firstColumn == 0 ? 1 : 0;
  if (record.typeCount <= at || record.types[at] != guidType) return false;
  const std::size_t guid =
      record.contentStart +
      (at == 1 ? static_cast<std::size_t>(serialTypeWidth(record.types[0])) : 0);
  if (guid > record.end || kGuidLength * unit > record.end - guid) return false;
  for (std::size_t i = 0; i < kGuidLength; ++i) {
    const std::uint8_t* ch = record.page + guid + i * unit;
    if (ch[0] == 0 && (unit == 1 || ch[1] == 0)) return false;
  }
  return true;
}

TableShape knownTableShape(std::string_view table) {
  TableShape shape;
  shape.width = knownTableWidth(table);
  if (table == "message") shape.accept = messageGuidLeads;
  return shape;
}

ColumnClasses columnClassesOf(const DeclaredColumn& column, bool rowIdAlias) {
  if (rowIdAlias) return {kHoldsNull, kHoldsNull};
  ColumnClasses c;
  switch (column.affinity) {
    case Affinity::kText:
      c.holds = kHoldsNull | kHoldsText | kHoldsBlob;
      c.usual = kHoldsNull | kHoldsText;
      break;
    case Affinity::kInteger:
      c.usual = kHoldsNull | kHoldsInteger;
      break;
    case Affinity::kReal:
    case Affinity::kNumeric:
      c.usual = kHoldsNull | kHoldsInteger | kHoldsReal;
      break;
    case Affinity::kBlob:
      // A column declared BLOB holds blobs; one without a type anything.
      if (!column.type.empty()) c.usual = kHoldsNull | kHoldsBlob;
      break;
  }
  if (column.notNull) {
    c.holds &= static_cast<std::uint8_t>(~kHoldsNull);
    c.usual &= static_cast<std::uint8_t>(~kHoldsNull);
  }
  return c;
}

TableShape tableShape(const TableLayout& layout, std::string_view table) {
  TableShape shape = knownTableShape(table);
  if (!layout.known()) return shape;
  shape.width = layout.width();
  // The guid test belongs to sms.db's table, not to every table of that name.
  if (shape.accept == messageGuidLeads &&
      (layout.find("guid") != 1 || layout.width() < kMessageGuidTableWidth))
    shape.accept = nullptr;
  shape.firstIsValue = layout.rowIdAlias() != 0;
  shape.withoutRowId = layout.withoutRowId();
  auto classes = std::make_shared<std::vector<ColumnClasses>>();
  for (int i : layout.storedOrder())
    classes->push_back(columnClassesOf(*layout.column(i), i == layout.rowIdAlias()));
  shape.columnClasses = std::move(classes);
  return shape;
}

TableShape indexShape(const TableLayout& table, const std::vector<int>& recordColumns) {
  TableShape shape;
  shape.width = static_cast<int>(recordColumns.size());
  shape.withoutRowId = true;  // an index tree: a payload length and the record, no row id
  shape.firstIsValue = true;
  auto classes = std::make_shared<std::vector<ColumnClasses>>();
  for (int position : recordColumns) {
    if (position == kIndexRowId) {
      ColumnClasses rowId;  // an integer that is never NULL
      rowId.holds = rowId.usual = kHoldsInteger;
      classes->push_back(rowId);
      continue;
    }
    const DeclaredColumn* column = table.column(position);
    // The row-id alias is the row's id in an index, not the NULL the table's record holds.
    classes->push_back(column != nullptr ? columnClassesOf(*column, false) : ColumnClasses{});
  }
  shape.columnClasses = std::move(classes);
  return shape;
}

TableShape tableShape(const std::vector<SchemaEntry>& schema, std::string_view table) {
  return tableShape(TableLayout::of(schema, table), table);
}

}  // namespace qv::db
